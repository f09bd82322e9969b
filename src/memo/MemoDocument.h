// The memo's text with its undo history.
//
// Each command is one undo step, except that typing continues the step of
// the insertion it extends, and a deletion the step of the deletion it
// borders, as a user expects of an editor: a typed word, or a run of
// Backspace, goes back at once. The history keeps only bytes that are out of
// the text: what an edit removed, and what an undo took away again.
#pragma once

#include "TextBuffer.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// removed bytes at offset became added bytes.
struct TextChange {
    std::uint64_t offset;
    std::uint64_t removed;
    std::uint64_t added;
    bool operator==(const TextChange&) const = default;
};

class MemoDocument {
public:
    enum class Command {
        Typing,   // typed text, which may replace a selection
        Deleting, // one Backspace or Delete without a selection
        Other,    // anything else: a step of its own
    };

    const TextBuffer& Text() const { return text_; }

    // Replaces the whole text and forgets the history.
    void Reset(std::string_view bytes);
    void Reset(TextBuffer::Builder&& text);

    // applied(change, removedBytes), if given, runs after each change is made.
    using Observer = std::function<void(const TextChange&, std::string_view)>;

    // Replaces removed bytes at offset with inserted. continueStep adds the
    // edit to the step of the previous one, for commands of several edits.
    TextChange Edit(Command command, std::uint64_t offset, std::uint64_t removed,
                    std::string_view inserted, bool continueStep = false,
                    const Observer& applied = {});

    // Undoing or redoing a step: its changes in the order they were made, and
    // where the cursor goes (the end of what the last change put back).
    struct Replay {
        std::vector<TextChange> changes;
        std::uint64_t cursor = 0;
    };
    Replay Undo(const Observer& applied = {});
    Replay Redo(const Observer& applied = {});
    bool CanUndo() const { return done_ > 0; }
    bool CanRedo() const { return done_ < steps_.size(); }

    // Bytes the history holds, for the memory budget.
    std::size_t HistoryBytes() const;

private:
    // One edit of a step: removedBytes/addedBytes hold the bytes while they are out of
    // the text (removed ones until an undo, added ones after it).
    struct Record {
        std::uint64_t offset;
        std::uint64_t removed;
        std::uint64_t added;
        std::string removedBytes;
        std::string addedBytes;
    };
    struct Step {
        Command command;
        std::vector<Record> edits;
    };

    bool Extends(Command command, std::uint64_t offset, std::uint64_t removed,
                 std::uint64_t added) const;

    TextBuffer text_;
    std::vector<Step> steps_;
    std::size_t done_ = 0; // steps_[0, done_) are in the text
};
