#include "MemoDocument.h"

#include <stdexcept>

namespace {

// Frees the bytes; assigning an empty string would keep the allocation.
void Release(std::string& bytes) {
    std::string().swap(bytes);
}

} // namespace

void MemoDocument::Reset(std::string_view bytes) {
    TextBuffer::Builder text;
    text.Append(bytes);
    Reset(std::move(text));
}

void MemoDocument::Reset(TextBuffer::Builder&& text) {
    steps_.clear();
    done_ = 0;
    text_.Assign(std::move(text));
}

// Typing extends an insertion it continues, unless that ended a line;
// a deletion extends a deletion it borders on either side (Backspace before
// it, Delete after it).
bool MemoDocument::Extends(Command command, std::uint64_t offset, std::uint64_t removed,
                           std::uint64_t added) const {
    if (done_ == 0 || command == Command::Other)
        return false;
    const Step& step = steps_[done_ - 1];
    const Record& last = step.edits.back();
    if (command == Command::Typing) {
        return removed == 0 && last.added > 0 && offset == last.offset + last.added &&
               text_.ByteAt(offset - 1) != '\n';
    }
    return added == 0 && last.added == 0 && step.command == Command::Deleting &&
           (offset + removed == last.offset || offset == last.offset);
}

TextChange MemoDocument::Edit(Command command, std::uint64_t offset, std::uint64_t removed,
                              std::string_view inserted, bool continueStep,
                              const Observer& applied) {
    if (offset > text_.Size() || removed > text_.Size() - offset)
        throw std::out_of_range("MemoDocument::Edit");
    const std::uint64_t added = inserted.size();
    if (removed == 0 && added == 0)
        return {offset, 0, 0};
    std::string removedBytes = text_.Copy(offset, removed);
    // Line breaks typed or deleted are steps of their own, as are the
    // edits right after them.
    if (removedBytes.find('\n') != std::string::npos ||
        (command == Command::Typing && inserted.find('\n') != inserted.npos))
        command = Command::Other;
    const bool extends = Extends(command, offset, removed, added);
    text_.Replace(offset, removed, inserted);

    steps_.resize(done_);
    std::string_view removedView = removedBytes;
    if (extends) {
        Record& last = steps_.back().edits.back();
        if (command == Command::Typing) {
            last.added += added;
        } else if (offset == last.offset) {
            last.removedBytes += removedBytes;
            last.removed += removed;
        } else {
            last.removedBytes.insert(0, removedBytes);
            last.removed += removed;
            last.offset = offset;
        }
    } else {
        Record edit{offset, removed, added, std::move(removedBytes), {}};
        if (!continueStep || done_ == 0)
            steps_.push_back({command, {}});
        steps_.back().edits.push_back(std::move(edit));
        removedView = steps_.back().edits.back().removedBytes;
    }
    done_ = steps_.size();
    // Last, when the history is whole again: the observer may edit in turn.
    if (applied)
        applied({offset, removed, added}, removedView);
    return {offset, removed, added};
}

MemoDocument::Replay MemoDocument::Undo(const Observer& applied) {
    Replay replay;
    if (!CanUndo())
        return replay;
    Step& step = steps_[--done_];
    for (auto edit = step.edits.rbegin(); edit != step.edits.rend(); ++edit) {
        edit->addedBytes = text_.Copy(edit->offset, edit->added);
        text_.Replace(edit->offset, edit->added, edit->removedBytes);
        Release(edit->removedBytes);
        replay.changes.push_back({edit->offset, edit->added, edit->removed});
        replay.cursor = edit->offset + edit->removed;
        if (applied)
            applied(replay.changes.back(), edit->addedBytes);
    }
    return replay;
}

MemoDocument::Replay MemoDocument::Redo(const Observer& applied) {
    Replay replay;
    if (!CanRedo())
        return replay;
    Step& step = steps_[done_++];
    for (Record& edit : step.edits) {
        edit.removedBytes = text_.Copy(edit.offset, edit.removed);
        text_.Replace(edit.offset, edit.removed, edit.addedBytes);
        Release(edit.addedBytes);
        replay.changes.push_back({edit.offset, edit.removed, edit.added});
        replay.cursor = edit.offset + edit.added;
        if (applied)
            applied(replay.changes.back(), edit.removedBytes);
    }
    return replay;
}

std::size_t MemoDocument::HistoryBytes() const {
    std::size_t bytes = 0;
    for (const Step& step : steps_)
        for (const Record& edit : step.edits)
            bytes += edit.removedBytes.capacity() + edit.addedBytes.capacity();
    return bytes;
}
