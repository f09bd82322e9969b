#include "Calculate.h"
#include "reference.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <random>
#include <string>

namespace {

CalcRequest Modbus(std::string_view data, bool hex) {
    return {.init = "FFFF",
            .poly = "8005",
            .width = 16,
            .reversePoly = true,
            .reflectedTable = true,
            .reflectedUpdate = true,
            .hex = hex,
            .data = data};
}

TEST(Calculate, KnownAnswers) {
    CalcRequest crc32 = Modbus("123456789", false);
    crc32.width = 32;
    crc32.init = "FFFFFFFF";
    crc32.poly = "04C11DB7";
    crc32.xorOut = true;
    crc32.xorValue = "ffffffff";
    // The XOR value is applied whole: its bits above 16 show in a CRC-16.
    CalcRequest wideXor = Modbus("123456789", false);
    wideXor.xorOut = true;
    wideXor.xorValue = "10000";
    // Only the fields' low 16 bits reach a CRC-16.
    CalcRequest wideFields = Modbus("31 32 33 34 35 36 37 38 39", true);
    wideFields.init = "1FFFF";
    wideFields.poly = "0000018005";
    struct Case {
        CalcRequest request;
        std::string expected;
    };
    const Case cases[] = {
        {Modbus("01 03 00 00 00 0A", true), "CDC5"},
        {Modbus("123456789", false), "4B37"},
        {Modbus("\r\n", false), "2785"},
        {crc32, "CBF43926"},
        {wideXor, "14B37"},
        {wideFields, "4B37"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Calculate(c.request), CalcResult(c.expected)) << c.request.data;
    // Tokens keep their low 8 bits.
    EXPECT_EQ(Calculate(Modbus("1FF 100 0000000000FF", true)), Calculate(Modbus("FF 00 FF", true)));
}

TEST(Calculate, FailuresInTheirOrder) {
    const auto with = [](auto change) {
        CalcRequest r = Modbus("01 03", true);
        change(r);
        return Calculate(r);
    };
    EXPECT_EQ(with([](CalcRequest& r) { r.init = r.poly = r.data = {}; }),
              CalcResult(CalcPrompt::NoInit));
    EXPECT_EQ(with([](CalcRequest& r) { r.poly = r.data = {}; }), CalcResult(CalcPrompt::NoPoly));
    EXPECT_EQ(with([](CalcRequest& r) { r.data = {}; }), CalcResult(CalcPrompt::NoText));
    // The initial value is converted before the polynomial.
    EXPECT_EQ(with([](CalcRequest& r) { r.init = r.poly = "X1"; }),
              CalcResult(CalcConvertError{"'$X1' is not a valid integer value"}));
    EXPECT_EQ(with([](CalcRequest& r) { r.data = " \r\n"; }), CalcResult(CalcBadToken{0}));
    EXPECT_EQ(with([](CalcRequest& r) { r.data = "31 3G 33"; }), CalcResult(CalcBadToken{1}));
    // A bad token wins over an empty XOR field: the field is read after the CRC.
    EXPECT_EQ(with([](CalcRequest& r) {
                  r.data = "31 3G";
                  r.xorOut = true;
              }),
              CalcResult(CalcBadToken{1}));
    EXPECT_EQ(with([](CalcRequest& r) { r.xorOut = true; }),
              CalcResult(CalcConvertError{"'$' is not a valid integer value"}));
    // With XOR-out off the field is never read.
    EXPECT_EQ(with([](CalcRequest& r) { r.xorValue = "zz"; }), Calculate(Modbus("01 03", true)));
}

// Hexadecimal data is read in blocks: a bad token's index must count across them.
TEST(Calculate, BadTokenIndexCountsAcrossBlocks) {
    for (std::size_t bad :
         {std::size_t{65535}, std::size_t{65536}, std::size_t{65537}, std::size_t{200001}}) {
        std::string text;
        for (std::size_t i = 0; i < bad; ++i)
            text += "5A ";
        text += "5Z 00";
        EXPECT_EQ(Calculate(Modbus(text, true)), CalcResult(CalcBadToken{bad}));
    }
}

// The blocks come in order, none longer than asked, the last one short (empty
// when the bytes fill whole blocks); a bad token stops them and is reported.
TEST(ReadHexBlocks, BlocksInOrderAndTheFirstBadToken) {
    for (const std::size_t count :
         {std::size_t{0}, std::size_t{1}, std::size_t{3}, std::size_t{4}, std::size_t{9}}) {
        std::string text;
        std::vector<std::uint8_t> expected;
        for (std::size_t i = 0; i < count; ++i) {
            char token[20];
            std::snprintf(token, sizeof token, "%zX ", i + 1);
            text += token;
            expected.push_back(static_cast<std::uint8_t>(i + 1));
        }
        std::vector<std::uint8_t> got;
        std::vector<std::size_t> sizes;
        const auto failed = ReadHexBlocks(text + "\r\n", 4, [&](auto block) {
            got.insert(got.end(), block.begin(), block.end());
            sizes.push_back(block.size());
        });
        std::vector<std::size_t> expectedSizes(count / 4, 4);
        expectedSizes.push_back(count % 4);
        if (count == 0) {
            EXPECT_EQ(failed, std::optional<std::size_t>(0)) << "no tokens";
        } else {
            EXPECT_EQ(failed, std::nullopt) << count;
            EXPECT_EQ(got, expected) << count;
        }
        EXPECT_EQ(sizes, expectedSizes) << count;
    }
    std::vector<std::uint8_t> got;
    EXPECT_EQ(ReadHexBlocks("01 02 03 04 05 0G 07", 4,
                            [&](auto block) { got.insert(got.end(), block.begin(), block.end()); }),
              std::optional<std::size_t>(5));
    EXPECT_EQ(got, (std::vector<std::uint8_t>{1, 2, 3, 4, 5}));
}

std::string HexText(const std::vector<std::uint8_t>& bytes, std::mt19937& rng) {
    const char* const separators[] = {" ", "\r\n", "\t", "  "};
    const char* const formats[] = {"%02X", "%02x", "%03X", "\"%X\""};
    std::string text;
    char token[16];
    for (const std::uint8_t b : bytes) {
        std::snprintf(token, sizeof token, formats[rng() % 4], b);
        text += token;
        text += separators[rng() % 4];
    }
    return text;
}

// The whole pipeline against the bit-at-a-time model: random parameters,
// flags, XOR values and data of up to three blocks, in both data modes.
TEST(Calculate, MatchesTheReference) {
    std::mt19937 rng(77);
    char field[3][16];
    for (int round = 0; round < 24; ++round) {
        std::vector<std::uint8_t> bytes(rng() % 140000 + 1);
        for (auto& b : bytes)
            b = static_cast<std::uint8_t>(rng());
        const std::string raw(bytes.begin(), bytes.end());
        const int width = round % 2 ? 32 : 16;
        const std::uint32_t init = rng(), poly = rng(), xorValue = rng() >> (rng() % 32);
        std::snprintf(field[0], sizeof field[0], "%X", init);
        std::snprintf(field[1], sizeof field[1], "%x", poly);
        std::snprintf(field[2], sizeof field[2], "%08X", xorValue);
        CalcRequest request{
            field[0],         field[1],         field[2],         width, (rng() & 1) != 0,
            (rng() & 1) != 0, (rng() & 1) != 0, (rng() & 1) != 0, false, raw};
        const ReferenceCrc reference(width, poly, request.reflectedTable, request.reflectedUpdate,
                                     request.reversePoly);
        std::uint32_t expected = reference.Run(init, bytes);
        if (request.xorOut)
            expected ^= xorValue;
        char digits[16];
        std::snprintf(digits, sizeof digits, width == 32 ? "%08X" : "%04X", expected);
        SCOPED_TRACE(testing::Message() << "round " << round);
        EXPECT_EQ(Calculate(request), CalcResult(std::string(digits)));
        const std::string hex = HexText(bytes, rng);
        request.hex = true;
        request.data = hex;
        EXPECT_EQ(Calculate(request, CrcPath::ByteWise), CalcResult(std::string(digits)));
    }
}

} // namespace
