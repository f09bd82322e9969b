#include "crc.h"
#include "reference.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <random>
#include <string_view>
#include <vector>

namespace {

const std::string_view kCheck = "123456789";

const std::uint8_t* Bytes(std::string_view s) {
    return reinterpret_cast<const std::uint8_t*>(s.data());
}

struct KnownAnswer {
    int width;
    std::uint32_t init;
    std::uint32_t poly;
    bool reversePoly;
    bool reflectedTable;
    bool reflectedUpdate;
    std::uint32_t expected;
};

std::uint32_t Calc(const KnownAnswer& k, const std::uint8_t* data, std::int32_t len) {
    if (k.width == 16)
        return CalcCrc16(data, len, static_cast<std::uint16_t>(k.init),
                         static_cast<std::uint16_t>(k.poly), k.reflectedTable, k.reflectedUpdate,
                         k.reversePoly);
    return CalcCrc32(data, len, k.init, k.poly, k.reflectedTable, k.reflectedUpdate, k.reversePoly);
}

class CheckValue : public testing::TestWithParam<KnownAnswer> {};

TEST_P(CheckValue, OverTheNineDigits) {
    const KnownAnswer& k = GetParam();
    EXPECT_EQ(Calc(k, Bytes(kCheck), 9), k.expected);
}

INSTANTIATE_TEST_SUITE_P(
    PublishedAndMixed, CheckValue,
    testing::Values(KnownAnswer{16, 0xFFFF, 0x8005, true, true, true, 0x4B37},
                    KnownAnswer{16, 0xFFFF, 0xA001, false, true, true, 0x4B37},
                    KnownAnswer{16, 0xFFFF, 0x1021, false, false, false, 0x29B1},
                    KnownAnswer{16, 0x0000, 0x1021, false, false, false, 0x31C3},
                    KnownAnswer{16, 0x0000, 0x8005, true, true, true, 0xBB3D},
                    KnownAnswer{16, 0x0000, 0x1021, true, true, true, 0x2189},
                    KnownAnswer{16, 0xFFFF, 0x8005, false, true, true, 0x3D7B},
                    KnownAnswer{16, 0xFFFF, 0x8005, true, true, false, 0xD641},
                    KnownAnswer{32, 0xFFFFFFFF, 0x04C11DB7, true, true, true, 0x340BC6D9},
                    KnownAnswer{32, 0xFFFFFFFF, 0xEDB88320, false, true, true, 0x340BC6D9},
                    KnownAnswer{32, 0xFFFFFFFF, 0x04C11DB7, false, false, false, 0x0376E6E7}));

TEST(CalcCrc16, ModbusRequest) {
    const std::uint8_t request[] = {0x01, 0x03, 0x00, 0x00, 0x00, 0x0A};
    EXPECT_EQ(CalcCrc16(request, 6, 0xFFFF, 0x8005, true, true, true), 0xCDC5);
}

TEST(CalcCrc16, SingleZeroByte) {
    const std::uint8_t zero = 0;
    EXPECT_EQ(CalcCrc16(&zero, 1, 0xFFFF, 0x8005, true, true, true), 0x40BF);
}

TEST(CalcCrc, EmptyOrNegativeLengthReturnsInitWithoutReading) {
    for (std::int32_t len : {0, -1, -100000}) {
        EXPECT_EQ(CalcCrc16(nullptr, len, 0xFFFF, 0x8005, true, true, true), 0xFFFF);
        EXPECT_EQ(CalcCrc32(nullptr, len, 0x12345678, 0x04C11DB7, true, true, true), 0x12345678u);
    }
}

TEST(CalcCrc32, StandardCheckAfterXorOut) {
    EXPECT_EQ(CalcCrc32(Bytes(kCheck), 9, 0xFFFFFFFF, 0x04C11DB7, true, true, true) ^ 0xFFFFFFFFu,
              0xCBF43926u);
}

TEST(ReverseBits, Examples) {
    struct Case {
        std::uint32_t value;
        std::uint8_t nibbles;
        std::uint32_t expected;
    };
    const Case cases[] = {{0x8005, 4, 0xA001},
                          {0x1021, 4, 0x8408},
                          {0x04C11DB7, 8, 0xEDB88320},
                          {0x12345, 4, 0xA2C4},
                          {0x1, 4, 0x8000},
                          {0x1, 8, 0x80000000},
                          {0xA001, 4, 0x8005},
                          {0x8005, 8, 0xA0010000},
                          {0xFFFFFFFF, 4, 0xFFFF},
                          {0, 8, 0}};
    for (const Case& c : cases)
        EXPECT_EQ(ReverseBits(c.value, c.nibbles), c.expected)
            << std::hex << c.value << " with " << int(c.nibbles) << " nibbles";
}

TEST(ReverseBits, IsAnInvolutionOnItsField) {
    std::mt19937 rng(7);
    for (int i = 0; i < 1000; ++i) {
        const std::uint32_t v = rng();
        EXPECT_EQ(ReverseBits(ReverseBits(v, 8), 8), v);
        EXPECT_EQ(ReverseBits(ReverseBits(v, 4), 4), v & 0xFFFF);
    }
}

TEST(NibbleReverseTable, ReversesEachNibble) {
    const std::array<std::uint8_t, 16> expected = {0x0, 0x8, 0x4, 0xC, 0x2, 0xA, 0x6, 0xE,
                                                   0x1, 0x9, 0x5, 0xD, 0x3, 0xB, 0x7, 0xF};
    for (int n = 0; n < 16; ++n)
        EXPECT_EQ(NibbleReverseTable[n], expected[n]) << n;
}

struct TableRows {
    std::uint32_t poly;
    bool reflected;
    int first;
    std::vector<std::uint32_t> entries;
};

TEST(BuildCrc16Table, TellingRows) {
    const TableRows rows[] = {
        {0xA001, true, 0, {0x0000, 0xC0C1, 0xC181, 0x0140, 0xC301, 0x03C0, 0x0280, 0xC241}},
        {0xA001, true, 8, {0xC601, 0x06C0, 0x0780, 0xC741, 0x0500, 0xC5C1, 0xC481, 0x0440}},
        {0xA001, true, 248, {0x8201, 0x42C0, 0x4380, 0x8341, 0x4100, 0x81C1, 0x8081, 0x4040}},
        {0x1021, false, 0, {0x0000, 0x1021, 0x2042, 0x3063, 0x4084, 0x50A5, 0x60C6, 0x70E7}},
        {0x1021, false, 248, {0x6E17, 0x7E36, 0x4E55, 0x5E74, 0x2E93, 0x3EB2, 0x0ED1, 0x1EF0}},
        {0x8005, false, 0, {0x0000, 0x8005, 0x800F, 0x000A, 0x801B, 0x001E, 0x0014, 0x8011}},
        {0x8005, true, 0, {0x0000, 0x9705, 0x2E01, 0xB904, 0x5C02, 0xCB07, 0x7203, 0xE506}},
    };
    for (const TableRows& r : rows) {
        BuildCrc16Table(static_cast<std::uint16_t>(r.poly), r.reflected);
        for (std::size_t i = 0; i < r.entries.size(); ++i)
            EXPECT_EQ(Crc16Table[r.first + i], r.entries[i])
                << std::hex << r.poly << " entry " << std::dec << r.first + i;
    }
}

TEST(BuildCrc32Table, TellingRows) {
    const TableRows rows[] = {
        {0xEDB88320,
         true,
         0,
         {0x00000000, 0x77073096, 0xEE0E612C, 0x990951BA, 0x076DC419, 0x706AF48F, 0xE963A535,
          0x9E6495A3}},
        {0xEDB88320, true, 252, {0xB40BBE37, 0xC30C8EA1, 0x5A05DF1B, 0x2D02EF8D}},
        {0x04C11DB7,
         false,
         0,
         {0x00000000, 0x04C11DB7, 0x09823B6E, 0x0D4326D9, 0x130476DC, 0x17C56B6B, 0x1A864DB2,
          0x1E475005}},
    };
    for (const TableRows& r : rows) {
        BuildCrc32Table(r.poly, r.reflected);
        for (std::size_t i = 0; i < r.entries.size(); ++i)
            EXPECT_EQ(Crc32Table[r.first + i], r.entries[i])
                << std::hex << r.poly << " entry " << std::dec << r.first + i;
    }
}

TEST(CalcCrc16, LeavesTheTableOfItsEffectivePolynomial) {
    CalcCrc16(Bytes(kCheck), 9, 0xFFFF, 0x8005, true, true, true);
    const std::array<std::uint16_t, 256> afterReversed = std::to_array(Crc16Table);
    BuildCrc16Table(0xA001, true);
    EXPECT_EQ(afterReversed, std::to_array(Crc16Table));

    CalcCrc16(Bytes(kCheck), 9, 0xFFFF, 0x1021, false, true, false);
    EXPECT_EQ(Crc16Table[1], 0x1021);
}

TEST(CalcCrc16, ReversingBeforeTheBuildMatchesTheReflectedForm) {
    for (bool table : {false, true})
        for (bool update : {false, true})
            EXPECT_EQ(CalcCrc16(Bytes(kCheck), 9, 0x1D0F, 0x8005, table, update, true),
                      CalcCrc16(Bytes(kCheck), 9, 0x1D0F, 0xA001, table, update, false));
}

// The textbook bitwise CRCs of the two matched orientations.
std::uint32_t TextbookMsbFirst(const std::vector<std::uint8_t>& data, std::uint32_t crc,
                               std::uint32_t poly, int width) {
    const std::uint32_t mask = width == 32 ? 0xFFFFFFFFu : 0xFFFFu;
    crc &= mask;
    for (std::uint8_t b : data) {
        crc ^= static_cast<std::uint32_t>(b) << (width - 8);
        for (int i = 0; i < 8; ++i)
            crc = ((crc >> (width - 1)) & 1u) ? ((crc << 1) ^ poly) & mask : (crc << 1) & mask;
    }
    return crc;
}

std::uint32_t TextbookLsbFirst(const std::vector<std::uint8_t>& data, std::uint32_t crc,
                               std::uint32_t reflectedPoly) {
    for (std::uint8_t b : data) {
        crc ^= b;
        for (int i = 0; i < 8; ++i)
            crc = (crc & 1u) ? (crc >> 1) ^ reflectedPoly : crc >> 1;
    }
    return crc;
}

TEST(CalcCrc, MatchesBitwiseReferenceOverAllFlagCombinations) {
    std::mt19937 rng(20261208);
    std::uniform_int_distribution<int> length(0, 300);
    for (int round = 0; round < 400; ++round) {
        std::vector<std::uint8_t> data(length(rng));
        for (auto& b : data)
            b = static_cast<std::uint8_t>(rng());
        const std::uint32_t init = rng();
        const std::uint32_t poly = rng();
        const auto len = static_cast<std::int32_t>(data.size());
        for (int flags = 0; flags < 8; ++flags) {
            const bool table = flags & 1, update = flags & 2, reverse = flags & 4;
            SCOPED_TRACE(testing::Message() << "round " << round << " flags " << flags);
            EXPECT_EQ(CalcCrc16(data.data(), len, static_cast<std::uint16_t>(init),
                                static_cast<std::uint16_t>(poly), table, update, reverse),
                      ReferenceCrc(16, poly, table, update, reverse).Run(init, data));
            EXPECT_EQ(CalcCrc32(data.data(), len, init, poly, table, update, reverse),
                      ReferenceCrc(32, poly, table, update, reverse).Run(init, data));
        }
        EXPECT_EQ(CalcCrc16(data.data(), len, init & 0xFFFF, poly & 0xFFFF, false, false, false),
                  TextbookMsbFirst(data, init, poly & 0xFFFF, 16));
        EXPECT_EQ(CalcCrc32(data.data(), len, init, poly, false, false, false),
                  TextbookMsbFirst(data, init, poly, 32));
        EXPECT_EQ(CalcCrc16(data.data(), len, init & 0xFFFF, poly & 0xFFFF, true, true, false),
                  TextbookLsbFirst(data, init & 0xFFFF, poly & 0xFFFF));
        EXPECT_EQ(CalcCrc32(data.data(), len, init, poly, true, true, false),
                  TextbookLsbFirst(data, init, poly));
    }
}

} // namespace
