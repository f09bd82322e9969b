#include "crcfold.h"

#if defined(__x86_64__) || defined(__i386__)

#include <immintrin.h>

#define CRC_TARGET_PCLMUL __attribute__((target("pclmul,sse4.1")))
#define CRC_TARGET_AVX2 __attribute__((target("pclmul,sse4.1,avx2,vpclmulqdq")))
#define CRC_TARGET_AVX512                                                                          \
    __attribute__((target("pclmul,sse4.1,avx2,avx512f,avx512bw,avx512vbmi,gfni,vpclmulqdq")))

bool CpuRunsPclmul() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse4.1");
}

// AMD Zen 3 and Intel Alder Lake have these without AVX-512.
bool CpuRunsAvx2Vpclmul() {
    return CpuRunsPclmul() && __builtin_cpu_supports("avx2") &&
           __builtin_cpu_supports("vpclmulqdq");
}

bool CpuRunsGfni() {
    return __builtin_cpu_supports("gfni");
}

bool CpuRunsAvx512() {
    return CpuRunsPclmul() && __builtin_cpu_supports("avx512f") &&
           __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vbmi") &&
           __builtin_cpu_supports("gfni") && __builtin_cpu_supports("vpclmulqdq");
}

namespace {

// Reverses the bytes of each 128-bit lane.
alignas(64) const std::uint8_t kReverse[64] = {
    15, 14, 13, 12, 11, 10, 9,  8,  7,  6,  5,  4,  3,  2,  1,  0,  15, 14, 13, 12, 11, 10,
    9,  8,  7,  6,  5,  4,  3,  2,  1,  0,  15, 14, 13, 12, 11, 10, 9,  8,  7,  6,  5,  4,
    3,  2,  1,  0,  15, 14, 13, 12, 11, 10, 9,  8,  7,  6,  5,  4,  3,  2,  1,  0};

// Byte i of each qword is 1 << i: with the data as the matrix operand, the
// affine step transposes each 8 x 8 bit block, so byte i of a qword gathers
// bit i of its 8 data bytes, the first byte in the most significant bit.
constexpr long long kTranspose = 0x8040201008040201;

CRC_TARGET_PCLMUL inline __m128i Fold(__m128i x, __m128i k, __m128i data) {
    return _mm_xor_si128(
        _mm_xor_si128(_mm_clmulepi64_si128(x, k, 0x00), _mm_clmulepi64_si128(x, k, 0x11)), data);
}

CRC_TARGET_PCLMUL inline __m128i Constants(const std::uint64_t (&k)[2]) {
    return _mm_load_si128(reinterpret_cast<const __m128i*>(k));
}

// A chunk as a polynomial: as loaded when least-significant-bit first,
// byte-reversed when most-significant-bit first.
template <bool Normal> CRC_TARGET_PCLMUL inline __m128i Chunk(__m128i x) {
    if constexpr (Normal)
        return _mm_shuffle_epi8(x, _mm_load_si128(reinterpret_cast<const __m128i*>(kReverse)));
    return x;
}

template <bool Normal> CRC_TARGET_PCLMUL inline __m128i LoadChunk(const std::uint8_t* p) {
    return Chunk<Normal>(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
}

// The register in lane form, to be XORed into the first four or eight data bytes.
CRC_TARGET_PCLMUL inline __m128i LaneBytes(std::uint64_t lane) {
    return _mm_cvtsi64_si128(static_cast<long long>(lane));
}

// Folds the remaining 16-byte chunks into x and stores the remainder in memory order.
template <bool Normal>
CRC_TARGET_PCLMUL std::size_t FinishChunks(const CrcFoldConstants& k, __m128i x,
                                           const std::uint8_t* p, std::size_t n,
                                           std::uint8_t out[16]) {
    const __m128i k128 = Constants(k.k128);
    const std::size_t whole = n & ~std::size_t{15};
    for (const std::uint8_t* end = p + whole; p != end; p += 16)
        x = Fold(x, k128, LoadChunk<Normal>(p));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), Chunk<Normal>(x));
    return whole;
}

