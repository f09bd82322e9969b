// Conversion of the memo's data between the hexadecimal view (byte pairs
// separated by blanks) and the text view (one character per byte).
//
// Both work on memo texts in bytes. A 00 byte cannot stand in a memo text, and
// a memo's every line break is a CR LF, so the text view shows a 00 byte as a
// full stop and a lone 0D or 0A as a CR LF. The caller keeps these stand-ins
// as byte offsets into the text: of the full stop, or of the half of the CR LF
// that stands for the byte (its CR for 0D, its LF for 0A).
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Every byte of text as two upper-case digits, joined by single spaces. Of the
// stand-ins (ascending offsets), a full stop gives 00, and a CR LF the one
// byte of its half that is a stand-in; where both halves are, the CR. An
// offset at any other byte is ignored. Throws ECapacityError when the result
// would be longer than capacity.
std::string TextToHexView(std::string_view text, std::span<const std::size_t> standIns,
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
    // Ascending byte offsets into text of the stand-ins, as TextToHexView takes them.
    std::vector<std::size_t> standIns;
    std::optional<BadHexToken> failure;
};

// The text of a hexadecimal view: blanks and control characters are trimmed
// from both ends, then every token must be two hexadecimal digits.
TextViewResult HexViewToText(std::string_view hexText);
