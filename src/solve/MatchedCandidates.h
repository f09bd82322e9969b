// Candidate polynomials of a true CRC (table and update in the same bit order)
// by algebra over GF(2), without a search.
//
// Read most-significant-bit first, a sample with n bytes of message M and
// result c gives c = (init x^(8n) + M x^w) mod P + xor. With u = M x^w + c:
// - two samples of one length: P divides u1 + u2;
// - three of three lengths n1, n2, n3 (m the least): P divides
//   (u1 + u2)(t^(n1-m) + t^(n3-m)) + (u1 + u3)(t^(n1-m) + t^(n2-m)), t = x^8,
//   as both products are I t^-m (t^n1 + t^n2)(t^n1 + t^n3) modulo P.
// The candidates are the divisors of degree w of the gcd of these multiples.
// A least-significant-bit-first CRC is the same with every byte and the
// result bit-reversed, and the polynomial it takes reversed too.
#pragma once

#include "SampleFitter.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

inline constexpr int kFactorDegree = 8192;

struct MatchedCandidates {
    // The first this many samples gave the candidates; 0 when even all of
    // them leave the polynomial open (no multiple, or more candidates than
    // the limit). The gcd of a prefix is factored only when its degree is at
    // most kFactorDegree or no more samples follow: factoring costs the
    // square of the degree, and the next sample usually cuts it to little
    // more than the CRC's.
    std::size_t decidedAt = 0;
    std::vector<std::uint32_t> polys; // as the engine takes them, ascending
};

MatchedCandidates FindMatchedCandidates(std::span<const CrcSample> samples, int width,
                                        bool reflected, std::size_t limit);
