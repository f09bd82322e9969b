#include "WrapIndex.h"

#include <algorithm>

namespace {

// Runs end at the first row start from this many bytes on.
constexpr std::uint64_t kRunTarget = 4096;
// A row is never narrower than this, in 1/64 pixel.
constexpr std::int32_t kMinimumWidth = 16 * 64;
// How far back a start near an offset looks for a blank.
constexpr std::uint64_t kNearbyReach = 64;

} // namespace

WrapIndex::WrapIndex(const TextBuffer& text, Advances& advances, WrapBudgets budgets)
    : text_(text), advances_(advances), budgets_(budgets) {
    geometry_.width = kMinimumWidth;
    Reset();
}

void WrapIndex::SetGeometry(WrapGeometry geometry) {
    geometry.width = std::max(geometry.width, kMinimumWidth);
    if (geometry == geometry_)
        return;
    geometry_ = geometry;
    Reset();
}

void WrapIndex::Reset() {
    runs_.Assign({Run{Total(), EstimateRows(0, Total()), false}});
    pending_ = {{0, Total()}};
}

bool WrapIndex::IsLineStart(std::uint64_t offset) const {
    return offset == 0 || text_.ByteAt(offset - 1) == '\n';
}

std::uint64_t WrapIndex::EstimateRows(std::uint64_t begin, std::uint64_t end) const {
    const std::uint64_t breaks =
        text_.BreaksBefore(std::min(end, text_.Size())) - text_.BreaksBefore(begin);
    const std::uint64_t byWidth = (end - begin) * static_cast<std::uint64_t>(advances_.Typical()) /
                                  static_cast<std::uint64_t>(geometry_.width);
    return std::max<std::uint64_t>({1, breaks, byWidth});
}

WrapIndex::Tree::Found WrapIndex::RunAt(std::uint64_t offset) const {
    return runs_.Find([](const Sum& s) { return s.bytes; }, offset);
}

WrapIndex::Interval* WrapIndex::PendingAt(std::uint64_t offset) {
    const auto after = std::upper_bound(
        pending_.begin(), pending_.end(), offset,
        [](std::uint64_t value, const Interval& interval) { return value < interval.begin; });
    if (after == pending_.begin() || offset >= std::prev(after)->end)
        return nullptr;
    return &*std::prev(after);
}

bool WrapIndex::FromTrueStart(const Tree::Found& run) {
    const Interval* interval = PendingAt(run.before.bytes);
    return !interval || interval->begin == run.before.bytes;
}

template <class RowEnd> void WrapIndex::Scan(std::uint64_t from, RowEnd&& rowEnd) {
    RowScanner scanner(advances_, geometry_, from);
    bool going = true;
    std::uint64_t fed = from;
    text_.ForEachPiece(from, text_.Size() - from, [&](std::string_view piece) {
        going = scanner.Feed(piece, rowEnd);
        fed += piece.size();
        return going;
    });
    wrapped_ += fed - from;
    if (going)
        rowEnd(Total());
}

WrapIndex::Progress WrapIndex::Rewrap(std::size_t index, std::uint64_t budget, std::uint64_t target,
                                      std::uint64_t boundary) {
    const Tree::Found first = runs_.At(index);
    const std::uint64_t begin = first.before.bytes;
    std::size_t last = index;
    std::uint64_t oldEnd = begin + first.leaf->bytes;
    std::vector<Run> made;
    Run current{0, 0, true};
    Progress progress{begin, false};
    Scan(begin, [&](std::uint64_t end) {
        current.bytes += end - progress.at;
        ++current.rows;
        progress.at = end;
        if (current.bytes >= kRunTarget) {
            made.push_back(current);
            current = {0, 0, true};
        }
        // Runs the new rows pass over are replaced; the rows meet the old
        // ones at the start of an exact run, at the boundary, or at the end.
        while (end > oldEnd)
            oldEnd += runs_.At(++last).leaf->bytes;
        if (end == oldEnd &&
            (end == boundary || last + 1 == runs_.Size() || runs_.At(last + 1).leaf->exact)) {
            progress.met = true;
            return false;
        }
        return end - begin < budget || end < target;
    });
    if (current.rows > 0)
        made.push_back(current);
    if (progress.at < oldEnd)
        made.push_back({oldEnd - progress.at, EstimateRows(progress.at, oldEnd), false});
    runs_.Replace(index, last + 1, std::move(made));
    return progress;
}

