#include "crc.h"
#include "randombytes.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

namespace {

// range(0): buffer size; range(1): 1 for the matched reflected flags, 0 for a mixed set.
void BM_CalcCrc16(benchmark::State& state) {
    const auto data = RandomBytes(static_cast<std::size_t>(state.range(0)));
    const bool matched = state.range(1) != 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(CalcCrc16(data.data(), static_cast<std::int32_t>(data.size()),
                                           0xFFFF, 0x8005, true, matched, true));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}

void BM_CalcCrc32(benchmark::State& state) {
    const auto data = RandomBytes(static_cast<std::size_t>(state.range(0)));
    const bool matched = state.range(1) != 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(CalcCrc32(data.data(), static_cast<std::int32_t>(data.size()),
                                           0xFFFFFFFF, 0x04C11DB7, true, matched, true));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}

constexpr std::int64_t kMiB = 1 << 20;

} // namespace

BENCHMARK(BM_CalcCrc16)->ArgsProduct({{kMiB, 64 * kMiB}, {1, 0}})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CalcCrc32)->ArgsProduct({{kMiB, 64 * kMiB}, {1, 0}})->Unit(benchmark::kMillisecond);
