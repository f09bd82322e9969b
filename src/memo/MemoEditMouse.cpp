// MemoEdit: what comes in from the mouse, the clipboard and drag and drop.
// Every handler runs under the guard, so that no error crosses Qt's event loop.
#include "MemoEdit.h"

#include "WordMotion.h"
#include "errorreport.h"
#include "memocodec.h"
#include "memotext.h"

#include <QApplication>
#include <QClipboard>
#include <QDrag>
#include <QDropEvent>
#include <QInputMethod>
#include <QMimeData>
#include <QMouseEvent>
#include <QStyleHints>

namespace {

// The memo text itself travels beside the plain text, so that copying and
// pasting within the program keeps every byte, even those not UTF-8.
const QString kMemoBytesFormat = QStringLiteral("application/x-quenfold-memo-bytes");

} // namespace

// ---------------------------------------------------------------- mouse

void MemoEdit::mousePressEvent(QMouseEvent* event) {
    Guard([&] {
        // A click elsewhere ends the input method's composing, as text.
        if (!preedit_.isEmpty())
            QGuiApplication::inputMethod()->commit();
        const QPoint point = event->position().toPoint();
        const std::uint64_t offset = OffsetAtPoint(point);
        if (event->button() == Qt::MiddleButton) {
            QClipboard* clipboard = QGuiApplication::clipboard();
            if (clipboard->supportsSelection()) {
                SetSelection(offset, offset);
                InsertFromMime(clipboard->mimeData(QClipboard::Selection));
            }
            return;
        }
        if (event->button() != Qt::LeftButton)
            return;
        pressPoint_ = lastMousePoint_ = point;
        const bool shift = event->modifiers() & Qt::ShiftModifier;
        const auto [from, to] = std::minmax(anchor_, cursor_);
        if (tripleClick_.isValid() &&
            tripleClick_.elapsed() < QGuiApplication::styleHints()->mouseDoubleClickInterval() &&
            (point - doubleClickPoint_).manhattanLength() < QApplication::startDragDistance()) {
            // A third click selects the row.
            tripleClick_.invalidate();
            SetSelection(RowStartOf(offset), RowEndOf(offset));
            selecting_ = true;
            selectingWords_ = false;
            return;
        }
        if (!shift && from < to && offset > from && offset < to) {
            mayDrag_ = true;
            return;
        }
        selecting_ = true;
        selectingWords_ = false;
        SetSelection(shift ? anchor_ : offset, offset);
    });
}

void MemoEdit::mouseDoubleClickEvent(QMouseEvent* event) {
    Guard([&] {
        if (event->button() != Qt::LeftButton)
            return;
        const QPoint point = event->position().toPoint();
        wordAnchor_ = WordAround(Text(), OffsetAtPoint(point));
        SetSelection(wordAnchor_.first, wordAnchor_.second);
        selecting_ = selectingWords_ = true;
        mayDrag_ = false;
        tripleClick_.start();
        doubleClickPoint_ = point;
        UpdateX11Selection();
    });
}

void MemoEdit::mouseMoveEvent(QMouseEvent* event) {
    Guard([&] {
        lastMousePoint_ = event->position().toPoint();
        if (mayDrag_ && (event->buttons() & Qt::LeftButton) &&
            (lastMousePoint_ - pressPoint_).manhattanLength() >=
                QApplication::startDragDistance()) {
            mayDrag_ = false;
            StartDrag();
            return;
        }
        if (!selecting_ || !(event->buttons() & Qt::LeftButton))
            return;
        const bool outside = lastMousePoint_.y() < 0 || lastMousePoint_.y() >= viewport()->height();
        if (outside && !scrollTimer_.isActive())
            scrollTimer_.start(50, this);
        else if (!outside)
            scrollTimer_.stop();
        ExtendSelectionTo(OffsetAtPoint(lastMousePoint_));
    });
}

void MemoEdit::ExtendSelectionTo(std::uint64_t offset) {
    if (!selectingWords_) {
        SetSelection(anchor_, offset);
        return;
    }
    const auto word = WordAround(Text(), offset);
    if (offset < wordAnchor_.first)
        SetSelection(wordAnchor_.second, word.first);
    else
        SetSelection(wordAnchor_.first, std::max(word.second, wordAnchor_.second));
}

void MemoEdit::AutoScroll() {
    const int y = lastMousePoint_.y();
    const std::uint64_t top = wrap_->RowContaining(topOffset_).index;
    if (y < 0 && top > 0)
        ScrollToRow(top - 1);
    else if (y >= viewport()->height())
        ScrollToRow(top + 1);
    UpdateScrollBar();
    ExtendSelectionTo(OffsetAtPoint(lastMousePoint_));
}

