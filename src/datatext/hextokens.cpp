#include "hextokens.h"

#include "hexdigits.h"

// The cursor steps through the text byte by byte. The code page is UTF-8, in
// which every byte of a multi-byte character is 0x80 or above, so no part of
// such a character can be taken for a separator or a quote: byte steps and
// character steps find the same tokens.

namespace {

constexpr char kQuote = '"';

constexpr bool IsSeparator(unsigned char c) {
    return c <= 32;
}

// Inlined into the token loop of HexTextToBytes, where a call per token
// costs more than the conversion itself.
[[gnu::always_inline]] inline bool TryParseHex(std::string_view token, std::uint32_t& value) {
    if (token.empty())
        return false;
    value = 0;
    for (const char c : token) {
        const int digit = kHexDigitValue[static_cast<unsigned char>(c)];
        // Above 0FFFFFFF another digit would carry the value beyond 32 bits.
        if (digit < 0 || value > 0x0FFFFFFFu)
            return false;
        value = value << 4 | static_cast<std::uint32_t>(digit);
    }
    return true;
}

std::string_view CutAtNul(std::string_view text) {
    return text.substr(0, text.find('\0'));
}

} // namespace

bool TryParseHexToken(std::string_view token, std::uint32_t& value) {
    return TryParseHex(token, value);
}

std::uint32_t ParseHexToken(std::string_view token) {
    std::uint32_t value = 0;
    if (TryParseHex(token, value))
        return value;
    std::string message = "'$";
    message.append(token);
    message += "' is not a valid integer value";
    throw EConvertError(message);
}

HexTokenReader::HexTokenReader(std::string_view text) : text_(CutAtNul(text)) {}

bool HexTokenReader::Next(std::string_view& token) {
    SkipSeparators();
    if (pos_ == text_.size())
        return false;
    if (text_[pos_] == kQuote) {
        token = ReadQuoted();
        return true;
    }
    const std::size_t start = pos_;
    while (pos_ < text_.size() && !IsSeparator(static_cast<unsigned char>(text_[pos_])))
        ++pos_;
    token = text_.substr(start, pos_ - start);
    return true;
}

void HexTokenReader::SkipSeparators() {
    while (pos_ < text_.size() && IsSeparator(static_cast<unsigned char>(text_[pos_])))
        ++pos_;
}

// Reads from the opening quote to just after the closing one. Content without
// doubled quotes is returned as a view into the text; only doubled quotes make
// the reader assemble the content in its own buffer.
std::string_view HexTokenReader::ReadQuoted() {
    ++pos_;
    const std::size_t start = pos_;
    bool assembled = false;
    for (;;) {
        const std::size_t quote = text_.find(kQuote, pos_);
        if (quote == std::string_view::npos) {
            // Unterminated: the content runs to the end of the text.
            const std::string_view rest = text_.substr(pos_);
            pos_ = text_.size();
            if (!assembled)
                return text_.substr(start);
            unquoted_.append(rest);
            return unquoted_;
        }
        if (quote + 1 < text_.size() && text_[quote + 1] == kQuote) {
            if (!assembled) {
                unquoted_.clear();
                assembled = true;
            }
            unquoted_.append(text_.substr(pos_, quote + 1 - pos_));
            pos_ = quote + 2;
            continue;
        }
        const std::string_view piece = text_.substr(pos_, quote - pos_);
        pos_ = quote + 1;
        if (!assembled)
            return text_.substr(start, quote - start);
        unquoted_.append(piece);
        return unquoted_;
    }
}

std::vector<std::string> SplitHexTokens(std::string_view text) {
    std::vector<std::string> tokens;
    HexTokenReader reader(text);
    std::string_view token;
    while (reader.Next(token))
        tokens.emplace_back(token);
    return tokens;
}

std::size_t HexByteReader::Read(std::span<std::uint8_t> out) {
    std::size_t n = 0;
    std::string_view token;
    while (!finished_ && n < out.size()) {
        std::uint32_t value = 0;
        if (!tokens_.Next(token)) {
            finished_ = true;
            if (count_ == 0)
                failedIndex_ = 0;
        } else if (!TryParseHex(token, value)) {
            finished_ = true;
            failedIndex_ = count_;
        } else {
            out[n++] = static_cast<std::uint8_t>(value);
            ++count_;
        }
    }
    return n;
}

HexBytes HexTextToBytes(std::string_view text) {
    HexBytes result;
    std::vector<std::uint8_t>& bytes = result.bytes;
    // The binary import writes three characters per byte; denser texts let the
    // buffer grow, looser ones leave some of it unused.
    bytes.resize(CutAtNul(text).size() / 3 + 1);
    HexByteReader reader(text);
    std::size_t count = 0;
    for (;;) {
        const std::size_t room = bytes.size() - count;
        const std::size_t n = reader.Read(std::span(bytes).subspan(count));
        count += n;
        if (n < room)
            break;
        bytes.resize(bytes.size() * 2);
    }
    bytes.resize(count);
    result.failedIndex = reader.FailedIndex();
    return result;
}
