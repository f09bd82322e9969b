// Where the memo's text wraps into rows, measured lazily.
//
// Rows are grouped into runs of a few kilobytes held in a balanced tree that
// sums their bytes and rows, so that a row is found by its number or by an
// offset in logarithmic time, plus the wrapping of one run. A run knows only
// how many rows start in it; the rows themselves are found again by wrapping
// the run from its start, which is always a row start.
//
// Only what is asked for is measured at once. Text that has changed, or not
// been wrapped since the width changed, lies in pending intervals whose row
// counts are estimates; Settle() measures them a slice at a time. A query or
// an edit that lands in one measures from a true row start (the interval's
// start, or a line start) where one is near; further on, as right after a
// large text came in, its rows are placed by estimate and shown from a start
// near it until Settle() gets there. An edit re-wraps from three rows before
// the edit on, until the new rows meet a row start of the old ones again,
// which is at the latest at the next line start.
//
// Offsets are bytes of the text; the text is taken to end with a terminator
// byte at offset Size(), so that the last row, empty after a final line break,
// has an extent like every other.
#pragma once

#include "MemoDocument.h"
#include "RowScanner.h"
#include "SumTree.h"
#include "TextBuffer.h"

#include <cstdint>
#include <optional>
#include <vector>

// How far the index wraps at once, in bytes of text.
struct WrapBudgets {
    // An edit re-wraps at least this far, so that what is on screen is true.
    std::uint64_t edit = std::uint64_t{256} << 10;
    // A query or an edit re-wraps at most this far to reach its rows
    // exactly; further away, rows are shown from a nearby start until
    // Settle() gets there. A few milliseconds of wrapping.
    std::uint64_t query = std::uint64_t{512} << 10;
    // Measured past a queried row, to cover a screen.
    std::uint64_t slack = std::uint64_t{64} << 10;
};

class WrapIndex {
public:
    WrapIndex(const TextBuffer& text, Advances& advances, WrapBudgets budgets = {});

    // A new width or tab stop: every row becomes an estimate.
    void SetGeometry(WrapGeometry geometry);
    // After the whole text has been replaced.
    void Reset();
    // After an edit of the text.
    void Edited(const TextChange& change);
    // After the advances have changed (a new font).
    void AdvancesChanged() { Reset(); }

    struct Row {
        std::uint64_t index; // exact where measured, else an estimate
        std::uint64_t start;
        std::uint64_t end; // the next row's start; Size() + 1 for the last row
        // Wrapped from a true row start; false for a row shown from a start
        // near it, before Settle() has got there. Not part of equality.
        bool exact = true;
        bool operator==(const Row& o) const {
            return index == o.index && start == o.start && end == o.end;
        }
    };

    std::uint64_t RowCount() const { return runs_.Total().rows; }
    Row RowAt(std::uint64_t index);
    Row RowContaining(std::uint64_t offset);
    // The row after row; row must not be the last.
    Row NextRow(const Row& row);
    bool IsLast(const Row& row) const { return row.end > text_.Size(); }

    // Measures pending rows for about budget bytes of text; true when no row
    // is left to measure.
    bool Settle(std::uint64_t budget);
    bool Settled() const { return pending_.empty(); }

    // Bytes wrapped so far, to see that work stays near what is asked.
    std::uint64_t WrappedBytes() const { return wrapped_; }

private:
    struct Sum {
        std::uint64_t bytes = 0;
        std::uint64_t rows = 0;
        std::uint64_t estimated = 0; // runs
        Sum operator+(const Sum& o) const {
            return {bytes + o.bytes, rows + o.rows, estimated + o.estimated};
        }
    };
    struct Run {
        std::uint64_t bytes;
        std::uint64_t rows;
        bool exact; // rows measured, from a start that was a row start
        Sum Summary() const { return {bytes, rows, exact ? 0u : 1u}; }
    };
    using Tree = SumTree<Run, Sum>;

    // [begin, end): runs whose rows may be wrong. begin is a row start of the
    // current text, and both ends are run boundaries.
    struct Interval {
        std::uint64_t begin;
        std::uint64_t end;
    };

    std::uint64_t Total() const { return text_.Size() + 1; }
    bool IsLineStart(std::uint64_t offset) const;
    std::uint64_t EstimateRows(std::uint64_t begin, std::uint64_t end) const;
    Tree::Found RunAt(std::uint64_t offset) const;
    Interval* PendingAt(std::uint64_t offset);
    // Whether rows wrapped from the start of a run are true rows.
    bool FromTrueStart(const Tree::Found& run);

    // Wraps from the row start at the beginning of run index, replacing the
    // runs it passes, until the rows meet an exact run's start, boundary (a
    // row start known to hold) or the text's end, or budget bytes are done and
    // target is passed. Returns the offset it stopped at, and whether the rows
    // met the old ones again.
    struct Progress {
        std::uint64_t at;
        bool met;
    };
    Progress Rewrap(std::size_t index, std::uint64_t budget, std::uint64_t target,
                    std::uint64_t boundary);
    void SettleInterval(std::size_t which, std::uint64_t budget, std::uint64_t target);
    // Makes the rows near offset, which lies in a pending interval, true or
    // at least shown from a nearby start.
    void Materialize(std::uint64_t offset);
    // Where offset lies in a pending interval too far from its start to wrap
    // from there, but near its line's start: splits the interval at the line
    // start and returns the index of the part that begins there.
    std::optional<std::size_t> SplitAtNearLine(std::uint64_t offset);
    void SplitPendingAt(std::size_t which, std::uint64_t lineStart);
    // A character boundary at or shortly before offset where a row may well start.
    std::uint64_t NearbyStart(std::uint64_t offset) const;
    void SplitRunAt(std::uint64_t offset);
    // Wraps from the row start at offset, calling rowEnd(end) for each row,
    // the last one ending at the terminator, until rowEnd returns false.
    template <class RowEnd> void Scan(std::uint64_t from, RowEnd&& rowEnd);

    const TextBuffer& text_;
    Advances& advances_;
    WrapBudgets budgets_;
    WrapGeometry geometry_;
    Tree runs_;
    std::vector<Interval> pending_; // ascending, disjoint
    std::uint64_t wrapped_ = 0;
};
