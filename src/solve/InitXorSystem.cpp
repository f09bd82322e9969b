#include "InitXorSystem.h"

#include <algorithm>
#include <bit>
#include <utility>

namespace {

int Degree(CrcWord v) {
    const auto high = static_cast<std::uint64_t>(v >> 64);
    return high != 0 ? 127 - std::countl_zero(high)
                     : 63 - std::countl_zero(static_cast<std::uint64_t>(v));
}

bool Parity(CrcWord v) {
    return ((std::popcount(static_cast<std::uint64_t>(v)) +
             std::popcount(static_cast<std::uint64_t>(v >> 64))) &
            1) != 0;
}

// Inserts v into a basis kept by highest bit; false when v depends on it.
template <std::size_t N, typename Word> bool InsertEchelon(std::array<Word, N>& basis, Word v) {
    while (v != 0) {
        const auto top = static_cast<std::size_t>(Degree(v));
        if (basis[top] == 0) {
            basis[top] = v;
            return true;
        }
        v ^= basis[top];
    }
    return false;
}

// Bit k of word j becomes bit j of word k, for the first n words and bits
// (n a power of two): the off-diagonal halves swap, then the quarters within
// each half, and so on.
void Transpose(std::array<std::uint64_t, 64>& a, int n) {
    std::uint64_t mask = (std::uint64_t{1} << (n / 2)) - 1;
    for (int h = n / 2; h != 0; h /= 2, mask ^= mask << h)
        for (int k = 0; k < n; k = ((k | h) + 1) & ~h) {
            const auto lo = static_cast<std::size_t>(k);
            const auto hi = static_cast<std::size_t>(k | h);
            const std::uint64_t t = ((a[lo] >> h) ^ a[hi]) & mask;
            a[lo] ^= t << h;
            a[hi] ^= t;
        }
}

} // namespace

InitXorFamily::InitXorFamily(int width, CrcWord representative, std::vector<CrcWord> basis)
    : width_(width), representative_(representative), basis_(std::move(basis)) {
    std::array<CrcWord, 128> echelon{};
    for (const CrcWord v : basis_)
        InsertEchelon(echelon, v);
    basis_.clear();
    for (int bit = 127; bit >= 0; --bit)
        if (echelon[static_cast<std::size_t>(bit)] != 0)
            basis_.push_back(echelon[static_cast<std::size_t>(bit)]);
    // Clearing the leading bits from the top down leaves the smallest member:
    // xor sits above init, so the smallest xor first, then the smallest init.
    representative_ = Reduced(representative_);
}

bool InitXorFamily::Contains(CrcWord init, CrcWord xorOut) const {
    const CrcWord mask = WidthMask(width_);
    const CrcWord v = (init & mask) | (xorOut & mask) << width_;
    return Reduced(v ^ representative_) == 0;
}

std::pair<CrcWord, CrcWord> InitXorFamily::Member(std::uint64_t index) const {
    CrcWord v = representative_;
    for (std::size_t i = 0; i < basis_.size(); ++i)
        if ((index >> i) & 1)
            v ^= basis_[i];
    return {v & WidthMask(width_), v >> width_};
}

CrcWord InitXorFamily::Reduced(CrcWord v) const {
    for (const CrcWord b : basis_)
        if ((v >> Degree(b)) & 1)
            v ^= b;
    return v;
}

InitXorSystem::InitXorSystem(int width) : width_(width) {}

bool InitXorSystem::HasPivot(int bit) const {
    return ((pivotBits_ >> bit) & 1) != 0;
}

bool InitXorSystem::Add(std::span<const std::uint64_t> columns, std::uint64_t residue) {
    const int n = static_cast<int>(std::bit_ceil(static_cast<unsigned>(width_)));
    std::array<std::uint64_t, 64> rows;
    std::ranges::copy(columns, rows.begin());
    std::fill(rows.begin() + width_, rows.begin() + n, 0);
    Transpose(rows, n);
    for (int j = 0; j < width_; ++j) {
        Row row{rows[static_cast<std::size_t>(j)] | CrcWord{1} << (width_ + j),
                ((residue >> j) & 1) != 0};
        while (row.coefficients != 0) {
            const int top = Degree(row.coefficients);
            Row& pivot = pivots_[static_cast<std::size_t>(top)];
            if (!HasPivot(top)) {
                pivot = row;
                pivotBits_ |= CrcWord{1} << top;
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
    const auto solve = [&](CrcWord z, bool homogeneous) {
        for (int b = 0; b < unknowns; ++b) {
            if (!HasPivot(b))
                continue;
            const Row& row = pivots_[static_cast<std::size_t>(b)];
            const bool bit = Parity(row.coefficients & z) ^ (homogeneous ? false : row.value);
            z |= CrcWord{bit} << b;
        }
        return z;
    };
    std::vector<CrcWord> basis;
    for (int f = 0; f < unknowns; ++f)
        if (!HasPivot(f))
            basis.push_back(solve(CrcWord{1} << f, true));
    return InitXorFamily(width_, solve(0, false), std::move(basis));
}

int Nullity(std::span<const std::uint64_t> columns) {
    std::array<std::uint64_t, 64> echelon{};
    int rank = 0;
    for (const std::uint64_t column : columns)
        rank += InsertEchelon(echelon, column) ? 1 : 0;
    return static_cast<int>(columns.size()) - rank;
}
