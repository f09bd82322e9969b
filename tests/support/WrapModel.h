// The memo's rows by the plain rule, every row measured afresh from its own
// start, with a fake font: a reference for tests and fuzzers of the wrap
// index. Qt-free and header-only.
#pragma once

#include "RowScanner.h"
#include "memocodec.h"

#include <cstdint>
#include <string>
#include <vector>

inline constexpr std::int32_t kPixel = 64;

inline std::int32_t FakeAdvance(char32_t c) {
    if (c >= 0x4E00 && c <= 0x9FFF)
        return 12 * kPixel;
    if (c == U'i' || c == U'.')
        return 3 * kPixel;
    return (c < 0x80 ? 6 : 7) * kPixel;
}

// Ideographs, kana, hangul and full-width forms: a row may break between
// any two of them.
inline bool Ideographic(char32_t c) {
    return (c >= 0x2E80 && c <= 0x9FFF) || (c >= 0xAC00 && c <= 0xD7A3) ||
           (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFF01 && c <= 0xFF60) ||
           (c >= 0x20000 && c <= 0x3FFFF);
}

inline bool Blank(char32_t c) {
    return c == U' ' || c == U'\t' || c == 0x3000;
}

// The starts of the rows of text, the first at 0: a row ends after a line
// break, or before the first character that does not fit, at the last place
// it may break (after a blank, beside an ideograph) or at that character.
// One blank may hang past the edge; a tab goes to the next tab stop.
inline std::vector<std::uint64_t> ModelRowStarts(const std::string& text, WrapGeometry g) {
    const auto* const data = reinterpret_cast<const unsigned char*>(text.data());
    const auto* const end = data + text.size();
    std::vector<std::uint64_t> starts{0};
    std::uint64_t rowStart = 0;
    for (;;) {
        std::int32_t x = 0;
        std::uint64_t lastBreak = rowStart;
        bool previousIdeographic = false;
        std::uint64_t next = 0;
        for (std::uint64_t i = rowStart;;) {
            if (i == text.size())
                return starts;
            const memocodec::MemoChar c = memocodec::ReadMemoChar(data + i, end);
            if (c.code == U'\n') {
                next = i + static_cast<std::uint64_t>(c.bytes);
                break;
            }
            if (Blank(c.code)) {
                if (x > g.width && i > rowStart) {
                    next = i;
                    break;
                }
                x += c.code == U'\t' ? g.tabStop - x % g.tabStop : FakeAdvance(c.code);
                i += static_cast<std::uint64_t>(c.bytes);
                lastBreak = i;
                previousIdeographic = false;
                continue;
            }
            const bool ideographic = Ideographic(c.code);
            if ((ideographic || previousIdeographic) && i > rowStart)
                lastBreak = i;
            if (x + FakeAdvance(c.code) > g.width && i > rowStart) {
                next = lastBreak > rowStart ? lastBreak : i;
                break;
            }
            x += FakeAdvance(c.code);
            previousIdeographic = ideographic;
            i += static_cast<std::uint64_t>(c.bytes);
        }
        starts.push_back(next);
        rowStart = next;
    }
}
