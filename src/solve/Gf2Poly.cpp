#include "Gf2Poly.h"

#include "Gf2Clmul.h"

#include <algorithm>
#include <array>
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

int Degree128(CrcWord v) {
    const auto high = static_cast<std::uint64_t>(v >> 64);
    if (high != 0)
        return 127 - std::countl_zero(high);
    return 63 - std::countl_zero(static_cast<std::uint64_t>(v));
}

} // namespace

Gf2Poly::Gf2Poly(std::uint64_t low) {
    if (low != 0)
        words_.push_back(low);
}

Gf2Poly Gf2Poly::FromWord(CrcWord value) {
    Gf2Poly p;
    p.words_ = {static_cast<std::uint64_t>(value), static_cast<std::uint64_t>(value >> 64)};
    p.Trim();
    return p;
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
        const std::uint64_t b =
            reflectBytes ? static_cast<std::uint8_t>(Reverse64(data[i]) >> 56) : data[i];
        const std::size_t place = data.size() - 1 - i;
        p.words_[place / 8] |= b << (8 * (place % 8));
    }
    p.Trim();
    return p;
}

int Gf2Poly::Degree() const {
    if (words_.empty())
        return -1;
    return static_cast<int>(64 * words_.size()) - 1 - std::countl_zero(words_.back());
}

CrcWord Gf2Poly::Low128() const {
    const std::uint64_t high = words_.size() > 1 ? words_[1] : 0;
    return CrcWord{high} << 64 | Low64();
}

int Gf2Poly::LowestDegree() const {
    for (std::size_t i = 0; i < words_.size(); ++i)
        if (words_[i] != 0)
            return static_cast<int>(64 * i) + std::countr_zero(words_[i]);
    return 0;
}

Gf2Poly& Gf2Poly::operator^=(const Gf2Poly& other) {
    XorShifted(other, 0);
    Trim();
    return *this;
}

Gf2Poly operator*(const Gf2Poly& a, const Gf2Poly& b) {
    if (a.IsZero() || b.IsZero())
        return {};
    const Gf2Poly& longer = a.words_.size() >= b.words_.size() ? a : b;
    const Gf2Poly& shorter = &longer == &a ? b : a;
    Gf2Poly product;
    product.words_.assign(longer.words_.size() + shorter.words_.size(), 0);
    for (std::size_t i = 0; i < shorter.words_.size(); ++i)
        if (shorter.words_[i] != 0)
            gf2::MulAddWords(product.words_.data() + i, longer.words_.data(), longer.words_.size(),
                             shorter.words_[i]);
    product.Trim();
    return product;
}

Gf2Poly Gf2Poly::Shifted(int k) const {
    Gf2Poly p;
    p.XorShifted(*this, k);
    p.Trim();
    return p;
}

