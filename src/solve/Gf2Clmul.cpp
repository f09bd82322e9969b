#include "Gf2Clmul.h"

#include <cstring>
#include <utility>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define GF2_HAVE_PCLMUL 1
#define GF2_PCLMUL __attribute__((target("pclmul,sse4.1")))
#endif

namespace gf2 {

namespace {

// Eight message bytes as the polynomial's next 64 terms, the first byte highest.
template <bool Reflect> inline std::uint64_t MessageWord(const std::uint8_t* p) {
    std::uint64_t w;
    std::memcpy(&w, p, 8);
    return Reflect ? Reverse64(w) : __builtin_bswap64(w);
}

CrcWord SoftClmul(std::uint64_t a, std::uint64_t b) {
    CrcWord table[16];
    table[0] = 0;
    for (int i = 1; i < 16; i += 2) {
        table[i] = table[i - 1] ^ a;
        if (i + 1 < 16)
            table[i + 1] = table[(i + 1) / 2] << 1;
    }
    CrcWord product = 0;
    for (int shift = 60; shift >= 0; shift -= 4)
        product = (product << 4) ^ table[(b >> shift) & 0xF];
    return product;
}

#ifdef GF2_HAVE_PCLMUL

bool CpuHasPclmul() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse4.1");
}

GF2_PCLMUL inline CrcWord HardClmul(std::uint64_t a, std::uint64_t b) {
    const __m128i p = _mm_clmulepi64_si128(_mm_cvtsi64_si128(static_cast<long long>(a)),
                                           _mm_cvtsi64_si128(static_cast<long long>(b)), 0x00);
    return CrcWord{static_cast<std::uint64_t>(_mm_extract_epi64(p, 1))} << 64 |
           static_cast<std::uint64_t>(_mm_cvtsi128_si64(p));
}

GF2_PCLMUL void HardMulAdd(std::uint64_t* dst, const std::uint64_t* src, std::size_t n,
                           std::uint64_t q) {
    const __m128i k = _mm_cvtsi64_si128(static_cast<long long>(q));
    std::uint64_t carry = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const __m128i p =
            _mm_clmulepi64_si128(_mm_cvtsi64_si128(static_cast<long long>(src[i])), k, 0x00);
        dst[i] ^= carry ^ static_cast<std::uint64_t>(_mm_cvtsi128_si64(p));
        carry = static_cast<std::uint64_t>(_mm_extract_epi64(p, 1));
    }
    dst[n] ^= carry;
}

GF2_PCLMUL void HardCombine(std::uint64_t* a, std::uint64_t* b, std::size_t n, std::uint64_t u0,
                            std::uint64_t u1, std::uint64_t v0, std::uint64_t v1) {
    const __m128i u = _mm_set_epi64x(static_cast<long long>(u1), static_cast<long long>(u0));
    const __m128i v = _mm_set_epi64x(static_cast<long long>(v1), static_cast<long long>(v0));
    __m128i carryA = _mm_setzero_si128();
    __m128i carryB = _mm_setzero_si128();
    for (std::size_t i = 0; i <= n; ++i) {
        const __m128i ab =
            _mm_set_epi64x(static_cast<long long>(b[i]), static_cast<long long>(a[i]));
        const __m128i x =
            _mm_xor_si128(_mm_clmulepi64_si128(ab, u, 0x00), _mm_clmulepi64_si128(ab, u, 0x11));
        const __m128i y =
            _mm_xor_si128(_mm_clmulepi64_si128(ab, v, 0x00), _mm_clmulepi64_si128(ab, v, 0x11));
        a[i] = static_cast<std::uint64_t>(_mm_cvtsi128_si64(_mm_xor_si128(x, carryA)));
        b[i] = static_cast<std::uint64_t>(_mm_cvtsi128_si64(_mm_xor_si128(y, carryB)));
        carryA = _mm_srli_si128(x, 8);
        carryB = _mm_srli_si128(y, 8);
    }
}

template <bool Reflect>
GF2_PCLMUL CrcWord HardFold(CrcWord v, std::uint64_t k, const std::uint8_t* p, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i, p += 8)
        v = HardClmul(static_cast<std::uint64_t>(v >> 64), k) ^ (v << 64 | MessageWord<Reflect>(p));
    return v;
}

const bool kHardware = CpuHasPclmul();

#else

constexpr bool kHardware = false;

#endif

} // namespace

CrcWord Clmul(std::uint64_t a, std::uint64_t b) {
#ifdef GF2_HAVE_PCLMUL
    if (kHardware)
        return HardClmul(a, b);
#endif
    return SoftClmul(a, b);
}

