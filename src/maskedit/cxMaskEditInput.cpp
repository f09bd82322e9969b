// How input reaches a masked field: keys, the clipboard and the X11
// selection, input methods, drag and drop, the mouse and the context menu.
#include "cxMaskEdit.h"

#include "cxMaskEditRegExprMode.h"
#include "errorreport.h"
#include "memotext.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDragLeaveEvent>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>

#include <algorithm>

namespace {

// Whether the edit would type the key's text, by the edit's own rule.
bool TypesText(const QKeyEvent& event) {
    const QString text = event.text();
    if (text.isEmpty())
        return false;
    const QChar c = text.at(0);
    if (c.category() == QChar::Other_Format)
        return true;
    const Qt::KeyboardModifiers modifiers = event.modifiers();
    if (modifiers == Qt::ControlModifier || modifiers == (Qt::ShiftModifier | Qt::ControlModifier))
        return false;
    return c.isPrint() || c.category() == QChar::Other_PrivateUse ||
           (c.isHighSurrogate() && text.size() > 1 && text.at(1).isLowSurrogate());
}

Qt::KeyboardModifiers EditModifiers(const QKeyEvent& event) {
    return event.modifiers() & ~Qt::KeypadModifier;
}

// Only Shift and Ctrl combine with the keys the mode follows.
bool ShiftOrCtrlOnly(const QKeyEvent& event) {
    return !(EditModifiers(event) & ~(Qt::ShiftModifier | Qt::ControlModifier));
}

} // namespace

void TcxMaskEdit::keyPressEvent(QKeyEvent* event) {
    Guard([&] { HandleKey(event); });
}

void TcxMaskEdit::HandleKey(QKeyEvent* event) {
    const int key = event->key();
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && validateOnEnter_) {
        event->accept();
        ValidateEdit();
        return;
    }
    if (key == Qt::Key_Escape && modified_) {
        event->accept();
        ResetToValue();
        return;
    }
    if (!isReadOnly() && MaskedKey(event)) {
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

// Keys that reach the text through the field; false leaves the key to the edit.
bool TcxMaskEdit::MaskedKey(QKeyEvent* event) {
    if (event->matches(QKeySequence::Paste)) {
        PasteFromClipboard();
        return true;
    }
    if (TypesText(*event)) {
        TypeText(event->text());
        return true;
    }
    return Masking() && ShiftOrCtrlOnly(*event) && (DeletionKey(event) || CaretKey(event));
}

bool TcxMaskEdit::DeletionKey(QKeyEvent* event) {
    const Qt::KeyboardModifiers modifiers = EditModifiers(*event);
    const int key = event->key();
    if (key == Qt::Key_Delete && modifiers == Qt::ShiftModifier && !hasSelectedText()) {
        Perform(mode_->HandleBackspace(), &QLineEdit::backspace);
        return true;
    }
    if (event->matches(QKeySequence::Cut)) {
        CutSelection();
        return true;
    }
    if (key == Qt::Key_Backspace && !(modifiers & Qt::ControlModifier)) {
        Forward(mode_->HandleBackspace(), event);
        return true;
    }
    if (key == Qt::Key_Delete && modifiers == Qt::NoModifier) {
        Forward(mode_->HandleDelete(), event);
        return true;
    }
    return false;
}

// Ctrl+Left and Ctrl+Right go to the start and the end; Up and Down do nothing.
bool TcxMaskEdit::CaretKey(QKeyEvent* event) {
    const Qt::KeyboardModifiers modifiers = EditModifiers(*event);
    const bool shift = modifiers & Qt::ShiftModifier;
    const bool ctrl = modifiers & Qt::ControlModifier;
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
        return true;
    case Qt::Key_Home:
        Forward(mode_->HandleHome(), event);
        return true;
    case Qt::Key_End:
        Forward(mode_->HandleEnd(), event);
        return true;
    case Qt::Key_Left:
        if (!ctrl) {
            Forward(mode_->HandleLeft(shift), event);
        } else if (mode_->HandleHome()) {
            OwnEdit edit(*this);
            home(shift);
        }
        return true;
    case Qt::Key_Right:
        if (!ctrl) {
            Forward(mode_->HandleRight(shift), event);
        } else if (mode_->HandleEnd()) {
            OwnEdit edit(*this);
            end(shift);
        }
        return true;
    default:
        return false;
    }
}

// A key the mode accepted is carried out by the edit as usual.
void TcxMaskEdit::Forward(bool accepted, QKeyEvent* event) {
    if (!accepted)
        return;
    OwnEdit edit(*this);
    QLineEdit::keyPressEvent(event);
}

// So is an edit the field makes in a key's place.
void TcxMaskEdit::Perform(bool accepted, void (QLineEdit::*edit)()) {
    if (!accepted)
        return;
    OwnEdit own(*this);
    (this->*edit)();
}

// Typed text goes through the mask one character at a time.
void TcxMaskEdit::TypeText(const QString& typed) {
    const QString text = InCharCase(typed);
    if (!Masking()) {
        insert(text);
        return;
    }
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype length = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        std::string c = EncodeBytes(QStringView(text).mid(i, length));
        i += length;
        OwnEdit edit(*this);
        if (mode_->HandleChar(c))
            insert(DecodeBytes(c));
        else if (beepOnError_)
            QApplication::beep();
    }
}

