#include "cxRegExpr.h"

#include <benchmark/benchmark.h>

#include <string_view>

namespace {

constexpr std::string_view kHexMask = "([\\d]|[a-f]|[A-F]){1,8}";
constexpr std::string_view kEightDigits = "1a2B3c4D";

// Goal: under 50 microseconds per compilation.
void BM_CompileHexMask(benchmark::State& state) {
    for (auto _ : state) {
        TcxRegExpr engine;
        engine.Compile(kHexMask);
        benchmark::DoNotOptimize(engine.IsReady());
    }
}

// Goal: under 1 microsecond per Advance. The restart stays inside the loop:
// the field restarts the matcher each time it rebuilds its text.
void BM_AdvanceEightHexDigits(benchmark::State& state) {
    TcxRegExpr engine;
    engine.Compile(kHexMask);
    for (auto _ : state) {
        engine.Restart();
        for (char c : kEightDigits) {
            benchmark::DoNotOptimize(engine.Advance(c));
        }
        benchmark::DoNotOptimize(engine.IsAccepting());
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(kEightDigits.size()));
}

// The refusal of a ninth digit walks every state the full text can reach.
void BM_RefuseNinthDigit(benchmark::State& state) {
    TcxRegExpr engine;
    engine.Compile(kHexMask);
    engine.FilterText(kEightDigits);
    for (auto _ : state) {
        char c = '9';
        benchmark::DoNotOptimize(engine.Advance(c));
    }
}

} // namespace

BENCHMARK(BM_CompileHexMask)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AdvanceEightHexDigits)->Unit(benchmark::kNanosecond);
BENCHMARK(BM_RefuseNinthDigit)->Unit(benchmark::kNanosecond);
