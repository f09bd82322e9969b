// The parameter solver.
//
// Four samples of 8 to 64 bytes (six at width 8) at widths 8, 16, 24, 32 and 64, each a
// catalogue algorithm; CRC-16 over all the main window's combinations (the
// two mixed ones by searching every polynomial), the others in the catalogue's
// model alone. Then what quenfold-crc solves for CRCs written with 8 digits,
// widths 29 to 32: on those four samples, on eight samples of 64 KiB, and on
// two 1 MiB frames that differ only in their last bytes plus two short ones.
// Beside them, the floor of any CRC-16 search: building a byte-wise engine
// per polynomial and mixed combination and running the four samples through it.
// The solver works on several threads: the times are wall-clock times.
#include "CrcCatalogue.h"
#include "CrcEngine.h"
#include "CrcSolver.h"
#include "randombytes.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string_view>
#include <vector>

namespace {

constexpr int kDigitWidths32[] = {29, 30, 31, 32};

std::vector<CrcSample> Samples(const CrcParams& params, const std::vector<std::size_t>& lengths) {
    const CrcEngine engine(params);
    std::vector<CrcSample> samples;
    std::size_t total = 0;
    for (const std::size_t n : lengths)
        total += n;
    const std::vector<std::uint8_t> bytes = RandomBytes(total);
    std::size_t offset = 0;
    for (const std::size_t n : lengths) {
        CrcSample s{{bytes.begin() + static_cast<std::ptrdiff_t>(offset),
                     bytes.begin() + static_cast<std::ptrdiff_t>(offset + n)},
                    0};
        s.crc = engine.Checksum(s.data);
        samples.push_back(std::move(s));
        offset += n;
    }
    return samples;
}

CrcParams Named(std::string_view name) {
    return ToCrcParams(*FindCatalogueEntry(name));
}

void Solve(benchmark::State& state, const std::vector<CrcSample>& samples,
           std::span<const int> widths, SolveScope scope) {
    for (auto _ : state) {
        const CrcSolution solution = SolveCrc(samples, widths, scope);
        if (solution.fits.size() != 1)
            state.SkipWithError("the drawn CRC is not the one answer");
        benchmark::DoNotOptimize(solution);
    }
}

void Short(benchmark::State& state, std::string_view name, SolveScope scope,
           const std::vector<std::size_t>& lengths = {8, 23, 41, 64}) {
    const CrcParams params = Named(name);
    const int width = params.width;
    Solve(state, Samples(params, lengths), std::span(&width, 1), scope);
}

// Four 8-bit CRCs leave a chance fit beside the drawn one: six do not.
void Width8(benchmark::State& state) {
    Short(state, "CRC-8/SMBUS", SolveScope::ModelOnly, {8, 23, 41, 64, 12, 12});
}
void Width16AllCombinations(benchmark::State& state) {
    Short(state, "CRC-16/MODBUS", SolveScope::AllOrders);
}
void Width24(benchmark::State& state) {
    Short(state, "CRC-24/OPENPGP", SolveScope::ModelOnly);
}
void Width32(benchmark::State& state) {
    Short(state, "CRC-32/ISO-HDLC", SolveScope::ModelOnly);
}
void Width64(benchmark::State& state) {
    Short(state, "CRC-64/XZ", SolveScope::ModelOnly);
}

void EightDigitsShort(benchmark::State& state) {
    Solve(state, Samples(Named("CRC-32/ISO-HDLC"), {8, 23, 41, 64}), kDigitWidths32,
          SolveScope::AllOrders);
}

void EightDigits8x64KiB(benchmark::State& state) {
    Solve(state, Samples(Named("CRC-32/ISO-HDLC"), std::vector<std::size_t>(8, 64 << 10)),
          kDigitWidths32, SolveScope::AllOrders);
}

void EightDigitsTwo1MiBFrames(benchmark::State& state) {
    const CrcParams params = Named("CRC-32/ISO-HDLC");
    std::vector<CrcSample> samples = Samples(params, {1 << 20, 10, 17});
    samples.insert(samples.begin() + 1, samples[0]);
    samples[1].data.back() ^= 0x5A;
    samples[1].crc = CrcEngine(params).Checksum(samples[1].data);
    Solve(state, samples, kDigitWidths32, SolveScope::AllOrders);
}

void Crc16SearchFloor(benchmark::State& state) {
    const std::vector<CrcSample> samples =
        Samples({16, 0x1021, 0, false, true, false, {}}, {8, 23, 41, 64});
    for (auto _ : state)
        for (const bool table : {true, false})
            for (std::uint32_t poly = 0; poly <= 0xFFFF; ++poly) {
                const CrcEngine engine({16, poly, 0, false, table, !table, {}}, CrcPath::ByteWise);
                for (const CrcSample& s : samples)
                    benchmark::DoNotOptimize(engine.Update(0, s.data));
            }
}

} // namespace

BENCHMARK(Width8)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Width16AllCombinations)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Width24)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Width32)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Width64)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(EightDigitsShort)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(EightDigits8x64KiB)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(EightDigitsTwo1MiBFrames)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Crc16SearchFloor)->Unit(benchmark::kMillisecond)->UseRealTime();
