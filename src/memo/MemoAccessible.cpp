#include "MemoAccessible.h"

#include "MemoEdit.h"
#include "WordMotion.h"
#include "memotext.h"

#include <algorithm>

namespace {

QAccessibleInterface* CreateInterface(const QString& className, QObject* object) {
    if (className == QLatin1String("MemoEdit") && object && object->isWidgetType())
        return new MemoAccessible(static_cast<MemoEdit*>(object));
    return nullptr;
}

// The characters from start to end, line breaks as '\n'.
QString Characters(const MemoEdit& memo, int start, int end) {
    const std::uint64_t from = memo.OffsetOf(start);
    const std::uint64_t to = memo.OffsetOf(std::max(start, end));
    return DecodeMemoText(memo.Text().Copy(from, to - from));
}

} // namespace

void InstallMemoAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(CreateInterface);
        return true;
    }();
    (void)installed;
}

MemoAccessible::MemoAccessible(MemoEdit* memo)
    : QAccessibleWidget(memo, QAccessible::EditableText) {}

MemoEdit* MemoAccessible::Memo() const {
    return static_cast<MemoEdit*>(widget());
}

QString MemoAccessible::text(QAccessible::Text t) const {
    if (t == QAccessible::Value)
        return Memo()->toPlainText();
    return QAccessibleWidget::text(t);
}

QAccessible::State MemoAccessible::state() const {
    QAccessible::State s = QAccessibleWidget::state();
    s.editable = true;
    s.multiLine = true;
    s.selectableText = true;
    return s;
}

void* MemoAccessible::interface_cast(QAccessible::InterfaceType type) {
    if (type == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface*>(this);
    if (type == QAccessible::EditableTextInterface)
        return static_cast<QAccessibleEditableTextInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

void MemoAccessible::selection(int selectionIndex, int* startOffset, int* endOffset) const {
    *startOffset = *endOffset = 0;
    const MemoCursor cursor = Memo()->textCursor();
    if (selectionIndex == 0 && cursor.hasSelection()) {
        *startOffset = cursor.selectionStart();
        *endOffset = cursor.selectionEnd();
    }
}

int MemoAccessible::selectionCount() const {
    return Memo()->textCursor().hasSelection() ? 1 : 0;
}

void MemoAccessible::addSelection(int startOffset, int endOffset) {
    setSelection(0, startOffset, endOffset);
}

void MemoAccessible::removeSelection(int selectionIndex) {
    if (selectionIndex == 0)
        setCursorPosition(cursorPosition());
}

void MemoAccessible::setSelection(int selectionIndex, int startOffset, int endOffset) {
    if (selectionIndex == 0)
        Memo()->SelectBytes(Memo()->OffsetOf(startOffset), Memo()->OffsetOf(endOffset));
}

int MemoAccessible::cursorPosition() const {
    return Memo()->PositionOf(Memo()->CursorOffset());
}

void MemoAccessible::setCursorPosition(int position) {
    const std::uint64_t offset = Memo()->OffsetOf(position);
    Memo()->SelectBytes(offset, offset);
}

QString MemoAccessible::text(int startOffset, int endOffset) const {
    return Characters(*Memo(), startOffset, endOffset);
}

int MemoAccessible::characterCount() const {
    return static_cast<int>(Memo()->Text().Units());
}

// Characters, words and lines from the text around offset only; a line is
// what lies between line breaks, its break included.
std::pair<int, int> MemoAccessible::Segment(int offset,
                                            QAccessible::TextBoundaryType boundaryType) const {
    const TextBuffer& text = Memo()->Text();
    const std::uint64_t at = Memo()->OffsetOf(offset);
    std::pair<std::uint64_t, std::uint64_t> bytes;
    switch (boundaryType) {
    case QAccessible::CharBoundary:
        bytes = {at, text.NextChar(at)};
        break;
    case QAccessible::WordBoundary:
        bytes = WordAround(text, at);
        break;
    case QAccessible::NoBoundary:
        bytes = {0, text.Size()};
        break;
    default:
        bytes = {text.LineStart(at), text.NextChar(text.LineEnd(at))};
        break;
    }
    return {Memo()->PositionOf(bytes.first), Memo()->PositionOf(bytes.second)};
}

QString MemoAccessible::textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                     int* startOffset, int* endOffset) const {
    std::tie(*startOffset, *endOffset) = Segment(offset, boundaryType);
    return text(*startOffset, *endOffset);
}

QString MemoAccessible::textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                         int* startOffset, int* endOffset) const {
    const int start = Segment(offset, boundaryType).first;
    if (start <= 0) {
        *startOffset = *endOffset = 0;
        return {};
    }
    return textAtOffset(start - 1, boundaryType, startOffset, endOffset);
}

