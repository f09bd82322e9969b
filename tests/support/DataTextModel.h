// Plain definitions of the memo's data rules, as references for tests and
// fuzzers. Qt-free and header-only.
#pragma once

#include <string>
#include <string_view>

// Every byte as two upper-case digits, joined by single spaces.
inline std::string HexPairs(std::string_view bytes) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string hex;
    for (const char c : bytes) {
        if (!hex.empty())
            hex += ' ';
        hex += kDigits[static_cast<unsigned char>(c) >> 4];
        hex += kDigits[static_cast<unsigned char>(c) & 0xF];
    }
    return hex;
}

// The bytes with every lone CR, lone LF and CR LF made a CR LF, as a memo
// holds them.
inline std::string WithMemoLineBreaks(std::string_view bytes) {
    std::string result;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r' || bytes[i] == '\n') {
            result += "\r\n";
            if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
                ++i;
        } else {
            result += bytes[i];
        }
    }
    return result;
}
