#include "DataTextModel.h"
#include "datatexterrors.h"
#include "hextokens.h"
#include "hexview.h"
#include "nullpositions.h"

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

// The text view by its definition: the memo makes every lone CR, lone LF and
// CR LF a CR LF, and shows 00 as a full stop.
struct Model {
    std::string text;
    std::vector<std::size_t> nullOffsets;
    std::string bytes; // what the text view stands for
};

Model TextViewModel(std::string_view bytes) {
    Model m;
    m.bytes = WithMemoLineBreaks(bytes);
    m.text = m.bytes;
    for (std::size_t i = 0; i < m.text.size(); ++i) {
        if (m.text[i] == '\0') {
            m.text[i] = '.';
            m.nullOffsets.push_back(i);
        }
    }
    return m;
}

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
        const Model expected = TextViewModel(bytes);

        const TextViewResult view = HexViewToText(HexPairs(bytes));
        ASSERT_FALSE(view.failure);
        ASSERT_EQ(view.text, expected.text) << HexPairs(bytes);
        ASSERT_EQ(view.nullOffsets, expected.nullOffsets) << HexPairs(bytes);

        ASSERT_EQ(TextToHexView(view.text, view.nullOffsets, kUnlimited), HexPairs(expected.bytes));
    }
}

// The hexadecimal view by its definition: trim, split, then every token must
// be two digits; the bytes before a bad token are converted.
Model HexViewModel(std::string_view hex, std::optional<BadHexToken>& failure) {
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
    return TextViewModel(bytes);
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
        const Model expected = HexViewModel(hex, failure);
        const TextViewResult view = HexViewToText(hex);
        ASSERT_EQ(view.failure.has_value(), failure.has_value()) << hex;
        if (failure) {
            ASSERT_EQ(view.failure->index, failure->index) << hex;
            ASSERT_EQ(view.failure->length, failure->length) << hex;
            ASSERT_EQ(view.failure->twoCharacters, failure->twoCharacters) << hex;
        }
        ASSERT_EQ(view.text, expected.text) << hex;
        ASSERT_EQ(view.nullOffsets, expected.nullOffsets) << hex;
        converted += failure ? 0 : 1;
    }
    // Both outcomes must be well represented for the comparison to mean anything.
    EXPECT_GT(converted, 1000);
    EXPECT_LT(converted, 19000);
}

TEST(HexView, FullStopsNotListedStay2E) {
    const std::vector<std::size_t> offsets = {1, 2, 7};
    EXPECT_EQ(TextToHexView("..A.", offsets, kUnlimited), "2E 00 41 2E");
    EXPECT_EQ(TextToHexView("A", offsets, kUnlimited), "41");
    EXPECT_EQ(TextToHexView("", offsets, kUnlimited), "");
}

TEST(HexView, CapacityCountsTheWholeHexText) {
    EXPECT_EQ(TextToHexView("ABC", {}, 8), "41 42 43");
    EXPECT_THROW(TextToHexView("ABC", {}, 7), ECapacityError);
}

struct ToTextCase {
    const char* name;
    std::string hex;
    std::string text;
    std::vector<std::size_t> nullOffsets;
};

const ToTextCase kToTextCases[] = {
    {"lower case pairs", "61 6a", "aj", {}},
    {"several lines as the import writes them", "41 42 \r\n43 \r\n\r\n", "ABC", {}},
    {"blanks and control characters trimmed", "\x01\t 41 \x1f\r\n", "A", {}},
    {"quoted token counts by its content", "\"41\" 42", "AB", {}},
    {"unterminated quote ends at the trimmed end", "\"41   ", "A", {}},
    {"only blanks", " \r\n ", "", {}},
    {"CR before 00 keeps the 00", "41 0D 00 42", "A\r\n.B", {3}},
    {"LF CR is two breaks", "0A 0D", "\r\n\r\n", {}},
};

class HexViewToTextTest : public ::testing::TestWithParam<ToTextCase> {};

TEST_P(HexViewToTextTest, Converts) {
    const TextViewResult view = HexViewToText(GetParam().hex);
    EXPECT_FALSE(view.failure);
    EXPECT_EQ(view.text, GetParam().text);
    EXPECT_EQ(view.nullOffsets, GetParam().nullOffsets);
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

// A text of marked characters, edited as a memo is: the marks of the
// characters that survive an edit are where NullPositionList must say.
class MarkedText {
public:
    void Edit(std::size_t at, std::size_t removed, std::size_t added) {
        marks_.erase(marks_.begin() + static_cast<std::ptrdiff_t>(at),
                     marks_.begin() + static_cast<std::ptrdiff_t>(at + removed));
        marks_.insert(marks_.begin() + static_cast<std::ptrdiff_t>(at), added, false);
    }
    void Reset(std::vector<bool> marks) { marks_ = std::move(marks); }
    std::size_t Size() const { return marks_.size(); }
    std::vector<std::int32_t> Positions() const {
        std::vector<std::int32_t> positions;
        for (std::size_t i = 0; i < marks_.size(); ++i)
            if (marks_[i])
                positions.push_back(static_cast<std::int32_t>(i + 1));
        return positions;
    }

private:
    std::vector<bool> marks_;
};

TEST(NullPositionList, FollowsRandomEdits) {
    std::mt19937 rng(23);
    for (int round = 0; round < 200; ++round) {
        MarkedText model;
        std::vector<bool> marks(rng() % 60);
        for (auto&& m : marks)
            m = rng() % 3 == 0;
        model.Reset(marks);
        NullPositionList list;
        list.Assign(model.Positions());
        for (int edit = 0; edit < 30; ++edit) {
            const std::size_t at = rng() % (model.Size() + 1);
            const std::size_t removed = rng() % 3 == 0 ? rng() % (model.Size() - at + 1) : 0;
            const std::size_t added = rng() % 4;
            model.Edit(at, removed, added);
            list.TextChanged(static_cast<std::int32_t>(at), static_cast<std::int32_t>(removed),
                             static_cast<std::int32_t>(added));
            ASSERT_EQ(list.Positions(), model.Positions());
        }
        for (std::int32_t p = 0; p <= static_cast<std::int32_t>(model.Size()) + 1; ++p) {
            const auto positions = model.Positions();
            ASSERT_EQ(list.IsNullPosition(p),
                      std::find(positions.begin(), positions.end(), p) != positions.end());
        }
    }
}

TEST(NullPositionList, KeepsMoreThan65535Positions) {
    std::vector<std::int32_t> positions(70000);
    for (std::size_t i = 0; i < positions.size(); ++i)
        positions[i] = static_cast<std::int32_t>(2 * i + 1);
    NullPositionList list;
    list.Assign(positions);
    EXPECT_TRUE(list.IsNullPosition(139999));
    list.TextChanged(0, 0, 1);
    EXPECT_EQ(list.Positions().size(), 70000u);
    EXPECT_TRUE(list.IsNullPosition(140000));
    EXPECT_FALSE(list.IsNullPosition(139999));
}

} // namespace
