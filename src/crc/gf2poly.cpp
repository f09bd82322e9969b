#include "gf2poly.h"

#include <bit>

namespace gf2 {

int Degree(std::uint64_t a) {
    return 63 - std::countl_zero(a);
}

std::uint64_t Mul(std::uint64_t a, std::uint64_t b) {
    std::uint64_t product = 0;
    for (; b != 0; b &= b - 1)
        product ^= a << std::countr_zero(b);
    return product;
}

std::uint64_t Mod(std::uint64_t a, std::uint64_t m) {
    const int d = Degree(m);
    for (int i = Degree(a); i >= d; --i)
        if ((a >> i) & 1)
            a ^= m << (i - d);
    return a;
}

std::uint64_t Mod128(std::uint64_t hi, std::uint64_t lo, std::uint64_t m) {
    const int d = Degree(m);
    std::uint64_t r = 0;
    // Horner over the bits, highest first; r stays below x^d.
    for (int i = 127; i >= 0; --i) {
        const std::uint64_t bit = i >= 64 ? (hi >> (i - 64)) & 1 : (lo >> i) & 1;
        r = (r << 1) | bit;
        if ((r >> d) & 1)
            r ^= m;
    }
    return r;
}

std::uint64_t Div(std::uint64_t a, std::uint64_t m) {
    const int d = Degree(m);
    std::uint64_t quotient = 0;
    for (int i = Degree(a); i >= d; --i)
        if ((a >> i) & 1) {
            a ^= m << (i - d);
            quotient |= std::uint64_t{1} << (i - d);
        }
    return quotient;
}

std::uint64_t XPowMod(std::uint64_t k, std::uint64_t m) {
    std::uint64_t result = Mod(1, m);
    std::uint64_t power = Mod(2, m);
    for (; k != 0; k >>= 1) {
        if (k & 1)
            result = Mod(Mul(result, power), m);
        power = Mod(Mul(power, power), m);
    }
    return result;
}

std::uint64_t Lcm(std::uint64_t a, std::uint64_t b) {
    std::uint64_t x = a;
    std::uint64_t y = b;
    while (y != 0) {
        const std::uint64_t r = Mod(x, y);
        x = y;
        y = r;
    }
    return Mul(a, Div(b, x));
}

namespace {

int DegreeWide(CrcWord a) {
    const auto high = static_cast<std::uint64_t>(a >> 64);
    return high != 0 ? 64 + Degree(high) : Degree(static_cast<std::uint64_t>(a));
}

CrcWord MulWide(std::uint64_t a, std::uint64_t b) {
    CrcWord product = 0;
    for (; b != 0; b &= b - 1)
        product ^= CrcWord{a} << std::countr_zero(b);
    return product;
}

// a mod m; the remainder of a modulus of degree 64 or less fits 64 bits.
std::uint64_t ModWide(CrcWord a, CrcWord m) {
    const int d = DegreeWide(m);
    for (int i = DegreeWide(a); i >= d; --i)
        if ((a >> i) & 1)
            a ^= m << (i - d);
    return static_cast<std::uint64_t>(a);
}

} // namespace

std::uint64_t XPowModWide(std::uint64_t k, CrcWord m) {
    // Below degree 33 the products fit 64 bits, and the narrow arithmetic is faster.
    if (DegreeWide(m) <= 32)
        return XPowMod(k, static_cast<std::uint64_t>(m));
    std::uint64_t result = ModWide(1, m);
    std::uint64_t power = ModWide(2, m);
    for (; k != 0; k >>= 1) {
        if (k & 1)
            result = ModWide(MulWide(result, power), m);
        power = ModWide(MulWide(power, power), m);
    }
    return result;
}

} // namespace gf2
