// The table-driven update in lane form, shared by all flag combinations.
//
// A least-significant-bit-first update is
//     crc = T[(crc ^ b) & 0xFF] ^ (crc >> 8).
// A most-significant-bit-first one, with its register moved to the top of 32
// bits and byte-swapped (lane = bswap(crc << (32 - width))), takes the same
// form with the table U[i] = bswap(T[i] << (32 - width)). So one kernel serves
// both; the lane holds the register bytes in the order they meet the data,
// which is also why a register can be XORed into the first four data bytes
// (as a little-endian word) and the update run from zero instead.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace crclanes {

constexpr int kSlices = 16;

// The lane step over one zero byte.
inline std::uint32_t Step(const std::uint32_t* lane, std::uint32_t q) {
    return lane[q & 0xFF] ^ (q >> 8);
}

// kSlices tables: entry i of table k is the lane after byte i followed by k zero bytes.
std::vector<std::uint32_t> SlicingTables(const std::uint32_t* lane);

std::uint32_t ByteWise(const std::uint32_t* lane, std::uint32_t q, const std::uint8_t* p,
                       std::size_t n);
std::uint32_t Slicing16(const std::uint32_t* tables, std::uint32_t q, const std::uint8_t* p,
                        std::size_t n);

// r(Step) applied to v, for the polynomial r with bit i the coefficient of x^i.
std::uint32_t ApplyPoly(const std::uint32_t* lane, std::uint64_t r, std::uint32_t v);

// The monic polynomial of least degree with r(Step) v = 0.
std::uint64_t AnnihilatorOf(const std::uint32_t* lane, std::uint32_t v);

} // namespace crclanes
