#include "Gf2Factor.h"

#include "Gf2Clmul.h"

#include <algorithm>
#include <random>

namespace {

const Gf2Poly kX(2);

Gf2Poly RandomBelow(const Gf2Poly& m, std::mt19937_64& rng) {
    Gf2Poly r;
    for (int shift = 0; shift <= m.Degree(); shift += 64)
        r ^= Gf2Poly(rng()).Shifted(shift);
    return r % m;
}

// Cantor and Zassenhaus for characteristic 2: g is a product of distinct
// irreducibles of degree d. The trace a + a^2 + ... + a^(2^(d-1)) of a random
// a is 0 or 1 modulo each of them independently, so its gcd with g splits g
// with probability at least one half.
void SplitEqualDegree(const Gf2Poly& g, int d, std::mt19937_64& rng, std::vector<Gf2Poly>& out) {
    if (g.Degree() == d) {
        out.push_back(g);
        return;
    }
    for (;;) {
        Gf2Poly power = RandomBelow(g, rng);
        Gf2Poly trace = power;
        for (int i = 1; i < d; ++i) {
            power = power.Squared() % g;
            trace ^= power;
        }
        const Gf2Poly f = Gcd(g, trace);
        if (f.Degree() > 0 && f.Degree() < g.Degree()) {
            Gf2Poly rest = g;
            const Gf2Poly cofactor = rest.DivideBy(f);
            SplitEqualDegree(f, d, rng, out);
            SplitEqualDegree(cofactor, d, rng, out);
            return;
        }
    }
}

// Divides every power of f out of r and returns how many there were.
int TakeOut(Gf2Poly& r, const Gf2Poly& f) {
    int count = 0;
    for (;;) {
        Gf2Poly remainder = r;
        Gf2Poly quotient = remainder.DivideBy(f);
        if (!remainder.IsZero())
            return count;
        r = std::move(quotient);
        ++count;
    }
}

// The product of two polynomials of degree 64 at most, whose degrees add up
// to 127 at most.
CrcWord Multiply(CrcWord a, CrcWord b) {
    const auto aLow = static_cast<std::uint64_t>(a);
    const auto bLow = static_cast<std::uint64_t>(b);
    CrcWord product = gf2::Clmul(aLow, bLow);
    if ((a >> 64) != 0)
        product ^= b << 64;
    if ((b >> 64) != 0)
        product ^= CrcWord{aLow} << 64;
    return product;
}

void CollectDivisors(std::span<const Gf2Factor> factors, std::size_t next, int degree,
                     CrcWord product, std::size_t limit, std::vector<CrcWord>& out,
                     bool& overflow) {
    if (overflow)
        return;
    if (degree == 0) {
        if (out.size() == limit)
            overflow = true;
        else
            out.push_back(product);
        return;
    }
    if (next == factors.size())
        return;
    const Gf2Factor& f = factors[next];
    for (int k = 0; k <= f.multiplicity && k * f.degree <= degree; ++k) {
        CollectDivisors(factors, next + 1, degree - k * f.degree, product, limit, out, overflow);
        product = Multiply(product, f.poly);
    }
}

} // namespace

// Distinct-degree factorisation: once the factors below degree d are divided
// out, gcd(r, x^(2^d) - x) is the product of those of degree d.
std::vector<Gf2Factor> SmallFactors(Gf2Poly a, int maxDegree) {
    std::vector<Gf2Factor> factors;
    std::mt19937_64 rng(1);
    Gf2Poly power = kX % a;
    for (int d = 1; d <= maxDegree && a.Degree() >= d; ++d) {
        if (a.Degree() < 2 * d) { // what is left is irreducible
            if (a.Degree() <= maxDegree)
                factors.push_back({a.Low128(), a.Degree(), 1});
            break;
        }
        power = power.Squared() % a;
        const Gf2Poly product = Gcd(a, power ^ kX);
        if (product.Degree() <= 0)
            continue;
        std::vector<Gf2Poly> split;
        SplitEqualDegree(product, d, rng, split);
        for (const Gf2Poly& f : split)
            factors.push_back({f.Low128(), d, TakeOut(a, f)});
        power = power % a;
    }
    return factors;
}

std::optional<std::vector<CrcWord>> DivisorsOfDegree(std::span<const Gf2Factor> factors, int degree,
                                                     std::size_t limit) {
    std::vector<CrcWord> divisors;
    bool overflow = false;
    CollectDivisors(factors, 0, degree, 1, limit, divisors, overflow);
    if (overflow)
        return std::nullopt;
    std::ranges::sort(divisors);
    return divisors;
}
