// The binary import of a 16 MiB file and the conversion of its bytes between
// the two views: the datatext functions alone, and the main window's commands
// with the memo; then editing, scrolling and calculating over that data.
//
// Throughput is counted in bytes of the file's data. The commands report the
// time the window is frozen (the handler and the paint after it), the peak
// of extra resident memory per byte of the file, and the resident memory
// they keep per byte of the memo's text. The edits and scrolls report the
// time from the key or scroll to the repainted memo.
#include "datafile.h"
#include "hexview.h"
#include "mainwindow.h"
#include "peakmeter.h"
#include "randombytes.h"

#include <QClipboard>
#include <QScrollBar>
#include <QTest>

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kDataSize = std::size_t{16} << 20;

// Created on first use; the file goes when the program ends.
struct Environment {
    Environment() {
        char name[] = "/tmp/dataview_bench-XXXXXX.bin";
        const int fd = ::mkstemps(name, 4);
        ::close(fd);
        path = name;
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(data.data()), std::streamsize(data.size()));
        TextViewResult view = HexViewToText(ReadBinaryFileAsHexLines(path, kMemoCapacity));
        text = std::move(view.text);
        standIns = std::move(view.standIns);
        hexView = TextToHexView(text, standIns, kMemoCapacity);
    }
    ~Environment() { std::remove(path.c_str()); }
    Environment(const Environment&) = delete;
    Environment& operator=(const Environment&) = delete;

    std::vector<std::uint8_t> data = RandomBytes(kDataSize);
    std::string path;
    std::string text;
    std::vector<std::size_t> standIns;
    std::string hexView;
};

Environment& Env() {
    static Environment env;
    return env;
}

void BM_TextToHexView(benchmark::State& state) {
    const Environment& env = Env();
    for (auto _ : state) {
        const std::string hex = TextToHexView(env.text, env.standIns, kMemoCapacity);
        if (hex.size() != env.hexView.size())
            state.SkipWithError("wrong size");
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(kDataSize));
}

void BM_HexViewToText(benchmark::State& state) {
    const Environment& env = Env();
    for (auto _ : state) {
        const TextViewResult view = HexViewToText(env.hexView);
        if (view.failure || view.text.size() != env.text.size())
            state.SkipWithError("wrong text");
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(kDataSize));
}

void BM_ReadBinaryFileAsHexLines(benchmark::State& state) {
    const Environment& env = Env();
    for (auto _ : state) {
        const std::string text = ReadBinaryFileAsHexLines(env.path, kMemoCapacity);
        if (text.size() != HexLinesSize(kDataSize))
            state.SkipWithError("wrong size");
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(kDataSize));
}

// fromEmpty: the memo is empty before the command, so that what it keeps is
// the memory the memo takes for its text.
template <class Prepare, class Command>
void MeasureCommand(benchmark::State& state, Prepare prepare, Command command,
                    bool fromEmpty = false) {
    Window window(Env().path);
    PeakMeter meter;
    for (auto _ : state) {
        state.PauseTiming();
        prepare(window);
        meter.Start();
        state.ResumeTiming();
        command(window);
        QApplication::processEvents();
        state.PauseTiming();
        meter.Stop();
        state.ResumeTiming();
    }
    meter.Report(state, kDataSize, "peak_per_file_byte");
    if (fromEmpty)
        state.counters["kept_per_text_byte"] =
            meter.Kept() / static_cast<double>(window.Memo()->Text().Size());
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(kDataSize));
}

void BM_ImportCommand(benchmark::State& state) {
    MeasureCommand(
        state, [](Window& w) { w.Prepare({}, true); }, [](Window& w) { w.Form().BtnImportClick(); },
        true);
}

void BM_ToTextViewCommand(benchmark::State& state) {
    MeasureCommand(
        state,
        [](Window& w) { w.Prepare(ReadBinaryFileAsHexLines(Env().path, kMemoCapacity), true); },
        [](Window& w) { w.HexBox()->click(); });
}

void BM_ToHexViewCommand(benchmark::State& state) {
    MeasureCommand(
        state, [](Window& w) { w.Prepare(Env().text, false); },
        [](Window& w) { w.HexBox()->click(); });
}

// The memo with the 16 MiB in the hexadecimal view, either as the import
// writes it (lines) or as the toggle writes it (all on one line), the caret
// in the middle and the rows around it settled, as a user finds it.
enum class Layout { Lines, OneLine };

void PrepareMemo(Window& w, Layout layout, bool settled = true) {
    w.Prepare(layout == Layout::Lines ? ReadBinaryFileAsHexLines(Env().path, kMemoCapacity)
                                      : Env().hexView,
              true);
    MemoEdit* memo = w.Memo();
    const std::uint64_t middle = memo->Text().CharStart(memo->Text().Size() / 2);
    memo->SelectBytes(middle, middle);
    memo->EnsureVisible(middle);
    while (settled && !memo->Wrap().Settle(std::uint64_t{64} << 20)) {
    }
    QApplication::processEvents();
}

