// The parameter solver on four samples of 8 to 64 bytes: a CRC-16 over all
// eight flag combinations (two by algebra, two by searching every
// polynomial, each twice over by ReversePoly), and a CRC-32 of the matched
// combinations. Beside them, the floor of any CRC-16 search: building a
// byte-wise engine per polynomial and mixed combination and running the
// four samples through it.
#include "CrcSolver.h"
#include "randombytes.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

namespace {

constexpr std::size_t kLengths[] = {8, 23, 41, 64};

std::vector<CrcSample> Samples(const CrcParams& params) {
    const std::vector<std::uint8_t> bytes = RandomBytes(256);
    const CrcEngine engine(params);
    std::vector<CrcSample> samples;
    std::size_t offset = 0;
    for (const std::size_t n : kLengths) {
        CrcSample s{{bytes.begin() + offset, bytes.begin() + offset + n}, 0};
        s.crc = engine.Checksum(s.data);
        samples.push_back(s);
        offset += n;
    }
    return samples;
}

void Solve(benchmark::State& state, const CrcParams& params) {
    const std::vector<CrcSample> samples = Samples(params);
    for (auto _ : state) {
        const CrcSolution solution = SolveCrc(samples, params.width);
        if (solution.fits.size() != 1)
            state.SkipWithError("the drawn CRC is not the one answer");
        benchmark::DoNotOptimize(solution);
    }
}

void Crc16AllCombinations(benchmark::State& state) {
    Solve(state, {16, 0x8005, 0xFFFF, true, true, true, std::nullopt});
}

void Crc32Matched(benchmark::State& state) {
    Solve(state, {32, 0x04C11DB7, 0xFFFFFFFF, true, true, true, 0xFFFFFFFF});
}

void Crc16SearchFloor(benchmark::State& state) {
    const std::vector<CrcSample> samples = Samples({16, 0x1021, 0, false, true, false, {}});
    for (auto _ : state)
        for (const bool table : {true, false})
            for (std::uint32_t poly = 0; poly <= 0xFFFF; ++poly) {
                const CrcEngine engine({16, poly, 0, false, table, !table, {}}, CrcPath::ByteWise);
                for (const CrcSample& s : samples)
                    benchmark::DoNotOptimize(engine.Update(0, s.data));
            }
}

} // namespace

BENCHMARK(Crc16AllCombinations)->Unit(benchmark::kMillisecond);
BENCHMARK(Crc32Matched)->Unit(benchmark::kMillisecond);
BENCHMARK(Crc16SearchFloor)->Unit(benchmark::kMillisecond);
