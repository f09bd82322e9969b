#include "CrcCatalogue.h"
#include "CrcEngine.h"
#include "CrcSolver.h"
#include "reference.h"

#include <gtest/gtest.h>

#include <optional>

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
    const std::uint32_t crc = reference.Run(p.init, data);
    return (p.reflectOut ? ReflectBits(crc, p.width) : crc) ^ p.xorOut.value_or(0);
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

// A fit's other pairs of init and XOR-out give its CRC of every message from
// alikeFrom bytes on, and, where alikeFrom is not 0, not of one byte less.
// (The difference is linear in the pair alone, so any data shows it.)
void ExpectAlikeFromIsLeast(const CrcFit& fit) {
    if (fit.family.Bits() == 0 || fit.family.Bits() != fit.indistinguishableBits)
        return;
    const std::uint32_t high = fit.params.xorOut.value_or(0) & ~Mask(fit.params.width);
    const auto dataOf = [](std::size_t n) { return std::vector<std::uint8_t>(n, 0x5A); };
    bool differsBefore = false;
    for (std::uint64_t i = 1; i < (std::uint64_t{1} << fit.family.Bits()) && i < 8; ++i) {
        CrcParams twin = fit.params;
        const auto [init, xorLow] = fit.family.Member(i);
        twin.init = init;
        twin.xorOut = high | xorLow;
        for (const std::size_t n : {fit.alikeFrom, fit.alikeFrom + 1, fit.alikeFrom + 9})
            EXPECT_EQ(Shown(twin, dataOf(n)), Shown(fit.params, dataOf(n))) << n;
        differsBefore = differsBefore ||
                        (fit.alikeFrom > 0 && Shown(twin, dataOf(fit.alikeFrom - 1)) !=
                                                  Shown(fit.params, dataOf(fit.alikeFrom - 1)));
    }
    EXPECT_EQ(differsBefore, fit.alikeFrom > 0) << "alike from " << fit.alikeFrom;
}