// Four chains hide the multiplier's latency.
template <bool Normal>
CRC_TARGET_PCLMUL std::size_t FoldChunks(const CrcFoldConstants& k, std::uint64_t lane,
                                         const std::uint8_t* p, std::size_t n,
                                         std::uint8_t out[16]) {
    const std::uint8_t* const start = p;
    __m128i x0 = Chunk<Normal>(
        _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), LaneBytes(lane)));
    __m128i x1 = LoadChunk<Normal>(p + 16);
    __m128i x2 = LoadChunk<Normal>(p + 32);
    __m128i x3 = LoadChunk<Normal>(p + 48);
    const __m128i k512 = Constants(k.k512);
    for (p += 64, n -= 64; n >= 64; p += 64, n -= 64) {
        x0 = Fold(x0, k512, LoadChunk<Normal>(p));
        x1 = Fold(x1, k512, LoadChunk<Normal>(p + 16));
        x2 = Fold(x2, k512, LoadChunk<Normal>(p + 32));
        x3 = Fold(x3, k512, LoadChunk<Normal>(p + 48));
    }
    const __m128i k128 = Constants(k.k128);
    x1 = Fold(x0, k128, x1);
    x2 = Fold(x1, k128, x2);
    x3 = Fold(x2, k128, x3);
    return static_cast<std::size_t>(p - start) + FinishChunks<Normal>(k, x3, p, n, out);
}

CRC_TARGET_AVX2 inline __m256i Fold(__m256i x, __m256i k, __m256i data) {
    return _mm256_xor_si256(_mm256_xor_si256(_mm256_clmulepi64_epi128(x, k, 0x00),
                                             _mm256_clmulepi64_epi128(x, k, 0x11)),
                            data);
}

CRC_TARGET_AVX2 inline __m256i BroadcastYmm(__m128i x) {
    return _mm256_broadcastsi128_si256(x);
}

// Two chunks at once, as Chunk takes one.
template <bool Normal> CRC_TARGET_AVX2 inline __m256i ChunksYmm(__m256i x) {
    if constexpr (Normal)
        return _mm256_shuffle_epi8(x,
                                   _mm256_load_si256(reinterpret_cast<const __m256i*>(kReverse)));
    return x;
}

template <bool Normal> CRC_TARGET_AVX2 inline __m256i LoadChunksYmm(const std::uint8_t* p) {
    return ChunksYmm<Normal>(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)));
}

template <bool Normal>
CRC_TARGET_AVX2 std::size_t FoldYmm(const CrcFoldConstants& k, std::uint64_t lane,
                                    const std::uint8_t* p, std::size_t n, std::uint8_t out[16]) {
    const std::uint8_t* const start = p;
    __m256i y0 =
        ChunksYmm<Normal>(_mm256_xor_si256(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)),
                                           _mm256_zextsi128_si256(LaneBytes(lane))));
    __m256i y1 = LoadChunksYmm<Normal>(p + 32);
    __m256i y2 = LoadChunksYmm<Normal>(p + 64);
    __m256i y3 = LoadChunksYmm<Normal>(p + 96);
    const __m256i k1024 = BroadcastYmm(Constants(k.k1024));
    for (p += 128, n -= 128; n >= 128; p += 128, n -= 128) {
        y0 = Fold(y0, k1024, LoadChunksYmm<Normal>(p));
        y1 = Fold(y1, k1024, LoadChunksYmm<Normal>(p + 32));
        y2 = Fold(y2, k1024, LoadChunksYmm<Normal>(p + 64));
        y3 = Fold(y3, k1024, LoadChunksYmm<Normal>(p + 96));
    }
    const __m256i k256 = BroadcastYmm(Constants(k.k256));
    y1 = Fold(y0, k256, y1);
    y2 = Fold(y1, k256, y2);
    y3 = Fold(y2, k256, y3);
    for (; n >= 32; p += 32, n -= 32)
        y3 = Fold(y3, k256, LoadChunksYmm<Normal>(p));
    // The two lanes hold consecutive chunks, the earlier in lane 0.
    const __m128i x =
        Fold(_mm256_castsi256_si128(y3), Constants(k.k128), _mm256_extracti128_si256(y3, 1));
    return static_cast<std::size_t>(p - start) + FinishChunks<Normal>(k, x, p, n, out);
}

CRC_TARGET_AVX512 inline __m512i Fold(__m512i x, __m512i k, __m512i data) {
    return _mm512_ternarylogic_epi64(_mm512_clmulepi64_epi128(x, k, 0x00),
                                     _mm512_clmulepi64_epi128(x, k, 0x11), data, 0x96);
}

// The unmasked forms of these two leave bits undefined that g++ 12 then
// warns about; the masked ones with every lane selected are the same.
CRC_TARGET_AVX512 inline __m512i Broadcast(__m128i x) {
    return _mm512_maskz_broadcast_i32x4(0xFFFF, x);
}

