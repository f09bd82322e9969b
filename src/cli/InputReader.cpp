#include "InputReader.h"

#include "Calculate.h"
#include "hexdigits.h"
#include "hextokens.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace {

[[noreturn]] void ThrowSystemError(const std::string& name) {
    throw CliError(name + ": " + std::strerror(errno));
}

void ReadDescriptor(int fd, const std::string& name, const BlockSink& sink) {
    std::vector<std::uint8_t> block(kInputBlockSize);
    for (;;) {
        const ssize_t n = ::read(fd, block.data(), block.size());
        if (n == 0)
            return;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            ThrowSystemError(name);
        }
        sink(std::span(block).first(static_cast<std::size_t>(n)));
    }
}

void ReadFile(const std::string& path, const BlockSink& sink) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        ThrowSystemError(path);
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    try {
        ReadDescriptor(fd, path, sink);
    } catch (...) {
        ::close(fd);
        throw;
    }
    ::close(fd);
}

// The token as the user typed it, for the message; a text without tokens has none.
std::string TokenAt(std::string_view text, std::size_t index) {
    HexTokenReader tokens(text);
    std::string_view token;
    for (std::size_t i = 0; tokens.Next(token); ++i)
        if (i == index)
            return "token " + std::to_string(index + 1) + " '" + std::string(token) +
                   "' is not hexadecimal";
    return "no tokens";
}

// As the main window's memo reads tokens. A bad token voids what the sink
// got: the caller drops it with the input.
void ReadMemoHex(std::string_view text, const std::string& name, const BlockSink& sink) {
    if (const auto index = ReadHexBlocks(text, kInputBlockSize, sink))
        throw CliError(name + ": " + TokenAt(text, *index));
}

bool IsByteSeparator(char c) {
    return (c >= '\t' && c <= '\r') || c == ' ' || c == ',' || c == ':' || c == ';' || c == '-';
}

// Bytes as people write them: tokens apart by blanks or punctuation, each
// "0x" or not and then two digits a byte, so that "0A0B" is 0A 0B. The data
// of an argument is small: it is read whole before the sink sees any.
void ReadHex(std::string_view text, const std::string& name, const BlockSink& sink) {
    std::vector<std::uint8_t> bytes;
    std::size_t count = 0;
    for (std::size_t pos = 0;;) {
        while (pos < text.size() && IsByteSeparator(text[pos]))
            ++pos;
        if (pos == text.size())
            break;
        std::size_t end = pos;
        while (end < text.size() && !IsByteSeparator(text[end]))
            ++end;
        const std::string_view token = text.substr(pos, end - pos);
        std::string_view digits = token;
        if (digits.size() > 2 && digits[0] == '0' && (digits[1] | 0x20) == 'x')
            digits.remove_prefix(2);
        const auto value = [](char c) { return kHexDigitValue[static_cast<std::uint8_t>(c)]; };
        const std::string which = "token " + std::to_string(++count) + " '" + std::string(token);
        if (std::ranges::any_of(digits, [&](char c) { return value(c) < 0; }))
            throw CliError(name + ": " + which + "' is not hexadecimal");
        if (digits.size() % 2 != 0)
            throw CliError(name + ": " + which + "' has an odd number of digits");
        for (std::size_t i = 0; i < digits.size(); i += 2)
            bytes.push_back(
                static_cast<std::uint8_t>(value(digits[i]) << 4 | value(digits[i + 1])));
        pos = end;
    }
    if (bytes.empty())
        throw CliError(name + ": no bytes");
    sink(bytes);
}

} // namespace

void ReadInput(const CliInput& input, const BlockSink& sink) {
    using Kind = CliInput::Kind;
    if ((input.kind == Kind::MemoHex || input.kind == Kind::Text) && input.value.empty())
        throw CliError(input.Name() + ": the text is empty");
    switch (input.kind) {
    case Kind::File:
        ReadFile(input.value, sink);
        break;
    case Kind::Stdin:
        ReadDescriptor(STDIN_FILENO, input.Name(), sink);
        break;
    case Kind::Hex:
        ReadHex(input.value, input.Name(), sink);
        break;
    case Kind::MemoHex:
        ReadMemoHex(input.value, input.Name(), sink);
        break;
    case Kind::Text:
        sink({reinterpret_cast<const std::uint8_t*>(input.value.data()), input.value.size()});
        break;
    }
}
