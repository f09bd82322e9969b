#include "memocodec.h"

#include <algorithm>
#include <cstring>

namespace memocodec {

namespace {

constexpr bool IsHighSurrogate(char32_t u) {
    return u >= 0xD800 && u <= 0xDBFF;
}
constexpr bool IsLowSurrogate(char32_t u) {
    return u >= 0xDC00 && u <= 0xDFFF;
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

std::uint64_t CountMemoUnits(std::string_view bytes) {
    const auto* const begin = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* const end = begin + bytes.size();
    std::uint64_t units = 0;
    for (const unsigned char* p = begin; p != end;) {
        // A run of ASCII, eight bytes at a time: a unit a byte, less the LF of
        // each CR LF.
        const unsigned char* run = p;
        for (std::uint64_t word = 0; end - run >= 8; run += 8) {
            std::memcpy(&word, run, 8);
            if (word & 0x8080808080808080u)
                break;
        }
        while (run != end && *run < 0x80)
            ++run;
        // One pass the compiler vectorizes: the LFs that end a CR LF.
        std::uint64_t pairs = 0;
        for (const unsigned char* q = p + (p == begin && p != run); q < run; ++q)
            pairs += static_cast<std::uint64_t>((q[0] == '\n') & (q[-1] == '\r'));
        units += static_cast<std::uint64_t>(run - p) - pairs;
        if (run == end)
            break;
        const MemoChar c = ReadMemoChar(run, end);
        units += static_cast<std::uint64_t>(c.units);
        p = run + c.bytes;
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

std::string MemoTextOf(std::string bytes) {
    bytes.resize(BeforeNull(bytes).size());
    std::optional<std::string> normal = ToMemoForm(bytes);
    return normal ? std::move(*normal) : std::move(bytes);
}

} // namespace memocodec