void MemoEdit::mouseReleaseEvent(QMouseEvent* event) {
    Guard([&] {
        scrollTimer_.stop();
        if (event->button() != Qt::LeftButton)
            return;
        if (mayDrag_) {
            // Pressed in the selection and let go without dragging: a click.
            const std::uint64_t offset = OffsetAtPoint(event->position().toPoint());
            SetSelection(offset, offset);
        }
        mayDrag_ = false;
        if (selecting_)
            UpdateX11Selection();
        selecting_ = false;
    });
}

// ---------------------------------------------------------------- clipboard

QMimeData* MemoEdit::MimeFor(const std::string& bytes) const {
    auto* mime = new QMimeData;
    mime->setText(DecodeMemoText(bytes));
    mime->setData(kMemoBytesFormat, QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
    return mime;
}

std::string MemoEdit::BytesFrom(const QMimeData* mime) {
    if (!mime)
        return {};
    if (mime->hasFormat(kMemoBytesFormat))
        return memocodec::MemoTextOf(mime->data(kMemoBytesFormat).toStdString());
    return mime->hasText() ? MemoBytesOf(mime->text()) : std::string();
}

void MemoEdit::InsertFromMime(const QMimeData* mime) {
    InsertBytes(BytesFrom(mime), MemoDocument::Command::Other);
}

void MemoEdit::copy() {
    Guard([&] {
        if (HasSelection())
            QGuiApplication::clipboard()->setMimeData(MimeFor(SelectedBytes()));
    });
}

void MemoEdit::cut() {
    Guard([&] {
        if (!HasSelection())
            return;
        QGuiApplication::clipboard()->setMimeData(MimeFor(SelectedBytes()));
        DeleteSelection();
    });
}

void MemoEdit::paste() {
    Guard([&] { InsertFromMime(QGuiApplication::clipboard()->mimeData()); });
}

// ---------------------------------------------------------------- drag and drop

void MemoEdit::StartDrag() {
    const auto [from, to] = std::minmax(anchor_, cursor_);
    auto* drag = new QDrag(this);
    drag->setMimeData(MimeFor(SelectedBytes()));
    const Qt::DropAction action = drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::MoveAction);
    // A move into another widget takes the text from here; a move within the
    // memo has been made whole by the drop.
    const QObject* target = drag->target();
    if (action == Qt::MoveAction && target != viewport() && target != this && to <= Text().Size()) {
        Replace(MemoDocument::Command::Other, from, to, {});
        SetSelection(from, from);
    }
}

void MemoEdit::dragEnterEvent(QDragEnterEvent* event) {
    Guard([&] {
        const QMimeData* mime = event->mimeData();
        if (mime->hasText() || mime->hasFormat(kMemoBytesFormat))
            event->acceptProposedAction();
        else
            event->ignore();
    });
}

void MemoEdit::dragMoveEvent(QDragMoveEvent* event) {
    Guard([&] {
        const QPoint point = event->position().toPoint();
        const std::uint64_t offset = OffsetAtPoint(point);
        const auto [from, to] = std::minmax(anchor_, cursor_);
        // Text cannot be dropped into itself.
        if (event->source() == this && offset > from && offset < to) {
            dropOffset_.reset();
            event->ignore();
        } else {
            dropOffset_ = offset;
            event->acceptProposedAction();
        }
        if (point.y() < LineHeight() || point.y() > viewport()->height() - LineHeight()) {
            lastMousePoint_ = point;
            const std::uint64_t top = wrap_->RowContaining(topOffset_).index;
            ScrollToRow(point.y() < LineHeight() && top > 0 ? top - 1 : top + (point.y() > 0));
            UpdateScrollBar();
        }
        viewport()->update();
    });
}

void MemoEdit::dragLeaveEvent(QDragLeaveEvent*) {
    Guard([&] {
        dropOffset_.reset();
        viewport()->update();
    });
}

void MemoEdit::dropEvent(QDropEvent* event) {
    Guard([&] {
        dropOffset_.reset();
        const std::uint64_t offset = OffsetAtPoint(event->position().toPoint());
        const std::string bytes = BytesFrom(event->mimeData());
        const auto [from, to] = std::minmax(anchor_, cursor_);
        const bool move = event->source() == this && event->dropAction() == Qt::MoveAction;
        if (move && offset >= from && offset <= to) {
            event->ignore();
            return;
        }
        // A move within the memo is one step: the text leaves and arrives.
        std::uint64_t at = offset;
        if (move && offset > to) {
            Replace(MemoDocument::Command::Other, offset, offset, bytes);
            Replace(MemoDocument::Command::Other, from, to, {}, true);
            at = offset - (to - from);
        } else if (move) {
            Replace(MemoDocument::Command::Other, from, to, {});
            Replace(MemoDocument::Command::Other, offset, offset, bytes, true);
        } else {
            Replace(MemoDocument::Command::Other, offset, offset, bytes);
        }
        SetSelection(at, at + bytes.size());
        event->acceptProposedAction();
        setFocus();
    });
}