void WrapIndex::SettleInterval(std::size_t which, std::uint64_t budget, std::uint64_t target) {
    Interval& interval = pending_[which];
    const Progress progress = Rewrap(RunAt(interval.begin).index, budget, target, interval.end);
    if (!progress.met) {
        interval.begin = progress.at;
        return;
    }
    // Past the meeting point the old rows hold, up to any estimated run,
    // whose start is then the end of a true one.
    const Sum before = progress.at < Total() ? RunAt(progress.at).before : runs_.Total();
    if (before.estimated < runs_.Total().estimated) {
        const Tree::Found next =
            runs_.Find([](const Sum& s) { return s.estimated; }, before.estimated);
        if (next.before.bytes < interval.end) {
            interval.begin = next.before.bytes;
            return;
        }
    }
    pending_.erase(pending_.begin() + static_cast<std::ptrdiff_t>(which));
}

bool WrapIndex::Settle(std::uint64_t budget) {
    if (!pending_.empty())
        SettleInterval(0, budget, 0);
    return pending_.empty();
}

void WrapIndex::SplitRunAt(std::uint64_t offset) {
    const Tree::Found run = RunAt(offset);
    const std::uint64_t begin = run.before.bytes;
    if (begin == offset)
        return;
    const std::uint64_t bytes = run.leaf->bytes;
    const std::uint64_t rows = run.leaf->rows;
    const std::uint64_t headRows = std::max<std::uint64_t>(1, rows * (offset - begin) / bytes);
    const Run head{offset - begin, headRows, false};
    const Run tail{bytes - head.bytes, std::max<std::uint64_t>(1, rows - std::min(rows, headRows)),
                   false};
    runs_.Replace(run.index, run.index + 1, {head, tail});
}

std::uint64_t WrapIndex::NearbyStart(std::uint64_t offset) const {
    // After the last blank shortly before offset, where a row of a long line
    // most likely starts; else at offset's character.
    std::uint64_t start = text_.CharStart(offset);
    for (std::uint64_t at = start; at > 0 && start - at < kNearbyReach; --at) {
        const unsigned char byte = text_.ByteAt(at - 1);
        if (byte == ' ' || byte == '\t' || byte == '\n')
            return at;
    }
    return start;
}

void WrapIndex::SplitPendingAt(std::size_t which, std::uint64_t lineStart) {
    SplitRunAt(lineStart);
    const Interval tail{lineStart, pending_[which].end};
    pending_[which].end = lineStart;
    pending_.insert(pending_.begin() + static_cast<std::ptrdiff_t>(which) + 1, tail);
}

std::optional<std::size_t> WrapIndex::SplitAtNearLine(std::uint64_t offset) {
    const Interval* interval = PendingAt(offset);
    if (!interval || offset - interval->begin <= budgets_.query)
        return std::nullopt;
    // A line start is a row start whatever came before it.
    const std::uint64_t lineStart = text_.LineStart(offset);
    if (lineStart <= interval->begin || offset - lineStart > budgets_.query)
        return std::nullopt;
    const auto which = static_cast<std::size_t>(interval - pending_.data());
    SplitPendingAt(which, lineStart);
    return which + 1;
}

void WrapIndex::Materialize(std::uint64_t offset) {
    const Interval* interval = PendingAt(offset);
    if (!interval)
        return;
    if (offset - interval->begin <= budgets_.query) {
        SettleInterval(static_cast<std::size_t>(interval - pending_.data()), 0,
                       offset + budgets_.slack);
        return;
    }
    if (const std::optional<std::size_t> which = SplitAtNearLine(offset)) {
        SettleInterval(*which, 0, offset + budgets_.slack);
        return;
    }
    // Too far from any known row start: rows are shown from a start near
    // offset, on a run boundary Settle() will look past. A boundary close
    // enough before offset already serves, so that rows stay where they were
    // shown while the user works there.
    if (offset - RunAt(offset).before.bytes > budgets_.slack)
        SplitRunAt(NearbyStart(offset));
}

WrapIndex::Row WrapIndex::RowAt(std::uint64_t index) {
    const auto byRows = [](const Sum& s) { return s.rows; };
    index = std::min(index, RowCount() - 1);
    Tree::Found run = runs_.Find(byRows, index);
    if (PendingAt(run.before.bytes)) {
        const std::uint64_t offset =
            run.before.bytes + run.leaf->bytes * (index - run.before.rows) /
                                   std::max<std::uint64_t>(1, run.leaf->rows);
        Materialize(std::min(offset, text_.Size()));
        index = std::min(index, RowCount() - 1);
        run = runs_.Find(byRows, index);
    }
    Row row{run.before.rows, run.before.bytes, run.before.bytes, FromTrueStart(run)};
    // Estimated rows may be more than the text holds: the last row then.
    std::uint64_t skip = index - run.before.rows;
    Scan(row.start, [&](std::uint64_t end) {
        row.end = end;
        if (skip == 0 || end == Total())
            return false;
        --skip;
        ++row.index;
        row.start = end;
        return true;
    });
    return row;
}

