#include "Gf2Factor.h"
#include "Gf2Poly.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

namespace {

// Remainder by the schoolbook rule on one word: a reference that shares no
// code with the library.
std::uint64_t ModWord(std::uint64_t a, std::uint64_t m) {
    const int dm = 63 - __builtin_clzll(m);
    for (int i = 63; i >= dm; --i)
        if ((a >> i) & 1)
            a ^= m << (i - dm);
    return a;
}

Gf2Poly RandomPoly(std::mt19937_64& rng, int degree) {
    Gf2Poly p = Gf2Poly::Monomial(degree);
    for (int shift = 0; shift < degree; shift += 64)
        p ^= Gf2Poly(rng()).Shifted(shift) % Gf2Poly::Monomial(degree);
    return p;
}

// Products of small random polynomials, repeated factors and powers of x and
// x + 1 among them, against trying every polynomial of the degree asked.
TEST(Gf2Factor, DivisorsOfDegreeAreExactlyThoseThatDivide) {
    std::mt19937_64 rng(7);
    for (int round = 0; round < 200; ++round) {
        Gf2Poly h = round % 4 == 0 ? Gf2Poly(3) * Gf2Poly(3) * Gf2Poly(2) : Gf2Poly(1);
        std::uniform_int_distribution<int> degree(1, 9);
        for (int n = degree(rng) % 5 + 1; n > 0; --n) {
            const Gf2Poly f = RandomPoly(rng, degree(rng));
            const Gf2Poly power = round % 3 == 0 ? f * f : f;
            if (h.Degree() + power.Degree() <= 63)
                h = h * power;
        }
        for (int d = 1; d <= 10 && d <= h.Degree(); ++d) {
            std::vector<CrcWord> expected;
            for (std::uint64_t low = 0; low < (std::uint64_t{1} << d); ++low)
                if (ModWord(h.Low64(), (std::uint64_t{1} << d) | low) == 0)
                    expected.push_back((std::uint64_t{1} << d) | low);
            const auto found = DivisorsOfDegree(SmallFactors(h, d), d, 1 << 12);
            ASSERT_TRUE(found);
            EXPECT_EQ(*found, expected) << "round " << round << " degree " << d;
        }
    }
}

// Multi-word arithmetic: a product of random polynomials of a few hundred
// degrees splits back, and gcds find the common part.
TEST(Gf2Factor, LongPolynomialsKeepTheirSmallFactors) {
    std::mt19937_64 rng(11);
    for (int round = 0; round < 20; ++round) {
        const Gf2Poly p = RandomPoly(rng, 16 + round % 17);
        const Gf2Poly a = RandomPoly(rng, 300 + round);
        const Gf2Poly b = RandomPoly(rng, 500);
        const Gf2Poly g = Gcd(a * p, b * p);
        EXPECT_TRUE((g % p).IsZero());
        EXPECT_TRUE(((a * p) % g).IsZero());
        EXPECT_TRUE(((b * p) % g).IsZero());
        Gf2Poly rest = a * p;
        EXPECT_EQ(rest.DivideBy(p), a);
        EXPECT_TRUE(rest.IsZero());

        const auto divisors = DivisorsOfDegree(SmallFactors(g, p.Degree()), p.Degree(), 1 << 12);
        ASSERT_TRUE(divisors);
        EXPECT_NE(std::find(divisors->begin(), divisors->end(), p.Low128()), divisors->end());
        EXPECT_EQ(p.Squared(), p * p);
    }
}

TEST(Gf2Factor, TooManyDivisorsAreNotListed) {
    // (x + 1)^20 (x^2 + x + 1)^10 has eleven divisors of degree 20.
    Gf2Poly h(1);
    for (int i = 0; i < 10; ++i)
        h = h * Gf2Poly(3) * Gf2Poly(3) * Gf2Poly(7);
    EXPECT_EQ(DivisorsOfDegree(SmallFactors(h, 20), 20, 11)->size(), 11u);
    EXPECT_FALSE(DivisorsOfDegree(SmallFactors(h, 20), 20, 10));
}

} // namespace
