// The hexadecimal path of the Calculate command over a large binary import:
// memo text -> Calculate (hex tokens -> bytes -> CRC-16 -> digits), as a
// whole and by stage.
//
// Besides the time, each benchmark reports the peak of extra memory (resident
// set above what was resident before the run) per byte of memo text.
#include "Calculate.h"
#include "hexformat.h"
#include "hextokens.h"
#include "memotext.h"
#include "offscreen.h"
#include "peakmeter.h"
#include "randombytes.h"

#include <QPlainTextEdit>

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kDataSize = std::size_t{16} << 20;

// Lines of sixteen "XX " pairs, each line ended by CR LF, as the binary import writes them.
std::string BinaryImportText(const std::vector<std::uint8_t>& data) {
    std::string text;
    text.reserve(data.size() * 3 + (data.size() / 16 + 1) * 2);
    char pair[4];
    for (std::size_t i = 0; i < data.size(); ++i) {
        std::snprintf(pair, sizeof pair, "%02X ", data[i]);
        text.append(pair, 3);
        if (i % 16 == 15)
            text += "\r\n";
    }
    text += "\r\n";
    return text;
}

const CrcParams kModbus{16, 0x8005, 0xFFFF, true, true, true, std::nullopt};

// The Calculate command with the Modbus preset in hexadecimal mode.
CalcResult CalculateModbus(std::string_view text) {
    return Calculate({.init = "FFFF",
                      .poly = "8005",
                      .width = 16,
                      .reversePoly = true,
                      .reflectedTable = true,
                      .reflectedUpdate = true,
                      .hex = true,
                      .data = text});
}

// Created on first use and kept to the end of the run; the memo and the
// application are left to the operating system at exit.
struct Environment {
    std::vector<std::uint8_t> data = RandomBytes(kDataSize);
    std::string expectedDigits = HexDigits(CrcEngine(kModbus).Checksum(data), 4);
    std::size_t memoTextSize = 0;
    QPlainTextEdit* memo = nullptr;
};

Environment& Env() {
    static Environment* const env = [] {
        StartOffscreenApplication();
        auto* e = new Environment;
        const std::string text = BinaryImportText(e->data);
        e->memoTextSize = text.size();
        e->memo = new QPlainTextEdit;
        SetMemoText(*e->memo, text);
        return e;
    }();
    return *env;
}

// Runs step once per iteration between meter readings taken outside the timing.
template <class Step> void Measure(benchmark::State& state, Step step) {
    Environment& env = Env();
    PeakMeter meter;
    for (auto _ : state) {
        state.PauseTiming();
        meter.Start();
        state.ResumeTiming();
        step(env, state);
        state.PauseTiming();
        meter.Stop();
        state.ResumeTiming();
    }
    meter.Report(state, env.memoTextSize, "peak_per_memo_byte");
}

void CheckDigits(const CalcResult& result, const Environment& env, benchmark::State& s) {
    if (result != CalcResult(env.expectedDigits))
        s.SkipWithError("wrong CRC");
}

void BM_WholeHexPath(benchmark::State& state) {
    Measure(state, [](Environment& env, benchmark::State& s) {
        CheckDigits(CalculateModbus(MemoText(*env.memo)), env, s);
    });
}

void BM_MemoText(benchmark::State& state) {
    Measure(state, [](Environment& env, benchmark::State& s) {
        const std::string text = MemoText(*env.memo);
        if (text.size() != env.memoTextSize)
            s.SkipWithError("wrong memo text size");
    });
}

void BM_Calculate(benchmark::State& state) {
    const std::string text = MemoText(*Env().memo);
    Measure(state, [&text](Environment& env, benchmark::State& s) {
        CheckDigits(CalculateModbus(text), env, s);
    });
}

void BM_HexTextToBytes(benchmark::State& state) {
    const std::string text = MemoText(*Env().memo);
    Measure(state, [&text](Environment& env, benchmark::State& s) {
        const HexBytes converted = HexTextToBytes(text);
        if (converted.bytes.size() != env.data.size())
            s.SkipWithError("wrong byte count");
    });
}

void BM_Crc16(benchmark::State& state) {
    const CrcEngine engine(kModbus);
    Measure(state, [&engine](Environment& env, benchmark::State& s) {
        if (HexDigits(engine.Checksum(env.data), 4) != env.expectedDigits)
            s.SkipWithError("wrong CRC");
    });
}

// Not part of Calculate: what a binary import costs once its text is made.
void BM_SetMemoText(benchmark::State& state) {
    const std::string text = BinaryImportText(Env().data);
    QPlainTextEdit memo;
    Measure(state, [&](Environment&, benchmark::State&) { SetMemoText(memo, text); });
}

} // namespace

BENCHMARK(BM_WholeHexPath)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);
BENCHMARK(BM_MemoText)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);
BENCHMARK(BM_Calculate)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_HexTextToBytes)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Crc16)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SetMemoText)->Unit(benchmark::kMillisecond)->UseRealTime();
