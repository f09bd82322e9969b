#include "WrapIndex.h"
#include "WrapModel.h"

#include <gtest/gtest.h>

#include <array>
#include <random>
#include <string>
#include <vector>

namespace {

// breakPercent: line breaks among the words; 0 makes one long line.
std::string RandomText(std::mt19937& rng, std::size_t length, int breakPercent) {
    static const char* const kWords[] = {
        "AB",           "0F", "ii",       "word", "\xE4\xB8\xAD",
        "\xE6\x96\x87", ".",  "\xC3\xA9", "\xFF", "xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx"};
    std::string text;
    while (text.size() < length) {
        const auto pick = rng() % 100;
        if (static_cast<int>(pick) < breakPercent)
            text += "\r\n";
        else if (pick < 40)
            text += ' ';
        else if (pick < 42)
            text += '\t';
        else if (pick < 44)
            text += "   ";
        else
            text += kWords[rng() % 10];
    }
    return text;
}

struct Fixture {
    explicit Fixture(const std::string& text, WrapBudgets budgets = {})
        : advances(FakeAdvance), index(buffer, advances, budgets) {
        model = text;
        buffer.Assign(text);
        index.Reset();
        index.SetGeometry(geometry);
    }
    void Edit(std::uint64_t offset, std::uint64_t removed, const std::string& inserted) {
        buffer.Replace(offset, removed, inserted);
        model.replace(offset, removed, inserted);
        index.Edited({offset, removed, inserted.size()});
    }
    WrapIndex::Row ModelRowContaining(std::uint64_t offset) const {
        const std::vector<std::uint64_t> starts = ModelRowStarts(model, geometry);
        std::size_t k = 0;
        while (k + 1 < starts.size() && starts[k + 1] <= offset)
            ++k;
        return {k, starts[k], k + 1 < starts.size() ? starts[k + 1] : model.size() + 1};
    }
    void ExpectSettledLikeModel() {
        while (!index.Settle(1 << 20)) {
        }
        const std::vector<std::uint64_t> starts = ModelRowStarts(model, geometry);
        ASSERT_EQ(index.RowCount(), starts.size());
        WrapIndex::Row row = index.RowAt(0);
        for (std::size_t k = 0; k < starts.size(); ++k) {
            const std::uint64_t end = k + 1 < starts.size() ? starts[k + 1] : model.size() + 1;
            ASSERT_EQ(row, (WrapIndex::Row{k, starts[k], end})) << k;
            ASSERT_TRUE(row.exact);
            ASSERT_EQ(index.RowAt(k), row);
            if (k + 1 < starts.size())
                row = index.NextRow(row);
        }
    }

    TextBuffer buffer;
    Advances advances;
    WrapIndex index;
    std::string model;
    WrapGeometry geometry{500 * kPixel, 48 * kPixel};
};

std::uint64_t RandomBoundary(std::mt19937& rng, const TextBuffer& buffer) {
    return buffer.CharStart(rng() % (buffer.Size() + 1));
}

} // namespace

// Random edits, settling slices and queries; the rows asked for are the
// rows of a full wrap every time, and all of them once settled. Small
// budgets make edits and queries stop short and leave work pending.
TEST(WrapIndex, AgreesWithAFullWrapThroughRandomEdits) {
    std::mt19937 rng(5);
    int exact = 0;
    for (int round = 0; round < 24; ++round) {
        const WrapBudgets small{.edit = 1 + rng() % 3000, .query = rng() % 12000, .slack = 200};
        const int breakPercent = std::array{6, 1, 0}[round % 3];
        Fixture f(RandomText(rng, rng() % 30000, breakPercent), round % 2 ? small : WrapBudgets{});
        f.geometry = {static_cast<std::int32_t>(20 + rng() % 400) * kPixel, 48 * kPixel};
        f.index.SetGeometry(f.geometry);
        for (int step = 0; step < 40; ++step) {
            const std::uint64_t a = RandomBoundary(rng, f.buffer);
            const std::uint64_t b = std::min<std::uint64_t>(
                RandomBoundary(rng, f.buffer), rng() % 2 ? a + rng() % 30 : f.buffer.Size());
            const auto [from, to] = std::minmax(a, std::max(a, b));
            const std::string inserted =
                RandomText(rng, rng() % 3 ? rng() % 5 : rng() % 3000, rng() % 2 ? breakPercent : 3);
            f.Edit(from, f.buffer.CharStart(to) - from, inserted);
            if (rng() % 3 == 0)
                f.index.Settle(rng() % 20000);
            for (int probe = 0; probe < 4; ++probe) {
                // Far from known rows, rows are shown from a nearby start
                // until settled; those the index calls exact are true.
                f.index.RowAt(rng() % (f.index.RowCount() + 2));
                const std::uint64_t offset = RandomBoundary(rng, f.buffer);
                const WrapIndex::Row row = f.index.RowContaining(offset);
                exact += row.exact;
                if (!row.exact)
                    continue;
                const WrapIndex::Row expected = f.ModelRowContaining(offset);
                ASSERT_EQ(row.start, expected.start) << round << ' ' << step;
                ASSERT_EQ(row.end, expected.end) << round << ' ' << step;
            }
        }
        f.ExpectSettledLikeModel();
        if (HasFatalFailure())
            return;
    }
    EXPECT_GT(exact, 24 * 40 * 4 * 9 / 10);
}

