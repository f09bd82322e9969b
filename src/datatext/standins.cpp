#include "standins.h"

#include <algorithm>

void StandInList::TextChanged(std::uint64_t offset, std::uint64_t removed, std::uint64_t added) {
    const auto first = std::lower_bound(offsets_.begin(), offsets_.end(), offset);
    const auto kept = std::lower_bound(first, offsets_.end(), offset + removed);
    const auto tail = offsets_.erase(first, kept);
    if (added != removed)
        std::for_each(tail, offsets_.end(), [&](std::size_t& o) { o = o - removed + added; });
}
