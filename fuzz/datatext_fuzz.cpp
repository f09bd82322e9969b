// Drives the token reader, token parsing and both view conversions with
// arbitrary bytes, taken once as data and once as a hexadecimal view.
//
// Data must come back from hex -> text -> hex byte for byte.
#include "DataTextModel.h"
#include "hextokens.h"
#include "hexview.h"

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr std::size_t kUnlimited = std::size_t{1} << 40;

void Check(bool condition) {
    if (!condition)
        std::abort();
}

// The value of a token by the plain definition, or -1.
std::int64_t ReferenceValue(std::string_view token) {
    std::uint32_t value = 0;
    const char* const end = token.data() + token.size();
    const auto [stop, error] = std::from_chars(token.data(), end, value, 16);
    // from_chars takes no sign or prefix for an unsigned value, only digits.
    if (token.empty() || error != std::errc() || stop != end)
        return -1;
    return value;
}

void CheckTokens(std::string_view text) {
    const std::vector<std::string> tokens = SplitHexTokens(text);
    HexTokenReader reader(text);
    std::string_view token;
    for (const std::string& expected : tokens) {
        Check(reader.Next(token) && token == expected);
        const std::int64_t value = ReferenceValue(token);
        std::uint32_t parsed = 0;
        Check(TryParseHexToken(token, parsed) == (value >= 0));
        Check(value < 0 || parsed == static_cast<std::uint32_t>(value));
        bool thrown = false;
        try {
            Check(ParseHexToken(token) == parsed);
        } catch (const EConvertError&) {
            thrown = true;
        }
        Check(thrown == (value < 0));
    }
    Check(!reader.Next(token));
}

bool SameView(const TextViewResult& a, const TextViewResult& b) {
    return a.text == b.text && a.standIns == b.standIns && !a.failure && !b.failure;
}

void CheckData(std::string_view bytes) {
    const TextViewResult view = HexViewToText(HexPairs(bytes));
    const TextView expected = TextViewOf(TextViewCells(bytes));
    Check(!view.failure && view.text == expected.text && view.standIns == expected.standIns);
    const std::string back = TextToHexView(view.text, view.standIns, kUnlimited);
    Check(back == HexPairs(bytes));
    Check(SameView(HexViewToText(back), view));
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && static_cast<unsigned char>(text.front()) <= 32)
        text.remove_prefix(1);
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= 32)
        text.remove_suffix(1);
    return text;
}

// Fails where the token list says, and otherwise gives a text that converts
// back to the same text.
void CheckHexView(std::string_view hexText) {
    const TextViewResult view = HexViewToText(hexText);
    const std::vector<std::string> tokens = SplitHexTokens(Trimmed(hexText));
    std::size_t bad = 0;
    while (bad < tokens.size() && tokens[bad].size() == 2 && ReferenceValue(tokens[bad]) >= 0)
        ++bad;
    Check(view.failure.has_value() == (bad < tokens.size()));
    if (view.failure) {
        Check(view.failure->index == bad && view.failure->length == tokens[bad].size());
        Check(view.failure->twoCharacters == (tokens[bad].size() == 2));
        return;
    }
    const std::string back = TextToHexView(view.text, view.standIns, kUnlimited);
    Check(SameView(HexViewToText(back), view));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    CheckTokens(bytes);
    CheckData(bytes);
    CheckHexView(bytes);
    return 0;
}
