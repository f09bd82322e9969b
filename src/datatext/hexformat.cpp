#include "hexformat.h"

#include "hexdigits.h"

std::string HexDigits(std::uint32_t value, int minDigits) {
    std::string reversed;
    do {
        reversed.push_back(kUpperHexDigits[value & 0xF]);
        value >>= 4;
    } while (value != 0);
    while (static_cast<int>(reversed.size()) < minDigits)
        reversed.push_back('0');
    return {reversed.rbegin(), reversed.rend()};
}

std::vector<std::string> Crc16TableLines(const std::uint16_t (&table)[256]) {
    constexpr int kPerLine = 8;
    std::vector<std::string> lines;
    lines.reserve(256 / kPerLine);
    for (int row = 0; row < 256 / kPerLine; ++row) {
        std::string line;
        for (int column = 0; column < kPerLine; ++column)
            line += "0x" + HexDigits(table[row * kPerLine + column], 4) + ", ";
        lines.push_back(std::move(line));
    }
    return lines;
}
