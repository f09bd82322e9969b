#include "InitXorSystem.h"

#include "gf2poly.h"

#include <algorithm>
#include <bit>
#include <utility>

namespace {

bool Parity(std::uint64_t v) {
    return (std::popcount(v) & 1) != 0;
}

// Inserts v into a basis kept by highest bit; false when v depends on it.
bool InsertEchelon(std::array<std::uint64_t, 64>& basis, std::uint64_t v) {
    while (v != 0) {
        const int top = gf2::Degree(v);
        if (basis[static_cast<std::size_t>(top)] == 0) {
            basis[static_cast<std::size_t>(top)] = v;
            return true;
        }
        v ^= basis[static_cast<std::size_t>(top)];
    }
    return false;
}

// Bit k of word j becomes bit j of word k, for the first width words and
// bits: the off-diagonal halves swap, then the quarters within each half, ...
void Transpose(std::array<std::uint32_t, 32>& a, int width) {
    std::uint32_t mask = (std::uint32_t{1} << (width / 2)) - 1;
    for (int h = width / 2; h != 0; h /= 2, mask ^= mask << h)
        for (int k = 0; k < width; k = ((k | h) + 1) & ~h) {
            const auto lo = static_cast<std::size_t>(k);
            const auto hi = static_cast<std::size_t>(k | h);
            const std::uint32_t t = ((a[lo] >> h) ^ a[hi]) & mask;
            a[lo] ^= t << h;
            a[hi] ^= t;
        }
}

} // namespace

InitXorFamily::InitXorFamily(int width, std::uint64_t representative,
                             std::vector<std::uint64_t> basis)
    : width_(width), representative_(representative), basis_(std::move(basis)) {
    std::array<std::uint64_t, 64> echelon{};
    for (const std::uint64_t v : basis_)
        InsertEchelon(echelon, v);
    basis_.clear();
    for (int bit = 63; bit >= 0; --bit)
        if (echelon[static_cast<std::size_t>(bit)] != 0)
            basis_.push_back(echelon[static_cast<std::size_t>(bit)]);
    // Clearing the leading bits from the top down leaves the smallest member:
    // xor sits above init, so the smallest xor first, then the smallest init.
    representative_ = Reduced(representative_);
}

bool InitXorFamily::Contains(std::uint32_t init, std::uint32_t xorOut) const {
    const std::uint64_t mask = (std::uint64_t{1} << width_) - 1;
    const std::uint64_t v = (init & mask) | (xorOut & mask) << width_;
    return Reduced(v ^ representative_) == 0;
}

std::pair<std::uint32_t, std::uint32_t> InitXorFamily::Member(std::uint64_t index) const {
    std::uint64_t v = representative_;
    for (std::size_t i = 0; i < basis_.size(); ++i)
        if ((index >> i) & 1)
            v ^= basis_[i];
    const std::uint64_t mask = (std::uint64_t{1} << width_) - 1;
    return {static_cast<std::uint32_t>(v & mask), static_cast<std::uint32_t>(v >> width_)};
}

std::uint64_t InitXorFamily::Reduced(std::uint64_t v) const {
    for (const std::uint64_t b : basis_)
        if ((v >> gf2::Degree(b)) & 1)
            v ^= b;
    return v;
}

InitXorSystem::InitXorSystem(int width) : width_(width) {}

bool InitXorSystem::Add(std::span<const std::uint32_t> columns, std::uint32_t residue) {
    std::array<std::uint32_t, 32> rows{};
    std::ranges::copy(columns, rows.begin());
    Transpose(rows, width_);
    for (int j = 0; j < width_; ++j) {
        Row row{rows[static_cast<std::size_t>(j)] | std::uint64_t{1} << (width_ + j),
                ((residue >> j) & 1) != 0};
        while (row.coefficients != 0) {
            Row& pivot = pivots_[static_cast<std::size_t>(gf2::Degree(row.coefficients))];
            if (pivot.coefficients == 0) {
                pivot = row;
                ++rank_;
                break;
            }
            row.coefficients ^= pivot.coefficients;
            row.value ^= pivot.value;
        }
        if (row.coefficients == 0 && row.value)
            return false;
    }
    return true;
}

// Each pivot row's other bits lie below its pivot, so solving from the lowest
// pivot up meets only bits already known.
InitXorFamily InitXorSystem::Family() const {
    const int unknowns = 2 * width_;
    const auto solve = [&](std::uint64_t z, bool homogeneous) {
        for (int b = 0; b < unknowns; ++b) {
            const Row& row = pivots_[static_cast<std::size_t>(b)];
            if (row.coefficients == 0)
                continue;
            const bool bit = Parity(row.coefficients & z) ^ (homogeneous ? false : row.value);
            z |= std::uint64_t{bit} << b;
        }
        return z;
    };
    std::vector<std::uint64_t> basis;
    for (int f = 0; f < unknowns; ++f)
        if (pivots_[static_cast<std::size_t>(f)].coefficients == 0)
            basis.push_back(solve(std::uint64_t{1} << f, true));
    return InitXorFamily(width_, solve(0, false), std::move(basis));
}

int Nullity(std::span<const std::uint32_t> columns) {
    std::array<std::uint64_t, 64> echelon{};
    int rank = 0;
    for (const std::uint32_t column : columns)
        rank += InsertEchelon(echelon, column) ? 1 : 0;
    return static_cast<int>(columns.size()) - rank;
}