// Inserted text (a paste, a drop) replaces the selection and the whole text
// then goes through the mask: characters that cannot stand where they land
// are dropped, the rest kept in order. False when something was dropped.
bool TcxMaskEdit::InsertText(const QString& inserted) {
    const QString piece = InCharCase(inserted);
    if (!Masking()) {
        insert(piece);
        return true;
    }
    mode_->BeforeClipboardInsert();
    const QString current = text();
    const int start = hasSelectedText() ? selectionStart() : cursorPosition();
    const QString before = current.left(start);
    const QString joined = before + piece + current.mid(start + selectedText().size());
    const QString whole = Normalised(joined);
    // The caret goes after what was kept of the inserted text.
    const std::size_t caret = EncodeBytes(Normalised(before + piece).left(whole.size())).size();
    mode_->SetPendingInsertLength(caret - std::min(caret, EncodeBytes(before).size()));
    if (whole == joined) {
        OwnEdit edit(*this);
        insert(piece);
    } else {
        ReplaceAll(whole);
    }
    SetSelection(caret, 0);
    mode_->AdoptText(EncodeBytes(whole));
    mode_->AfterClipboardInsert();
    return whole == joined;
}

void TcxMaskEdit::PasteFromClipboard() {
    const QString text = QGuiApplication::clipboard()->text();
    if (!text.isEmpty())
        InsertText(text);
}

void TcxMaskEdit::CutSelection() {
    if (!hasSelectedText() || echoMode() != Normal)
        return;
    QGuiApplication::clipboard()->setText(selectedText());
    if (!isReadOnly())
        DeleteSelection();
}

void TcxMaskEdit::DeleteSelection() {
    Perform(!Masking() || mode_->HandleDelete(), &QLineEdit::del);
}

// The composition stays on show as the edit draws it; only committed text
// reaches the field, and it goes through the mask as typed text does.
void TcxMaskEdit::inputMethodEvent(QInputMethodEvent* event) {
    Guard([&] {
        const bool replaces = event->replacementStart() != 0 || event->replacementLength() > 0;
        if (isReadOnly() || (event->commitString().isEmpty() && !replaces)) {
            QLineEdit::inputMethodEvent(event);
            return;
        }
        if (replaces) {
            const int size = static_cast<int>(text().size());
            const int from = std::clamp(cursorPosition() + event->replacementStart(), 0, size);
            OwnEdit edit(*this);
            setSelection(from, std::min(event->replacementLength(), size - from));
        }
        if (event->commitString().isEmpty())
            DeleteSelection();
        else
            TypeText(event->commitString());
        QInputMethodEvent composing(event->preeditString(), event->attributes());
        QLineEdit::inputMethodEvent(&composing);
        event->accept();
    });
}

void TcxMaskEdit::mousePressEvent(QMouseEvent* event) {
    Guard([&] {
        if (mode_ && event->button() == Qt::LeftButton)
            mode_->NoteMouseCaret();
        QLineEdit::mousePressEvent(event);
    });
}

void TcxMaskEdit::mouseMoveEvent(QMouseEvent* event) {
    Guard([&] {
        if (mode_ && (event->buttons() & Qt::LeftButton))
            mode_->NoteMouseCaret();
        QLineEdit::mouseMoveEvent(event);
    });
}

// The middle button pastes the X11 selection, through the mask like any paste.
void TcxMaskEdit::mouseReleaseEvent(QMouseEvent* event) {
    Guard([&] {
        QClipboard* clipboard = QGuiApplication::clipboard();
        if (event->button() != Qt::MiddleButton || !clipboard->supportsSelection() ||
            isReadOnly()) {
            QLineEdit::mouseReleaseEvent(event);
            return;
        }
        deselect();
        InsertText(clipboard->text(QClipboard::Selection));
    });
}

void TcxMaskEdit::mouseDoubleClickEvent(QMouseEvent* event) {
    Guard([&] {
        if (Masking())
            mode_->ConsumeToEnd();
        QLineEdit::mouseDoubleClickEvent(event);
    });
}

// Dropped text is inserted where it lands, as a paste. When the mask drops
// some of it, the drop is a copy, so that a move leaves the source its text.
// A move within the field is the edit's own; whatever it leaves is held to
// the mask afterwards.
void TcxMaskEdit::dropEvent(QDropEvent* event) {
    Guard([&] {
        const QMimeData* data = event->mimeData();
        const bool moveWithin = event->source() == this && event->dropAction() == Qt::MoveAction;
        if (isReadOnly() || moveWithin || !data->hasText()) {
            QLineEdit::dropEvent(event);
            return;
        }
        {
            OwnEdit edit(*this);
            setCursorPosition(cursorPositionAt(event->position().toPoint()));
        }
        if (InsertText(data->text())) {
            event->acceptProposedAction();
        } else {
            event->setDropAction(Qt::CopyAction);
            event->accept();
        }
        // The edit hides its drop marker when the drag leaves.
        QDragLeaveEvent leave;
        QLineEdit::dragLeaveEvent(&leave);
    });
}

void TcxMaskEdit::contextMenuEvent(QContextMenuEvent* event) {
    Guard([&] {
        QMenu* menu = createStandardContextMenu();
        menu->setAttribute(Qt::WA_DeleteOnClose);
        RouteClipboardActions(*menu);
        menu->popup(event->globalPos());
    });
}

// The menu's Paste and Cut go through the field as the keys do. The actions
// are known by their captions, which the edit takes from its translations.
void TcxMaskEdit::RouteClipboardActions(QMenu& menu) {
    for (QAction* action : menu.actions()) {
        const QString caption = action->text().section(u'\t', 0, 0);
        void (TcxMaskEdit::*handler)() = nullptr;
        if (caption == QLineEdit::tr("&Paste"))
            handler = &TcxMaskEdit::PasteFromClipboard;
        else if (caption == QLineEdit::tr("Cu&t"))
            handler = &TcxMaskEdit::CutSelection;
        if (!handler)
            continue;
        disconnect(action, &QAction::triggered, this, nullptr);
        connect(action, &QAction::triggered, this, Guarded(this, handler));
    }
}
