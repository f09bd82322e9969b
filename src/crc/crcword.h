// The values of a CRC of any width up to 128 bits: polynomial, register,
// initial and XOR-out values. The widest CRC in use has 82 bits, so 64 do
// not suffice; the engine's fast paths work on narrower lanes internally.
#pragma once

#include <cstdint>

__extension__ typedef unsigned __int128 CrcWord;

inline constexpr int kMaxCrcWidth = 128;

// The low `width` bits (1 to 128).
constexpr CrcWord WidthMask(int width) {
    return width >= kMaxCrcWidth ? ~CrcWord{0} : (CrcWord{1} << width) - 1;
}

constexpr std::uint64_t Reverse64(std::uint64_t v) {
    v = (v >> 1 & 0x5555555555555555u) | (v & 0x5555555555555555u) << 1;
    v = (v >> 2 & 0x3333333333333333u) | (v & 0x3333333333333333u) << 2;
    v = (v >> 4 & 0x0F0F0F0F0F0F0F0Fu) | (v & 0x0F0F0F0F0F0F0F0Fu) << 4;
    return __builtin_bswap64(v);
}

// The low `width` bits of value (1 to 128) in reverse order.
constexpr CrcWord ReflectBits(CrcWord value, int width) {
    const CrcWord reversed = CrcWord{Reverse64(static_cast<std::uint64_t>(value))} << 64 |
                             Reverse64(static_cast<std::uint64_t>(value >> 64));
    return reversed >> (kMaxCrcWidth - width);
}
