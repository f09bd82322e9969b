#include "InputReader.h"

#include "Calculate.h"
#include "hextokens.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr char kBadHex[] = "存在无效16进制！";

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
            return " token " + std::to_string(index + 1) + " '" + std::string(token) + "'";
    return " no tokens";
}

// A bad token voids what the sink got: the caller drops it with the input.
void ReadHex(std::string_view text, const std::string& name, const BlockSink& sink) {
    if (const auto index = ReadHexBlocks(text, kInputBlockSize, sink))
        throw CliError(name + ": " + kBadHex + TokenAt(text, *index));
}

} // namespace

void ReadInput(const CliInput& input, const BlockSink& sink) {
    using Kind = CliInput::Kind;
    if ((input.kind == Kind::Hex || input.kind == Kind::Text) && input.value.empty())
        throw CliError(input.Name() + ": " + std::string(CalcPromptText(CalcPrompt::NoText)));
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
    case Kind::Text:
        sink({reinterpret_cast<const std::uint8_t*>(input.value.data()), input.value.size()});
        break;
    }
}
