// The memo's text buffer and wrap index on the hexadecimal view of 16 MiB of
// data (48 MiB of text), as lines of the import and as the toggle's one line.
//
// Edits report the time per edit; settling reports how fast rows are
// measured in the background (text bytes per second); a row lookup is what
// a scroll-bar frame costs before painting.
#include "Advances.h"
#include "TextBuffer.h"
#include "WrapIndex.h"
#include "datafile.h"
#include "hexview.h"
#include "randombytes.h"

#include <benchmark/benchmark.h>

#include <random>
#include <string>

namespace {

constexpr std::size_t kDataSize = std::size_t{16} << 20;

// Hexadecimal pairs in lines of sixteen, with CR LF, as the import writes them.
std::string HexLines(const std::vector<std::uint8_t>& data) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(data.size() / 16 * 50 + 50);
    for (std::size_t i = 0; i < data.size(); ++i) {
        text += kDigits[data[i] >> 4];
        text += kDigits[data[i] & 0xF];
        text += ' ';
        if (i % 16 == 15)
            text += "\r\n";
    }
    return text;
}

struct Texts {
    std::vector<std::uint8_t> data = RandomBytes(kDataSize);
    std::string lines = HexLines(data);
    std::string oneLine =
        TextToHexView({reinterpret_cast<const char*>(data.data()), data.size()}, {}, 1u << 30);
};

const Texts& Data() {
    static const Texts texts;
    return texts;
}

const std::string& TextOf(benchmark::State& state) {
    return state.range(0) == 0 ? Data().lines : Data().oneLine;
}

// A fixed-pitch font of 6 pixels a character, in a memo 500 pixels wide.
std::int32_t FixedAdvance(char32_t) {
    return 6 * 64;
}
constexpr WrapGeometry kGeometry{500 * 64, 80 * 64};

void BM_BufferAssign(benchmark::State& state) {
    const std::string& text = TextOf(state);
    TextBuffer buffer;
    for (auto _ : state)
        buffer.Assign(text);
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(text.size()));
}

void BM_BufferEditInTheMiddle(benchmark::State& state) {
    TextBuffer buffer;
    buffer.Assign(TextOf(state));
    const std::uint64_t middle = buffer.Size() / 2;
    for (auto _ : state) {
        buffer.Replace(middle, 0, "A");
        buffer.Replace(middle, 1, {});
    }
    state.SetItemsProcessed(2 * std::int64_t(state.iterations()));
}

void BM_BufferCopyAll(benchmark::State& state) {
    TextBuffer buffer;
    buffer.Assign(TextOf(state));
    for (auto _ : state)
        benchmark::DoNotOptimize(buffer.Text());
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(buffer.Size()));
}

void BM_BufferPositions(benchmark::State& state) {
    TextBuffer buffer;
    buffer.Assign(TextOf(state));
    std::mt19937_64 rng(5);
    for (auto _ : state) {
        const std::uint64_t offset = buffer.CharStart(rng() % buffer.Size());
        benchmark::DoNotOptimize(buffer.OffsetOfUnit(buffer.UnitsBefore(offset)));
    }
}

// The text in the buffer, and its rows measured.
struct Wrapped {
    explicit Wrapped(const std::string& text) {
        buffer.Assign(text);
        wrap.SetGeometry(kGeometry);
        SettleAll();
    }
    void SettleAll() {
        while (!wrap.Settle(std::uint64_t{64} << 20)) {
        }
    }
    TextBuffer buffer;
    Advances advances{FixedAdvance};
    WrapIndex wrap{buffer, advances};
};

void BM_WrapSettleAll(benchmark::State& state) {
    TextBuffer buffer;
    buffer.Assign(TextOf(state));
    Advances advances(FixedAdvance);
    WrapIndex wrap(buffer, advances);
    for (auto _ : state) {
        wrap.SetGeometry({kGeometry.width + 64, kGeometry.tabStop});
        wrap.SetGeometry(kGeometry);
        while (!wrap.Settle(std::uint64_t{1} << 20)) {
        }
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(buffer.Size()));
}

// One character typed in the middle: the rows re-wrapped at once.
void BM_WrapEditInTheMiddle(benchmark::State& state) {
    Wrapped w(TextOf(state));
    const std::uint64_t middle = w.buffer.Size() / 2;
    for (auto _ : state) {
        w.buffer.Replace(middle, 0, "A");
        w.wrap.Edited({middle, 0, 1});
        state.PauseTiming();
        w.buffer.Replace(middle, 1, {});
        w.wrap.Edited({middle, 1, 0});
        w.SettleAll();
        state.ResumeTiming();
    }
}

// The first character typed in the middle straight after the text came in,
// before any row was measured, and the caret's row found after it.
void BM_WrapFirstEditInTheMiddle(benchmark::State& state) {
    TextBuffer buffer;
    buffer.Assign(TextOf(state));
    Advances advances(FixedAdvance);
    const std::uint64_t middle = buffer.CharStart(buffer.Size() / 2);
    for (auto _ : state) {
        state.PauseTiming();
        WrapIndex wrap(buffer, advances);
        wrap.SetGeometry(kGeometry);
        state.ResumeTiming();
        buffer.Replace(middle, 0, "A");
        wrap.Edited({middle, 0, 1});
        benchmark::DoNotOptimize(wrap.RowContaining(middle + 1));
        state.PauseTiming();
        buffer.Replace(middle, 1, {});
        state.ResumeTiming();
    }
}

void BM_WrapRowAt(benchmark::State& state) {
    Wrapped w(TextOf(state));
    std::mt19937_64 rng(7);
    for (auto _ : state)
        benchmark::DoNotOptimize(w.wrap.RowAt(rng() % w.wrap.RowCount()));
}

} // namespace

// Argument 0: lines of the import; 1: the toggle's one line.
BENCHMARK(BM_BufferAssign)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BufferEditInTheMiddle)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BufferCopyAll)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BufferPositions)->Arg(0)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WrapSettleAll)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_WrapEditInTheMiddle)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WrapFirstEditInTheMiddle)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WrapRowAt)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
