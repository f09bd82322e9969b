#include "DataTextModel.h"
#include "datatexterrors.h"
#include "hextokens.h"
#include "hexview.h"
#include "standins.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

using namespace std::string_literals;

namespace {

constexpr std::size_t kUnlimited = std::size_t{1} << 40;

std::string RandomBytes(std::mt19937& rng, std::size_t maxLength) {
    static const std::string kSpecial = "\0\r\n.\xC2\xA0\xE2\x80\xA8\xFF\x80\xE4\xB8\xAD"s;
    std::string bytes(rng() % (maxLength + 1), '\0');
    for (char& c : bytes)
        c = rng() % 2 ? kSpecial[rng() % kSpecial.size()] : static_cast<char>(rng());
    return bytes;
}

TEST(HexView, RandomBytesSurviveBothDirections) {
    std::mt19937 rng(17);
    for (int round = 0; round < 3000; ++round) {
        const std::string bytes = RandomBytes(rng, 48);
        const TextView expected = TextViewOf(TextViewCells(bytes));

        const TextViewResult view = HexViewToText(HexPairs(bytes));
        ASSERT_FALSE(view.failure);
        ASSERT_EQ(view.text, expected.text) << HexPairs(bytes);
        ASSERT_EQ(view.standIns, expected.standIns) << HexPairs(bytes);

        ASSERT_EQ(TextToHexView(view.text, view.standIns, kUnlimited), HexPairs(bytes));
    }
}

// The hexadecimal view by its definition: trim, split, then every token must
// be two digits; the bytes before a bad token are converted.
TextView HexViewModel(std::string_view hex, std::optional<BadHexToken>& failure) {
    const auto blank = [](char c) { return static_cast<unsigned char>(c) <= 32; };
    while (!hex.empty() && blank(hex.front()))
        hex.remove_prefix(1);
    while (!hex.empty() && blank(hex.back()))
        hex.remove_suffix(1);
    std::string bytes;
    failure.reset();
    const std::vector<std::string> tokens = SplitHexTokens(hex);
    for (std::size_t i = 0; i < tokens.size() && !failure; ++i) {
        if (tokens[i].size() != 2) {
            failure = BadHexToken{i, tokens[i].size(), false};
            break;
        }
        try {
            bytes += static_cast<char>(ParseHexToken(tokens[i]));
        } catch (const EConvertError&) {
            failure = BadHexToken{i, 2, true};
        }
    }
    return TextViewOf(TextViewCells(bytes));
}

TEST(HexView, AgreesWithTheDefinitionOnRandomHexTexts) {
    const std::string alphabet =
        "0123456789abcdefABCDEF0123456789    \r\n\t\"\"Gx\x80\xff\x01"s + '\0';
    std::mt19937 rng(29);
    int converted = 0;
    for (int round = 0; round < 20000; ++round) {
        std::string hex(rng() % 40, ' ');
        for (char& c : hex)
            c = rng() % 3 ? "0123456789ABCDEF"[rng() % 16] : alphabet[rng() % alphabet.size()];
        std::optional<BadHexToken> failure;
        const TextView expected = HexViewModel(hex, failure);
        const TextViewResult view = HexViewToText(hex);
        ASSERT_EQ(view.failure.has_value(), failure.has_value()) << hex;
        if (failure) {
            ASSERT_EQ(view.failure->index, failure->index) << hex;
            ASSERT_EQ(view.failure->length, failure->length) << hex;
            ASSERT_EQ(view.failure->twoCharacters, failure->twoCharacters) << hex;
        }
        ASSERT_EQ(view.text, expected.text) << hex;
        ASSERT_EQ(view.standIns, expected.standIns) << hex;
        converted += failure ? 0 : 1;
    }
    // Both outcomes must be well represented for the comparison to mean anything.
    EXPECT_GT(converted, 1000);
    EXPECT_LT(converted, 19000);
}

// Only the bytes at the stand-ins change; a line break with both halves
// listed stands for its CR.
TEST(HexView, OnlyStandInsStandForOtherBytes) {
    const struct {
        std::string text;
        std::vector<std::size_t> standIns;
        std::string hex;
    } cases[] = {
        {"..A.", {1, 2, 7}, "2E 00 41 2E"},
        {"A", {1, 2, 7}, "41"},
        {"", {0}, ""},
        {"A\r\n.\r\n", {0, 1, 5}, "41 0D 2E 0A"},
        {"\r\n\r\n\r\n", {0, 3, 4, 5}, "0D 0A 0D"},
        {"\r\n", {1}, "0A"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TextToHexView(c.text, c.standIns, kUnlimited), c.hex) << c.hex;
}

TEST(HexView, CapacityCountsTheWholeHexText) {
    EXPECT_EQ(TextToHexView("ABC", {}, 8), "41 42 43");
    EXPECT_THROW(TextToHexView("ABC", {}, 7), ECapacityError);
    const std::vector<std::size_t> loneCr = {1};
    EXPECT_EQ(TextToHexView("A\r\n", loneCr, 5), "41 0D");
    EXPECT_THROW(TextToHexView("A\r\n", loneCr, 4), ECapacityError);
}

struct ToTextCase {
    const char* name;
    std::string hex;
    std::string text;
    std::vector<std::size_t> standIns;
};

const ToTextCase kToTextCases[] = {
    {"lower case pairs", "61 6a", "aj", {}},
    {"several lines as the import writes them", "41 42 \r\n43 \r\n\r\n", "ABC", {}},
    {"blanks and control characters trimmed", "\x01\t 41 \x1f\r\n", "A", {}},
    {"quoted token counts by its content", "\"41\" 42", "AB", {}},
    {"unterminated quote ends at the trimmed end", "\"41   ", "A", {}},
    {"only blanks", " \r\n ", "", {}},
    {"CR before 00 keeps the 00", "41 0D 00 42", "A\r\n.B", {1, 3}},
    {"LF CR is two breaks", "0A 0D", "\r\n\r\n", {1, 2}},
    {"CR CR LF and a final CR", "0D 0D 0A 0D", "\r\n\r\n\r\n", {0, 4}},
};

class HexViewToTextTest : public ::testing::TestWithParam<ToTextCase> {};

TEST_P(HexViewToTextTest, Converts) {
    const TextViewResult view = HexViewToText(GetParam().hex);
    EXPECT_FALSE(view.failure);
    EXPECT_EQ(view.text, GetParam().text);
    EXPECT_EQ(view.standIns, GetParam().standIns);
}

INSTANTIATE_TEST_SUITE_P(Texts, HexViewToTextTest, ::testing::ValuesIn(kToTextCases),
                         [](const auto& info) {
                             std::string name = info.param.name;
                             for (char& c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c)))
                                     c = '_';
                             return name;
                         });

