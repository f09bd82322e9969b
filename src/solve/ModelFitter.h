// Fits one candidate of the catalogue's model (width, polynomial, refin and
// refout) to the samples by algebra modulo its polynomial: every initial
// value and XOR-out that reproduce them, sample by sample in the order given.
//
// In the register read most-significant-bit first, a sample of n bytes with
// result c says init x^(8n) + xorout' = c' + M x^w (mod P): w equations in
// the 2w bits of init and XOR-out (see ModelCandidates.h). They are put in
// the engine's terms of ToCrcParams: init reflected with refin, the result
// and XOR-out as they come out.
#pragma once

#include "CrcModel.h"
#include "CrcSample.h"
#include "FitTrace.h"

#include <cstddef>
#include <span>

class ModelFitter {
public:
    explicit ModelFitter(std::span<const CrcSample> samples);

    // model's init and xorout are ignored.
    FitTrace Fit(const CrcModel& model) const;

    // As SampleFitter's, with A the step over one zero byte: x^8 modulo P.
    int IndistinguishableBits(const CrcModel& model) const;
    std::size_t AlikeFrom(const CrcModel& model) const;

private:
    std::size_t Shortest() const;

    std::span<const CrcSample> samples_;
};
