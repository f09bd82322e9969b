// Hexadecimal byte tokens: cutting a text into tokens and reading a token as a number.
//
// Texts are 8-bit strings. Separators are the bytes 1 to 32; a text ends at its
// end or at its first 00 byte. A double quote at the start of a token opens a
// quoted token, in which separators are content and a doubled quote stands for
// one quote. A quoted token whose closing quote never comes runs to the end of
// the text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// A text that does not read as a number; the message is meant for the user.
class EConvertError : public std::runtime_error {
public:
    explicit EConvertError(const std::string& message) : std::runtime_error(message) {}
};

// One or more hexadecimal digits (either case), at most FFFFFFFF; leading zeros
// are free. Throws EConvertError for anything else, the empty token included.
std::uint32_t ParseHexToken(std::string_view token);
// The same rule without the error: false where ParseHexToken throws.
bool TryParseHexToken(std::string_view token, std::uint32_t& value);

// Yields the tokens of a text one at a time, without copying plain tokens.
class HexTokenReader {
public:
    explicit HexTokenReader(std::string_view text);

    // Stores the next token and returns true, or returns false after the last
    // one. The view points into the text, or into the reader for a quoted
    // token with doubled quotes; it stays valid until the next call.
    bool Next(std::string_view& token);

private:
    void SkipSeparators();
    std::string_view ReadQuoted();

    std::string_view text_;
    std::size_t pos_ = 0;
    std::string unquoted_;
};

std::vector<std::string> SplitHexTokens(std::string_view text);

// The bytes of a hexadecimal text, one per token (the low 8 bits of its value),
// read a block at a time so that no buffer of the whole is needed.
class HexByteReader {
public:
    explicit HexByteReader(std::string_view text) : tokens_(text) {}

    // Fills out from its start and returns the count, which falls short of
    // out.size() only at the end of the text or at a token that does not convert.
    std::size_t Read(std::span<std::uint8_t> out);

    // Once Read has fallen short: the 0-based index of the first token that
    // does not convert, or 0 for a text without tokens.
    std::optional<std::size_t> FailedIndex() const { return failedIndex_; }

private:
    HexTokenReader tokens_;
    std::size_t count_ = 0;
    bool finished_ = false;
    std::optional<std::size_t> failedIndex_;
};

// The bytes of a hexadecimal text, all at once. On failure, failedIndex is the 0-based index of the
// first token that does not convert (0 for a text without tokens) and bytes holds those before it.
struct HexBytes {
    std::vector<std::uint8_t> bytes;
    std::optional<std::size_t> failedIndex;
};

HexBytes HexTextToBytes(std::string_view text);
