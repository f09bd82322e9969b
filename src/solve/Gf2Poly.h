// Polynomials over GF(2) of any degree, bit i of the words the coefficient
// of x^i. Sized for what the parameter solver meets: multiples of a CRC
// polynomial as long as the sample messages (millions of terms), and their
// gcds. Division takes 64 quotient terms a pass and the gcd 60 or so, each
// pass one carry-less multiplication a word.
#pragma once

#include "crcword.h"

#include <cstdint>
#include <span>
#include <vector>

class Gf2Poly {
public:
    Gf2Poly() = default;
    explicit Gf2Poly(std::uint64_t low);
    static Gf2Poly FromWord(CrcWord value);
    static Gf2Poly Monomial(int k); // x^k

    // The message as a polynomial: the first byte's most significant bit is
    // the highest coefficient. reflectBytes reads every byte's bits the other
    // way round, as a least-significant-bit-first CRC meets them.
    static Gf2Poly FromMessage(std::span<const std::uint8_t> data, bool reflectBytes);

    int Degree() const; // -1 for zero
    bool IsZero() const { return words_.empty(); }
    // The coefficients of x^0 to x^63, and to x^127.
    std::uint64_t Low64() const { return words_.empty() ? 0 : words_[0]; }
    CrcWord Low128() const;
    // The power of x that divides it (0 for zero).
    int LowestDegree() const;
    // The 64 coefficients from x^low up (those below x^0 are 0).
    std::uint64_t Window64(int low) const;

    Gf2Poly& operator^=(const Gf2Poly& other);
    friend Gf2Poly operator^(Gf2Poly a, const Gf2Poly& b) { return a ^= b; }
    friend Gf2Poly operator*(const Gf2Poly& a, const Gf2Poly& b);
    friend bool operator==(const Gf2Poly&, const Gf2Poly&) = default;

    Gf2Poly Shifted(int k) const;     // times x^k
    Gf2Poly ShiftedDown(int k) const; // divided by x^k, the terms below x^k dropped
    Gf2Poly Squared() const;

    // Long division by a nonzero divisor: *this becomes the remainder and the
    // quotient is returned.
    Gf2Poly DivideBy(const Gf2Poly& divisor);
    Gf2Poly& operator%=(const Gf2Poly& m) {
        Reduce(m, nullptr);
        return *this;
    }
    friend Gf2Poly operator%(Gf2Poly a, const Gf2Poly& m) { return a %= m; }

    // Replaces (a, b) by (u0 a + u1 b, v0 a + v1 b), the u and v of degree below 64.
    static void Combine(Gf2Poly& a, Gf2Poly& b, std::uint64_t u0, std::uint64_t u1,
                        std::uint64_t v0, std::uint64_t v1);

private:
    // *this becomes the remainder; the quotient's bits go to quotient, if any.
    void Reduce(const Gf2Poly& divisor, Gf2Poly* quotient);
    void XorShifted(const Gf2Poly& other, int shift);
    void Trim();

    std::vector<std::uint64_t> words_; // no zero word at the top
};

// The monic greatest common divisor; Gcd(0, 0) is 0.
Gf2Poly Gcd(Gf2Poly a, Gf2Poly b);
