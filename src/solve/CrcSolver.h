// Finds every CRC of the main window's model that reproduces a set of
// samples: width, polynomial, the three bit-order options, initial value and
// XOR-out.
//
// True CRCs (table and update in the same bit order) are solved by algebra
// over GF(2); for CRC-16 the two mixed orders are searched over all 65,536
// polynomials. CRC-32 with mixed orders is not solved: its table is not
// linear in the polynomial, and no search of 2^32 polynomials is quick.
#pragma once

#include "CrcParams.h"
#include "InitXorSystem.h"
#include "SampleFitter.h"

#include <cstddef>
#include <span>
#include <vector>

struct CrcFit {
    // The polynomial in its normal form: reversePoly goes with reflectedTable,
    // the same set as the bit-reversed polynomial with reversePoly toggled.
    // init and xorOut are the family's representative; no xorOut when it is 0.
    CrcParams params;
    InitXorFamily family;
    // Of family.Bits(), how many no message as long as the shortest sample
    // or longer can resolve (see SampleFitter::IndistinguishableBits).
    int indistinguishableBits = 0;
    // Those pairs give equal results for every message this long or longer.
    std::size_t alikeFrom = 0;
};

struct CrcSolution {
    // The samples leave the polynomial open: they make no multiple of it
    // (too few, or two of different lengths), or one with too many divisors.
    bool tooFewSamples = false;
    std::vector<CrcFit> fits; // true CRCs first, then by table order and polynomial
    // The first this many samples already give these fits, or already rule
    // out every CRC when there are none.
    std::size_t samplesNeeded = 0;
};

// The longest sample the solver is meant for: frames, not files. The algebra
// costs the square of the longest sample (about 2 s at this length in the
// worst case, three samples of distinct lengths), the search its length.
inline constexpr std::size_t kMaxSampleBytes = 4096;

// Which bit orders to solve: all eight combinations, or the true CRCs alone.
enum class SolveScope { AllOrders, MatchedOrders };

CrcSolution SolveCrc(std::span<const CrcSample> samples, int width,
                     SolveScope scope = SolveScope::AllOrders);

// Whether params (of any form) computes one of the CRCs of fit.
bool FitHolds(const CrcFit& fit, const CrcParams& params);