// An action on the memo and the repaint it asks for, timed together.
template <class Setup, class Action>
void MeasureMemo(benchmark::State& state, Layout layout, Setup setup, Action action,
                 bool settled = true) {
    Window window(Env().path);
    PrepareMemo(window, layout, settled);
    MemoEdit* memo = window.Memo();
    for (auto _ : state) {
        state.PauseTiming();
        setup(*memo);
        state.ResumeTiming();
        action(window, *memo);
        memo->viewport()->repaint();
    }
}

void NoSetup(MemoEdit&) {}

void BM_Keystroke(benchmark::State& state, Layout layout) {
    MeasureMemo(state, layout, NoSetup,
                [](Window&, MemoEdit& memo) { QTest::keyClick(&memo, Qt::Key_A); });
}

void BM_PasteShortLine(benchmark::State& state, Layout layout) {
    QGuiApplication::clipboard()->setText(QStringLiteral("41 42 43 44\n"));
    MeasureMemo(state, layout, NoSetup, [](Window&, MemoEdit& memo) {
        QTest::keyClick(&memo, Qt::Key_V, Qt::ControlModifier);
    });
}

void BM_Undo(benchmark::State& state, Layout layout) {
    MeasureMemo(
        state, layout, [](MemoEdit& memo) { QTest::keyClick(&memo, Qt::Key_A); },
        [](Window&, MemoEdit& memo) { QTest::keyClick(&memo, Qt::Key_Z, Qt::ControlModifier); });
}

void BM_ScrollStep(benchmark::State& state, Layout layout) {
    MeasureMemo(state, layout, NoSetup, [](Window&, MemoEdit& memo) {
        memo.verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    });
}

// A frame of dragging the scroll bar's slider: anywhere in the text.
void BM_ScrollDrag(benchmark::State& state, Layout layout) {
    std::mt19937 rng(3);
    MeasureMemo(state, layout, NoSetup, [&rng](Window&, MemoEdit& memo) {
        QScrollBar* bar = memo.verticalScrollBar();
        bar->setSliderPosition(static_cast<int>(rng() % static_cast<unsigned>(bar->maximum() + 1)));
    });
}

// The same before the rows have been measured: the first frames after the
// toggle wrote the line, or after the memo changed width.
void BM_ScrollDragUnsettled(benchmark::State& state, Layout layout) {
    std::mt19937 rng(3);
    MeasureMemo(
        state, layout, NoSetup,
        [&rng](Window&, MemoEdit& memo) {
            QScrollBar* bar = memo.verticalScrollBar();
            bar->setSliderPosition(
                static_cast<int>(rng() % static_cast<unsigned>(bar->maximum() + 1)));
        },
        false);
}

void BM_Clear(benchmark::State& state, Layout layout) {
    MeasureMemo(
        state, layout,
        [](MemoEdit& memo) {
            if (memo.isEmpty())
                SetMemoText(memo, Env().hexView);
        },
        [](Window& w, MemoEdit&) { w.Form().BtnClearClick(); });
}

void BM_Calculate(benchmark::State& state, Layout layout) {
    MeasureMemo(state, layout, NoSetup, [](Window& w, MemoEdit&) { w.Form().BtnCaculateClick(); });
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(kDataSize));
}

// What a user does first right after the import, or after the toggle to the
// hexadecimal view: the memo has not had a moment to measure its rows.
enum class Fresh { Import, Toggle };

void MakeFresh(Window& w, Fresh fresh) {
    if (fresh == Fresh::Import) {
        w.Form().BtnImportClick();
    } else {
        w.Prepare(Env().text, false);
        w.HexBox()->click();
    }
}

// Scrolls to the middle of the data and clicks there, as a user puts the
// caret in the middle.
void CaretToTheMiddle(Window& w) {
    MemoEdit* memo = w.Memo();
    QScrollBar* bar = memo->verticalScrollBar();
    bar->setSliderPosition(bar->maximum() / 2);
    const QPoint centre = memo->viewport()->rect().center();
    QTest::mouseClick(memo->viewport(), Qt::LeftButton, {}, centre);
}

// One action timed with the repaint after it, each time straight after a
// fresh text, without the event loop running in between.
template <class Setup, class Action>
void MeasureFresh(benchmark::State& state, Fresh fresh, Setup setup, Action action) {
    Window window(Env().path);
    MemoEdit* memo = window.Memo();
    for (auto _ : state) {
        state.PauseTiming();
        MakeFresh(window, fresh);
        memo->setFocus();
        setup(window);
        state.ResumeTiming();
        action(*memo);
        memo->viewport()->repaint();
    }
}

void BM_FreshKeystroke(benchmark::State& state, Fresh fresh) {
    MeasureFresh(state, fresh, CaretToTheMiddle,
                 [](MemoEdit& memo) { QTest::keyClick(&memo, Qt::Key_A); });
}

void BM_FreshPageDown(benchmark::State& state, Fresh fresh) {
    MeasureFresh(state, fresh, CaretToTheMiddle,
                 [](MemoEdit& memo) { QTest::keyClick(&memo, Qt::Key_PageDown); });
}

