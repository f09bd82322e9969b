// What a screen reader sees of a MemoEdit: Qt's accessible text and
// editable-text interfaces over its text, caret and selection, and the
// events that tell of their changes.
#pragma once

#include <QAccessibleWidget>

#include <cstdint>
#include <string_view>

class MemoEdit;

class MemoAccessible : public QAccessibleWidget,
                       public QAccessibleTextInterface,
                       public QAccessibleEditableTextInterface {
public:
    explicit MemoAccessible(MemoEdit* memo);

    QString text(QAccessible::Text t) const override;
    QAccessible::State state() const override;
    void* interface_cast(QAccessible::InterfaceType type) override;

    void selection(int selectionIndex, int* startOffset, int* endOffset) const override;
    int selectionCount() const override;
    void addSelection(int startOffset, int endOffset) override;
    void removeSelection(int selectionIndex) override;
    void setSelection(int selectionIndex, int startOffset, int endOffset) override;
    int cursorPosition() const override;
    void setCursorPosition(int position) override;
    QString text(int startOffset, int endOffset) const override;
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                             int* startOffset, int* endOffset) const override;
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                            int* startOffset, int* endOffset) const override;
    QString textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                         int* endOffset) const override;
    int characterCount() const override;
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint& point) const override;
    void scrollToSubstring(int startIndex, int endIndex) override;
    QString attributes(int offset, int* startOffset, int* endOffset) const override;

    void deleteText(int startOffset, int endOffset) override;
    void insertText(int offset, const QString& text) override;
    void replaceText(int startOffset, int endOffset, const QString& text) override;

private:
    MemoEdit* Memo() const;
    // The piece of text of a kind (character, word, line, ...) at a position.
    std::pair<int, int> Segment(int offset, QAccessible::TextBoundaryType boundaryType) const;
};

// Makes Qt's accessibility use MemoAccessible for every MemoEdit; once.
void InstallMemoAccessibility();

// Events for an active screen reader; nothing is done without one.
void NotifyAccessibleChanged(MemoEdit& memo, std::uint64_t position, std::string_view removedBytes,
                             std::uint64_t addedUnits);
void NotifyAccessibleCursor(MemoEdit& memo);
void NotifyAccessibleSelection(MemoEdit& memo);
