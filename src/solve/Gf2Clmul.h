// Carry-less multiplication of 64-bit words, the one primitive behind the
// solver's polynomial arithmetic: by the CPU's instruction where it has one,
// by a four-bit window elsewhere. The choice is made once, on first use.
#pragma once

#include "crcword.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace gf2 {

// The product of two polynomials of degree below 64 (bit i is x^i).
CrcWord Clmul(std::uint64_t a, std::uint64_t b);

// dst[0..n] ^= src[0..n) * q: n + 1 words of dst change.
void MulAddWords(std::uint64_t* dst, const std::uint64_t* src, std::size_t n, std::uint64_t q);

// (a, b) becomes (u0 a + u1 b, v0 a + v1 b) in place: both hold n + 1 words,
// the last of them 0 on entry.
void CombineWords(std::uint64_t* a, std::uint64_t* b, std::size_t n, std::uint64_t u0,
                  std::uint64_t u1, std::uint64_t v0, std::uint64_t v1);

// Arithmetic modulo m = x^degree + low, degree 1 to 64.
class SmallModulus {
public:
    SmallModulus(int degree, std::uint64_t low);

    int Degree() const { return degree_; }
    std::uint64_t Low() const { return low_; }

    std::uint64_t Reduce(CrcWord value) const; // value mod m
    std::uint64_t MulMod(std::uint64_t a, std::uint64_t b) const;
    std::uint64_t XPowMod(std::uint64_t k) const; // x^k mod m
    // The message as a polynomial (Gf2Poly::FromMessage) mod m: one
    // multiplication for every eight bytes.
    std::uint64_t MessageMod(std::span<const std::uint8_t> data, bool reflectBytes) const;

private:
    int degree_;
    std::uint64_t low_;
    std::uint64_t barrett_; // x^(2 degree) / m, less its leading term x^degree
    std::uint64_t x128_;    // x^128 mod m
};

} // namespace gf2
