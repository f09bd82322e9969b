#include "MemoCodec.h"

namespace memocodec {

namespace {

constexpr bool IsHighSurrogate(char32_t u) {
    return u >= 0xD800 && u <= 0xDBFF;
}
constexpr bool IsLowSurrogate(char32_t u) {
    return u >= 0xDC00 && u <= 0xDFFF;
}

// Code points a document takes as structure rather than as text: U+2029,
// U+FDD0 and U+FDD1 would split a block, U+2028 reads back as a line break.
constexpr bool IsDocumentStructure(char32_t c) {
    return c == kLineSeparator || c == kParagraphSeparator || c == 0xFDD0 || c == 0xFDD1;
}

} // namespace

int EncodeChar(const char16_t* text, std::size_t size, std::size_t& i, char* out, bool forMemo) {
    const char16_t u = text[i++];
    if (u < 0x80) {
        out[0] = static_cast<char>(u);
        return 1;
    }
    if (u < 0x800) {
        out[0] = static_cast<char>(0xC0 | u >> 6);
        out[1] = static_cast<char>(0x80 | (u & 0x3F));
        return 2;
    }
    if (forMemo && IsMemoLineBreak(u)) {
        out[0] = '\r';
        out[1] = '\n';
        return 2;
    }
    if (IsHighSurrogate(u) && i < size && IsLowSurrogate(text[i])) {
        const char32_t code = 0x10000 + ((u - 0xD800u) << 10) + (text[i++] - 0xDC00u);
        out[0] = static_cast<char>(0xF0 | code >> 18);
        out[1] = static_cast<char>(0x80 | (code >> 12 & 0x3F));
        out[2] = static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out[3] = static_cast<char>(0x80 | (code & 0x3F));
        return 4;
    }
    if (IsEscape(u)) {
        out[0] = static_cast<char>(u - kEscapeBase);
        return 1;
    }
    // Any other unit, a lone surrogate outside the escapes included, takes the
    // three-byte form. For a lone surrogate those bytes (ED A0 80 to ED BF BF)
    // are not UTF-8, but they still say which unit it was.
    out[0] = static_cast<char>(0xE0 | u >> 12);
    out[1] = static_cast<char>(0x80 | (u >> 6 & 0x3F));
    out[2] = static_cast<char>(0x80 | (u & 0x3F));
    return 3;
}

int Utf8Sequence(const unsigned char* p, const unsigned char* end, char32_t& code) {
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

MemoChar ReadMemoChar(const unsigned char* p, const unsigned char* end) {
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

std::uint64_t CountMemoUnits(std::string_view bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* const end = p + bytes.size();
    std::uint64_t units = 0;
    while (p != end) {
        // Runs of plain ASCII are the common case: one unit per byte, less
        // the LF of each CR LF.
        if (*p < 0x80) {
            units += *p != '\n' || p == reinterpret_cast<const unsigned char*>(bytes.data()) ||
                     p[-1] != '\r';
            ++p;
            continue;
        }
        const MemoChar c = ReadMemoChar(p, end);
        units += static_cast<std::uint64_t>(c.units);
        p += c.bytes;
    }
    return units;
}

char16_t* DecodeInto(std::string_view bytes, char16_t* out, bool forMemo) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* const end = p + bytes.size();
    while (p != end) {
        const unsigned char byte = *p;
        if (byte < 0x80) {
            if (forMemo && (byte == '\r' || byte == '\n')) {
                *out++ = u'\n';
                p += byte == '\r' && end - p > 1 && p[1] == '\n' ? 2 : 1;
            } else {
                *out++ = byte;
                ++p;
            }
            continue;
        }
        char32_t code = 0;
        const int length = Utf8Sequence(p, end, code);
        if (length == 0 || (forMemo && IsDocumentStructure(code))) {
            *out++ = static_cast<char16_t>(kEscapeBase + byte);
            ++p;
            continue;
        }
        if (code >= 0x10000) {
            code -= 0x10000;
            *out++ = static_cast<char16_t>(0xD800 + (code >> 10));
            *out++ = static_cast<char16_t>(0xDC00 + (code & 0x3FF));
        } else {
            *out++ = static_cast<char16_t>(code);
        }
        p += length;
    }
    return out;
}

// Two passes, the first only counting, so that the result is allocated once
// and at its exact size: a memo text can be tens of megabytes.
std::string Encode(const char16_t* text, std::size_t size, bool forMemo) {
    char scratch[4];
    std::size_t length = 0;
    for (std::size_t i = 0; i < size;) {
        if (text[i] < 0x80) {
            ++length;
            ++i;
        } else {
            length += static_cast<std::size_t>(EncodeChar(text, size, i, scratch, forMemo));
        }
    }
    std::string result(length, '\0');
    char* out = result.data();
    for (std::size_t i = 0; i < size;) {
        if (text[i] < 0x80)
            *out++ = static_cast<char>(text[i++]);
        else
            out += EncodeChar(text, size, i, out, forMemo);
    }
    return result;
}

std::optional<std::string> ToMemoForm(std::string_view bytes) {
    bool lone = false;
    for (std::size_t cr = bytes.find('\r'); !lone && cr != bytes.npos;
         cr = bytes.find('\r', cr + 1))
        lone = cr + 1 == bytes.size() || bytes[cr + 1] != '\n';
    for (std::size_t lf = bytes.find('\n'); !lone && lf != bytes.npos;
         lf = bytes.find('\n', lf + 1))
        lone = lf == 0 || bytes[lf - 1] != '\r';
    if (!lone)
        return std::nullopt;
    std::string text;
    text.reserve(bytes.size() + bytes.size() / 8);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '\r' && bytes[i] != '\n') {
            text += bytes[i];
            continue;
        }
        text += "\r\n";
        i += bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n';
    }
    return text;
}

} // namespace memocodec
