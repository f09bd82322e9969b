#include "MemoEdit.h"

#include "MemoAccessible.h"
#include "RowLayout.h"
#include "WordMotion.h"
#include "errorreport.h"
#include "memocodec.h"
#include "memotext.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QFontMetricsF>
#include <QScrollBar>
#include <QTextBoundaryFinder>

#include <algorithm>
#include <cmath>

namespace {

// A stretch of the text as UTF-16, with the byte offset of each unit.
struct Stretch {
    Stretch(const TextBuffer& text, std::uint64_t from, std::uint64_t to) {
        const std::string bytes = text.Copy(from, to - from);
        const auto* const data = reinterpret_cast<const unsigned char*>(bytes.data());
        for (std::size_t i = 0; i < bytes.size();) {
            const memocodec::MemoChar c = memocodec::ReadMemoChar(data + i, data + bytes.size());
            units += QChar::fromUcs4(c.code);
            offsets.insert(offsets.end(), static_cast<std::size_t>(c.units), from + i);
            i += static_cast<std::size_t>(c.bytes);
        }
        offsets.push_back(to);
    }
    QString units;
    std::vector<std::uint64_t> offsets;
};

} // namespace

std::string MemoEdit::MemoBytesOf(const QString& text) {
    return memocodec::MemoTextOf(memocodec::Encode(reinterpret_cast<const char16_t*>(text.utf16()),
                                                   static_cast<std::size_t>(text.size()), true));
}

MemoEdit::MemoEdit(QWidget* parent)
    : QAbstractScrollArea(parent), advances_(std::make_unique<Advances>(MeasureWith(font()))),
      wrap_(std::make_unique<WrapIndex>(document_.Text(), *advances_)) {
    InstallMemoAccessibility();
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setAcceptDrops(true);
    setAcceptDrops(true);
    setAttribute(Qt::WA_InputMethodEnabled);
    setAttribute(Qt::WA_KeyCompression, false);
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    verticalScrollBar()->setSingleStep(1);
    UpdateGeometry();
}

MemoEdit::~MemoEdit() = default;

// ---------------------------------------------------------------- text

QString MemoEdit::toPlainText() const {
    // As a text document gives its plain text.
    return DecodeMemoText(Text().Text()).replace(QChar(0x00A0), QLatin1Char(' '));
}

void MemoEdit::setPlainText(const QString& text) {
    Guard([&] {
        const std::string bytes = MemoBytesOf(text);
        CheckMemoCapacity(bytes.size());
        SetText(bytes);
    });
}

int MemoEdit::blockCount() const {
    return static_cast<int>(Text().LineBreaks() + 1);
}

void MemoEdit::SetText(std::string_view memoText) {
    TextBuffer::Builder text;
    text.Append(memoText);
    SetText(std::move(text));
}

void MemoEdit::SetText(TextBuffer::Builder&& memoText) {
    const std::uint64_t unitsBefore = Text().Units();
    const std::uint64_t bytesBefore = Text().Size();
    // Only a screen reader is told what went; only then is it kept.
    const std::string old = QAccessible::isActive() ? Text().Text() : std::string();
    document_.Reset(std::move(memoText));
    anchor_ = cursor_ = 0;
    topOffset_ = 0;
    preferredX_.reset();
    wrap_->Reset();
    emit contentsChange(0, static_cast<int>(unitsBefore), static_cast<int>(Text().Units()));
    emit bytesChanged(0, bytesBefore, Text().Size());
    NotifyAccessibleChanged(*this, 0, old, Text().Units());
    emit textChanged();
    SelectionMaybeChanged(anchor_ + 1, cursor_ + 1);
    HistoryChanged();
    Relayout();
}

void MemoEdit::clear() {
    SetText(std::string_view());
}

int MemoEdit::PositionOf(std::uint64_t offset) const {
    return static_cast<int>(Text().UnitsBefore(offset));
}

std::uint64_t MemoEdit::OffsetOf(int position) const {
    return Text().OffsetOfUnit(static_cast<std::uint64_t>(std::max(position, 0)));
}

QString MemoEdit::TextBetween(int start, int end) const {
    const std::uint64_t from = OffsetOf(start);
    return DecodeMemoText(Text().Copy(from, OffsetOf(end) - from))
        .replace(QLatin1Char('\n'), QChar(QChar::ParagraphSeparator));
}

