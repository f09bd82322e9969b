// Hexadecimal output: upper-case digits, zero-padded, no prefix.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// value in upper-case hexadecimal, padded with zeros to at least minDigits.
std::string HexDigits(std::uint32_t value, int minDigits);

// The CRC-16 table as 32 lines of eight entries, each written "0x" + four
// digits + ", " (the last of a line too), so every line is 64 characters.
std::vector<std::string> Crc16TableLines(const std::uint16_t (&table)[256]);
