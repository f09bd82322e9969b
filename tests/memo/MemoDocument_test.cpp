#include "MemoDocument.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

// A change says truly what moved: the text around it is the same before and after.
void ExpectChangeBetween(const TextChange& c, const std::string& before, const std::string& after) {
    ASSERT_EQ(before.size() - c.removed + c.added, after.size());
    ASSERT_EQ(before.substr(0, c.offset), after.substr(0, c.offset));
    ASSERT_EQ(before.substr(c.offset + c.removed), after.substr(c.offset + c.added));
}

struct Session {
    MemoDocument doc;
    std::string text;

    void Edit(std::mt19937& rng) {
        static const MemoDocument::Command kCommands[] = {MemoDocument::Command::Typing,
                                                          MemoDocument::Command::Deleting,
                                                          MemoDocument::Command::Other};
        const auto command = kCommands[rng() % 3];
        const std::uint64_t offset = rng() % (text.size() + 1);
        const std::uint64_t removed = std::min<std::uint64_t>(rng() % 4, text.size() - offset);
        const std::string inserted(command == MemoDocument::Command::Deleting ? 0 : rng() % 3,
                                   "ab\n"[rng() % 3]);
        const std::string before = text;
        const TextChange c = doc.Edit(command, offset, removed, inserted, rng() % 8 == 0);
        text.replace(offset, removed, inserted);
        ASSERT_EQ(doc.Text().Text(), text);
        ExpectChangeBetween(c, before, text);
    }
    void Replay(const MemoDocument::Replay& replay, const std::string& before) {
        // A replay of several changes is checked as a whole: its sizes and
        // its cursor; a single change also as text.
        std::int64_t growth = 0;
        for (const TextChange& c : replay.changes)
            growth += static_cast<std::int64_t>(c.added) - static_cast<std::int64_t>(c.removed);
        text = doc.Text().Text();
        ASSERT_EQ(static_cast<std::int64_t>(before.size()) + growth,
                  static_cast<std::int64_t>(text.size()));
        ASSERT_LE(replay.cursor, text.size());
        if (replay.changes.size() == 1)
            ExpectChangeBetween(replay.changes.front(), before, text);
    }
};

} // namespace

// Whatever the edits and however they merged, undoing all of them gives
// back the first text and redoing all of them the last.
TEST(MemoDocument, UndoAndRedoRetraceRandomEdits) {
    std::mt19937 rng(11);
    for (int round = 0; round < 300; ++round) {
        Session s;
        s.text = std::string(rng() % 20, 'x');
        s.doc.Reset(s.text);
        const std::string first = s.text;
        for (int i = rng() % 30; i > 0; --i)
            s.Edit(rng);
        for (int i = rng() % 6; i > 0; --i) {
            const std::string before = s.text;
            s.Replay(rng() % 2 ? s.doc.Undo() : s.doc.Redo(), before);
        }
        for (int i = rng() % 5; i > 0; --i)
            s.Edit(rng);
        while (s.doc.CanRedo()) {
            const std::string before = s.text;
            s.Replay(s.doc.Redo(), before);
        }
        const std::string last = s.text;
        while (s.doc.CanUndo()) {
            const std::string before = s.text;
            s.Replay(s.doc.Undo(), before);
        }
        ASSERT_EQ(s.text, first);
        while (s.doc.CanRedo()) {
            const std::string before = s.text;
            s.Replay(s.doc.Redo(), before);
        }
        ASSERT_EQ(s.text, last);
    }
}

// Typing runs and Backspace runs go back at once; a typed line break, or a
// deletion after typing, starts a step of its own.
TEST(MemoDocument, StepsMergeAsTypingAndDeletingDo) {
    using C = MemoDocument::Command;
    MemoDocument doc;
    doc.Reset("abcdef");
    doc.Edit(C::Typing, 1, 0, "X");
    doc.Edit(C::Typing, 2, 0, "Y");
    doc.Edit(C::Typing, 3, 0, "\r\n");
    doc.Edit(C::Typing, 5, 0, "Z");
    doc.Edit(C::Deleting, 6, 1, ""); // Delete
    doc.Edit(C::Deleting, 5, 1, ""); // Backspace before it
    doc.Edit(C::Deleting, 5, 1, ""); // Delete after it
    EXPECT_EQ(doc.Text().Text(), "aXY\r\ndef");

    MemoDocument::Replay replay = doc.Undo();
    EXPECT_EQ(doc.Text().Text(), "aXY\r\nZbcdef");
    EXPECT_EQ(replay.cursor, 8u); // after what came back
    doc.Undo();
    EXPECT_EQ(doc.Text().Text(), "aXY\r\nbcdef");
    doc.Undo();
    EXPECT_EQ(doc.Text().Text(), "aXYbcdef");
    replay = doc.Undo();
    EXPECT_EQ(doc.Text().Text(), "abcdef");
    EXPECT_EQ(replay.cursor, 1u);
    EXPECT_FALSE(doc.CanUndo());
    replay = doc.Redo();
    EXPECT_EQ(doc.Text().Text(), "aXYbcdef");
    EXPECT_EQ(replay.cursor, 3u);
    EXPECT_EQ(replay.changes, (std::vector<TextChange>{{1, 0, 2}}));
}

// The history holds only bytes that are out of the text.
TEST(MemoDocument, HistoryHoldsOnlyWhatLeftTheText) {
    MemoDocument doc;
    doc.Reset(std::string(1 << 20, 'a'));
    doc.Edit(MemoDocument::Command::Other, 0, 0, std::string(1 << 20, 'b'));
    EXPECT_LT(doc.HistoryBytes(), 64u);
    doc.Edit(MemoDocument::Command::Other, 0, 1 << 21, "");
    EXPECT_GE(doc.HistoryBytes(), 2u << 20);
    doc.Undo();
    EXPECT_LT(doc.HistoryBytes(), 64u);
    doc.Undo();
    EXPECT_GE(doc.HistoryBytes(), 1u << 20);
    EXPECT_LT(doc.HistoryBytes(), (1u << 20) + 64);
}
