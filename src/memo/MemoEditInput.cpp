// MemoEdit: what comes in from the keyboard and the input methods, focus and
// the context menu. Every handler runs under the guard, so that no error
// crosses Qt's event loop.
#include "MemoEdit.h"

#include "WordMotion.h"
#include "errorreport.h"
#include "memotext.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>

namespace {

// The input methods are given at most this many bytes on either side of the caret.
constexpr std::uint64_t kSurroundingReach = 1024;

bool IsAny(const QKeyEvent* event, std::initializer_list<QKeySequence::StandardKey> keys) {
    for (const QKeySequence::StandardKey key : keys) {
        if (event->matches(key))
            return true;
    }
    return false;
}

} // namespace

// ---------------------------------------------------------------- keyboard

bool MemoEdit::event(QEvent* event) {
    bool handled = false;
    bool taken = false;
    Guard([&] {
        if (event->type() == QEvent::ShortcutOverride) {
            auto* key = static_cast<QKeyEvent*>(event);
            // Keys the memo edits with are not the window's shortcuts.
            if (IsTypedText(key) || HandlesStandardKey(key)) {
                event->accept();
                handled = taken = true;
            }
        } else if (event->type() == QEvent::KeyPress && !tabChangesFocus_) {
            auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Tab && !(key->modifiers() & ~Qt::KeypadModifier)) {
                InsertText(QStringLiteral("\t"), MemoDocument::Command::Typing);
                handled = taken = true;
            }
        }
    });
    return taken ? handled : QAbstractScrollArea::event(event);
}

bool MemoEdit::IsTypedText(const QKeyEvent* event) const {
    const QString text = event->text();
    if (text.isEmpty())
        return false;
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    if ((modifiers & Qt::ControlModifier) && !(modifiers & Qt::AltModifier))
        return false;
    for (const QChar c : text) {
        if (c.category() == QChar::Other_Control)
            return false;
    }
    return true;
}

bool MemoEdit::HandlesStandardKey(const QKeyEvent* event) const {
    using K = QKeySequence;
    return IsAny(event, {K::Undo,
                         K::Redo,
                         K::Copy,
                         K::Cut,
                         K::Paste,
                         K::SelectAll,
                         K::Delete,
                         K::Backspace,
                         K::DeleteEndOfWord,
                         K::DeleteStartOfWord,
                         K::InsertParagraphSeparator,
                         K::InsertLineSeparator,
                         K::MoveToNextChar,
                         K::MoveToPreviousChar,
                         K::SelectNextChar,
                         K::SelectPreviousChar,
                         K::MoveToNextWord,
                         K::MoveToPreviousWord,
                         K::SelectNextWord,
                         K::SelectPreviousWord,
                         K::MoveToStartOfLine,
                         K::MoveToEndOfLine,
                         K::SelectStartOfLine,
                         K::SelectEndOfLine,
                         K::MoveToStartOfDocument,
                         K::MoveToEndOfDocument,
                         K::SelectStartOfDocument,
                         K::SelectEndOfDocument,
                         K::MoveToNextLine,
                         K::MoveToPreviousLine,
                         K::SelectNextLine,
                         K::SelectPreviousLine,
                         K::MoveToNextPage,
                         K::MoveToPreviousPage,
                         K::SelectNextPage,
                         K::SelectPreviousPage}) ||
           (event->key() == Qt::Key_Backspace && !(event->modifiers() & ~Qt::ShiftModifier));
}

void MemoEdit::keyPressEvent(QKeyEvent* event) {
    Guard([&] {
        if (HandleEditKey(event) || HandleMoveKey(event)) {
            event->accept();
            return;
        }
        if (IsTypedText(event)) {
            InsertText(event->text(), MemoDocument::Command::Typing);
            event->accept();
            return;
        }
        event->ignore();
    });
}

bool MemoEdit::HandleEditKey(QKeyEvent* event) {
    using K = QKeySequence;
    const auto when = [event](K::StandardKey key) { return event->matches(key); };
    if (when(K::Undo))
        undo();
    else if (when(K::Redo))
        redo();
    else if (when(K::Copy))
        copy();
    else if (when(K::Cut))
        cut();
    else if (when(K::Paste))
        paste();
    else if (when(K::SelectAll))
        selectAll();
    else
        return HandleDeleteKey(event);
    return true;
}

// Deleting keys end a run of vertical moves even where they delete nothing.
bool MemoEdit::HandleDeleteKey(QKeyEvent* event) {
    using K = QKeySequence;
    const auto when = [event](K::StandardKey key) { return event->matches(key); };
    const bool backspace = when(K::Backspace) || (event->key() == Qt::Key_Backspace &&
                                                  !(event->modifiers() & ~Qt::ShiftModifier));
    if (!backspace && !when(K::DeleteEndOfWord) && !when(K::DeleteStartOfWord) &&
        !when(K::Delete) && !when(K::InsertParagraphSeparator) && !when(K::InsertLineSeparator))
        return false;
    preferredX_.reset();
    if (when(K::DeleteEndOfWord))
        DeleteForward(true);
    else if (when(K::DeleteStartOfWord))
        DeleteBackward(true);
    else if (when(K::Delete))
        DeleteForward(false);
    else if (backspace)
        DeleteBackward(false);
    else
        InsertText(QStringLiteral("\n"), MemoDocument::Command::Typing);
    return true;
}

