#include "hexview.h"

#include "datatexterrors.h"
#include "hexdigits.h"
#include "hextokens.h"
#include "largebuffer.h"

#include <cstdint>

namespace {

std::string_view TrimBlanks(std::string_view text) {
    auto blank = [](char c) { return static_cast<unsigned char>(c) <= 32; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

// Appends bytes to a text as the memo will hold it once written, so that the
// recorded offsets of stand-ins stay true after the memo has normalised the
// line breaks. The common case is inlined and writes through a pointer: it
// runs once per byte of data.
class MemoTextBuilder {
public:
    // Room is reserved for every byte to become a line break of two, but only
    // what is written takes memory.
    MemoTextBuilder(TextViewResult& result, std::size_t expectedSize) : result_(result) {
        ReserveLarge(result_.text, 2 * expectedSize);
        Resize(0, expectedSize);
    }
    MemoTextBuilder(const MemoTextBuilder&) = delete;
    MemoTextBuilder& operator=(const MemoTextBuilder&) = delete;
    ~MemoTextBuilder() { result_.text.resize(Size()); }

    [[gnu::always_inline]] void Append(unsigned char byte) {
        if (end_ - out_ < 2)
            Resize(Size(), result_.text.size() + result_.text.size() / 8 + 2);
        if (byte == 0 || byte == '\r' || byte == '\n') {
            AppendSpecial(byte);
            return;
        }
        *out_++ = static_cast<char>(byte);
        afterCr_ = false;
    }

private:
    std::size_t Size() const { return static_cast<std::size_t>(out_ - result_.text.data()); }

    void Resize(std::size_t used, std::size_t size) {
        result_.text.resize(size);
        out_ = result_.text.data() + used;
        end_ = result_.text.data() + size;
    }

    // A CR counts as a lone one until an LF follows it.
    [[gnu::noinline]] void AppendSpecial(unsigned char byte) {
        std::vector<std::size_t>& standIns = result_.standIns;
        if (byte == 0) {
            standIns.push_back(Size());
            *out_++ = '.';
        } else if (byte == '\r') {
            standIns.push_back(Size());
            *out_++ = '\r';
            *out_++ = '\n';
        } else if (afterCr_) {
            standIns.pop_back();
        } else {
            standIns.push_back(Size() + 1);
            *out_++ = '\r';
            *out_++ = '\n';
        }
        afterCr_ = byte == '\r';
    }

    TextViewResult& result_;
    char* out_ = nullptr;
    char* end_ = nullptr;
    bool afterCr_ = false; // a following LF belongs to the CR LF already written
};

bool IsCrLfAt(std::string_view text, std::size_t i) {
    return i + 1 < text.size() && text[i] == '\r' && text[i + 1] == '\n';
}

// The CR LFs that stand-ins make one byte each.
std::size_t SingleByteLineBreaks(std::string_view text, std::span<const std::size_t> standIns) {
    std::size_t count = 0;
    std::size_t last = text.size(); // the CR of the last one counted
    for (const std::size_t offset : standIns) {
        const std::size_t cr = offset > 0 && IsCrLfAt(text, offset - 1) ? offset - 1 : offset;
        if (cr != last && IsCrLfAt(text, cr)) {
            ++count;
            last = cr;
        }
    }
    return count;
}

} // namespace

std::string TextToHexView(std::string_view text, std::span<const std::size_t> standIns,
                          std::size_t capacity) {
    const std::size_t size = text.size();
    const std::size_t n = size - SingleByteLineBreaks(text, standIns);
    if (n == 0)
        return {};
    if (n > capacity / 3 + 1 || 3 * n - 1 > capacity)
        throw ECapacityError();
    std::string hex;
    ReserveLarge(hex, 3 * n - 1);
    hex.resize(3 * n - 1, ' ');
    char* out = hex.data();
    std::size_t i = 0; // the next byte of text
    const auto pair = [&out](unsigned char byte) {
        out[0] = kUpperHexDigits[byte >> 4];
        out[1] = kUpperHexDigits[byte & 0xF];
        out += 3;
    };
    // The bytes up to each stand-in go in one tight loop.
    for (const std::size_t offset : standIns) {
        if (offset >= size)
            break;
        const bool lf = offset > 0 && IsCrLfAt(text, offset - 1);
        const std::size_t at = lf ? offset - 1 : offset;
        if (at < i)
            continue; // the LF of a CR LF whose CR stood in
        for (; i < at; ++i)
            pair(static_cast<unsigned char>(text[i]));
        if (IsCrLfAt(text, at)) {
            pair(lf ? '\n' : '\r');
            i = at + 2;
        } else if (text[at] == '.') {
            pair(0);
            i = at + 1;
        }
    }
    for (; i < size; ++i)
        pair(static_cast<unsigned char>(text[i]));
    return hex;
}

namespace {

// Pairs of digits between blanks, as the hexadecimal view is written, are
// read here directly; from the first token of any other form on, the token
// reader applies its full rules.
std::optional<BadHexToken> ReadTokens(std::string_view text, MemoTextBuilder& builder) {
    const auto byteAt = [text](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    std::size_t pos = 0;
    std::size_t index = 0;
    for (;; ++index, pos += 2) {
        while (pos < text.size() && byteAt(pos) <= 32)
            ++pos;
        if (pos == text.size())
            return std::nullopt;
        if (pos + 2 > text.size() || (pos + 2 < text.size() && byteAt(pos + 2) > 32))
            break;
        const int high = kHexDigitValue[byteAt(pos)];
        const int low = kHexDigitValue[byteAt(pos + 1)];
        if ((high | low) < 0)
            break;
        builder.Append(static_cast<unsigned char>(high << 4 | low));
    }
    HexTokenReader reader(text.substr(pos));
    std::string_view token;
    for (; reader.Next(token); ++index) {
        std::uint32_t value = 0;
        // The length is judged before the digits, so that each gets its own message.
        if (token.size() != 2 || !TryParseHexToken(token, value))
            return BadHexToken{index, token.size(), token.size() == 2};
        builder.Append(static_cast<unsigned char>(value));
    }
    return std::nullopt;
}

} // namespace

TextViewResult HexViewToText(std::string_view hexText) {
    std::string_view text = TrimBlanks(hexText);
    text = text.substr(0, text.find('\0'));
    TextViewResult result;
    {
        MemoTextBuilder builder(result, text.size() / 3 + 1);
        result.failure = ReadTokens(text, builder);
    }
    return result;
}