template <int I> CRC_TARGET_AVX512 inline __m128i Lane(__m512i z) {
    return _mm512_maskz_extracti32x4_epi32(0xF, z, I);
}

CRC_TARGET_AVX512 inline __m512i WideLaneBytes(std::uint64_t lane) {
    return _mm512_zextsi128_si512(LaneBytes(lane));
}

// Four chunks at once, as Chunk takes one.
template <bool Normal> CRC_TARGET_AVX512 inline __m512i Chunks(__m512i x) {
    if constexpr (Normal)
        return _mm512_shuffle_epi8(x, _mm512_load_si512(kReverse));
    return x;
}

template <bool Normal> CRC_TARGET_AVX512 inline __m512i LoadChunks(const std::uint8_t* p) {
    return Chunks<Normal>(_mm512_loadu_si512(p));
}

template <bool Normal>
CRC_TARGET_AVX512 std::size_t FoldWide(const CrcFoldConstants& k, std::uint64_t lane,
                                       const std::uint8_t* p, std::size_t n, std::uint8_t out[16]) {
    const std::uint8_t* const start = p;
    __m512i z0 = Chunks<Normal>(_mm512_xor_si512(_mm512_loadu_si512(p), WideLaneBytes(lane)));
    __m512i z1 = LoadChunks<Normal>(p + 64);
    __m512i z2 = LoadChunks<Normal>(p + 128);
    __m512i z3 = LoadChunks<Normal>(p + 192);
    const __m512i k2048 = Broadcast(Constants(k.k2048));
    for (p += 256, n -= 256; n >= 256; p += 256, n -= 256) {
        z0 = Fold(z0, k2048, LoadChunks<Normal>(p));
        z1 = Fold(z1, k2048, LoadChunks<Normal>(p + 64));
        z2 = Fold(z2, k2048, LoadChunks<Normal>(p + 128));
        z3 = Fold(z3, k2048, LoadChunks<Normal>(p + 192));
    }
    const __m512i k512 = Broadcast(Constants(k.k512));
    z1 = Fold(z0, k512, z1);
    z2 = Fold(z1, k512, z2);
    z3 = Fold(z2, k512, z3);
    for (; n >= 64; p += 64, n -= 64)
        z3 = Fold(z3, k512, LoadChunks<Normal>(p));
    // The four lanes hold consecutive chunks, the earliest in lane 0.
    const __m128i k128 = Constants(k.k128);
    __m128i x = Fold(Lane<0>(z3), k128, Lane<1>(z3));
    x = Fold(x, k128, Lane<2>(z3));
    x = Fold(x, k128, Lane<3>(z3));
    return static_cast<std::size_t>(p - start) + FinishChunks<Normal>(k, x, p, n, out);
}

} // namespace

std::size_t FoldPclmul(const CrcFoldConstants& k, std::uint64_t lane, const std::uint8_t* p,
                       std::size_t n, std::uint8_t out[16]) {
    return k.normal ? FoldChunks<true>(k, lane, p, n, out) : FoldChunks<false>(k, lane, p, n, out);
}

std::size_t FoldAvx2(const CrcFoldConstants& k, std::uint64_t lane, const std::uint8_t* p,
                     std::size_t n, std::uint8_t out[16]) {
    return k.normal ? FoldYmm<true>(k, lane, p, n, out) : FoldYmm<false>(k, lane, p, n, out);
}

std::size_t FoldAvx512(const CrcFoldConstants& k, std::uint64_t lane, const std::uint8_t* p,
                       std::size_t n, std::uint8_t out[16]) {
    return k.normal ? FoldWide<true>(k, lane, p, n, out) : FoldWide<false>(k, lane, p, n, out);
}

namespace {

// Byte indices for _mm512_permutex2var_epi8 over two transposed 64-byte
// halves: lane l of the result is plane `first + l` of the 128-byte block as
// a 128-bit polynomial, its first byte (the highest power) in the top byte.
struct PlaneIndices {
    std::uint8_t bytes[64];
    explicit constexpr PlaneIndices(int first) : bytes{} {
        for (int l = 0; l < 4; ++l)
            for (int m = 0; m < 16; ++m)
                bytes[16 * l + 15 - m] =
                    static_cast<std::uint8_t>((m < 8 ? 8 * m : 64 + 8 * (m - 8)) + first + l);
    }
};

constexpr PlaneIndices kLowPlanes(0);
constexpr PlaneIndices kHighPlanes(4);

struct Planes {
    __m512i low;  // planes 0 to 3
    __m512i high; // planes 4 to 7
};

CRC_TARGET_AVX512 inline Planes PlanesOf(__m512i first, __m512i second) {
    const __m512i unit = _mm512_set1_epi64(kTranspose);
    const __m512i a = _mm512_gf2p8affine_epi64_epi8(unit, first, 0);
    const __m512i b = _mm512_gf2p8affine_epi64_epi8(unit, second, 0);
    return {_mm512_permutex2var_epi8(a, _mm512_loadu_si512(kLowPlanes.bytes), b),
            _mm512_permutex2var_epi8(a, _mm512_loadu_si512(kHighPlanes.bytes), b)};
}

} // namespace

