#include "nullpositions.h"

#include <algorithm>

void NullPositionList::Assign(std::vector<std::int32_t> positions) {
    positions_ = std::move(positions);
}

bool NullPositionList::IsNullPosition(std::int32_t position) const {
    return std::binary_search(positions_.begin(), positions_.end(), position);
}

void NullPositionList::TextChanged(std::int32_t at, std::int32_t removed, std::int32_t added) {
    // Character at + 1 is the first one the change touched.
    const auto first = std::upper_bound(positions_.begin(), positions_.end(), at);
    const auto kept = std::upper_bound(first, positions_.end(), std::int64_t{at} + removed);
    const auto tail = positions_.erase(first, kept);
    const std::int32_t shift = added - removed;
    if (shift != 0)
        std::for_each(tail, positions_.end(), [shift](std::int32_t& p) { p += shift; });
}
