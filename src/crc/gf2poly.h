// Polynomials over GF(2) of degree below 64, as bit masks: bit i is the
// coefficient of x^i. The folding constants and the reduction of folded
// remainders are computed with these; moduli have degree 32 at most.
#pragma once

#include <cstdint>

namespace gf2 {

// -1 for the zero polynomial.
int Degree(std::uint64_t a);

// Carry-less product; the caller keeps the degrees' sum below 64.
std::uint64_t Mul(std::uint64_t a, std::uint64_t b);

// a mod m, for a nonzero m.
std::uint64_t Mod(std::uint64_t a, std::uint64_t m);

// The 128-bit polynomial hi * x^64 + lo, mod m.
std::uint64_t Mod128(std::uint64_t hi, std::uint64_t lo, std::uint64_t m);

std::uint64_t Div(std::uint64_t a, std::uint64_t m);

// x^k mod m.
std::uint64_t XPowMod(std::uint64_t k, std::uint64_t m);

// Least common multiple of two nonzero polynomials whose product has degree below 64
// once their common factor is taken out.
std::uint64_t Lcm(std::uint64_t a, std::uint64_t b);

} // namespace gf2