void MulAddWords(std::uint64_t* dst, const std::uint64_t* src, std::size_t n, std::uint64_t q) {
#ifdef GF2_HAVE_PCLMUL
    if (kHardware)
        return HardMulAdd(dst, src, n, q);
#endif
    std::uint64_t carry = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const CrcWord p = SoftClmul(src[i], q);
        dst[i] ^= carry ^ static_cast<std::uint64_t>(p);
        carry = static_cast<std::uint64_t>(p >> 64);
    }
    dst[n] ^= carry;
}

void CombineWords(std::uint64_t* a, std::uint64_t* b, std::size_t n, std::uint64_t u0,
                  std::uint64_t u1, std::uint64_t v0, std::uint64_t v1) {
#ifdef GF2_HAVE_PCLMUL
    if (kHardware)
        return HardCombine(a, b, n, u0, u1, v0, v1);
#endif
    CrcWord carryA = 0, carryB = 0;
    for (std::size_t i = 0; i <= n; ++i) {
        const CrcWord x = SoftClmul(a[i], u0) ^ SoftClmul(b[i], u1);
        const CrcWord y = SoftClmul(a[i], v0) ^ SoftClmul(b[i], v1);
        a[i] = static_cast<std::uint64_t>(x ^ carryA);
        b[i] = static_cast<std::uint64_t>(y ^ carryB);
        carryA = x >> 64;
        carryB = y >> 64;
    }
}

namespace {

// value mod (x^degree + low) and the quotient, a term at a time.
std::pair<CrcWord, CrcWord> DivideSlowly(CrcWord value, int degree, std::uint64_t low) {
    const CrcWord m = CrcWord{1} << degree | low;
    CrcWord quotient = 0;
    for (int bit = 127; bit >= degree; --bit)
        if ((value >> bit) & 1) {
            value ^= m << (bit - degree);
            quotient |= CrcWord{1} << (bit - degree);
        }
    return {quotient, value};
}

} // namespace

// x^(2d) = x^d m + x^d low, so x^(2d) / m = x^d + (x^d low) / m.
SmallModulus::SmallModulus(int degree, std::uint64_t low)
    : degree_(degree), low_(static_cast<std::uint64_t>(low & WidthMask(degree))),
      barrett_(
          static_cast<std::uint64_t>(DivideSlowly(CrcWord{low_} << degree, degree, low_).first)),
      x128_(Reduce(CrcWord{Reduce(CrcWord{1} << 127)} << 1)) {}

// Barrett's reduction, exact for polynomials: for value = a x^d + b of degree
// below 2d, the quotient is a x^(2d) / m / x^d, that is a + (a barrett) / x^d.
std::uint64_t SmallModulus::Reduce(CrcWord value) const {
    if (degree_ < 64 && (value >> (2 * degree_)) != 0)
        return static_cast<std::uint64_t>(DivideSlowly(value, degree_, low_).second);
    const auto a = static_cast<std::uint64_t>(value >> degree_);
    const auto q = a ^ static_cast<std::uint64_t>(Clmul(a, barrett_) >> degree_);
    return static_cast<std::uint64_t>((value ^ Clmul(q, low_)) & WidthMask(degree_));
}

std::uint64_t SmallModulus::MulMod(std::uint64_t a, std::uint64_t b) const {
    return Reduce(Clmul(a, b));
}

std::uint64_t SmallModulus::XPowMod(std::uint64_t k) const {
    std::uint64_t result = Reduce(1);
    std::uint64_t power = Reduce(2);
    for (; k != 0; k >>= 1) {
        if (k & 1)
            result = MulMod(result, power);
        power = MulMod(power, power);
    }
    return result;
}

// A register of 128 terms congruent to the message so far: the next word
// comes in below it, and its top half folds back as a multiple of x^128.
std::uint64_t SmallModulus::MessageMod(std::span<const std::uint8_t> data,
                                       bool reflectBytes) const {
    const std::size_t head = data.size() % 8;
    CrcWord v = 0;
    for (std::size_t i = 0; i < head; ++i)
        v = v << 8 | (reflectBytes ? Reverse64(data[i]) >> 56 : data[i]);
    const std::uint8_t* p = data.data() + head;
    const std::size_t n = data.size() / 8;
#ifdef GF2_HAVE_PCLMUL
    if (kHardware)
        return Reduce(reflectBytes ? HardFold<true>(v, x128_, p, n)
                                   : HardFold<false>(v, x128_, p, n));
#endif
    for (std::size_t i = 0; i < n; ++i, p += 8) {
        const std::uint64_t w = reflectBytes ? MessageWord<true>(p) : MessageWord<false>(p);
        v = SoftClmul(static_cast<std::uint64_t>(v >> 64), x128_) ^ (v << 64 | w);
    }
    return Reduce(v);
}

} // namespace gf2
