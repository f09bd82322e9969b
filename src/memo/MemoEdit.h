// A multi-line plain-text edit for large data: it holds its text as bytes
// (the memo text: CR LF line breaks, any byte but 00), wraps it at its width
// and lays out only the rows on screen, so that editing, scrolling and
// replacing the text cost the same at a few bytes as at tens of megabytes.
//
// It offers what a user expects of a plain-text edit: caret and selection by
// mouse and keyboard, the clipboard and the X11 selection, drag and drop,
// undo and redo, the standard context menu, input methods and accessibility.
// Positions in its interface are characters as QPlainTextEdit counts them
// (UTF-16 units, a line break one).
#pragma once

#include "Advances.h"
#include "MemoCursor.h"
#include "MemoDocument.h"
#include "WrapIndex.h"

#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QElapsedTimer>
#include <QInputMethodEvent>
#include <QPointer>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

class HexLinesReader;
class QMenu;
class QMimeData;
class RowLayout;

class MemoEdit : public QAbstractScrollArea {
    Q_OBJECT
    Q_PROPERTY(QString plainText READ toPlainText WRITE setPlainText NOTIFY textChanged USER true)
    Q_PROPERTY(bool tabChangesFocus READ tabChangesFocus WRITE setTabChangesFocus)

public:
    explicit MemoEdit(QWidget* parent = nullptr);
    ~MemoEdit() override;

    // The text as QPlainTextEdit gives it: '\n' for line breaks, a no-break
    // space as a space. Bytes that are not UTF-8 come as U+DC80..U+DCFF.
    QString toPlainText() const;
    void setPlainText(const QString& text);
    bool isEmpty() const { return document_.Text().Size() == 0; }
    int blockCount() const;

    MemoCursor textCursor() const;
    void setTextCursor(const MemoCursor& cursor);

    bool tabChangesFocus() const { return tabChangesFocus_; }
    void setTabChangesFocus(bool on) { tabChangesFocus_ = on; }

    // The memo text itself, lossless.
    const TextBuffer& Text() const { return document_.Text(); }
    // Replaces the text with a memo text (CR LF breaks only, no 00 byte) and
    // forgets the undo history.
    void SetText(std::string_view memoText);
    void SetText(TextBuffer::Builder&& memoText);
    // The selection in bytes of the memo text; offsets must be character boundaries.
    std::uint64_t AnchorOffset() const { return anchor_; }
    std::uint64_t CursorOffset() const { return cursor_; }
    void SelectBytes(std::uint64_t anchor, std::uint64_t position);
    // Character positions and bytes of the memo text.
    int PositionOf(std::uint64_t offset) const;
    std::uint64_t OffsetOf(int position) const;
    // The text between two character positions, as QTextCursor gives a selection.
    QString TextBetween(int start, int end) const;

    // The wrap of the text, for tests and measurements.
    WrapIndex& Wrap() { return *wrap_; }
    std::size_t HistoryBytes() const { return document_.HistoryBytes(); }

    // Characters of the memo at and around a position, for input methods and
    // accessibility: the row and its geometry in viewport coordinates.
    QRect CaretRect(std::uint64_t offset) const;
    std::uint64_t OffsetAtPoint(const QPoint& viewportPoint) const;
    void EnsureVisible(std::uint64_t offset);
    // Replaces characters [start, end) by text, as one undoable step.
    void ReplaceText(int start, int end, const QString& text);

    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

public slots:
    void clear();
    void selectAll();
    void undo();
    void redo();
    void cut();
    void copy();
    void paste();

signals:
    void textChanged();
    // As QTextDocument's: characters removed and added at a position.
    void contentsChange(int position, int charsRemoved, int charsAdded);
    // The same change in bytes of the memo text.
    void bytesChanged(quint64 offset, quint64 removed, quint64 added);
    void cursorPositionChanged();
    void selectionChanged();
    void undoAvailable(bool available);
    void redoAvailable(bool available);
    void copyAvailable(bool available);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    static constexpr int kMargin = 4;     // around the text, as a text document's
    static constexpr qreal kTabStop = 80; // pixels between tab stops