MemoCursor MemoEdit::textCursor() const {
    return MemoCursor(this, PositionOf(anchor_), PositionOf(cursor_));
}

void MemoEdit::setTextCursor(const MemoCursor& cursor) {
    SelectBytes(OffsetOf(cursor.anchor()), OffsetOf(cursor.position()));
    EnsureVisible(cursor_);
}

void MemoEdit::SelectBytes(std::uint64_t anchor, std::uint64_t position) {
    SetSelection(std::min(anchor, Text().Size()), std::min(position, Text().Size()));
}

// ---------------------------------------------------------------- editing

void MemoEdit::Replace(MemoDocument::Command command, std::uint64_t from, std::uint64_t to,
                       std::string_view bytes, bool continueStep) {
    CheckMemoCapacity(Text().Size() - (to - from) + bytes.size());
    preferredX_.reset();
    document_.Edit(command, from, to - from, bytes, continueStep, ChangeObserver());
    HistoryChanged();
}

// Reports each change of the text as it is made, with the units the text had
// just before it: to the wrap, and as characters to whoever follows the text's
// positions. Where bytes around a change come to read as other characters,
// those count as changed too.
MemoDocument::Observer MemoEdit::ChangeObserver() {
    return [this, unitsBefore = Text().Units()](const TextChange& change,
                                                std::string_view removedBytes) mutable {
        Changed(change, removedBytes, unitsBefore);
        unitsBefore = Text().Units();
    };
}

void MemoEdit::Changed(const TextChange& change, std::string_view removedBytes,
                       std::uint64_t unitsBefore) {
    wrap_->Edited(change);
    const TextBuffer& text = Text();
    std::uint64_t from = change.offset;
    if (from > 0 && text.ByteAt(from - 1) >= 0x80) {
        for (std::uint64_t back = 1; back <= 4 && back <= change.offset; ++back) {
            from = change.offset - back;
            if (!memocodec::IsContinuation(text.ByteAt(from)))
                break;
        }
    }
    std::uint64_t to = change.offset + change.added;
    for (int ahead = 0; ahead < 3 && to < text.Size() && memocodec::IsContinuation(text.ByteAt(to));
         ++ahead)
        ++to;
    const std::uint64_t position = text.UnitsBefore(from);
    const std::uint64_t added = text.UnitsBefore(to) - position;
    const std::uint64_t removed = added + unitsBefore - text.Units();
    if (topOffset_ > change.offset)
        topOffset_ = topOffset_ >= change.offset + change.removed
                         ? topOffset_ + change.added - change.removed
                         : change.offset;
    emit contentsChange(static_cast<int>(position), static_cast<int>(removed),
                        static_cast<int>(added));
    emit bytesChanged(change.offset, change.removed, change.added);
    NotifyAccessibleChanged(*this, text.UnitsBefore(change.offset), removedBytes,
                            text.UnitsBefore(change.offset + change.added) -
                                text.UnitsBefore(change.offset));
    emit textChanged();
    Relayout();
}

void MemoEdit::Replay(const MemoDocument::Replay& replay) {
    if (replay.changes.empty())
        return;
    SetSelection(replay.cursor, replay.cursor);
    EnsureVisible(cursor_);
    HistoryChanged();
}

void MemoEdit::undo() {
    Guard([&] { Replay(document_.Undo(ChangeObserver())); });
}

void MemoEdit::redo() {
    Guard([&] { Replay(document_.Redo(ChangeObserver())); });
}

void MemoEdit::HistoryChanged() {
    emit undoAvailable(document_.CanUndo());
    emit redoAvailable(document_.CanRedo());
}

void MemoEdit::InsertText(const QString& text, MemoDocument::Command command) {
    InsertBytes(MemoBytesOf(text), command);
}

void MemoEdit::InsertBytes(std::string_view bytes, MemoDocument::Command command) {
    const std::uint64_t from = std::min(anchor_, cursor_);
    const std::uint64_t to = std::max(anchor_, cursor_);
    if (bytes.empty() && from == to)
        return;
    Replace(command, from, to, bytes);
    SetSelection(from + bytes.size(), from + bytes.size());
    EnsureVisible(cursor_);
}

void MemoEdit::DeleteSelection() {
    const std::uint64_t from = std::min(anchor_, cursor_);
    Replace(MemoDocument::Command::Other, from, std::max(anchor_, cursor_), {});
    SetSelection(from, from);
    EnsureVisible(cursor_);
}