struct BadCase {
    std::string hex;
    std::size_t index;
    std::size_t length;
    bool twoCharacters;
    std::string textBefore;
};

TEST(HexViewToText, StopsAtTheFirstBadToken) {
    const BadCase cases[] = {
        {"4", 0, 1, false, ""},           {"41 414 42", 1, 3, false, "A"},
        {"00 G1 42", 1, 2, true, "."},    {"41 \"\"", 1, 0, false, "A"},
        {"41 \"4 2\"", 1, 3, false, "A"}, {"0x1F", 0, 4, false, ""},
        {"41 \xC3\xA9", 1, 2, true, "A"},
    };
    for (const BadCase& c : cases) {
        const TextViewResult view = HexViewToText(c.hex);
        ASSERT_TRUE(view.failure) << c.hex;
        EXPECT_EQ(view.failure->index, c.index) << c.hex;
        EXPECT_EQ(view.failure->length, c.length) << c.hex;
        EXPECT_EQ(view.failure->twoCharacters, c.twoCharacters) << c.hex;
        EXPECT_EQ(view.text, c.textBefore) << c.hex;
    }
}

// Bytes of a text, some of them stand-ins, edited as a memo is: the stand-ins
// that survive an edit are where StandInList must say.
class MarkedText {
public:
    void Edit(std::size_t at, std::size_t removed, std::size_t added) {
        marks_.erase(marks_.begin() + static_cast<std::ptrdiff_t>(at),
                     marks_.begin() + static_cast<std::ptrdiff_t>(at + removed));
        marks_.insert(marks_.begin() + static_cast<std::ptrdiff_t>(at), added, false);
    }
    void Reset(std::vector<bool> marks) { marks_ = std::move(marks); }
    std::size_t Size() const { return marks_.size(); }
    std::vector<std::size_t> Offsets() const {
        std::vector<std::size_t> offsets;
        for (std::size_t i = 0; i < marks_.size(); ++i)
            if (marks_[i])
                offsets.push_back(i);
        return offsets;
    }

private:
    std::vector<bool> marks_;
};

TEST(StandInList, FollowsRandomEdits) {
    std::mt19937 rng(23);
    for (int round = 0; round < 200; ++round) {
        MarkedText model;
        std::vector<bool> marks(rng() % 60);
        for (auto&& m : marks)
            m = rng() % 3 == 0;
        model.Reset(marks);
        StandInList list;
        list.Assign(model.Offsets());
        for (int edit = 0; edit < 30; ++edit) {
            const std::size_t at = rng() % (model.Size() + 1);
            const std::size_t removed = rng() % 3 == 0 ? rng() % (model.Size() - at + 1) : 0;
            const std::size_t added = rng() % 4;
            model.Edit(at, removed, added);
            list.TextChanged(at, removed, added);
            ASSERT_EQ(list.Offsets(), model.Offsets());
        }
    }
}

} // namespace
