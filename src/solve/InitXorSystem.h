// The initial value and XOR-out that make a CRC reproduce a set of samples.
//
// Whatever the polynomial and bit orders, the register after n bytes is
// affine in its start: A^n init ^ R(data), where A is the step over one zero
// byte and R(data) the register after data from zero. A sample with result
// c therefore gives `width` linear equations A^n init ^ xor = c ^ R(data)
// in the 2 * width unknown bits of init and xor (bits 0 to width-1 of an
// unknown vector are init, the bits above are xor). This solves them
// incrementally, sample by sample, for widths up to 64.
#pragma once

#include "crcword.h"

#include <array>
#include <cstdint>
#include <span>
#include <utility>
#include <vector>

// The (init, xor) pairs that fit: an affine space, kept as the representative
// with the smallest xor (then the smallest init) and a basis of the
// differences, echelonised by their highest bit.
class InitXorFamily {
public:
    InitXorFamily(int width, CrcWord representative, std::vector<CrcWord> basis);

    int Bits() const { return static_cast<int>(basis_.size()); } // log2 of the pairs
    bool Contains(CrcWord init, CrcWord xorOut) const;
    // Pair number index (below 2^Bits()) as (init, the low `width` bits of xor);
    // pair 0 is the representative.
    std::pair<CrcWord, CrcWord> Member(std::uint64_t index) const;

private:
    CrcWord Reduced(CrcWord v) const;

    int width_;
    CrcWord representative_;
    std::vector<CrcWord> basis_;
};

class InitXorSystem {
public:
    explicit InitXorSystem(int width);

    // Adds one sample: columns[k] is A^n applied to bit k of init alone,
    // residue is c ^ R(data). Returns false when the sample contradicts those
    // before; the system is then of no further use.
    bool Add(std::span<const std::uint64_t> columns, std::uint64_t residue);
    int Rank() const { return rank_; }
    InitXorFamily Family() const;

private:
    struct Row {
        CrcWord coefficients = 0;
        bool value = false;
    };

    bool HasPivot(int bit) const;

    int width_;
    int rank_ = 0;
    // By the highest bit of their coefficients; those of pivotBits_ are set.
    std::array<Row, 128> pivots_;
    CrcWord pivotBits_ = 0;
};

// The dimension of the kernel of the matrix with these columns.
int Nullity(std::span<const std::uint64_t> columns);
