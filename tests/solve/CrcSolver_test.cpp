#include "CrcSolver.h"
#include "reference.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <span>
#include <tuple>
#include <vector>

namespace {

std::uint32_t Mask(int width) {
    return width == 32 ? 0xFFFFFFFFu : 0xFFFFu;
}

// The result the main window shows, by the bit-at-a-time model.
std::uint32_t Shown(const CrcParams& p, std::span<const std::uint8_t> data) {
    const ReferenceCrc reference(p.width, p.poly, p.reflectedTable, p.reflectedUpdate,
                                 p.reversePoly);
    return reference.Run(p.init, data) ^ p.xorOut.value_or(0);
}

std::vector<CrcSample> Samples(std::mt19937& rng, const CrcParams& p,
                               std::span<const std::size_t> lengths) {
    std::vector<CrcSample> samples;
    for (const std::size_t n : lengths) {
        CrcSample s;
        for (std::size_t i = 0; i < n; ++i)
            s.data.push_back(static_cast<std::uint8_t>(rng()));
        s.crc = CrcEngine(p).Checksum(s.data);
        samples.push_back(std::move(s));
    }
    return samples;
}

std::vector<std::size_t> MixedLengths(std::mt19937& rng, int count) {
    std::uniform_int_distribution<std::size_t> length(1, 64);
    std::vector<std::size_t> lengths;
    for (int i = 0; i < count; ++i)
        lengths.push_back(length(rng));
    return lengths;
}

// Top bit set, the rest at random; XOR-out off, random, or (CRC-16) wider than 16 bits.
CrcParams Draw(std::mt19937& rng, int width, int flags) {
    const std::uint32_t mask = Mask(width);
    const auto random = [&] { return static_cast<std::uint32_t>(rng()); };
    CrcParams p{width,
                (random() & mask) | (mask ^ (mask >> 1)),
                random() & mask,
                (flags & 4) != 0,
                (flags & 1) != 0,
                (flags & 2) != 0,
                std::nullopt};
    if (rng() % 3 == 1)
        p.xorOut = random() & mask;
    else if (rng() % 3 == 2)
        p.xorOut = width == 16 ? random() : random() & mask;
    return p;
}

void ExpectSolvedBy(const CrcSolution& solution, const CrcParams& drawn,
                    std::span<const CrcSample> samples) {
    ASSERT_FALSE(solution.tooFewSamples);
    EXPECT_TRUE(
        std::ranges::any_of(solution.fits, [&](const CrcFit& fit) { return FitHolds(fit, drawn); }))
        << "poly " << std::hex << drawn.poly << " init " << drawn.init;
    for (const CrcFit& fit : solution.fits)
        for (const CrcSample& s : samples)
            ASSERT_EQ(Shown(fit.params, s.data), s.crc)
                << "fit poly " << std::hex << fit.params.poly;
    EXPECT_LE(solution.samplesNeeded, samples.size());
}

auto Summary(const CrcSolution& solution) {
    std::vector<std::tuple<std::uint32_t, std::uint32_t, bool, bool, bool, std::uint32_t, int>>
        summary;
    for (const CrcFit& f : solution.fits)
        summary.emplace_back(f.params.poly, f.params.init, f.params.reversePoly,
                             f.params.reflectedTable, f.params.reflectedUpdate,
                             f.params.xorOut.value_or(0), f.family.Bits());
    return summary;
}

// The first samplesNeeded samples give the same answer as all, one fewer does not.
void ExpectNeededIsLeast(const CrcSolution& solution, std::span<const CrcSample> samples,
                         int width) {
    const std::size_t needed = solution.samplesNeeded;
    EXPECT_EQ(Summary(SolveCrc(samples.first(needed), width)), Summary(solution));
    if (needed > 1) {
        const CrcSolution fewer = SolveCrc(samples.first(needed - 1), width);
        EXPECT_TRUE(fewer.tooFewSamples || Summary(fewer) != Summary(solution));
    }
}

TEST(CrcSolver, Crc16EveryFlagCombinationIsFound) {
    std::mt19937 rng(16);
    for (int flags = 0; flags < 8; ++flags) {
        const CrcParams drawn = Draw(rng, 16, flags);
        const auto samples = Samples(rng, drawn, MixedLengths(rng, 5));
        const CrcSolution solution = SolveCrc(samples, 16);
        ExpectSolvedBy(solution, drawn, samples);
        if (flags % 4 == 1)
            ExpectNeededIsLeast(solution, samples, 16);
    }
}

TEST(CrcSolver, Crc32MatchedCombinationsAreFound) {
    std::mt19937 rng(32);
    for (int round = 0; round < 40; ++round) {
        const bool reflected = round % 2 == 0;
        const int flags = (reflected ? 3 : 0) | (round % 4 < 2 ? 4 : 0);
        const CrcParams drawn = Draw(rng, 32, flags);
        const auto samples = Samples(rng, drawn, MixedLengths(rng, 3 + round % 4));
        const CrcSolution solution = SolveCrc(samples, 32);
        ExpectSolvedBy(solution, drawn, samples);
        ExpectNeededIsLeast(solution, samples, 32);
    }
}

} // namespace