QString MemoAccessible::textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                        int* startOffset, int* endOffset) const {
    const int end = Segment(offset, boundaryType).second;
    if (end >= characterCount()) {
        *startOffset = *endOffset = characterCount();
        return {};
    }
    return textAtOffset(end, boundaryType, startOffset, endOffset);
}

QRect MemoAccessible::characterRect(int offset) const {
    QRect rect = Memo()->CaretRect(Memo()->OffsetOf(offset));
    const QRect next = Memo()->CaretRect(Memo()->OffsetOf(offset + 1));
    if (next.top() == rect.top() && next.left() > rect.left())
        rect.setRight(next.left() - 1);
    return QRect(Memo()->viewport()->mapToGlobal(rect.topLeft()), rect.size());
}

int MemoAccessible::offsetAtPoint(const QPoint& point) const {
    return Memo()->PositionOf(Memo()->OffsetAtPoint(Memo()->viewport()->mapFromGlobal(point)));
}

void MemoAccessible::scrollToSubstring(int startIndex, int) {
    Memo()->EnsureVisible(Memo()->OffsetOf(startIndex));
}

// The memo has one look throughout: no attributes, over the whole text.
QString MemoAccessible::attributes(int, int* startOffset, int* endOffset) const {
    *startOffset = 0;
    *endOffset = characterCount();
    return {};
}

void MemoAccessible::deleteText(int startOffset, int endOffset) {
    Memo()->ReplaceText(startOffset, endOffset, {});
}

void MemoAccessible::insertText(int offset, const QString& text) {
    Memo()->ReplaceText(offset, offset, text);
}

void MemoAccessible::replaceText(int startOffset, int endOffset, const QString& text) {
    Memo()->ReplaceText(startOffset, endOffset, text);
}

void NotifyAccessibleChanged(MemoEdit& memo, std::uint64_t position, std::string_view removedBytes,
                             std::uint64_t addedUnits) {
    if (!QAccessible::isActive())
        return;
    const int at = static_cast<int>(position);
    if (!removedBytes.empty()) {
        QAccessibleTextRemoveEvent event(&memo, at, DecodeMemoText(removedBytes));
        QAccessible::updateAccessibility(&event);
    }
    if (addedUnits > 0) {
        QAccessibleTextInsertEvent event(&memo, at,
                                         Characters(memo, at, at + static_cast<int>(addedUnits)));
        QAccessible::updateAccessibility(&event);
    }
}

void NotifyAccessibleCursor(MemoEdit& memo) {
    if (!QAccessible::isActive())
        return;
    QAccessibleTextCursorEvent event(&memo, memo.PositionOf(memo.CursorOffset()));
    QAccessible::updateAccessibility(&event);
}

void NotifyAccessibleSelection(MemoEdit& memo) {
    if (!QAccessible::isActive())
        return;
    const MemoCursor cursor = memo.textCursor();
    QAccessibleTextSelectionEvent event(&memo, cursor.selectionStart(), cursor.selectionEnd());
    event.setCursorPosition(cursor.position());
    QAccessible::updateAccessibility(&event);
}
