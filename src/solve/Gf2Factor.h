// Factoring polynomials over GF(2), as far as the parameter solver needs it:
// the irreducible factors up to a CRC's degree, and the divisors of that
// degree they make up.
#pragma once

#include "Gf2Poly.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

struct Gf2Factor {
    CrcWord poly; // bit i the coefficient of x^i
    int degree;
    int multiplicity;
};

// The irreducible factors of a nonzero a whose degree is at most maxDegree
// (64 at most), each with its multiplicity, by ascending degree. Factors of
// higher degree are left out.
std::vector<Gf2Factor> SmallFactors(Gf2Poly a, int maxDegree);

// Every product of the factors (within their multiplicities) of exactly the
// given degree (64 at most), in ascending order; nullopt when there are more
// than limit.
std::optional<std::vector<CrcWord>> DivisorsOfDegree(std::span<const Gf2Factor> factors, int degree,
                                                     std::size_t limit);