bool MemoEdit::HandleMoveKey(QKeyEvent* event) {
    using K = QKeySequence;
    const auto when = [event](K::StandardKey move, K::StandardKey select) {
        return event->matches(move) || event->matches(select);
    };
    const bool extend =
        IsAny(event, {K::SelectNextChar, K::SelectPreviousChar, K::SelectNextWord,
                      K::SelectPreviousWord, K::SelectStartOfLine, K::SelectEndOfLine,
                      K::SelectStartOfDocument, K::SelectEndOfDocument, K::SelectNextLine,
                      K::SelectPreviousLine, K::SelectNextPage, K::SelectPreviousPage});
    const auto [from, to] = std::minmax(anchor_, cursor_);
    const bool vertical = when(K::MoveToNextLine, K::SelectNextLine) ||
                          when(K::MoveToPreviousLine, K::SelectPreviousLine) ||
                          when(K::MoveToNextPage, K::SelectNextPage) ||
                          when(K::MoveToPreviousPage, K::SelectPreviousPage);
    std::uint64_t target = cursor_;
    bool keepColumn = false;
    if (event->matches(K::MoveToNextChar))
        target = HasSelection() ? to : NextGrapheme(cursor_);
    else if (event->matches(K::MoveToPreviousChar))
        target = HasSelection() ? from : PreviousGrapheme(cursor_);
    else if (event->matches(K::SelectNextChar))
        target = NextGrapheme(cursor_);
    else if (event->matches(K::SelectPreviousChar))
        target = PreviousGrapheme(cursor_);
    else if (when(K::MoveToNextWord, K::SelectNextWord))
        target = NextWord(Text(), cursor_);
    else if (when(K::MoveToPreviousWord, K::SelectPreviousWord))
        target = PreviousWord(Text(), cursor_);
    else if (when(K::MoveToStartOfLine, K::SelectStartOfLine))
        target = RowStartOf(cursor_);
    else if (when(K::MoveToEndOfLine, K::SelectEndOfLine))
        target = RowEndOf(cursor_);
    else if (when(K::MoveToStartOfDocument, K::SelectStartOfDocument))
        target = 0;
    else if (when(K::MoveToEndOfDocument, K::SelectEndOfDocument))
        target = Text().Size();
    else if (!vertical)
        return false;
    else if (const std::optional<VerticalTarget> moved = VerticalMove(event, extend))
        target = moved->offset, keepColumn = moved->keepColumn;
    else
        return true; // Up or Down at the edge changes nothing
    // A run of vertical moves keeps to the column it began in.
    verticalMove_ = keepColumn;
    MoveCursor(target, extend);
    verticalMove_ = false;
    if (extend)
        UpdateX11Selection();
    return true;
}

// Up and Down stop at the first and last row, where with Shift they go to
// the text's start and end; PageUp and PageDown scroll along.
std::optional<MemoEdit::VerticalTarget> MemoEdit::VerticalMove(const QKeyEvent* event,
                                                               bool extend) {
    using K = QKeySequence;
    const bool page = event->matches(K::MoveToNextPage) || event->matches(K::SelectNextPage) ||
                      event->matches(K::MoveToPreviousPage) ||
                      event->matches(K::SelectPreviousPage);
    const bool down = event->matches(K::MoveToNextLine) || event->matches(K::SelectNextLine) ||
                      event->matches(K::MoveToNextPage) || event->matches(K::SelectNextPage);
    const std::int64_t rows = (page ? VisibleRows() : 1) * (down ? 1 : -1);
    const WrapIndex::Row row = wrap_->RowContaining(cursor_);
    if (!page && (down ? wrap_->IsLast(row) : row.index == 0)) {
        if (!extend)
            return std::nullopt;
        return VerticalTarget{down ? Text().Size() : 0, false};
    }
    if (page) {
        const std::uint64_t top = wrap_->RowContaining(topOffset_).index;
        const std::int64_t moved = std::max<std::int64_t>(0, static_cast<std::int64_t>(top) + rows);
        ScrollToRow(static_cast<std::uint64_t>(moved));
        UpdateScrollBar();
    }
    return VerticalTarget{RowMove(cursor_, rows), true};
}

// ---------------------------------------------------------------- input methods

void MemoEdit::inputMethodEvent(QInputMethodEvent* event) {
    Guard([&] {
        if (!event->commitString().isEmpty() || event->replacementLength() > 0) {
            if (event->replacementLength() > 0) {
                const int caret = PositionOf(cursor_) + event->replacementStart();
                SetSelection(OffsetOf(caret), OffsetOf(caret + event->replacementLength()));
            }
            // The committed text arrives whole, as one step.
            InsertText(event->commitString(), MemoDocument::Command::Other);
        }
        preedit_ = event->preeditString();
        preeditAttributes_ = event->attributes();
        preeditCursor_ = 0;
        for (const QInputMethodEvent::Attribute& a : preeditAttributes_) {
            if (a.type == QInputMethodEvent::Cursor)
                preeditCursor_ = a.start;
        }
        if (preedit_.isEmpty())
            preeditCursor_ = 0;
        EnsureVisible(cursor_);
        viewport()->update();
        event->accept();
    });
}