void BM_FreshCtrlEnd(benchmark::State& state, Fresh fresh) {
    MeasureFresh(
        state, fresh, [](Window&) {},
        [](MemoEdit& memo) { QTest::keyClick(&memo, Qt::Key_End, Qt::ControlModifier); });
}

// 64 MiB of random data imported into a fresh window: the time, and the
// peak of resident memory per byte of the file, the import's own and the
// whole program's. Run it alone (--benchmark_filter=ImportLargeFile) for the
// program's peak to be that of a program that has done nothing else.
void BM_ImportLargeFile(benchmark::State& state) {
    constexpr std::size_t kSize = std::size_t{64} << 20;
    char name[] = "/tmp/dataview_bench-large-XXXXXX.bin";
    ::close(::mkstemps(name, 4));
    {
        std::ofstream file(name, std::ios::binary);
        std::mt19937_64 rng(9);
        std::vector<std::uint64_t> block(1 << 16);
        for (std::size_t written = 0; written < kSize; written += block.size() * 8) {
            for (std::uint64_t& word : block)
                word = rng();
            file.write(reinterpret_cast<const char*>(block.data()),
                       static_cast<std::streamsize>(block.size() * 8));
        }
    }
    Window window(name);
    PeakMeter meter;
    long programPeak = 0;
    for (auto _ : state) {
        state.PauseTiming();
        window.Prepare({}, true);
        meter.Start();
        state.ResumeTiming();
        window.Form().BtnImportClick();
        QApplication::processEvents();
        state.PauseTiming();
        programPeak = std::max(programPeak, StatusKiB("VmHWM:"));
        meter.Stop();
        state.ResumeTiming();
    }
    std::remove(name);
    if (window.Memo()->Text().Size() != HexLinesSize(kSize))
        state.SkipWithError("wrong size");
    meter.Report(state, kSize, "peak_per_file_byte");
    state.counters["program_peak_per_file_byte"] =
        static_cast<double>(programPeak) * 1024.0 / static_cast<double>(kSize);
}

// The whole hexadecimal view, 48 MiB, pasted from the clipboard into an empty memo.
void BM_PasteAll(benchmark::State& state) {
    Window window(Env().path);
    QGuiApplication::clipboard()->setText(QString::fromLatin1(Env().hexView));
    MemoEdit* memo = window.Memo();
    PeakMeter meter;
    for (auto _ : state) {
        state.PauseTiming();
        window.Prepare({}, true);
        meter.Start();
        state.ResumeTiming();
        QTest::keyClick(memo, Qt::Key_V, Qt::ControlModifier);
        memo->viewport()->repaint();
        state.PauseTiming();
        meter.Stop();
        state.ResumeTiming();
    }
    state.counters["kept_per_text_byte"] =
        meter.Kept() / static_cast<double>(window.Memo()->Text().Size());
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(Env().hexView.size()));
}

} // namespace

BENCHMARK(BM_TextToHexView)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_HexViewToText)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReadBinaryFileAsHexLines)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ImportCommand)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_ToTextViewCommand)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_ToHexViewCommand)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

// Edits and scrolls, on lines and on one line: each well under a frame.
#define MEMO_BENCHMARK(name)                                                                       \
    BENCHMARK_CAPTURE(name, lines, Layout::Lines)->Unit(benchmark::kMillisecond)->UseRealTime();   \
    BENCHMARK_CAPTURE(name, one_line, Layout::OneLine)->Unit(benchmark::kMillisecond)->UseRealTime()
MEMO_BENCHMARK(BM_Keystroke);
MEMO_BENCHMARK(BM_PasteShortLine);
MEMO_BENCHMARK(BM_Undo);
MEMO_BENCHMARK(BM_ScrollStep);
MEMO_BENCHMARK(BM_ScrollDrag);
BENCHMARK_CAPTURE(BM_ScrollDragUnsettled, one_line, Layout::OneLine)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(20);
BENCHMARK_CAPTURE(BM_Clear, one_line, Layout::OneLine)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);
BENCHMARK_CAPTURE(BM_Calculate, one_line, Layout::OneLine)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);
BENCHMARK(BM_ImportLargeFile)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_PasteAll)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
// Each straight after the import (lines) or the toggle (one line).
#define FRESH_BENCHMARK(name)                                                                      \
    BENCHMARK_CAPTURE(name, import, Fresh::Import)                                                 \
        ->Unit(benchmark::kMillisecond)                                                            \
        ->UseRealTime()                                                                            \
        ->Iterations(5);                                                                           \
    BENCHMARK_CAPTURE(name, toggle, Fresh::Toggle)                                                 \
        ->Unit(benchmark::kMillisecond)                                                            \
        ->UseRealTime()                                                                            \
        ->Iterations(5)
FRESH_BENCHMARK(BM_FreshKeystroke);
FRESH_BENCHMARK(BM_FreshPageDown);
FRESH_BENCHMARK(BM_FreshCtrlEnd);
