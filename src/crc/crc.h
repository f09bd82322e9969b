// Table-driven CRC-16 and CRC-32 over byte buffers with free parameters:
// the classic interface over program-wide tables, kept for its callers and
// served by CrcEngine.
//
// The engine applies no final XOR and does not reflect the result; the
// three flags are independent, so mixed combinations (an LSB-first table
// driven by an MSB-first update, say) are computed as literally defined.
#pragma once

#include <cstdint>

// Entry n is the 4-bit value n with its bit order reversed.
extern const std::uint8_t NibbleReverseTable[16];

// The lookup tables of the last build; each CalcCrc call leaves its own here.
extern std::uint16_t Crc16Table[256];
extern std::uint32_t Crc32Table[256];

// The low 4 * nibbles bits of value in reverse bit order (nibbles <= 8).
std::uint32_t ReverseBits(std::uint32_t value, std::uint8_t nibbles);

void BuildCrc16Table(std::uint16_t poly, bool Reflected);
void BuildCrc32Table(std::uint32_t poly, bool Reflected);

// A len of zero or less reads nothing and returns init.
std::uint16_t CalcCrc16(const std::uint8_t* data, std::int32_t len, std::uint16_t init,
                        std::uint16_t poly, bool ReflectedTable, bool ReflectedUpdate,
                        bool ReversePoly);
std::uint32_t CalcCrc32(const std::uint8_t* data, std::int32_t len, std::uint32_t init,
                        std::uint32_t poly, bool ReflectedTable, bool ReflectedUpdate,
                        bool ReversePoly);
