#include "hexformat.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <numeric>

namespace {

TEST(HexDigits, PadsToTheMinimumAndNeverCuts) {
    const struct {
        std::uint32_t value;
        int digits;
        const char* text;
    } cases[] = {
        {0x0, 4, "0000"},
        {0x4B37, 4, "4B37"},
        {0xA, 2, "0A"},
        {0xff, 2, "FF"},
        {0x14B37, 4, "14B37"},
        {0x340BC6D9, 8, "340BC6D9"},
        {0x376E6E7, 8, "0376E6E7"},
        {0xFFFFFFFF, 4, "FFFFFFFF"},
        {0x0, 0, "0"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(HexDigits(c.value, c.digits), c.text);
}

TEST(Crc16TableLines, ThirtyTwoLinesOfEightInIndexOrder) {
    std::uint16_t table[256];
    std::iota(std::begin(table), std::end(table), std::uint16_t{0xFF00});
    const auto lines = Crc16TableLines(table);
    ASSERT_EQ(lines.size(), 32u);
    for (const auto& line : lines)
        EXPECT_EQ(line.size(), 64u);
    EXPECT_EQ(lines[0], "0xFF00, 0xFF01, 0xFF02, 0xFF03, 0xFF04, 0xFF05, 0xFF06, 0xFF07, ");
    EXPECT_EQ(lines[31], "0xFFF8, 0xFFF9, 0xFFFA, 0xFFFB, 0xFFFC, 0xFFFD, 0xFFFE, 0xFFFF, ");
    table[9] = 0x000A;
    EXPECT_EQ(Crc16TableLines(table)[1].substr(8, 8), "0x000A, ");
}

} // namespace
