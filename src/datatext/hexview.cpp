#include "hexview.h"

#include "datatexterrors.h"
#include "hextokens.h"

#include <cstdint>

namespace {

constexpr char kDigits[] = "0123456789ABCDEF";

std::string_view TrimBlanks(std::string_view text) {
    auto blank = [](char c) { return static_cast<unsigned char>(c) <= 32; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

// Appends bytes to a text as the memo will hold it once written, so that the
// recorded offsets of full stops stay true after the memo has normalised the
// line breaks.
class MemoTextBuilder {
public:
    explicit MemoTextBuilder(TextViewResult& result) : result_(result) {}

    void Append(unsigned char byte) {
        const bool lf = byte == '\n';
        if (byte == 0) {
            result_.nullOffsets.push_back(result_.text.size());
            result_.text.push_back('.');
        } else if (byte == '\r' || (lf && !afterCr_)) {
            result_.text.append("\r\n", 2);
        } else if (!lf) {
            result_.text.push_back(static_cast<char>(byte));
        }
        afterCr_ = byte == '\r';
    }

private:
    TextViewResult& result_;
    bool afterCr_ = false; // a following LF belongs to the CR LF already written
};

} // namespace

std::string TextToHexView(std::string_view text, std::span<const std::size_t> nullOffsets,
                          std::size_t capacity) {
    const std::size_t n = text.size();
    if (n == 0)
        return {};
    if (n > capacity / 3 + 1 || 3 * n - 1 > capacity)
        throw ECapacityError();
    std::string hex(3 * n - 1, ' ');
    char* out = hex.data();
    auto next = nullOffsets.begin();
    for (std::size_t i = 0; i < n; ++i, out += 3) {
        auto byte = static_cast<unsigned char>(text[i]);
        while (next != nullOffsets.end() && *next < i)
            ++next;
        if (next != nullOffsets.end() && *next == i && byte == '.')
            byte = 0;
        out[0] = kDigits[byte >> 4];
        out[1] = kDigits[byte & 0xF];
    }
    return hex;
}

TextViewResult HexViewToText(std::string_view hexText) {
    const std::string_view trimmed = TrimBlanks(hexText);
    TextViewResult result;
    result.text.reserve(trimmed.size() / 3 + 1);
    MemoTextBuilder builder(result);
    HexTokenReader reader(trimmed);
    std::string_view token;
    for (std::size_t index = 0; reader.Next(token); ++index) {
        std::uint32_t value = 0;
        // The length is judged before the digits, so that each gets its own message.
        if (token.size() != 2 || !TryParseHexToken(token, value)) {
            result.failure = BadHexToken{index, token.size(), token.size() == 2};
            break;
        }
        builder.Append(static_cast<unsigned char>(value));
    }
    return result;
}