void MemoEdit::DeleteBackward(bool word) {
    if (HasSelection())
        return DeleteSelection();
    const std::uint64_t from = word ? PreviousWord(Text(), cursor_) : Text().PreviousChar(cursor_);
    if (from == cursor_)
        return;
    // A word deleted is a step of its own; characters deleted one by one join.
    Replace(word ? MemoDocument::Command::Other : MemoDocument::Command::Deleting, from, cursor_,
            {});
    SetSelection(from, from);
    EnsureVisible(cursor_);
}

void MemoEdit::DeleteForward(bool word) {
    if (HasSelection())
        return DeleteSelection();
    const std::uint64_t to = word ? NextWord(Text(), cursor_) : NextGrapheme(cursor_);
    if (to == cursor_)
        return;
    Replace(word ? MemoDocument::Command::Other : MemoDocument::Command::Deleting, cursor_, to, {});
    SetSelection(cursor_, cursor_);
    EnsureVisible(cursor_);
}

void MemoEdit::ReplaceText(int start, int end, const QString& text) {
    const std::uint64_t from = OffsetOf(std::min(start, end));
    const std::uint64_t to = OffsetOf(std::max(start, end));
    const std::string bytes = MemoBytesOf(text);
    Replace(MemoDocument::Command::Other, from, to, bytes);
    SetSelection(from + bytes.size(), from + bytes.size());
}

// ---------------------------------------------------------------- selection

void MemoEdit::SetSelection(std::uint64_t anchor, std::uint64_t cursor) {
    // Any other placing of the caret, even where it is, ends a run of vertical moves.
    if (!verticalMove_)
        preferredX_.reset();
    const std::uint64_t oldAnchor = anchor_;
    const std::uint64_t oldCursor = cursor_;
    anchor_ = anchor;
    cursor_ = cursor;
    SelectionMaybeChanged(oldAnchor, oldCursor);
}

void MemoEdit::SelectionMaybeChanged(std::uint64_t oldAnchor, std::uint64_t oldCursor) {
    const bool hadSelection = oldAnchor != oldCursor;
    if (oldCursor != cursor_) {
        emit cursorPositionChanged();
        NotifyAccessibleCursor(*this);
    }
    if (std::minmax(oldAnchor, oldCursor) != std::minmax(anchor_, cursor_) &&
        (hadSelection || HasSelection())) {
        emit selectionChanged();
        NotifyAccessibleSelection(*this);
    }
    if (hadSelection != HasSelection())
        emit copyAvailable(HasSelection());
    RestartBlink();
    viewport()->update();
}

void MemoEdit::MoveCursor(std::uint64_t offset, bool keepAnchor) {
    SetSelection(keepAnchor ? anchor_ : offset, offset);
    EnsureVisible(cursor_);
}

void MemoEdit::selectAll() {
    SetSelection(0, Text().Size());
    UpdateX11Selection();
}

std::string MemoEdit::SelectedBytes() const {
    const std::uint64_t from = std::min(anchor_, cursor_);
    return Text().Copy(from, std::max(anchor_, cursor_) - from);
}

// Boundaries between user-perceived characters, found in the text near
// offset: a combining mark goes with the letter before it.
std::uint64_t MemoEdit::NextGrapheme(std::uint64_t offset) const {
    const std::uint64_t next = Text().NextChar(offset);
    const Stretch near(Text(), offset, Text().CharStart(std::min(Text().Size(), offset + 64)));
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, near.units);
    const qsizetype unit = finder.toNextBoundary();
    return unit <= 0 ? next : std::max(next, near.offsets[static_cast<std::size_t>(unit)]);
}

std::uint64_t MemoEdit::PreviousGrapheme(std::uint64_t offset) const {
    const std::uint64_t previous = Text().PreviousChar(offset);
    const Stretch near(Text(), Text().CharStart(offset > 64 ? offset - 64 : 0), offset);
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, near.units);
    finder.toEnd();
    const qsizetype unit = finder.toPreviousBoundary();
    return unit < 0 ? previous : std::min(previous, near.offsets[static_cast<std::size_t>(unit)]);
}

void MemoEdit::UpdateX11Selection() {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (HasSelection() && clipboard->supportsSelection())
        clipboard->setMimeData(MimeFor(SelectedBytes()), QClipboard::Selection);
}
