// The binary import of a 16 MiB file and the conversion of its bytes between
// the two views: the datatext functions alone, and the main window's commands
// with the memo.
//
// Throughput is counted in bytes of the file's data. The commands report the
// time the window is frozen (the handler and the paint after it) and the peak
// of extra resident memory per byte of the file.
#include "MainForm.h"
#include "MemoEdit.h"
#include "datafile.h"
#include "dialogs.h"
#include "hexview.h"
#include "memotext.h"
#include "offscreen.h"
#include "peakmeter.h"
#include "randombytes.h"

#include <QCheckBox>

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kDataSize = std::size_t{16} << 20;

// Answers every open dialog with the one file; shows nothing.
class FileDialogs final : public Dialogs {
public:
    explicit FileDialogs(QString path) : path_(std::move(path)) {}
    MsgResult MessageBox(QWidget*, const QString&, const QString&, MsgButtons, MsgIcon) override {
        return MsgResult::Ok;
    }
    std::optional<QString> OpenFile(QWidget*, const QString&) override { return path_; }
    std::optional<QString> SaveFile(QWidget*, const QString&, const QString&) override {
        return std::nullopt;
    }
    void ShellExecute(QWidget*, const QString&, const QString&, ShowCommand) override {}

private:
    QString path_;
};

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
        nullOffsets = std::move(view.nullOffsets);
        hexView = TextToHexView(text, nullOffsets, kMemoCapacity);
    }
    ~Environment() { std::remove(path.c_str()); }
    Environment(const Environment&) = delete;
    Environment& operator=(const Environment&) = delete;

    std::vector<std::uint8_t> data = RandomBytes(kDataSize);
    std::string path;
    std::string text;
    std::vector<std::size_t> nullOffsets;
    std::string hexView;
};

Environment& Env() {
    static Environment env;
    return env;
}

void BM_TextToHexView(benchmark::State& state) {
    const Environment& env = Env();
    for (auto _ : state) {
        const std::string hex = TextToHexView(env.text, env.nullOffsets, kMemoCapacity);
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

// The main window, shown, with its memo set up for each run outside the timing.
class Window {
public:
    Window() : dialogs_(QString::fromStdString(Env().path)) {
        StartOffscreenApplication();
        form_ = std::make_unique<TForm1>(dialogs_);
        form_->show();
        QApplication::processEvents();
    }
    MemoEdit* Memo() const { return form_->findChild<MemoEdit*>("Memo1"); }
    QCheckBox* HexBox() const { return form_->findChild<QCheckBox*>("CheckBoxHex"); }
    TForm1& Form() const { return *form_; }
    // The memo's text and the box's state without running the box's handler.
    void Prepare(const std::string& text, bool hex) {
        const QSignalBlocker block(HexBox());
        HexBox()->setChecked(hex);
        SetMemoText(*Memo(), text);
        QApplication::processEvents();
    }

private:
    FileDialogs dialogs_;
    std::unique_ptr<TForm1> form_;
};

template <class Prepare, class Command>
void MeasureCommand(benchmark::State& state, Prepare prepare, Command command) {
    Window window;
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
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(kDataSize));
}

void BM_ImportCommand(benchmark::State& state) {
    MeasureCommand(
        state, [](Window& w) { w.Prepare({}, true); },
        [](Window& w) { w.Form().BtnImportClick(); });
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

} // namespace

BENCHMARK(BM_TextToHexView)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_HexViewToText)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReadBinaryFileAsHexLines)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ImportCommand)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_ToTextViewCommand)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_ToHexViewCommand)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