CRC_TARGET_AVX512 std::size_t FoldPlanesAvx512(const CrcPlaneBasis& basis, std::uint64_t lane,
                                               const std::uint8_t* p, std::size_t n,
                                               std::uint64_t residues[8][2]) {
    const std::size_t total = n;
    Planes acc = PlanesOf(_mm512_xor_si512(_mm512_loadu_si512(p), WideLaneBytes(lane)),
                          _mm512_loadu_si512(p + 64));
    p += 128;
    n -= 128;
    const __m512i k128 = Broadcast(Constants(basis.k128));
    for (; n >= 128; p += 128, n -= 128) {
        const Planes next = PlanesOf(_mm512_loadu_si512(p), _mm512_loadu_si512(p + 64));
        acc.low = Fold(acc.low, k128, next.low);
        acc.high = Fold(acc.high, k128, next.high);
    }
    _mm512_storeu_si512(residues[0], acc.low);
    _mm512_storeu_si512(residues[4], acc.high);
    return total - n;
}

namespace {

// vpshufb controls, the same in both 128-bit lanes.
struct LaneShuffle {
    alignas(32) std::uint8_t bytes[32];
    template <class F> explicit constexpr LaneShuffle(F source) : bytes{} {
        for (int i = 0; i < 32; ++i)
            bytes[i] = static_cast<std::uint8_t>(source(i % 16));
    }
};

// The bytes of each qword reversed.
constexpr LaneShuffle kQwordReverse([](int i) { return (i & 8) + 7 - (i & 7); });
// Word k of a lane pairs byte k of its two qwords, the first qword's high.
constexpr LaneShuffle kPairBytes([](int i) { return (i & 1) ? i / 2 : 8 + i / 2; });
// Words taken from (rows 0, 2, 4, 6, 1, 3, 5, 7) to put row m at word 7 - m.
constexpr LaneShuffle kRowOrder([](int i) {
    constexpr int source[8] = {7, 3, 6, 2, 5, 1, 4, 0};
    return 2 * source[i / 2] + (i & 1);
});

CRC_TARGET_AVX2 inline __m256i Shuffle(__m256i x, const LaneShuffle& control) {
    return _mm256_shuffle_epi8(x,
                               _mm256_load_si256(reinterpret_cast<const __m256i*>(control.bytes)));
}

template <int Shift> CRC_TARGET_AVX2 inline __m256i SwapBits(__m256i x, long long mask) {
    const __m256i t = _mm256_and_si256(_mm256_xor_si256(x, _mm256_srli_epi64(x, Shift)),
                                       _mm256_set1_epi64x(mask));
    return _mm256_xor_si256(_mm256_xor_si256(x, t), _mm256_slli_epi64(t, Shift));
}

// Each qword's 8 x 8 bits transposed as above: bit 7 - i of byte k is bit k
// of byte i. With GFNI one affine step; it goes through the assembler so
// that the kernel, which must also run where GFNI is absent, is compiled for
// AVX2 alone. Without it, three exchanges of bit blocks.
template <bool Gfni> CRC_TARGET_AVX2 inline __m256i TransposeQwords(__m256i x) {
    if constexpr (Gfni) {
        __m256i out;
        asm("vgf2p8affineqb $0, %2, %1, %0"
            : "=x"(out)
            : "x"(_mm256_set1_epi64x(kTranspose)), "x"(x));
        return out;
    }
    x = Shuffle(x, kQwordReverse);
    x = SwapBits<7>(x, 0x00AA00AA00AA00AA);
    x = SwapBits<14>(x, 0x0000CCCC0000CCCC);
    return SwapBits<28>(x, 0x00000000F0F0F0F0);
}

// The eight bit planes of the 128-byte block y[0..3], two to a register:
// planes 2a and 2a + 1 in pair[a], each a 128-bit polynomial with the block's
// first byte the highest power. After the transposes, byte k of qword q holds
// plane k's byte 15 - q: rows of words, one per qword pair, then a transpose
// of the 8 x 8 words.
template <bool Gfni>
CRC_TARGET_AVX2 inline void PlanesOfBlock(const __m256i y[4], __m256i pair[4]) {
    __m256i rows[4];
#pragma GCC unroll 4
    for (int g = 0; g < 4; ++g)
        rows[g] = Shuffle(TransposeQwords<Gfni>(y[g]), kPairBytes);
    // Lane 0 of each holds the even rows, lane 1 the odd ones.
    const __m256i low01 = _mm256_unpacklo_epi16(rows[0], rows[1]);
    const __m256i high01 = _mm256_unpackhi_epi16(rows[0], rows[1]);
    const __m256i low23 = _mm256_unpacklo_epi16(rows[2], rows[3]);
    const __m256i high23 = _mm256_unpackhi_epi16(rows[2], rows[3]);
    const __m256i columns[4] = {
        _mm256_unpacklo_epi32(low01, low23), _mm256_unpackhi_epi32(low01, low23),
        _mm256_unpacklo_epi32(high01, high23), _mm256_unpackhi_epi32(high01, high23)};
#pragma GCC unroll 4
    for (int a = 0; a < 4; ++a)
        pair[a] = Shuffle(_mm256_permute4x64_epi64(columns[a], 0xD8), kRowOrder);
}

CRC_TARGET_AVX2 inline void LoadBlock(const std::uint8_t* p, __m256i y[4]) {
#pragma GCC unroll 4
    for (int g = 0; g < 4; ++g)
        y[g] = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 32 * g));
}

