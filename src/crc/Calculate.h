// The Calculate command without its window: the parameter field texts, the
// options and the data in; the result digits, or why there are none, out.
#pragma once

#include "CrcEngine.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>

struct CalcRequest {
    std::string_view init = {}; // field texts: hexadecimal digits
    std::string_view poly = {};
    std::string_view xorValue = {}; // read only when xorOut is set
    int width = 16;
    bool reversePoly = false;
    bool reflectedTable = false;
    bool reflectedUpdate = false;
    bool xorOut = false;
    // The data holds hexadecimal byte tokens rather than the bytes themselves.
    bool hex = false;
    std::string_view data = {};
};

// Missing input, checked in this order; only the first is reported.
enum class CalcPrompt { NoInit, NoPoly, NoText };

// The first token of hexadecimal data that does not convert (0 when there are none).
struct CalcBadToken {
    std::size_t index;
    bool operator==(const CalcBadToken&) const = default;
};

// A field text that is not a number, with the message for the user.
struct CalcConvertError {
    std::string message;
    bool operator==(const CalcConvertError&) const = default;
};

using CalcResult = std::variant<std::string, CalcPrompt, CalcBadToken, CalcConvertError>;

// Upper-case digits: 4 for CRC-16 (more when the XOR value is wider), 8 for CRC-32.
CalcResult Calculate(const CalcRequest& request, CrcPath limit = FastestCrcPath());

// Hands the bytes of hexadecimal data to sink in order, in blocks of at most
// blockSize, as Calculate reads them. Returns the index of the first token that
// does not convert (0 for data without tokens), if any; what sink got is then void.
std::optional<std::size_t>
ReadHexBlocks(std::string_view text, std::size_t blockSize,
              const std::function<void(std::span<const std::uint8_t>)>& sink);

// The prompt's text in UTF-8, to be shown in a box titled "提示".
std::string_view CalcPromptText(CalcPrompt prompt);