void ExpectSolvedBy(const CrcSolution& solution, const CrcParams& drawn,
                    std::span<const CrcSample> samples) {
    ASSERT_FALSE(solution.tooFewSamples);
    EXPECT_TRUE(
        std::ranges::any_of(solution.fits, [&](const CrcFit& fit) { return FitHolds(fit, drawn); }))
        << "poly " << std::hex << static_cast<std::uint64_t>(drawn.poly) << " init "
        << static_cast<std::uint64_t>(drawn.init);
    for (const CrcFit& fit : solution.fits) {
        for (const CrcSample& s : samples)
            ASSERT_EQ(Shown(fit.params, s.data), s.crc)
                << "fit poly " << std::hex << static_cast<std::uint64_t>(fit.params.poly);
        ExpectAlikeFromIsLeast(fit);
    }
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
        if (flags == 5)
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

// Every algorithm of the catalogue from six samples of mixed lengths: the
// algebra finds it, in its normal form, with init and XOR-out as fixed as
// any data can fix them. (A polynomial (x + 1) Q has a twin x Q that fits
// samples whose data all have the same parity, so others may fit as well.)
TEST(CrcSolver, CatalogueAlgorithmsAreFound) {
    std::mt19937 rng(6);
    const std::vector<std::size_t> lengths{5, 9, 16, 16, 33, 64};
    for (const CatalogueEntry& entry : CrcCatalogue()) {
        const int width = entry.model.width;
        if (width != 16 && width != 32)
            continue;
        const CrcParams params = ToCrcParams(entry);
        const auto samples = Samples(rng, params, lengths);
        const CrcSolution solution = SolveCrc(samples, width, SolveScope::ModelOnly);
        const auto fit = std::ranges::find_if(solution.fits,
                                              [&](const CrcFit& f) { return FitHolds(f, params); });
        ASSERT_NE(fit, solution.fits.end()) << entry.name;
        EXPECT_EQ(fit->params.poly, entry.model.poly) << entry.name;
        EXPECT_EQ(fit->params.reversePoly, entry.model.refin) << entry.name;
        EXPECT_EQ(fit->family.Bits(), fit->indistinguishableBits) << entry.name;
    }
}

// Random catalogue models of every width, refin = refout and not, any
// polynomial (without the +1 term too), init and XOR-out, solved at their
// width and its neighbours: the drawn model,
// or one that gives its CRC of every message as long as the shortest sample,
// is among the answers, and every answer reproduces every sample by the
// engine, which shares no code with the algebra.
TEST(CrcSolver, EveryWidthAndReflectionIsSolved) {
    std::mt19937_64 rng(64);
    const auto bytes = [&](std::size_t n) {
        std::vector<std::uint8_t> data(n);
        for (std::uint8_t& b : data)
            b = static_cast<std::uint8_t>(rng());
        return data;
    };
    for (int width = 1; width <= 64; ++width)
        for (const bool apart : {false, true}) {
            const CrcWord mask = WidthMask(width);
            const bool refin = rng() % 2 == 0;
            const CrcModel drawn{width, rng() & mask,   rng() & mask,
                                 refin, refin != apart, rng() & mask};
            const CrcEngine engine(ToCrcParams(drawn));
            std::vector<CrcSample> samples;
            for (const std::size_t n :
                 {rng() % 24 + 1, rng() % 24 + 1, std::size_t{16}, std::size_t{16}, rng() % 40 + 1})
                samples.push_back({bytes(n), 0});
            for (CrcSample& s : samples)
                s.crc = engine.Checksum(s.data);
            std::size_t shortest = 16;
            for (const CrcSample& s : samples)
                shortest = std::min(shortest, s.data.size());
            const std::vector<std::vector<std::uint8_t>> probes{bytes(shortest),
                                                                bytes(shortest + 5)};

            // Neighbouring widths too, which share the algebra's long part.
            std::vector<int> widths;
            for (int w = std::max(width - 1, 1); w <= std::min(width + 1, 64); ++w)
                widths.push_back(w);
            const CrcSolution solution = SolveCrc(samples, widths, SolveScope::ModelOnly);
            ASSERT_FALSE(solution.tooFewSamples) << width;
            const auto alike = [&](const CrcFit& fit) {
                const CrcEngine other(fit.params);
                return FitHolds(fit, ToCrcParams(drawn)) ||
                       std::ranges::all_of(probes, [&](const auto& data) {
                           return other.Checksum(data) == engine.Checksum(data);
                       });
            };
            EXPECT_TRUE(std::ranges::any_of(solution.fits, alike))
                << FormatModelLine(drawn) << " not found";
            for (const CrcFit& fit : solution.fits) {
                CrcParams member = fit.params;
                const int bits = std::min(fit.family.Bits(), 63);
                const auto [init, xorOut] = fit.family.Member(bits == 0 ? 0 : rng() >> (64 - bits));
                member.init = init;
                member.xorOut = xorOut;
                for (const CrcParams& p : {fit.params, member})
                    for (const CrcSample& s : samples)
                        ASSERT_TRUE(CrcEngine(p).Checksum(s.data) == s.crc)
                            << FormatModelLine(*ToCrcModel(p)) << " for " << FormatModelLine(drawn);
            }
        }
}

const CrcParams kModbus{16, 0x8005, 0xFFFF, true, true, true, std::nullopt};
const CrcParams kCrc32{32, 0x04C11DB7, 0xFFFFFFFF, true, true, true, 0xFFFFFFFF};

// The freedom left in init and XOR-out. Modbus's polynomial has the factor
// x + 1, so init ^ C001 with XOR-out C001 gives the same CRC of any message;
// one length fixes only init and XOR-out together (a family then shown with
// XOR-out 0, its init depending on the data); bits of XOR-out above a CRC-16
// come through whole. (Samples of 128 bytes or more take the slicing engine.)
TEST(CrcSolver, InitAndXorFamilies) {
    struct Case {
        CrcParams params;
        std::vector<std::size_t> lengths;
        std::optional<std::uint32_t> shownInit;
        std::optional<std::uint32_t> shownXor;
        int bits;
        int indistinguishable;
    };
    const Case cases[] = {
        {kModbus, {6, 8, 11, 20, 33}, 0xFFFF, {}, 1, 1},
        {kCrc32, {16, 16, 16, 16}, {}, {}, 32, 0},
        {{16, 0xC867, 0xFFFF, false, false, false, 0x3FFFF},
         {3, 9, 27, 200},
         0xFFFF,
         0x3FFFF,
         0,
         0},
    };
    std::mt19937 rng(3);
    for (const Case& c : cases) {
        const auto samples = Samples(rng, c.params, c.lengths);
        const CrcSolution solution = SolveCrc(samples, c.params.width);
        ExpectSolvedBy(solution, c.params, samples);
        const auto fit = std::ranges::find_if(
            solution.fits, [&](const CrcFit& f) { return FitHolds(f, c.params); });
        ASSERT_NE(fit, solution.fits.end());
        EXPECT_EQ(fit->params.poly, c.params.poly);
        if (c.shownInit) {
            EXPECT_EQ(fit->params.init, *c.shownInit);
        }
        EXPECT_EQ(fit->params.xorOut, c.shownXor);
        EXPECT_EQ(fit->family.Bits(), c.bits);
        EXPECT_EQ(fit->indistinguishableBits, c.indistinguishable);
    }
}

TEST(CrcSolver, ModbusTwinsGiveTheSameCrcs) {
    std::mt19937 rng(4);
    const auto samples = Samples(rng, kModbus, MixedLengths(rng, 4));
    const CrcFit fit = SolveCrc(samples, 16).fits.at(0);
    const CrcParams twin{16, 0xA001, 0x3FFE, false, true, true, 0xC001};
    EXPECT_TRUE(FitHolds(fit, twin));
    EXPECT_EQ(fit.alikeFrom, 0u);
    EXPECT_TRUE((fit.family.Member(1) == std::pair<CrcWord, CrcWord>(0x3FFE, 0xC001)));
    for (const std::size_t n : {1, 2, 7, 100}) {
        const auto data = Samples(rng, kModbus, std::vector{n}).at(0).data;
        EXPECT_EQ(Shown(twin, data), Shown(kModbus, data));
    }
}

// Too few samples to pin the polynomial down, samples that rule everything
// out, and how many of them it took.
TEST(CrcSolver, TooFewOrContradictorySamples) {
    std::mt19937 rng(5);
    const auto base = Samples(rng, kModbus, std::vector<std::size_t>{10, 20, 10});
    auto contradicting = base;
    contradicting[1] = contradicting[0];
    contradicting[1].crc ^= 1;
    auto highBits = base;
    highBits[0].crc |= 0x10000;
    struct Case {
        std::vector<CrcSample> samples;
        bool tooFew;
        std::size_t fits;
        std::size_t needed;
    };
    const Case cases[] = {
        {{base[0]}, true, 0, 1},
        {{base[0], base[1]}, true, 0, 2},
        {contradicting, false, 0, 2},
        {highBits, false, 0, 2},
    };
    for (const Case& c : cases) {
        const CrcSolution solution = SolveCrc(c.samples, 16);
        EXPECT_EQ(solution.tooFewSamples, c.tooFew);
        EXPECT_EQ(solution.fits.size(), c.fits);
        EXPECT_EQ(solution.samplesNeeded, c.needed);
    }
    const std::vector<CrcSample> pair{base[0], base[2]};
    ExpectSolvedBy(SolveCrc(pair, 16), kModbus, pair);
}

} // namespace
