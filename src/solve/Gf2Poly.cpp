#include "Gf2Poly.h"

#include "crc.h"

#include <bit>
#include <utility>

namespace {

// The 32 bits of v spread to the even bits of a word: squaring over GF(2)
// only interleaves zeros, since the cross terms cancel in pairs.
std::uint64_t SpreadBits(std::uint32_t v) {
    std::uint64_t x = v;
    x = (x | x << 16) & 0x0000FFFF0000FFFFull;
    x = (x | x << 8) & 0x00FF00FF00FF00FFull;
    x = (x | x << 4) & 0x0F0F0F0F0F0F0F0Full;
    x = (x | x << 2) & 0x3333333333333333ull;
    return (x | x << 1) & 0x5555555555555555ull;
}

} // namespace

Gf2Poly::Gf2Poly(std::uint64_t low) {
    if (low != 0)
        words_.push_back(low);
}

Gf2Poly Gf2Poly::Monomial(int k) {
    Gf2Poly p;
    p.words_.assign(static_cast<std::size_t>(k / 64 + 1), 0);
    p.words_.back() = std::uint64_t{1} << (k % 64);
    return p;
}

Gf2Poly Gf2Poly::FromMessage(std::span<const std::uint8_t> data, bool reflectBytes) {
    Gf2Poly p;
    p.words_.assign((data.size() + 7) / 8, 0);
    for (std::size_t i = 0; i < data.size(); ++i) {
        const std::uint32_t b = reflectBytes ? ReverseBits(data[i], 2) : data[i];
        const std::size_t place = data.size() - 1 - i;
        p.words_[place / 8] |= std::uint64_t{b} << (8 * (place % 8));
    }
    p.Trim();
    return p;
}

int Gf2Poly::Degree() const {
    if (words_.empty())
        return -1;
    return static_cast<int>(64 * words_.size()) - 1 - std::countl_zero(words_.back());
}

Gf2Poly& Gf2Poly::operator^=(const Gf2Poly& other) {
    XorShifted(other, 0);
    Trim();
    return *this;
}

Gf2Poly operator*(const Gf2Poly& a, const Gf2Poly& b) {
    Gf2Poly product;
    for (std::size_t w = 0; w < b.words_.size(); ++w)
        for (std::uint64_t bits = b.words_[w]; bits != 0; bits &= bits - 1)
            product.XorShifted(a, static_cast<int>(64 * w) + std::countr_zero(bits));
    product.Trim();
    return product;
}

Gf2Poly Gf2Poly::Shifted(int k) const {
    Gf2Poly p;
    p.XorShifted(*this, k);
    p.Trim();
    return p;
}

Gf2Poly Gf2Poly::Squared() const {
    Gf2Poly p;
    p.words_.resize(2 * words_.size());
    for (std::size_t i = 0; i < words_.size(); ++i) {
        p.words_[2 * i] = SpreadBits(static_cast<std::uint32_t>(words_[i]));
        p.words_[2 * i + 1] = SpreadBits(static_cast<std::uint32_t>(words_[i] >> 32));
    }
    p.Trim();
    return p;
}

Gf2Poly Gf2Poly::DivideBy(const Gf2Poly& divisor) {
    Gf2Poly quotient;
    Reduce(divisor, &quotient);
    return quotient;
}

void Gf2Poly::Reduce(const Gf2Poly& divisor, Gf2Poly* quotient) {
    const int d = divisor.Degree();
    const int top = Degree();
    if (top < d)
        return;
    if (quotient)
        quotient->words_.assign(static_cast<std::size_t>((top - d) / 64 + 1), 0);
    for (int i = top; i >= d; --i)
        if ((words_[static_cast<std::size_t>(i / 64)] >> (i % 64)) & 1) {
            XorShifted(divisor, i - d);
            if (quotient)
                quotient->words_[static_cast<std::size_t>((i - d) / 64)] |= std::uint64_t{1}
                                                                            << ((i - d) % 64);
        }
    Trim();
    if (quotient)
        quotient->Trim();
}

void Gf2Poly::XorShifted(const Gf2Poly& other, int shift) {
    const std::size_t offset = static_cast<std::size_t>(shift / 64);
    const int bits = shift % 64;
    const std::size_t needed = other.words_.size() + offset + (bits != 0 ? 1 : 0);
    if (words_.size() < needed)
        words_.resize(needed, 0);
    for (std::size_t i = 0; i < other.words_.size(); ++i) {
        const std::uint64_t w = other.words_[i];
        words_[offset + i] ^= w << bits;
        if (bits != 0)
            words_[offset + i + 1] ^= w >> (64 - bits);
    }
}

void Gf2Poly::Trim() {
    while (!words_.empty() && words_.back() == 0)
        words_.pop_back();
}

Gf2Poly Gcd(Gf2Poly a, Gf2Poly b) {
    while (!b.IsZero()) {
        a %= b;
        std::swap(a, b);
    }
    return a;
}
