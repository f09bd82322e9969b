#include "CrcSolver.h"

#include "CrcModel.h"
#include "ModelCandidates.h"
#include "ModelFitter.h"
#include "SampleFitter.h"

#include <algorithm>
#include <functional>
#include <future>
#include <optional>
#include <tuple>

namespace {

// More candidate polynomials than this from the first samples: wait for more samples.
constexpr std::size_t kCandidateLimit = std::size_t{1} << 14;

// The mixed CRC-16 search runs every polynomial over the first samples until
// they rule it out, the third sample mostly: beyond this many bytes in the
// first three it would take seconds.
constexpr std::size_t kMixedSearchBytes = 4096;

// Candidates of one kind of CRC, fitted to the samples in turn.
struct Group {
    std::size_t decidedAt = 1;            // shorter prefixes leave the candidates open
    std::vector<std::size_t> fittedCount; // [k]: candidates that fit exactly the first k samples
    std::vector<FitTrace> traces;         // of the survivors, those that fit them all
    std::vector<CrcFit> fits;

    Group(std::size_t decided, std::size_t samples)
        : decidedAt(decided), fittedCount(samples + 1) {}

    void Add(FitTrace trace, const std::function<CrcFit(const InitXorFamily&)>& makeFit) {
        ++fittedCount[trace.fitted];
        if (trace.family) {
            fits.push_back(makeFit(*trace.family));
            traces.push_back(std::move(trace));
        }
    }

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
        return std::ranges::all_of(
            traces, [&](const FitTrace& t) { return t.ranks[k - 1] == t.ranks[all - 1]; });
    }
};

struct Work {
    std::vector<Group> groups;
    bool open = false;
    bool tooLong = false;
};

std::optional<CrcWord> NoneIfZero(CrcWord value) {
    return value == 0 ? std::nullopt : std::optional(value);
}

// The catalogue's model with the given refin, for both refouts (or only the
// matching one) and every width.
Work SolveModel(std::span<const CrcSample> samples, std::span<const int> widths, bool refin,
                bool bothRefouts, CrcWord xorHigh) {
    Work work;
    const ModelFitter fitter(samples);
    for (const bool refout : {refin, !refin}) {
        if (refout != refin && !bothRefouts)
            continue;
        for (const ModelCandidates& found :
             FindModelCandidates(samples, widths, refin, refout, kCandidateLimit)) {
            if (found.decidedAt == 0) {
                work.open = true;
                work.tooLong = work.tooLong || found.tooLong;
                continue;
            }
            Group& group = work.groups.emplace_back(found.decidedAt, samples.size());
            for (const CrcWord poly : found.polys) {
                const CrcModel model{found.width, poly, 0, refin, refout, 0};
                group.Add(fitter.Fit(model), [&](const InitXorFamily& family) {
                    const auto [init, xorOut] = family.Member(0);
                    CrcParams params = ToCrcParams(model);
                    params.init = init;
                    params.xorOut = NoneIfZero(xorOut | xorHigh);
                    return CrcFit{params, family, fitter.IndistinguishableBits(model),
                                  fitter.AlikeFrom(model)};
                });
            }
        }
    }
    return work;
}

Work MixedSearch(std::span<const CrcSample> samples, bool reflectedTable, CrcWord xorHigh) {
    const SampleFitter fitter(samples, 16);
    Work work;
    Group& group = work.groups.emplace_back(1, samples.size());
    for (std::uint32_t poly = 0; poly <= 0xFFFF; ++poly) {
        const CrcParams engineParams{16, poly, 0, false, reflectedTable, !reflectedTable, {}};
        const CrcEngine engine(engineParams, fitter.Path());
        group.Add(fitter.Fit(engine), [&](const InitXorFamily& family) {
            const auto [init, xorOut] = family.Member(0);
            const CrcWord normal = reflectedTable ? ReflectBits(poly, 16) : poly;
            return CrcFit{{16, normal, init, reflectedTable, reflectedTable, !reflectedTable,
                           NoneIfZero(xorOut | xorHigh)},
                          family,
                          fitter.IndistinguishableBits(engine),
                          fitter.AlikeFrom(engine)};
        });
    }
    return work;
}

bool MixedSearchAffordable(std::span<const CrcSample> samples) {
    std::size_t bytes = 0;
    for (std::size_t i = 0; i < samples.size() && i < 3; ++i)
        bytes += samples[i].data.size();
    return bytes <= kMixedSearchBytes;
}

// Whether the algebra has a multiple of the polynomial to start from: two
// samples of one length, or three.
bool MakesAMultiple(std::span<const CrcSample> samples) {
    if (samples.size() >= 3)
        return true;
    return samples.size() == 2 && samples[0].data.size() == samples[1].data.size();
}

