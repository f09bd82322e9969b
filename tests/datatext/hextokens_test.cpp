#include "hextokens.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

using namespace std::string_literals;
using ::testing::ElementsAreArray;

namespace {

using Tokens = std::vector<std::string>;

std::string CaseName(const char* description) {
    std::string name;
    for (const char* c = description; *c; ++c)
        name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
    return name;
}

std::string MessageOf(std::string_view token) {
    try {
        ParseHexToken(token);
    } catch (const EConvertError& e) {
        return e.what();
    }
    return "no error";
}

struct SplitCase {
    const char* name;
    std::string text;
    Tokens tokens;
};

const SplitCase kSplitCases[] = {
    {"empty", "", {}},
    {"space, line break", "41 42\r\n43", {"41", "42", "43"}},
    {"runs of mixed separators", "41 \t  42\r\n\r\n\v\f43", {"41", "42", "43"}},
    {"leading and trailing separators", " \r\n\t41 42 \r\n", {"41", "42"}},
    {"separators only", " \r\n\t\x01\x1f ", {}},
    {"one plain token", "0000000000FF", {"0000000000FF"}},
    {"quoted token keeps separators", "\"41 42\"", {"41 42"}},
    {"quoted token between plain ones", "41 \"a\tb\" 42", {"41", "a\tb", "42"}},
    {"doubled quote in quoted token", "\"A\"\"B\"", {"A\"B"}},
    {"doubled quote at both ends", "\"\"\"AB\"\"\"", {"\"AB\""}},
    {"only doubled quotes", "\"\"\"\"\"\"", {"\"\""}},
    {"assembled tokens in a row", "\"a\"\"b\" \"c\"\"d\"", {"a\"b", "c\"d"}},
    {"empty quoted token", "\"\"", {""}},
    {"empty quoted token then plain", "\"\" 41", {"", "41"}},
    {"quote inside plain token", "4\"1", {"4\"1"}},
    {"quote ending plain token", "41\" 42", {"41\"", "42"}},
    {"token right after closing quote", "\"AB\"CD", {"AB", "CD"}},
    {"quoted token right after closing quote", "\"AB\"\"\"", {"AB\""}},
    {"unterminated quote runs to the end", "41 \"42 43", {"41", "42 43"}},
    {"unterminated quote with doubled quote", "\"4\"\"2 ", {"4\"2 "}},
    {"lone quote", "41 \"", {"41", ""}},
    {"bytes 128 to 255 are token characters",
     "\x80\xff \xc3\xa9\xa0",
     {"\x80\xff", "\xc3\xa9\xa0"}},
    {"00 ends the text", "41\0 42"s, {"41"}},
    {"00 right at the start", "\0 41"s, {}},
    {"00 ends a quoted token", "\"4\0 2\" 43"s, {"4"}},
    {"binary import lines",
     "00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F \r\n10 11 \r\n",
     {"00", "01", "02", "03", "04", "05", "06", "07", "08", "09", "0A", "0B", "0C", "0D", "0E",
      "0F", "10", "11"}},
    {"binary import with empty last line", "00 01 \r\n\r\n", {"00", "01"}},
};

class SplitHexTokensTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitHexTokensTest, Splits) {
    EXPECT_THAT(SplitHexTokens(GetParam().text), ElementsAreArray(GetParam().tokens));
}

INSTANTIATE_TEST_SUITE_P(Texts, SplitHexTokensTest, ::testing::ValuesIn(kSplitCases),
                         [](const auto& info) { return CaseName(info.param.name); });

TEST(SplitHexTokens, EveryControlCodeSeparates) {
    for (int code = 1; code <= 32; ++code) {
        const std::string text = "41"s + static_cast<char>(code) + "42" + static_cast<char>(code) +
                                 static_cast<char>(code);
        EXPECT_THAT(SplitHexTokens(text), ElementsAreArray(Tokens{"41", "42"})) << "code " << code;
    }
    for (int code = 33; code <= 255; ++code) {
        const std::string text = "4"s + static_cast<char>(code) + "2";
        EXPECT_THAT(SplitHexTokens(text), ElementsAreArray(Tokens{text})) << "code " << code;
    }
}

struct ParseCase {
    std::string token;
    std::uint32_t value;
};

