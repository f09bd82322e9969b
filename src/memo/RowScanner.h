// Cuts text into rows no wider than the memo, greedily, from cached advances.
//
// A row ends after a line break, or before the first character that does not
// fit: at the last break opportunity before it (after a blank, or beside a
// CJK character), or at that character when the row has no opportunity. One
// blank may hang past the edge; a tab advances to the next tab stop.
//
// The scanner takes the text piece by piece, as the buffer holds it, and
// reports each row's end; pieces must begin and end at character boundaries.
// The text is taken to end with one terminator byte past its last byte, so
// that the last row, empty after a final line break, ends there too.
#pragma once

#include "Advances.h"
#include "memocodec.h"

#include <cstdint>
#include <string_view>

struct WrapGeometry {
    std::int32_t width = 0;   // of a row, in 1/64 pixel
    std::int32_t tabStop = 0; // distance between tab stops, in 1/64 pixel
    bool operator==(const WrapGeometry&) const = default;
};

class RowScanner {
public:
    // start: the offset of a row start, where the first piece begins.
    RowScanner(Advances& advances, WrapGeometry geometry, std::uint64_t start);

    // Reads a piece that follows the last one, calling rowEnd(end) for every
    // row that ends in it, until rowEnd returns false. Returns false then.
    template <class RowEnd> bool Feed(std::string_view piece, RowEnd&& rowEnd) {
        const auto* p = reinterpret_cast<const unsigned char*>(piece.data());
        const auto* const end = p + piece.size();
        while (p < end) {
            if (!Step(p, end, rowEnd))
                return false;
        }
        return true;
    }

private:
    static bool IsBlank(char32_t c) { return c == U' ' || c == U'\t' || c == 0x3000; }
    static bool IsIdeographic(char32_t c);

    // Takes the character at p, reporting the rows it ends.
    template <class RowEnd>
    bool Step(const unsigned char*& p, const unsigned char* end, RowEnd& rowEnd) {
        char32_t code = *p;
        int bytes = 1;
        if (code >= 0x80 || code == U'\r' || code == U'\n') {
            const memocodec::MemoChar c = memocodec::ReadMemoChar(p, end);
            code = c.code;
            bytes = c.bytes;
        }
        const std::uint64_t at = pos_;
        p += bytes;
        pos_ += static_cast<std::uint64_t>(bytes);
        if (code == U'\n')
            return rowEnd(StartRow(pos_, 0));
        if (IsBlank(code)) {
            // One blank hangs past the edge; the next starts a row.
            const bool past = x_ > geometry_.width && at > rowStart_;
            if (past)
                StartRow(at, 0);
            x_ += code == U'\t' ? TabAdvance() : advances_.Of(code);
            lastBreak_ = pos_;
            sinceBreak_ = 0;
            previousIdeographic_ = false;
            return !past || rowEnd(at);
        }
        const bool ideographic = IsIdeographic(code);
        if ((ideographic || previousIdeographic_) && at > rowStart_) {
            lastBreak_ = at;
            sinceBreak_ = 0;
        }
        previousIdeographic_ = ideographic;
        const std::int32_t advance = advances_.Of(code);
        if (x_ + advance > geometry_.width && at > rowStart_) {
            // Back to the last opportunity; the word after it moves down,
            // and is cut where it alone is wider than a row.
            if (lastBreak_ > rowStart_ && !rowEnd(StartRow(lastBreak_, sinceBreak_)))
                return false;
            if (x_ + advance > geometry_.width && at > rowStart_ && !rowEnd(StartRow(at, 0)))
                return false;
        }
        x_ += advance;
        sinceBreak_ += advance;
        return true;
    }

    std::uint64_t StartRow(std::uint64_t at, std::int32_t carried) {
        rowStart_ = at;
        lastBreak_ = at;
        x_ = carried;
        sinceBreak_ = carried;
        return at;
    }
    std::int32_t TabAdvance();

    Advances& advances_;
    WrapGeometry geometry_;
    std::uint64_t rowStart_;
    std::uint64_t pos_;
    std::int32_t x_ = 0;          // width of the row so far
    std::int32_t sinceBreak_ = 0; // width of the characters after lastBreak_
    std::uint64_t lastBreak_ = 0; // the last break opportunity after rowStart_, or rowStart_
    bool previousIdeographic_ = false;
};
