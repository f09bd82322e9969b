// Fits one candidate CRC of the main window's model (polynomial and bit
// orders, any of them mixed) to the samples by running its engine: finds
// every initial value and XOR-out that reproduce them, sample by sample in
// the order given, so that a search also learns how many samples it took.
// For a width that is a multiple of 8, up to 64.
#pragma once

#include "CrcEngine.h"
#include "CrcSample.h"
#include "FitTrace.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

class SampleFitter {
public:
    SampleFitter(std::span<const CrcSample> samples, int width);

    // The engine path a candidate should take: byte-wise for short samples,
    // where building the slicing tables would cost more than it saves.
    CrcPath Path() const;
    // engine carries the polynomial and bit orders; its init and XOR-out are ignored.
    FitTrace Fit(const CrcEngine& engine) const;

    // Of the freedom Fit finds in init and xor, the dimension no message as
    // long as the shortest sample or longer can resolve: the pairs d, A^m d
    // with A^(m+1) d = A^m d, m that length, give equal results for every
    // length from m on. (d with A d = d are among them, for any m.)
    int IndistinguishableBits(const CrcEngine& engine) const;
    // The least length from which those pairs give equal results: 0 where A
    // is invertible (every true CRC), so they agree on every message.
    std::size_t AlikeFrom(const CrcEngine& engine) const;

private:
    std::size_t Shortest() const;
    int NullityAt(const CrcEngine& engine, std::size_t length) const;

    std::span<const CrcSample> samples_;
    int width_;
    // Where the zero runs stop: each length less 0 to width / 8 - 1 bytes, ascending.
    std::vector<std::size_t> stops_;
    std::vector<std::uint8_t> zeros_;
};
