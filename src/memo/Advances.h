// Widths of the memo's characters, measured once each and cached, in 1/64
// pixel. Wrapping adds them up instead of shaping text, which is what lets
// the memo wrap megabytes without laying them out.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <unordered_map>

class Advances {
public:
    // measure(code) gives the advance of a character of the memo: a code
    // point, or an escape U+DC80..U+DCFF for a byte that is not UTF-8.
    explicit Advances(std::function<std::int32_t(char32_t)> measure);
    // Measures afresh with another measure, for another font.
    void Reset(std::function<std::int32_t(char32_t)> measure);

    std::int32_t Of(char32_t code) {
        if (code < 0x80)
            return ascii_[code];
        const auto found = others_.find(code);
        return found != others_.end() ? found->second : Measure(code);
    }
    // A typical width, for estimating rows that have not been measured.
    std::int32_t Typical() const { return ascii_['0']; }

private:
    std::int32_t Measure(char32_t code);

    std::function<std::int32_t(char32_t)> measure_;
    std::array<std::int32_t, 128> ascii_{};
    std::unordered_map<char32_t, std::int32_t> others_;
};