struct Widths {
    std::vector<int> possible;  // those every sample's CRC fits
    std::size_t ruledOutAt = 0; // the samples it took to rule the others out
};

// At 16, bits above bit 15 come from the XOR-out when all samples agree on them.
Widths PossibleWidths(std::span<const CrcSample> samples, std::span<const int> widths) {
    Widths result;
    for (const int width : widths) {
        const auto wrong = std::ranges::find_if(samples, [&](const CrcSample& s) {
            return width == 16 ? (s.crc >> 16) != (samples[0].crc >> 16)
                               : (s.crc & ~WidthMask(width)) != 0;
        });
        if (wrong == samples.end())
            result.possible.push_back(width);
        else
            result.ruledOutAt =
                std::max<std::size_t>(result.ruledOutAt, wrong - samples.begin() + 1);
    }
    return result;
}

// Per width, the catalogue's model with refin = refout first, reflected first.
auto FitOrder(const CrcFit& f) {
    const CrcParams& p = f.params;
    return std::tuple(p.width, p.reflectedTable != p.reflectedUpdate, p.reflectOut,
                      !p.reflectedTable);
}

} // namespace

CrcSolution SolveCrc(std::span<const CrcSample> samples, std::span<const int> widths,
                     SolveScope scope) {
    const Widths ruled = PossibleWidths(samples, widths);
    std::vector<int> possible = ruled.possible;
    // Bits above a CRC-16 mean the main window's CRC-16 alone: its XOR-out
    // is not the catalogue's, and its result is never reflected apart.
    CrcWord xorHigh = 0;
    std::vector<CrcSample> low16;
    std::span<const CrcSample> modelSamples = samples;
    if (std::ranges::find(possible, 16) != possible.end() && samples[0].crc > 0xFFFF) {
        xorHigh = samples[0].crc & ~WidthMask(16);
        possible = {16};
        for (const CrcSample& s : samples)
            low16.push_back({s.data, s.crc & WidthMask(16)});
        modelSamples = low16;
    }
    const bool mixed =
        scope == SolveScope::AllOrders && std::ranges::find(possible, 16) != possible.end();
    const bool bothRefouts = xorHigh == 0;

    CrcSolution solution;
    if (!MakesAMultiple(samples)) {
        solution.tooFewSamples = true;
        solution.samplesNeeded = samples.size();
        return solution;
    }
    solution.mixedSkipped = mixed && !MixedSearchAffordable(samples);
    // The tasks share nothing but the samples: they run side by side.
    std::vector<std::future<Work>> tasks;
    for (const bool refin : {false, true})
        tasks.push_back(std::async(std::launch::async, SolveModel, modelSamples,
                                   std::span<const int>(possible), refin, bothRefouts, xorHigh));
    if (mixed && !solution.mixedSkipped)
        for (const bool table : {true, false})
            tasks.push_back(
                std::async(std::launch::async, MixedSearch, modelSamples, table, xorHigh));

    std::vector<Group> groups;
    for (auto& task : tasks) {
        Work work = task.get();
        solution.tooFewSamples = solution.tooFewSamples || work.open;
        solution.tooLong = solution.tooLong || work.tooLong;
        for (Group& g : work.groups)
            groups.push_back(std::move(g));
    }
    if (solution.tooFewSamples) {
        solution.samplesNeeded = samples.size();
        return solution;
    }
    for (const Group& group : groups)
        solution.fits.insert(solution.fits.end(), group.fits.begin(), group.fits.end());
    std::ranges::stable_sort(solution.fits, {}, FitOrder);
    solution.samplesNeeded = samples.size();
    for (std::size_t k = std::max<std::size_t>(ruled.ruledOutAt, 1); k < samples.size(); ++k)
        if (std::ranges::all_of(groups, [k](const Group& g) { return g.SettledAt(k); })) {
            solution.samplesNeeded = k;
            break;
        }
    return solution;
}

bool FitHolds(const CrcFit& fit, const CrcParams& params) {
    const CrcParams& own = fit.params;
    const CrcWord mask = WidthMask(own.width);
    const CrcWord xorOut = params.xorOut.value_or(0);
    return params.width == own.width && EffectivePoly(params) == EffectivePoly(own) &&
           params.reflectedTable == own.reflectedTable &&
           params.reflectedUpdate == own.reflectedUpdate && params.reflectOut == own.reflectOut &&
           (xorOut & ~mask) == (own.xorOut.value_or(0) & ~mask) &&
           fit.family.Contains(params.init & mask, xorOut & mask);
}
