#include "crcfold.h"

#if defined(__aarch64__)

#include <arm_neon.h>
#include <asm/hwcap.h>
#include <sys/auxv.h>

#define CRC_TARGET_PMULL __attribute__((target("+crypto")))

bool CpuRunsPmull() {
    return (getauxval(AT_HWCAP) & HWCAP_PMULL) != 0;
}

namespace {

// The same folding as the x86 kernels: each 128-bit chunk x moves over a
// distance by x.lo * k.lo + x.hi * k.hi, carry-less.
CRC_TARGET_PMULL inline uint8x16_t Fold(uint8x16_t x, uint64x2_t k, uint8x16_t data) {
    const poly64x2_t px = vreinterpretq_p64_u8(x);
    const poly64x2_t pk = vreinterpretq_p64_u64(k);
    const uint8x16_t low =
        vreinterpretq_u8_p128(vmull_p64(vgetq_lane_p64(px, 0), vgetq_lane_p64(pk, 0)));
    const uint8x16_t high = vreinterpretq_u8_p128(vmull_high_p64(px, pk));
    return veorq_u8(veorq_u8(low, high), data);
}

CRC_TARGET_PMULL inline uint64x2_t Constants(const std::uint64_t (&k)[2]) {
    return vld1q_u64(k);
}

// A chunk as a polynomial: as loaded when least-significant-bit first,
// byte-reversed when most-significant-bit first.
template <bool Normal> CRC_TARGET_PMULL inline uint8x16_t Chunk(uint8x16_t x) {
    if constexpr (Normal) {
        const uint8x16_t swapped = vrev64q_u8(x);
        return vextq_u8(swapped, swapped, 8);
    }
    return x;
}

template <bool Normal> CRC_TARGET_PMULL inline uint8x16_t LoadChunk(const std::uint8_t* p) {
    return Chunk<Normal>(vld1q_u8(p));
}

// Four chains hide the multiplier's latency, as on x86.
template <bool Normal>
CRC_TARGET_PMULL std::size_t FoldChunks(const CrcFoldConstants& k, std::uint64_t lane,
                                        const std::uint8_t* p, std::size_t n,
                                        std::uint8_t out[16]) {
    const std::uint8_t* const start = p;
    const uint8x16_t laneBytes =
        vreinterpretq_u8_u64(vcombine_u64(vcreate_u64(lane), vcreate_u64(0)));
    uint8x16_t x0 = Chunk<Normal>(veorq_u8(vld1q_u8(p), laneBytes));
    uint8x16_t x1 = LoadChunk<Normal>(p + 16);
    uint8x16_t x2 = LoadChunk<Normal>(p + 32);
    uint8x16_t x3 = LoadChunk<Normal>(p + 48);
    const uint64x2_t k512 = Constants(k.k512);
    for (p += 64, n -= 64; n >= 64; p += 64, n -= 64) {
        x0 = Fold(x0, k512, LoadChunk<Normal>(p));
        x1 = Fold(x1, k512, LoadChunk<Normal>(p + 16));
        x2 = Fold(x2, k512, LoadChunk<Normal>(p + 32));
        x3 = Fold(x3, k512, LoadChunk<Normal>(p + 48));
    }
    const uint64x2_t k128 = Constants(k.k128);
    x1 = Fold(x0, k128, x1);
    x2 = Fold(x1, k128, x2);
    x3 = Fold(x2, k128, x3);
    for (; n >= 16; p += 16, n -= 16)
        x3 = Fold(x3, k128, LoadChunk<Normal>(p));
    vst1q_u8(out, Chunk<Normal>(x3));
    return static_cast<std::size_t>(p - start);
}

} // namespace

std::size_t FoldPmull(const CrcFoldConstants& k, std::uint64_t lane, const std::uint8_t* p,
                      std::size_t n, std::uint8_t out[16]) {
    return k.normal ? FoldChunks<true>(k, lane, p, n, out) : FoldChunks<false>(k, lane, p, n, out);
}

#else

// Elsewhere the kernel is never called.

bool CpuRunsPmull() {
    return false;
}

std::size_t FoldPmull(const CrcFoldConstants&, std::uint64_t, const std::uint8_t*, std::size_t,
                      std::uint8_t*) {
    return 0;
}

#endif
