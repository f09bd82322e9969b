// Reads one input of quenfold-crc a block at a time, so that memory stays flat
// whatever the input's size.
#pragma once

#include "CliOptions.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>

inline constexpr std::size_t kInputBlockSize = std::size_t{1} << 20;

using BlockSink = std::function<void(std::span<const std::uint8_t>)>;

// Hands the input's bytes to sink in order, in blocks of at most
// kInputBlockSize. Throws CliError, naming the input, when it cannot be read;
// for --hex, --memo-hex and --text also when the data is empty or a token does
// not read (--memo-hex as the main window's Calculate refuses them).
void ReadInput(const CliInput& input, const BlockSink& sink);