// An edit in text of short lines wraps about its own line, and leaves
// nothing to settle.
TEST(WrapIndex, AnEditWrapsOnlyNearItInLines) {
    std::string text;
    for (int line = 0; line < 20000; ++line)
        text += "00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F \r\n";
    Fixture f(text);
    f.geometry = {500 * kPixel, 48 * kPixel};
    f.index.SetGeometry(f.geometry);
    while (!f.index.Settle(1 << 20)) {
    }
    const std::uint64_t before = f.index.WrappedBytes();
    f.Edit(text.size() / 2 + 3, 0, "X");
    EXPECT_TRUE(f.index.Settled());
    EXPECT_LT(f.index.WrappedBytes() - before, 16u << 10);
    EXPECT_EQ(f.index.RowContaining(text.size() / 2), (WrapIndex::Row{10000, 500000, 500051}));
    f.ExpectSettledLikeModel();
}

// On one long line an edit shifts every row after it: the rows near it are
// wrapped at once, the rest in later slices. Rows far from any measured row
// are shown from a start near them, cheaply, and are not called exact.
TEST(WrapIndex, AnEditOnOneLongLineWrapsTheRestLater) {
    std::string text;
    for (int pair = 0; pair < 400000; ++pair)
        text += "AB ";
    Fixture f(text);
    f.geometry = {100 * kPixel, 48 * kPixel}; // 5 pairs and a hanging blank
    f.index.SetGeometry(f.geometry);
    EXPECT_LT(f.index.WrappedBytes(), 1u);
    EXPECT_EQ(f.index.RowContaining(450000).start, 450000u);
    EXPECT_LT(f.index.WrappedBytes(), 450000u + (128u << 10));
    const auto ExpectPlacedNear = [&f](std::uint64_t offset) {
        const std::uint64_t before = f.index.WrappedBytes();
        const WrapIndex::Row row = f.index.RowContaining(offset);
        EXPECT_FALSE(row.exact);
        EXPECT_LE(row.start, offset);
        EXPECT_LT(offset, row.end);
        EXPECT_LT(offset - row.start, 64u);
        EXPECT_LT(f.index.WrappedBytes() - before, 16u << 10);
    };
    ExpectPlacedNear(1150001);
    while (!f.index.Settle(1 << 20)) {
    }
    EXPECT_EQ(f.index.RowCount(), 80000u);

    // Three letters more push a pair down from every row after them.
    const std::uint64_t before = f.index.WrappedBytes();
    f.Edit(300000, 0, "CCC");
    EXPECT_FALSE(f.index.Settled());
    EXPECT_LT(f.index.WrappedBytes() - before, 600000u);
    EXPECT_EQ(f.index.RowContaining(300001), (WrapIndex::Row{20000, 300000, 300015}));
    EXPECT_EQ(f.index.RowContaining(300015).end, 300030u);
    ExpectPlacedNear(1150001);
    // An edit there too is not measured from the rows before it.
    const std::uint64_t beforeFarEdit = f.index.WrappedBytes();
    f.Edit(1150001, 0, "D");
    EXPECT_LT(f.index.WrappedBytes() - beforeFarEdit, 16u << 10);
    ExpectPlacedNear(1150002);
    EXPECT_EQ(f.index.RowContaining(700001).start, 700001u - 700001 % 15);
    f.ExpectSettledLikeModel();
}

// A row's first word, cut short, moves up onto the row before: the edit
// must re-wrap from before its own row, wherever the runs begin.
TEST(WrapIndex, AnEditReachesBackToTheRowsBefore) {
    std::string text;
    for (int word = 0; word < 3000; ++word)
        text += "aaaa "; // three words a row at 100 pixels
    for (std::uint64_t row = 1; row < 700; ++row) {
        Fixture f(text);
        f.geometry = {100 * kPixel, 48 * kPixel};
        f.index.SetGeometry(f.geometry);
        while (!f.index.Settle(1 << 20)) {
        }
        f.Edit(row * 15, 3, "");
        for (const std::uint64_t offset : {row * 15 - 1, row * 15 + 2})
            ASSERT_EQ(f.index.RowContaining(offset), f.ModelRowContaining(offset)) << row;
        while (!f.index.Settle(1 << 20)) {
        }
        ASSERT_EQ(f.index.RowCount(), ModelRowStarts(f.model, f.geometry).size()) << row;
    }
}

TEST(WrapIndex, EmptyTextAndFinalLineBreak) {
    Fixture f("");
    EXPECT_EQ(f.index.RowAt(0), (WrapIndex::Row{0, 0, 1}));
    f.Edit(0, 0, "ab\r\n");
    f.ExpectSettledLikeModel();
    EXPECT_EQ(f.index.RowCount(), 2u);
    EXPECT_EQ(f.index.RowContaining(4), (WrapIndex::Row{1, 4, 5}));
    EXPECT_TRUE(f.index.IsLast(f.index.RowAt(1)));
}
