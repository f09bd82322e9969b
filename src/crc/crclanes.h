// The table-driven update in lane form, shared by all flag combinations and
// every width up to the lane's.
//
// A least-significant-bit-first update is
//     crc = T[(crc ^ b) & 0xFF] ^ (crc >> 8).
// A most-significant-bit-first one, with its register moved to the top of the
// lane's bits and byte-swapped (lane = bswap(crc << (bits - width))), takes
// the same form with the table U[i] = bswap(T[i] << (bits - width)). So one
// kernel serves both; the lane holds the register bytes in the order they meet
// the data, which is also why a register can be XORed into the first data
// bytes (as a little-endian word) and the update run from zero instead. A
// register narrower than a byte sits in the top bits of the lane's first byte
// when most-significant-bit first, and the same form holds.
//
// Lanes are 32 bits wide for widths up to 32, 64 for widths up to 64 and 128
// (CrcWord, byte-wise only) beyond.
#pragma once

#include "crcword.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace crclanes {

constexpr int kSlices = 16;
// The span of each of the two chains a 64-bit lane runs at once.
constexpr std::size_t kSpan = 1024;

// The lane step over one zero byte.
template <class Lane> inline Lane Step(const Lane* lane, Lane q) {
    return lane[static_cast<std::size_t>(q & 0xFF)] ^ (q >> 8);
}

// kSlices tables: entry i of table k is the lane after byte i followed by k
// zero bytes; for a 64-bit lane, then the lane after kSpan zero bytes from
// each single bit, lowest first.
template <class Lane> std::vector<Lane> SlicingTables(const Lane* lane);

template <class Lane> Lane ByteWise(const Lane* lane, Lane q, const std::uint8_t* p, std::size_t n);
template <class Lane>
Lane Slicing16(const Lane* tables, Lane q, const std::uint8_t* p, std::size_t n);

extern template std::vector<std::uint32_t> SlicingTables(const std::uint32_t*);
extern template std::vector<std::uint64_t> SlicingTables(const std::uint64_t*);
extern template std::uint32_t ByteWise(const std::uint32_t*, std::uint32_t, const std::uint8_t*,
                                       std::size_t);
extern template std::uint64_t ByteWise(const std::uint64_t*, std::uint64_t, const std::uint8_t*,
                                       std::size_t);
extern template CrcWord ByteWise(const CrcWord*, CrcWord, const std::uint8_t*, std::size_t);
extern template std::uint32_t Slicing16(const std::uint32_t*, std::uint32_t, const std::uint8_t*,
                                        std::size_t);
extern template std::uint64_t Slicing16(const std::uint64_t*, std::uint64_t, const std::uint8_t*,
                                        std::size_t);

// r(Step) applied to v, for the polynomial r with bit i the coefficient of x^i.
std::uint32_t ApplyPoly(const std::uint32_t* lane, std::uint64_t r, std::uint32_t v);

// The monic polynomial of least degree with r(Step) v = 0.
std::uint64_t AnnihilatorOf(const std::uint32_t* lane, std::uint32_t v);

} // namespace crclanes
