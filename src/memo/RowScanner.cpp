#include "RowScanner.h"

RowScanner::RowScanner(Advances& advances, WrapGeometry geometry, std::uint64_t start)
    : advances_(advances), geometry_(geometry), rowStart_(start), pos_(start), lastBreak_(start) {}

// Ideographs, kana, hangul and full-width forms, between any two of which a
// row may break, as in CJK text without blanks.
bool RowScanner::IsIdeographic(char32_t c) {
    return (c >= 0x2E80 && c <= 0x9FFF) || (c >= 0xAC00 && c <= 0xD7A3) ||
           (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFF01 && c <= 0xFF60) ||
           (c >= 0x20000 && c <= 0x3FFFF);
}

std::int32_t RowScanner::TabAdvance() {
    if (geometry_.tabStop <= 0)
        return advances_.Of(U' ');
    return geometry_.tabStop - x_ % geometry_.tabStop;
}
