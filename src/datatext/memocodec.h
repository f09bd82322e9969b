// The memo's characters: bytes read as UTF-8 where they form it, every other
// byte as an escape of its own (U+DC80..U+DCFF, as Python's surrogateescape),
// so that every byte sequence has a lossless UTF-16 form.
//
// In a memo a line break is one character (CR LF, two bytes), and code points
// a text document would take as structure (U+2028, U+2029, U+FDD0, U+FDD1)
// are escaped byte by byte, so that they read back as the same bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace memocodec {

inline constexpr char16_t kEscapeBase = 0xDC00; // byte b >= 0x80 escapes to kEscapeBase + b
inline constexpr char16_t kLineSeparator = 0x2028;
inline constexpr char16_t kParagraphSeparator = 0x2029;

constexpr bool IsContinuation(unsigned char byte) {
    return (byte & 0xC0u) == 0x80u;
}
constexpr bool IsEscape(char32_t u) {
    return u >= kEscapeBase + 0x80 && u <= kEscapeBase + 0xFF;
}
// Both separators end a line on screen; the memo text has CR LF for them.
constexpr bool IsMemoLineBreak(char32_t u) {
    return u == kParagraphSeparator || u == kLineSeparator;
}

// Code points a document takes as structure rather than as text: U+2029,
// U+FDD0 and U+FDD1 would split a block, U+2028 reads back as a line break.
constexpr bool IsDocumentStructure(char32_t c) {
    return c == kLineSeparator || c == kParagraphSeparator || c == 0xFDD0 || c == 0xFDD1;
}

// The length (2 to 4) of the well-formed UTF-8 sequence that starts with the
// byte at p (0x80 or above) and its code point; 0 if there is none. Overlong
// forms, surrogates and code points above U+10FFFF are not well formed.
// Inline: it runs once per character of text.
inline int Utf8Sequence(const unsigned char* p, const unsigned char* end, char32_t& code) {
    const unsigned char lead = *p;
    int length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code = lead & 0x0Fu;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = lead & 0x07u;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (end - p < length || p[1] < low || p[1] > high)
        return 0;
    code = code << 6 | (p[1] & 0x3Fu);
    for (int i = 2; i < length; ++i) {
        if (!IsContinuation(p[i]))
            return 0;
        code = code << 6 | (p[i] & 0x3Fu);
    }
    return length;
}

// One character of a memo text as the memo reads it.
struct MemoChar {
    int bytes;     // 1 to 4; a CR LF is 2
    int units;     // UTF-16 units: 2 beyond U+FFFF, else 1
    char32_t code; // '\n' for a line break, an escape for a lone byte
};

// The character that starts at p, which must be a character boundary. A lone
// CR or LF reads as a line break of one byte; the memo holds none.
inline MemoChar ReadMemoChar(const unsigned char* p, const unsigned char* end) {
    const unsigned char byte = *p;
    if (byte < 0x80) {
        if (byte == '\r' || byte == '\n')
            return {byte == '\r' && end - p > 1 && p[1] == '\n' ? 2 : 1, 1, U'\n'};
        return {1, 1, byte};
    }
    char32_t code = 0;
    const int length = Utf8Sequence(p, end, code);
    if (length == 0 || IsDocumentStructure(code))
        return {1, 1, static_cast<char32_t>(kEscapeBase + byte)};
    return {length, code >= 0x10000 ? 2 : 1, code};
}

// The UTF-16 units of a memo text, without building them.
std::uint64_t CountMemoUnits(std::string_view bytes);

// Writes the UTF-16 form of bytes to out, which has room for bytes.size()
// units (always enough), and returns the end. For a memo (forMemo), every
// kind of line break becomes '\n' and structure code points are escaped.
char16_t* DecodeInto(std::string_view bytes, char16_t* out, bool forMemo);

// Writes the bytes of the UTF-16 character at text[i] to out (room for 4)
// and returns how many there are; i moves past the character.
int EncodeChar(const char16_t* text, std::size_t size, std::size_t& i, char* out, bool forMemo);

// The bytes of UTF-16 text; escapes become their byte again and any other
// lone surrogate takes its three-byte form. For a memo (forMemo), the
// separators U+2028 and U+2029 become CR LF; line feeds are left as they are.
std::string Encode(const char16_t* text, std::size_t size, bool forMemo);

// A memo's text ends before its first 00 byte.
inline std::string_view BeforeNull(std::string_view bytes) {
    return bytes.substr(0, bytes.find('\0'));
}

// Bytes as a memo holds them, every lone CR, lone LF and CR LF made a CR LF.
// Returns nullopt when they already are, so that large texts in memo form
// need no copy.
std::optional<std::string> ToMemoForm(std::string_view bytes);

// Bytes as a memo takes them: up to their first 00 byte, in memo form.
std::string MemoTextOf(std::string bytes);

} // namespace memocodec