    // Editing.
    void Replace(MemoDocument::Command command, std::uint64_t from, std::uint64_t to,
                 std::string_view bytes, bool continueStep = false);
    MemoDocument::Observer ChangeObserver();
    void Changed(const TextChange& change, std::string_view removedBytes,
                 std::uint64_t unitsBefore);
    void InsertText(const QString& text, MemoDocument::Command command);
    // Puts memo bytes in place of the selection, the caret after them.
    void InsertBytes(std::string_view bytes, MemoDocument::Command command);
    void InsertFromMime(const QMimeData* mime);
    void DeleteSelection();
    void DeleteBackward(bool word);
    void DeleteForward(bool word);
    void Replay(const MemoDocument::Replay& replay);
    void HistoryChanged();
    static std::string MemoBytesOf(const QString& text);
    static std::string BytesFrom(const QMimeData* mime);

    // Caret and selection.
    void MoveCursor(std::uint64_t offset, bool keepAnchor);
    void SetSelection(std::uint64_t anchor, std::uint64_t cursor);
    void SelectionMaybeChanged(std::uint64_t oldAnchor, std::uint64_t oldCursor);
    void ExtendSelectionTo(std::uint64_t offset);
    std::uint64_t NextGrapheme(std::uint64_t offset) const;
    std::uint64_t PreviousGrapheme(std::uint64_t offset) const;
    std::uint64_t RowMove(std::uint64_t offset, std::int64_t rows);
    struct VerticalTarget {
        std::uint64_t offset;
        bool keepColumn; // false where the move goes to the text's start or end
    };
    std::optional<VerticalTarget> VerticalMove(const QKeyEvent* event, bool extend);
    std::uint64_t RowStartOf(std::uint64_t offset) const;
    std::uint64_t RowEndOf(std::uint64_t offset) const;
    std::string SelectedBytes() const;
    bool HasSelection() const { return anchor_ != cursor_; }
    void UpdateX11Selection();

    // View.
    static std::function<std::int32_t(char32_t)> MeasureWith(const QFont& font);
    void UpdateGeometry();
    void UpdateScrollBar();
    void ScrollToRow(std::uint64_t index);
    void Relayout();
    void StartSettling();
    int LineHeight() const;
    int VisibleRows() const;
    std::int32_t RowWidth() const;
    RowLayout LayoutRow(const WrapIndex::Row& row) const;
    std::pair<WrapIndex::Row, int> VisibleRowAt(int y) const;
    void RestartBlink();

    // Input.
    bool HandlesStandardKey(const QKeyEvent* event) const;
    bool HandleMoveKey(QKeyEvent* event);
    bool HandleEditKey(QKeyEvent* event);
    bool HandleDeleteKey(QKeyEvent* event);
    bool IsTypedText(const QKeyEvent* event) const;
    void StartDrag();
    QMimeData* MimeFor(const std::string& bytes) const;
    QMenu* CreateContextMenu();
    void AutoScroll();

    MemoDocument document_;
    std::unique_ptr<Advances> advances_;
    std::unique_ptr<WrapIndex> wrap_;
    std::uint64_t anchor_ = 0;
    std::uint64_t cursor_ = 0;
    std::uint64_t topOffset_ = 0;     // the start of the top row
    std::optional<qreal> preferredX_; // kept through a run of vertical moves
    bool verticalMove_ = false;
    bool tabChangesFocus_ = false;
    bool caretShown_ = false;
    bool inexactShown_ = false; // a row on screen is shown from a start near it
    bool syncingScrollBar_ = false;
    QBasicTimer blinkTimer_;
    QBasicTimer settleTimer_;
    QBasicTimer scrollTimer_;
    QString preedit_;
    QList<QInputMethodEvent::Attribute> preeditAttributes_;
    int preeditCursor_ = 0;

    // Mouse state.
    QPoint pressPoint_;
    QPoint lastMousePoint_;
    QPoint doubleClickPoint_;
    QElapsedTimer tripleClick_;
    bool selecting_ = false;
    bool mayDrag_ = false;
    bool selectingWords_ = false;
    std::pair<std::uint64_t, std::uint64_t> wordAnchor_;
    std::optional<std::uint64_t> dropOffset_;
    QPointer<QMenu> contextMenu_;
};

// The memo layer for a MemoEdit, with the meaning it has for a QPlainTextEdit
// (memotext.h): the memo text in bytes, replacing it, selecting by memo-text
// positions (a line break counting two).
std::string MemoText(const MemoEdit& memo);
void SetMemoText(MemoEdit& memo, std::string_view text);
// The binary import's lines, taken block by block straight into the memo's
// chunks, so that the text is never held whole besides; the memo keeps its
// text if reading fails.
void SetMemoText(MemoEdit& memo, HexLinesReader& lines);
void SelectMemoText(MemoEdit& memo, qsizetype start, qsizetype length);