Gf2Poly Gf2Poly::ShiftedDown(int k) const {
    Gf2Poly p;
    const auto offset = static_cast<std::size_t>(k / 64);
    const int bits = k % 64;
    for (std::size_t i = offset; i < words_.size(); ++i) {
        std::uint64_t w = words_[i] >> bits;
        if (bits != 0 && i + 1 < words_.size())
            w |= words_[i + 1] << (64 - bits);
        p.words_.push_back(w);
    }
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

std::uint64_t Gf2Poly::Window64(int low) const {
    if (low < 0)
        return low <= -64 || words_.empty() ? 0 : words_[0] << -low;
    const auto index = static_cast<std::size_t>(low / 64);
    const int bits = low % 64;
    std::uint64_t w = index < words_.size() ? words_[index] >> bits : 0;
    if (bits != 0 && index + 1 < words_.size())
        w |= words_[index + 1] << (64 - bits);
    return w;
}

namespace {

// For a divisor whose 65 top terms are x^64 + low: the quotient of
// x^128 by them, less its leading x^64 (which x^64 low / divisor gives).
std::uint64_t Reciprocal(std::uint64_t low) {
    const CrcWord m = CrcWord{1} << 64 | low;
    CrcWord value = CrcWord{low} << 64;
    std::uint64_t quotient = 0;
    for (int bit = 127; bit >= 64; --bit)
        if ((value >> bit) & 1) {
            value ^= m << (bit - 64);
            quotient |= std::uint64_t{1} << (bit - 64);
        }
    return quotient;
}

} // namespace

// Long division a quotient word at a time: the top 64 terms of the remainder
// and the top 65 of the divisor decide the next 64 quotient terms (no
// carries), by Barrett's reduction, exact for polynomials; one pass then
// subtracts that word times the divisor.
void Gf2Poly::Reduce(const Gf2Poly& divisor, Gf2Poly* quotient) {
    const int d = divisor.Degree();
    int top = Degree();
    if (top < d)
        return;
    if (quotient)
        quotient->words_.assign(static_cast<std::size_t>((top - d) / 64 + 1), 0);
    const std::uint64_t reciprocal = Reciprocal(divisor.Window64(d - 64));
    const std::size_t n = divisor.words_.size();
    while (top >= d) {
        const int digit = (top - d) / 64;
        const int span = top - d - 64 * digit; // the digit's highest term
        const std::uint64_t window = Window64(top - 63);
        const auto q =
            (window ^ static_cast<std::uint64_t>(gf2::Clmul(window, reciprocal) >> 64)) >>
            (63 - span);
        const auto at = static_cast<std::size_t>(digit);
        if (words_.size() < at + n + 1)
            words_.resize(at + n + 1, 0);
        gf2::MulAddWords(words_.data() + at, divisor.words_.data(), n, q);
        if (quotient)
            quotient->words_[at] ^= q;
        Trim();
        top = Degree();
    }
    if (quotient)
        quotient->Trim();
}

void Gf2Poly::Combine(Gf2Poly& a, Gf2Poly& b, std::uint64_t u0, std::uint64_t u1, std::uint64_t v0,
                      std::uint64_t v1) {
    const std::size_t n = std::max(a.words_.size(), b.words_.size());
    a.words_.resize(n + 1, 0);
    b.words_.resize(n + 1, 0);
    gf2::CombineWords(a.words_.data(), b.words_.data(), n, u0, u1, v0, v1);
    a.Trim();
    b.Trim();
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

namespace {

// The 128 terms of p from x^low up.
CrcWord Window128(const Gf2Poly& p, int low) {
    return CrcWord{p.Window64(low + 64)} << 64 | p.Window64(low);
}

} // namespace

// Lehmer's gcd: the top 128 terms of both decide some 60 steps of Euclid's
// algorithm, as long as the terms they make are not reached by the unknown
// lower terms times the steps' multipliers; then one pass applies them all.
Gf2Poly Gcd(Gf2Poly a, Gf2Poly b) {
    if (a.Degree() < b.Degree())
        std::swap(a, b);
    while (!b.IsZero()) {
        const int da = a.Degree();
        const int db = b.Degree();
        if (db < 128 || da - db >= 48) {
            a %= b;
            std::swap(a, b);
            continue;
        }
        const int low = da - 127;
        CrcWord wa = Window128(a, low);
        CrcWord wb = Window128(b, low);
        // (a, b) becomes (u0 a + u1 b, v0 a + v1 b); du, dv bound the rows' degrees.
        std::uint64_t u0 = 1, u1 = 0, v0 = 0, v1 = 1;
        int du = 0, dv = 0;
        for (;;) {
            const int ta = Degree128(wa);
            const int tb = Degree128(wb);
            if (ta < du || tb < dv)
                break;
            if (ta >= tb) {
                const int k = ta - tb;
                if (dv + k > 63)
                    break;
                wa ^= wb << k;
                u0 ^= v0 << k;
                u1 ^= v1 << k;
                du = std::max(du, dv + k);
            } else {
                const int k = tb - ta;
                if (du + k > 63)
                    break;
                wb ^= wa << k;
                v0 ^= u0 << k;
                v1 ^= u1 << k;
                dv = std::max(dv, du + k);
            }
        }
        Gf2Poly::Combine(a, b, u0, u1, v0, v1);
        if (a.Degree() < b.Degree())
            std::swap(a, b);
    }
    return a;
}
