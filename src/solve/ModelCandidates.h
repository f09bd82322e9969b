// Candidate polynomials of the catalogue's model by algebra over GF(2),
// without a search, for any width up to 64.
//
// Read most-significant-bit first (the bytes reflected when refin), a sample
// with n bytes of message M and result c gives
//     c' = (init x^(8n) + M x^w) mod P + xorout',
// where c' and xorout' are c and xorout reflected when refout. With
// u = M x^w + c':
// - two samples of one length: P divides u1 + u2;
// - three of three lengths n1, n2, n3 (m the least): P divides
//   (u1 + u2)(t^(n1-m) + t^(n3-m)) + (u1 + u3)(t^(n1-m) + t^(n2-m)), t = x^8,
//   as both products are init t^-m (t^n1 + t^n2)(t^n1 + t^n3) modulo P.
// The candidates are the divisors of degree w of the gcd of these multiples.
//
// The multiples are sums of the messages times polynomials that do not depend
// on w, so the costly part, the gcd of multiples as long as the messages, is
// shared by all widths where it can be:
// - refout: x^(64-w) u = M x^64 + c'', c'' being c reflected in 64 bits, is
//   the same for every width; so is the gcd, which x^(64-w) divides.
// - otherwise each multiple is x^w H + L, H and L the same for every width;
//   L2 (x^w H1 + L1) + L1 (x^w H2 + L2) = x^w (H1 L2 + H2 L1), so the gcd of
//   such H1 L2 + H2 L1 times x^w is a multiple of each width's gcd and a
//   cheap start for it.
#pragma once

#include "CrcSample.h"

#include <cstddef>
#include <span>
#include <vector>

// The longest multiple that is factored while more samples follow: factoring
// costs the square of the degree, and the next sample usually cuts the gcd to
// little more than the CRC's degree.
inline constexpr int kFactorDegree = 8192;
// The longest factored at all, and the longest pair of multiples whose gcd is
// taken (each about a third of a second at its limit): beyond them the
// samples are answered as too long for the algebra.
inline constexpr int kMaxFactorDegree = 1 << 16;
inline constexpr int kMaxGcdDegree = 1 << 20;

struct ModelCandidates {
    int width = 0;
    // The first this many samples gave the candidates; 0 when even all of
    // them leave the polynomial open: no multiple, more candidates than the
    // limit, or a gcd too long to factor (tooLong).
    std::size_t decidedAt = 0;
    bool tooLong = false;
    std::vector<CrcWord> polys; // normal form without x^width, ascending
};

// One entry per width (1 to 64, each within every sample's CRC), in the order given.
std::vector<ModelCandidates> FindModelCandidates(std::span<const CrcSample> samples,
                                                 std::span<const int> widths, bool refin,
                                                 bool refout, std::size_t limit);
