#include "Advances.h"

#include <algorithm>

namespace {

// Every character takes at least a pixel, so that a row holds a bounded
// number of characters even of ones drawn with no width.
constexpr std::int32_t kMinimum = 64;

} // namespace

Advances::Advances(std::function<std::int32_t(char32_t)> measure) {
    Reset(std::move(measure));
}

void Advances::Reset(std::function<std::int32_t(char32_t)> measure) {
    measure_ = std::move(measure);
    others_.clear();
    for (char32_t c = 0; c < 0x80; ++c)
        ascii_[c] = std::max(kMinimum, measure_(c));
}

std::int32_t Advances::Measure(char32_t code) {
    const std::int32_t advance = std::max(kMinimum, measure_(code));
    others_.emplace(code, advance);
    return advance;
}