QVariant MemoEdit::inputMethodQuery(Qt::InputMethodQuery query) const {
    QVariant result;
    Guard([&] {
        const TextBuffer& text = Text();
        // The caret's line, within reach; only the queries about the text
        // around the caret need it, and the input methods ask often.
        const auto surrounding = [&] {
            const std::uint64_t begin = text.CharStart(
                std::max(text.LineStart(cursor_),
                         cursor_ > kSurroundingReach ? cursor_ - kSurroundingReach : 0));
            const std::uint64_t end =
                text.CharStart(std::min(text.LineEnd(cursor_), cursor_ + kSurroundingReach));
            return std::pair{begin, end};
        };
        const auto unitsTo = [&](std::uint64_t offset) {
            const auto [begin, end] = surrounding();
            return PositionOf(std::clamp(offset, begin, end)) - PositionOf(begin);
        };
        switch (query) {
        case Qt::ImEnabled:
            result = true;
            break;
        case Qt::ImHints:
            result = static_cast<int>(Qt::ImhMultiLine);
            break;
        case Qt::ImCursorRectangle:
            result = QRect(CaretRect(cursor_).translated(viewport()->pos()));
            break;
        case Qt::ImFont:
            result = font();
            break;
        case Qt::ImSurroundingText: {
            const auto [begin, end] = surrounding();
            result = DecodeMemoText(text.Copy(begin, end - begin));
            break;
        }
        case Qt::ImCursorPosition:
            result = unitsTo(cursor_);
            break;
        case Qt::ImAnchorPosition:
            result = unitsTo(anchor_);
            break;
        case Qt::ImAbsolutePosition:
            result = PositionOf(cursor_);
            break;
        case Qt::ImCurrentSelection:
            result = DecodeMemoText(SelectedBytes());
            break;
        case Qt::ImTextBeforeCursor: {
            const std::uint64_t begin = surrounding().first;
            result = DecodeMemoText(text.Copy(begin, cursor_ - begin));
            break;
        }
        case Qt::ImTextAfterCursor: {
            const std::uint64_t end = surrounding().second;
            result = DecodeMemoText(text.Copy(cursor_, std::max(end, cursor_) - cursor_));
            break;
        }
        default:
            result = QAbstractScrollArea::inputMethodQuery(query);
            break;
        }
    });
    return result;
}

// ---------------------------------------------------------------- focus and menu

void MemoEdit::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    Guard([&] {
        RestartBlink();
        viewport()->update();
    });
}

void MemoEdit::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    Guard([&] {
        RestartBlink();
        viewport()->update();
    });
}

// The entries and texts of a plain-text edit's menu, translated as Qt's own.
QMenu* MemoEdit::CreateContextMenu() {
    auto* menu = new QMenu(this);
    const auto add = [&](const char* text, QKeySequence::StandardKey key, const char* name,
                         bool enabled, auto slot) {
        QString label = QCoreApplication::translate("QWidgetTextControl", text);
        const QKeySequence sequence(key);
        if (!sequence.isEmpty())
            label += u'\t' + sequence.toString(QKeySequence::NativeText);
        QAction* action = menu->addAction(label);
        action->setObjectName(QLatin1String(name));
        action->setEnabled(enabled);
        connect(action, &QAction::triggered, this, [this, slot] { Guard([&] { slot(); }); });
    };
    add("&Undo", QKeySequence::Undo, "edit-undo", document_.CanUndo(), [this] { undo(); });
    add("&Redo", QKeySequence::Redo, "edit-redo", document_.CanRedo(), [this] { redo(); });
    menu->addSeparator();
    add("Cu&t", QKeySequence::Cut, "edit-cut", HasSelection(), [this] { cut(); });
    add("&Copy", QKeySequence::Copy, "edit-copy", HasSelection(), [this] { copy(); });
    add("&Paste", QKeySequence::Paste, "edit-paste",
        !BytesFrom(QGuiApplication::clipboard()->mimeData()).empty(), [this] { paste(); });
    add("Delete", QKeySequence::UnknownKey, "edit-delete", HasSelection(),
        [this] { DeleteSelection(); });
    menu->addSeparator();
    add("Select All", QKeySequence::SelectAll, "select-all", !isEmpty(), [this] { selectAll(); });
    return menu;
}

void MemoEdit::contextMenuEvent(QContextMenuEvent* event) {
    Guard([&] {
        QMenu* menu = CreateContextMenu();
        menu->setAttribute(Qt::WA_DeleteOnClose);
        contextMenu_ = menu;
        menu->popup(event->globalPos());
    });
}
