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

} // namespace

template <class Lane> std::vector<Lane> SlicingTables(const Lane* lane) {
    std::vector<Lane> tables(kSlices * 256);
    std::memcpy(tables.data(), lane, 256 * sizeof *lane);
    for (std::size_t i = 256; i < tables.size(); ++i)
        tables[i] = Step(lane, tables[i - 256]);
    return tables;
}

template <class Lane>
Lane ByteWise(const Lane* lane, Lane q, const std::uint8_t* p, std::size_t n) {
    for (const std::uint8_t* end = p + n; p != end; ++p)
        q = lane[static_cast<std::uint8_t>(q ^ *p)] ^ (q >> 8);
    return q;
}

template <class Lane>
Lane Slicing16(const Lane* tables, Lane q, const std::uint8_t* p, std::size_t n) {
    for (; n >= 16; p += 16, n -= 16) {
        const std::uint64_t a = LoadLittle64(p);
        const std::uint64_t b = LoadLittle64(p + 8);
        // The register meets only the first bytes, as many as the lane has;
        // the other lookups do not wait for it and overlap the previous step.
        const Lane tail = ((At(tables, 7, b, 0) ^ At(tables, 6, b, 1)) ^
                           (At(tables, 5, b, 2) ^ At(tables, 4, b, 3))) ^
                          ((At(tables, 3, b, 4) ^ At(tables, 2, b, 5)) ^
                           (At(tables, 1, b, 6) ^ At(tables, 0, b, 7)));
        if constexpr (sizeof(Lane) == 4) {
            const Lane rest = ((At(tables, 11, a, 4) ^ At(tables, 10, a, 5)) ^
                               (At(tables, 9, a, 6) ^ At(tables, 8, a, 7))) ^
                              tail;
            const std::uint64_t head = a ^ q;
            q = ((At(tables, 15, head, 0) ^ At(tables, 14, head, 1)) ^
                 (At(tables, 13, head, 2) ^ At(tables, 12, head, 3))) ^
                rest;
        } else {
            const std::uint64_t head = a ^ q;
            q = (((At(tables, 15, head, 0) ^ At(tables, 14, head, 1)) ^
                  (At(tables, 13, head, 2) ^ At(tables, 12, head, 3))) ^
                 ((At(tables, 11, head, 4) ^ At(tables, 10, head, 5)) ^
                  (At(tables, 9, head, 6) ^ At(tables, 8, head, 7)))) ^
                tail;
        }
    }
    return ByteWise(tables, q, p, n);
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
