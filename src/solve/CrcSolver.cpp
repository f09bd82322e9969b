#include "CrcSolver.h"

#include "MatchedCandidates.h"
#include "crc.h"

#include <algorithm>
#include <functional>
#include <future>
#include <optional>

namespace {

// More candidate polynomials than this from the first samples: wait for more samples.
constexpr std::size_t kCandidateLimit = std::size_t{1} << 14;

struct BitOrders {
    bool table;
    bool update;
};

struct Survivor {
    std::uint32_t poly; // as the engine takes it
    FitTrace trace;
};

// Candidates of one kind of CRC, fitted to the samples in turn.
struct Group {
    BitOrders orders;
    std::size_t decidedAt = 1;            // shorter prefixes leave the candidates open
    std::vector<std::size_t> fittedCount; // [k]: candidates that fit exactly the first k samples
    std::vector<Survivor> survivors;      // those that fit them all

    std::size_t FittingPrefix(std::size_t k) const {
        std::size_t count = 0;
        for (std::size_t f = k; f < fittedCount.size(); ++f)
            count += fittedCount[f];
        return count;
    }

    // Whether the first k samples leave the same candidates, with the same
    // freedom of init and XOR-out, as all of them.
    bool SettledAt(std::size_t k) const {
        const std::size_t all = fittedCount.size() - 1;
        if (k < decidedAt || FittingPrefix(k) != FittingPrefix(all))
            return false;
        for (const Survivor& s : survivors)
            if (s.trace.ranks[k - 1] != s.trace.ranks[all - 1])
                return false;
        return true;
    }
};

CrcEngine EngineFor(const SampleFitter& fitter, int width, std::uint32_t poly, BitOrders orders) {
    return CrcEngine({width, poly, 0, false, orders.table, orders.update, std::nullopt},
                     fitter.Path());
}

void Fit(Group& group, const SampleFitter& fitter, int width, std::uint32_t poly) {
    FitTrace trace = fitter.Fit(EngineFor(fitter, width, poly, group.orders));
    ++group.fittedCount[trace.fitted];
    if (trace.family)
        group.survivors.push_back({poly, std::move(trace)});
}

std::optional<Group> MatchedGroup(std::span<const CrcSample> samples, const SampleFitter& fitter,
                                  int width, bool reflected) {
    const MatchedCandidates candidates =
        FindMatchedCandidates(samples, width, reflected, kCandidateLimit);
    if (candidates.decidedAt == 0)
        return std::nullopt;
    Group group{{reflected, reflected},
                candidates.decidedAt,
                std::vector<std::size_t>(samples.size() + 1),
                {}};
    for (const std::uint32_t poly : candidates.polys)
        Fit(group, fitter, width, poly);
    return group;
}

Group MixedGroup(std::span<const CrcSample> samples, const SampleFitter& fitter, BitOrders orders) {
    Group group{orders, 1, std::vector<std::size_t>(samples.size() + 1), {}};
    for (std::uint32_t poly = 0; poly <= 0xFFFF; ++poly)
        Fit(group, fitter, 16, poly);
    return group;
}

CrcFit MakeFit(const SampleFitter& fitter, int width, const Group& group, const Survivor& s,
               std::uint32_t xorHigh) {
    const InitXorFamily& family = *s.trace.family;
    const bool reverse = group.orders.table;
    const auto [init, xorLow] = family.Member(0);
    const std::uint32_t xorOut = xorHigh | xorLow;
    const CrcEngine engine = EngineFor(fitter, width, s.poly, group.orders);
    return {{width, reverse ? ReverseBits(s.poly, static_cast<std::uint8_t>(width / 4)) : s.poly,
             init, reverse, group.orders.table, group.orders.update,
             xorOut == 0 ? std::nullopt : std::optional(xorOut)},
            family,
            fitter.IndistinguishableBits(engine),
            fitter.AlikeFrom(engine)};
}

// The CRC-16 bits above bit 15 come from XOR-out alone, so all samples must
// agree on them; the index of the first that does not, if any.
std::optional<std::size_t> HighBitsDisagree(std::span<const CrcSample> samples) {
    for (std::size_t i = 1; i < samples.size(); ++i)
        if ((samples[i].crc >> 16) != (samples[0].crc >> 16))
            return i;
    return std::nullopt;
}

} // namespace

CrcSolution SolveCrc(std::span<const CrcSample> samples, int width, SolveScope scope) {
    if (width == 16)
        if (const auto bad = HighBitsDisagree(samples))
            return {false, {}, *bad + 1};
    const SampleFitter fitter(samples, width);
    std::vector<Group> groups;
    for (const bool reflected : {true, false}) {
        auto group = MatchedGroup(samples, fitter, width, reflected);
        if (!group)
            return {true, {}, samples.size()};
        groups.push_back(std::move(*group));
    }
    if (width == 16 && scope == SolveScope::AllOrders) {
        // The two searches share nothing but the samples: one on each core.
        auto other = std::async(std::launch::async, MixedGroup, samples, std::cref(fitter),
                                BitOrders{false, true});
        groups.push_back(MixedGroup(samples, fitter, {true, false}));
        groups.push_back(other.get());
    }

    CrcSolution solution;
    const std::uint32_t xorHigh = width == 16 ? samples[0].crc & 0xFFFF0000u : 0;
    for (const Group& group : groups)
        for (const Survivor& s : group.survivors)
            solution.fits.push_back(MakeFit(fitter, width, group, s, xorHigh));
    solution.samplesNeeded = samples.size();
    for (std::size_t k = 1; k < samples.size(); ++k)
        if (std::ranges::all_of(groups, [k](const Group& g) { return g.SettledAt(k); })) {
            solution.samplesNeeded = k;
            break;
        }
    return solution;
}

bool FitHolds(const CrcFit& fit, const CrcParams& params) {
    const CrcParams& own = fit.params;
    const std::uint32_t mask = WidthMask(own.width);
    const std::uint32_t xorOut = params.xorOut.value_or(0);
    return params.width == own.width && EffectivePoly(params) == EffectivePoly(own) &&
           params.reflectedTable == own.reflectedTable &&
           params.reflectedUpdate == own.reflectedUpdate &&
           (xorOut & ~mask) == (own.xorOut.value_or(0) & ~mask) &&
           fit.family.Contains(params.init & mask, xorOut & mask);
}
