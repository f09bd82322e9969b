// Hexadecimal digits both ways: the upper-case digit of every value 0 to 15,
// and the value of every byte as a digit, -1 for a byte that is none.
#pragma once

#include <array>
#include <cstdint>

inline constexpr char kUpperHexDigits[] = "0123456789ABCDEF";

constexpr std::array<std::int8_t, 256> MakeHexDigitTable() {
    std::array<std::int8_t, 256> table{};
    for (auto& entry : table)
        entry = -1;
    for (int c = '0'; c <= '9'; ++c)
        table[c] = static_cast<std::int8_t>(c - '0');
    for (int c = 'A'; c <= 'F'; ++c) {
        table[c] = static_cast<std::int8_t>(c - 'A' + 10);
        table[c - 'A' + 'a'] = static_cast<std::int8_t>(c - 'A' + 10);
    }
    return table;
}

inline constexpr std::array<std::int8_t, 256> kHexDigitValue = MakeHexDigitTable();