WrapIndex::Row WrapIndex::RowContaining(std::uint64_t offset) {
    offset = std::min(offset, text_.Size());
    Tree::Found run = RunAt(offset);
    if (PendingAt(run.before.bytes)) {
        Materialize(offset);
        run = RunAt(offset);
    }
    Row row{run.before.rows, run.before.bytes, run.before.bytes, FromTrueStart(run)};
    Scan(row.start, [&](std::uint64_t end) {
        row.end = end;
        if (end > offset)
            return false;
        ++row.index;
        row.start = end;
        return true;
    });
    return row;
}

WrapIndex::Row WrapIndex::NextRow(const Row& row) {
    Row next{row.index + 1, row.end, row.end, row.exact};
    Scan(row.end, [&](std::uint64_t end) {
        next.end = end;
        return false;
    });
    return next;
}

void WrapIndex::Edited(const TextChange& change) {
    const std::uint64_t o = change.offset;
    const std::int64_t shift =
        static_cast<std::int64_t>(change.added) - static_cast<std::int64_t>(change.removed);
    const std::uint64_t oldTotal = Total() + change.removed - change.added;

    // Deep in a pending interval, a line start near the edit is a true row
    // start to wrap from (the text before the edit is as it was).
    SplitAtNearLine(o);
    // Wrapped at once only when a true row start is near; otherwise rows near
    // the edit are shown from the run they were shown from, and Settle()
    // measures them when it gets there.
    const Interval* holding = PendingAt(o);
    const bool far = holding && o - holding->begin > budgets_.query;

    // From a row start three rows before the edit, or its line's start: rows
    // before that cannot change (the runs are still those of the old text).
    const Tree::Found at = RunAt(o);
    std::size_t first = at.index;
    std::uint64_t rowsBack = 0;
    while (!far && first > 0 && rowsBack < 3 && !IsLineStart(runs_.At(first).before.bytes))
        rowsBack += runs_.At(--first).leaf->rows;
    const Tree::Found end = RunAt(std::min(o + change.removed, oldTotal - 1));
    std::uint64_t begin = runs_.At(first).before.bytes;
    std::uint64_t oldEnd = end.before.bytes + end.leaf->bytes;

    // Pending intervals the edit touches join its own; later ones move.
    std::uint64_t intervalBegin = begin;
    std::uint64_t pendingEnd = 0;
    std::vector<Interval> kept;
    for (const Interval& interval : pending_) {
        if (interval.end <= begin) {
            kept.push_back(interval);
        } else if (interval.begin >= oldEnd) {
            kept.push_back({interval.begin + shift, interval.end + shift});
        } else {
            // It ends past the edit, or somewhere the edit replaced.
            intervalBegin = std::min(intervalBegin, interval.begin);
            if (interval.end > o + change.removed)
                pendingEnd = std::max(pendingEnd, interval.end + shift);
        }
    }
    // Three rows back may lie deep in a pending interval too.
    const bool wrapNow = !far && o - intervalBegin <= budgets_.query;
    if (wrapNow)
        begin = intervalBegin;
    const Tree::Found head = RunAt(begin);
    const std::uint64_t rows = end.before.rows + end.leaf->rows - head.before.rows;
    oldEnd = static_cast<std::uint64_t>(static_cast<std::int64_t>(oldEnd) + shift);
    runs_.Replace(head.index, end.index + 1,
                  {Run{oldEnd - begin, std::max<std::uint64_t>(1, rows), false}});

    // Rows may shift up to the next line start; the interval ends at the
    // first run boundary from there, where the old rows hold for certain.
    const std::uint64_t lineEnd = text_.LineEnd(o + change.added);
    const std::uint64_t nextLine = lineEnd >= text_.Size() ? Total() : lineEnd + 2;
    std::uint64_t certain = Total();
    if (nextLine < Total()) {
        const Tree::Found run = RunAt(nextLine);
        certain = run.before.bytes == nextLine ? nextLine : run.before.bytes + run.leaf->bytes;
    }
    Interval edited{intervalBegin, std::max({certain, pendingEnd, oldEnd})};
    const auto place = std::upper_bound(
        kept.begin(), kept.end(), edited.begin,
        [](std::uint64_t value, const Interval& interval) { return value < interval.begin; });
    auto covered = place;
    while (covered != kept.end() && covered->begin < edited.end)
        edited.end = std::max(edited.end, (covered++)->end);
    const auto which = static_cast<std::size_t>(place - kept.begin());
    kept.insert(kept.erase(place, covered), edited);
    pending_ = std::move(kept);
    if (wrapNow)
        SettleInterval(which, budgets_.edit, o + change.added);
}
