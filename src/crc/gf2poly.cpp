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

} // namespace gf2
