#include "crclanes.h"

#include <bit>
#include <cstring>

namespace crclanes {

namespace {

std::uint64_t LoadLittle64(const std::uint8_t* p) {
    std::uint64_t v;
    std::memcpy(&v, p, sizeof v);
    if constexpr (std::endian::native == std::endian::big)
        v = __builtin_bswap64(v);
    return v;
}

// Table k looked up with byte i of v.
template <class Lane> inline Lane At(const Lane* tables, int k, std::uint64_t v, int i) {
    return tables[k * 256 + ((v >> (8 * i)) & 0xFF)];
}

// One step over 16 bytes in a 64-bit lane. The register meets all of the
// first eight bytes, whose lookups wait for it; the last eight are read
// from memory byte by byte, which spares the ALUs the extraction they
// would otherwise share with the register's bytes.
inline std::uint64_t Step16(const std::uint64_t* tables, std::uint64_t q, const std::uint8_t* p) {
    const auto at = [tables](int k, std::uint8_t byte) { return tables[k * 256 + byte]; };
    const std::uint64_t tail = ((at(7, p[8]) ^ at(6, p[9])) ^ (at(5, p[10]) ^ at(4, p[11]))) ^
                               ((at(3, p[12]) ^ at(2, p[13])) ^ (at(1, p[14]) ^ at(0, p[15])));
    const std::uint64_t head = LoadLittle64(p) ^ q;
    return (((At(tables, 15, head, 0) ^ At(tables, 14, head, 1)) ^
             (At(tables, 13, head, 2) ^ At(tables, 12, head, 3))) ^
            ((At(tables, 11, head, 4) ^ At(tables, 10, head, 5)) ^
             (At(tables, 9, head, 6) ^ At(tables, 8, head, 7)))) ^
           tail;
}

// The lane after kSpan zero bytes, by linearity from its image of each bit.
std::uint64_t SpanOfZeros(const std::uint64_t* columns, std::uint64_t q) {
    std::uint64_t r = 0;
    for (int k = 0; k < 64; ++k)
        r ^= columns[k] & (0 - ((q >> k) & 1));
    return r;
}

} // namespace

template <class Lane> std::vector<Lane> SlicingTables(const Lane* lane) {
    std::vector<Lane> tables(kSlices * 256 + (sizeof(Lane) == 8 ? 64 : 0));
    std::memcpy(tables.data(), lane, 256 * sizeof *lane);
    for (std::size_t i = 256; i < kSlices * 256; ++i)
        tables[i] = Step(lane, tables[i - 256]);
    if constexpr (sizeof(Lane) == 8) {
        // Bit k of the lane is one zero byte away from bit k + 8, so only
        // the top byte's eight bits need running over the span.
        Lane* columns = tables.data() + kSlices * 256;
        static constexpr std::uint8_t kZeros[16] = {};
        for (int k = 56; k < 64; ++k) {
            Lane q = Lane{1} << k;
            for (std::size_t i = 0; i < kSpan; i += 16)
                q = Step16(tables.data(), q, kZeros);
            columns[k] = q;
        }
        for (int k = 55; k >= 0; --k)
            columns[k] = Step(lane, columns[k + 8]);
    }
    return tables;
}

template <class Lane>
Lane ByteWise(const Lane* lane, Lane q, const std::uint8_t* p, std::size_t n) {
    for (const std::uint8_t* end = p + n; p != end; ++p)
        q = lane[static_cast<std::size_t>((q ^ *p) & 0xFF)] ^ (q >> 8);
    return q;
}

template <class Lane>
Lane Slicing16(const Lane* tables, Lane q, const std::uint8_t* p, std::size_t n) {
    if constexpr (sizeof(Lane) == 8) {
        // One chain of 64-bit steps waits on its eight dependent lookups;
        // two chains over the halves of each 2 * kSpan bytes overlap, the
        // first carried over the second's span of zeros when they join. The
        // hardware does not foresee the two streams from memory: each step
        // asks for its place in the next block.
        const std::uint64_t* columns = tables + kSlices * 256;
        for (; n >= 2 * kSpan; p += 2 * kSpan, n -= 2 * kSpan) {
            std::uint64_t first = q;
            std::uint64_t second = 0;
            for (std::size_t i = 0; i < kSpan; i += 16) {
                __builtin_prefetch(p + 2 * kSpan + i);
                __builtin_prefetch(p + 3 * kSpan + i);
                first = Step16(tables, first, p + i);
                second = Step16(tables, second, p + kSpan + i);
            }
            q = SpanOfZeros(columns, first) ^ second;
        }
        for (; n >= 16; p += 16, n -= 16)
            q = Step16(tables, q, p);
        return ByteWise(tables, q, p, n);
    } else {
        for (; n >= 16; p += 16, n -= 16) {
            const std::uint64_t a = LoadLittle64(p);
            const std::uint64_t b = LoadLittle64(p + 8);
            // The register meets only the first four bytes; the other twelve
            // lookups do not wait for it and overlap the previous step.
            const Lane rest = ((At(tables, 11, a, 4) ^ At(tables, 10, a, 5)) ^
                               (At(tables, 9, a, 6) ^ At(tables, 8, a, 7))) ^
                              ((At(tables, 7, b, 0) ^ At(tables, 6, b, 1)) ^
                               (At(tables, 5, b, 2) ^ At(tables, 4, b, 3))) ^
                              ((At(tables, 3, b, 4) ^ At(tables, 2, b, 5)) ^
                               (At(tables, 1, b, 6) ^ At(tables, 0, b, 7)));
            const std::uint64_t head = a ^ q;
            q = ((At(tables, 15, head, 0) ^ At(tables, 14, head, 1)) ^
                 (At(tables, 13, head, 2) ^ At(tables, 12, head, 3))) ^
                rest;
        }
        return ByteWise(tables, q, p, n);
    }
}

template std::vector<std::uint32_t> SlicingTables(const std::uint32_t*);
template std::vector<std::uint64_t> SlicingTables(const std::uint64_t*);
template std::uint32_t ByteWise(const std::uint32_t*, std::uint32_t, const std::uint8_t*,
                                std::size_t);
template std::uint64_t ByteWise(const std::uint64_t*, std::uint64_t, const std::uint8_t*,
                                std::size_t);
template CrcWord ByteWise(const CrcWord*, CrcWord, const std::uint8_t*, std::size_t);
template std::uint32_t Slicing16(const std::uint32_t*, std::uint32_t, const std::uint8_t*,
                                 std::size_t);
template std::uint64_t Slicing16(const std::uint64_t*, std::uint64_t, const std::uint8_t*,
                                 std::size_t);

std::uint32_t ApplyPoly(const std::uint32_t* lane, std::uint64_t r, std::uint32_t v) {
    std::uint32_t q = 0;
    for (int i = 63 - std::countl_zero(r); i >= 0; --i)
        q = Step(lane, q) ^ (((r >> i) & 1) ? v : 0);
    return q;
}

// Gaussian elimination over the Krylov sequence v, Step(v), Step^2(v), ...:
// the first vector that reduces to zero gives the annihilator, its
// combination tracked as a polynomial beside each basis vector.
std::uint64_t AnnihilatorOf(const std::uint32_t* lane, std::uint32_t v) {
    std::uint32_t basis[32] = {};
    std::uint64_t combination[32] = {};
    std::uint32_t power = v;
    for (int degree = 0;; ++degree, power = Step(lane, power)) {
        std::uint32_t w = power;
        std::uint64_t c = std::uint64_t{1} << degree;
        for (int bit = 31; bit >= 0; --bit)
            if (((w >> bit) & 1) && basis[bit] != 0) {
                w ^= basis[bit];
                c ^= combination[bit];
            }
        if (w == 0)
            return c;
        const int pivot = 31 - std::countl_zero(w);
        basis[pivot] = w;
        combination[pivot] = c;
    }
}

} // namespace crclanes