template <bool Gfni>
CRC_TARGET_AVX2 std::size_t PlanesYmm(const CrcPlaneBasis& basis, std::uint64_t lane,
                                      const std::uint8_t* p, std::size_t n,
                                      std::uint64_t residues[8][2]) {
    const std::size_t total = n;
    __m256i y[4];
    LoadBlock(p, y);
    y[0] = _mm256_xor_si256(y[0], _mm256_zextsi128_si256(LaneBytes(lane)));
    __m256i acc[4];
    PlanesOfBlock<Gfni>(y, acc);
    p += 128;
    n -= 128;
    const __m256i k128 = BroadcastYmm(Constants(basis.k128));
    for (; n >= 128; p += 128, n -= 128) {
        __m256i next[4];
        LoadBlock(p, y);
        PlanesOfBlock<Gfni>(y, next);
#pragma GCC unroll 4
        for (int a = 0; a < 4; ++a)
            acc[a] = Fold(acc[a], k128, next[a]);
    }
    for (int a = 0; a < 4; ++a)
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(residues[2 * a]), acc[a]);
    return total - n;
}

} // namespace

std::size_t FoldPlanesAvx2(const CrcPlaneBasis& basis, std::uint64_t lane, const std::uint8_t* p,
                           std::size_t n, std::uint64_t residues[8][2], bool gfni) {
    return gfni ? PlanesYmm<true>(basis, lane, p, n, residues)
                : PlanesYmm<false>(basis, lane, p, n, residues);
}

#else

// Elsewhere only the portable paths run; the kernels are never called.

bool CpuRunsPclmul() {
    return false;
}

bool CpuRunsAvx2Vpclmul() {
    return false;
}

bool CpuRunsGfni() {
    return false;
}

bool CpuRunsAvx512() {
    return false;
}

std::size_t FoldPclmul(const CrcFoldConstants&, std::uint64_t, const std::uint8_t*, std::size_t,
                       std::uint8_t*) {
    return 0;
}

std::size_t FoldAvx2(const CrcFoldConstants&, std::uint64_t, const std::uint8_t*, std::size_t,
                     std::uint8_t*) {
    return 0;
}

std::size_t FoldAvx512(const CrcFoldConstants&, std::uint64_t, const std::uint8_t*, std::size_t,
                       std::uint8_t*) {
    return 0;
}

std::size_t FoldPlanesAvx2(const CrcPlaneBasis&, std::uint64_t, const std::uint8_t*, std::size_t,
                           std::uint64_t (*)[2], bool) {
    return 0;
}

std::size_t FoldPlanesAvx512(const CrcPlaneBasis&, std::uint64_t, const std::uint8_t*, std::size_t,
                             std::uint64_t (*)[2]) {
    return 0;
}

#endif