class ParseHexTokenValid : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseHexTokenValid, Reads) {
    EXPECT_EQ(ParseHexToken(GetParam().token), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    Tokens, ParseHexTokenValid,
    ::testing::Values(ParseCase{"ff", 255}, ParseCase{"fF", 255}, ParseCase{"FF", 255},
                      ParseCase{"0000000000FF", 255}, ParseCase{"FFFFFFFF", 0xFFFFFFFFu},
                      ParseCase{"000000000FFFFFFFF", 0xFFFFFFFFu}, ParseCase{"0", 0},
                      ParseCase{"00000000000", 0}, ParseCase{"7", 7}, ParseCase{"1FF", 0x1FF},
                      ParseCase{"0FFFFFFF", 0x0FFFFFFF}, ParseCase{"10000000", 0x10000000},
                      ParseCase{"12345678", 0x12345678}, ParseCase{"9abcdef0", 0x9ABCDEF0},
                      ParseCase{"9ABCDEF0", 0x9ABCDEF0}));

class ParseHexTokenInvalid : public ::testing::TestWithParam<std::string> {};

TEST_P(ParseHexTokenInvalid, FailsWithTheTokenInTheMessage) {
    EXPECT_EQ(MessageOf(GetParam()), "'$" + GetParam() + "' is not a valid integer value");
}

INSTANTIATE_TEST_SUITE_P(Tokens, ParseHexTokenInvalid,
                         ::testing::Values("", "100000000", "FFFFFFFFF", "10000000F", "0x1F", "-1",
                                           "+1", " 1", "1 ", "41 42", "G", "3G", "g", "4\"1",
                                           "\x80", "1\xff", "\xc3\xa9", "$1F", "1h"));

TEST(ParseHexToken, ExactMessages) {
    EXPECT_EQ(MessageOf("3G"), "'$3G' is not a valid integer value");
    EXPECT_EQ(MessageOf(""), "'$' is not a valid integer value");
}

struct BytesCase {
    const char* name;
    std::string text;
    std::vector<std::uint8_t> bytes;
    std::optional<std::size_t> failedIndex;
};

const BytesCase kBytesCases[] = {
    {"modbus request", "01 03 00 00 00 0A", {0x01, 0x03, 0x00, 0x00, 0x00, 0x0A}, std::nullopt},
    {"low 8 bits", "7 1FF 100 FFFFFFFF 0000000000FF", {0x07, 0xFF, 0x00, 0xFF, 0xFF}, std::nullopt},
    {"quoted hex converts", "\"41\" 42", {0x41, 0x42}, std::nullopt},
    {"00 ends the text", "41\0 zz"s, {0x41}, std::nullopt},
    {"second token fails", "31 3G 33", {0x31}, 1},
    {"first token fails", "x 31", {}, 0},
    {"nine digits fail", "41 42 100000000", {0x41, 0x42}, 2},
    {"empty quoted token fails", "41 \"\"", {0x41}, 1},
    {"quoted token with a space fails", "\"41 42\"", {}, 0},
    {"empty text fails at 0", "", {}, 0},
    {"separators only fail at 0", " \r\n\t ", {}, 0},
    {"line break only fails at 0", "\r\n", {}, 0},
};

class HexTextToBytesTest : public ::testing::TestWithParam<BytesCase> {};

TEST_P(HexTextToBytesTest, Converts) {
    const HexBytes result = HexTextToBytes(GetParam().text);
    EXPECT_THAT(result.bytes, ElementsAreArray(GetParam().bytes));
    EXPECT_EQ(result.failedIndex, GetParam().failedIndex);
}

INSTANTIATE_TEST_SUITE_P(Texts, HexTextToBytesTest, ::testing::ValuesIn(kBytesCases),
                         [](const auto& info) { return CaseName(info.param.name); });

// The reference is the plain definition: split, then parse each token in turn.
HexBytes ReferenceBytes(std::string_view text) {
    HexBytes result;
    const Tokens tokens = SplitHexTokens(text);
    for (const std::string& token : tokens) {
        try {
            result.bytes.push_back(static_cast<std::uint8_t>(ParseHexToken(token)));
        } catch (const EConvertError&) {
            result.failedIndex = result.bytes.size();
            return result;
        }
    }
    if (tokens.empty())
        result.failedIndex = 0;
    return result;
}

TEST(HexTextToBytes, AgreesWithSplitAndParseOnRandomTexts) {
    // Mostly hex digits and separators, so that many texts convert in full.
    const std::string alphabet =
        "0123456789abcdefABCDEF0123456789    \r\n\t\"\"Gx\x80\xff\x01"s + '\0';
    std::mt19937 rng(7);
    int converted = 0;
    for (int round = 0; round < 5000; ++round) {
        std::string text(rng() % 40, ' ');
        for (char& c : text)
            c = alphabet[rng() % alphabet.size()];
        const HexBytes expected = ReferenceBytes(text);
        const HexBytes actual = HexTextToBytes(text);
        ASSERT_EQ(actual.failedIndex, expected.failedIndex) << text;
        ASSERT_EQ(actual.bytes, expected.bytes) << text;
        converted += actual.failedIndex ? 0 : 1;
    }
    // Both outcomes must be well represented for the comparison to mean anything.
    EXPECT_GT(converted, 200);
    EXPECT_LT(converted, 4800);
}

TEST(HexTokenReader, PlainTokensAreViewsIntoTheText) {
    const std::string text = "41 \"a\"\"b\" 42";
    HexTokenReader reader(text);
    std::string_view token;
    ASSERT_TRUE(reader.Next(token));
    EXPECT_EQ(token.data(), text.data());
    ASSERT_TRUE(reader.Next(token));
    EXPECT_EQ(token, "a\"b");
    ASSERT_TRUE(reader.Next(token));
    EXPECT_EQ(token.data(), text.data() + 10);
    EXPECT_FALSE(reader.Next(token));
    EXPECT_FALSE(reader.Next(token));
}

} // namespace
