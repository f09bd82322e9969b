// Finds every CRC that reproduces a set of samples: of the catalogue's model
// for each width asked (1 to 64, refin and refout alike or not), and of the
// main window's mixed CRC-16 orders.
//
// The catalogue's model is solved by algebra over GF(2). The main window's
// CRC-16 with the table and the update in different bit orders is searched
// over all 65,536 polynomials, while the samples are short enough for that.
// CRC-32 with mixed orders is not solved: its table is not linear in the
// polynomial, and no search of 2^32 polynomials is quick.
#pragma once

#include "CrcParams.h"
#include "CrcSample.h"
#include "InitXorSystem.h"

#include <cstddef>
#include <span>
#include <vector>

struct CrcFit {
    // In the engine's terms: a catalogue model as ToCrcParams gives it (so
    // ToCrcModel gives the model back), or a mixed-order CRC-16 with its
    // polynomial in normal form and reversePoly set with reflectedTable.
    // init and xorOut are the family's representative; no xorOut when it is 0.
    CrcParams params;
    InitXorFamily family; // pairs of params.init and params.xorOut
    // Of family.Bits(), how many no message as long as the shortest sample
    // or longer can resolve (see SampleFitter::IndistinguishableBits).
    int indistinguishableBits = 0;
    // Those pairs give equal results for every message this long or longer.
    std::size_t alikeFrom = 0;
};

struct CrcSolution {
    // The samples leave the polynomial open: they make no multiple of it
    // (too few, or two of different lengths), or one with too many divisors;
    // or, with tooLong, only multiples too long to factor in good time.
    bool tooFewSamples = false;
    bool tooLong = false;
    // The mixed CRC-16 search was left out: the first samples are too long
    // for trying every polynomial on them.
    bool mixedSkipped = false;
    std::vector<CrcFit> fits; // by width; the catalogue's model first, then mixed orders
    // The first this many samples already give these fits, or already rule
    // out every CRC when there are none.
    std::size_t samplesNeeded = 0;
};

// Which CRCs to solve: every kind, or the catalogue's model alone.
enum class SolveScope { AllOrders, ModelOnly };

// widths: 1 to 64 each. A sample whose CRC is wider than a width rules that
// width out, except at 16, where the bits above come from the main window's
// XOR-out, which applies whole: all samples must then agree on them.
CrcSolution SolveCrc(std::span<const CrcSample> samples, std::span<const int> widths,
                     SolveScope scope = SolveScope::AllOrders);

inline CrcSolution SolveCrc(std::span<const CrcSample> samples, int width,
                            SolveScope scope = SolveScope::AllOrders) {
    return SolveCrc(samples, std::span(&width, 1), scope);
}

// Whether params (of any form) computes one of the CRCs of fit.
bool FitHolds(const CrcFit& fit, const CrcParams& params);
