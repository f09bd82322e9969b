#include "Calculate.h"

#include "hexformat.h"
#include "hextokens.h"

#include <optional>
#include <vector>

namespace {

// Hexadecimal data is converted and checked in blocks of this many bytes.
constexpr std::size_t kBlock = 1 << 16;

std::optional<CalcPrompt> MissingInput(const CalcRequest& r) {
    if (r.init.empty())
        return CalcPrompt::NoInit;
    if (r.poly.empty())
        return CalcPrompt::NoPoly;
    if (r.data.empty())
        return CalcPrompt::NoText;
    return std::nullopt;
}

std::span<const std::uint8_t> Bytes(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

// The register after the tokens' bytes, or the index of the first bad token.
std::variant<std::uint32_t, CalcBadToken> OverHexTokens(const CrcEngine& engine,
                                                        std::string_view text) {
    std::uint32_t crc = engine.Start();
    if (const auto index =
            ReadHexBlocks(text, kBlock, [&](auto block) { crc = engine.Update(crc, block); }))
        return CalcBadToken{*index};
    return crc;
}

} // namespace

CalcResult Calculate(const CalcRequest& request, CrcPath limit) {
    if (const auto prompt = MissingInput(request))
        return *prompt;
    try {
        const std::uint32_t init = ParseHexToken(request.init);
        const std::uint32_t poly = ParseHexToken(request.poly);
        const CrcEngine engine({request.width, poly, init, request.reversePoly,
                                request.reflectedTable, request.reflectedUpdate, std::nullopt},
                               limit);
        std::uint32_t crc;
        if (request.hex) {
            const auto overTokens = OverHexTokens(engine, request.data);
            if (const auto* bad = std::get_if<CalcBadToken>(&overTokens))
                return *bad;
            crc = std::get<std::uint32_t>(overTokens);
        } else {
            crc = engine.Update(engine.Start(), Bytes(request.data));
        }
        // The XOR field is read only now, after the CRC, and is not cut to the width.
        if (request.xorOut)
            crc ^= ParseHexToken(request.xorValue);
        return HexDigits(crc, request.width == 32 ? 8 : 4);
    } catch (const EConvertError& e) {
        return CalcConvertError{e.what()};
    }
}

std::optional<std::size_t>
ReadHexBlocks(std::string_view text, std::size_t blockSize,
              const std::function<void(std::span<const std::uint8_t>)>& sink) {
    std::vector<std::uint8_t> block(blockSize);
    HexByteReader reader(text);
    std::size_t n;
    do {
        n = reader.Read(block);
        sink(std::span(block).first(n));
    } while (n == block.size());
    return reader.FailedIndex();
}

std::string_view CalcPromptText(CalcPrompt prompt) {
    switch (prompt) {
    case CalcPrompt::NoInit:
        return "请输入初始值！";
    case CalcPrompt::NoPoly:
        return "请输入多项式值";
    case CalcPrompt::NoText:
        return "文本不能为空！";
    }
    return {};
}
