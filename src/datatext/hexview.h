// Conversion of the memo's data between the hexadecimal view (byte pairs
// separated by blanks) and the text view (one character per byte).
//
// Both work on memo texts in bytes. A 00 byte cannot stand in a memo text, so
// the text view shows it as a full stop whose byte offset the caller keeps.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Every byte of text as two upper-case digits, joined by single spaces. The
// full stops at nullOffsets (ascending byte offsets into text) give 00; an
// offset that is not a full stop is ignored. Throws ECapacityError when the
// result would be longer than capacity.
std::string TextToHexView(std::string_view text, std::span<const std::size_t> nullOffsets,
                          std::size_t capacity);

// A token the hexadecimal view cannot convert.
struct BadHexToken {
    std::size_t index;  // 0-based, among the tokens
    std::size_t length; // of the token's content
    bool twoCharacters; // of the right length, but not two hexadecimal digits
};

struct TextViewResult {
    // The memo text as the memo holds it once written: every lone CR, lone LF
    // and CR LF is a CR LF. On failure, what was made before the bad token.
    std::string text;
    // Ascending byte offsets into text of the full stops that stand for 00.
    std::vector<std::size_t> nullOffsets;
    std::optional<BadHexToken> failure;
};

// The text of a hexadecimal view: blanks and control characters are trimmed
// from both ends, then every token must be two hexadecimal digits.
TextViewResult HexViewToText(std::string_view hexText);
