// Throughput of the CRC engine on every path and flag combination, beside
// zlib's crc32() and, where installed, ISA-L's CRC routines, on 1 MiB (in
// cache) and 256 MiB (from memory), and the cost of building an engine;
// CRC-64/XZ beside liblzma's lzma_crc64(); and widths from 8 to 64 on every
// path in both matched bit orders. After the usual table, a second table
// gives each run's speed as a ratio to the run it is measured against: zlib's
// crc32() on the same size, lzma_crc64() for CRC-64/XZ, and the 32-bit CRC on
// the same path and bit order for the other widths.
#include "CrcCatalogue.h"
#include "CrcEngine.h"
#include "randombytes.h"

#include <benchmark/benchmark.h>
#include <lzma.h>
#include <zlib.h>
#ifdef QUENFOLD_HAVE_ISAL
#include <isa-l/crc.h>
#endif

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <span>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kMiB = std::size_t{1} << 20;
constexpr std::size_t kSizes[] = {kMiB, 256 * kMiB};
const std::string kBaseline = "zlib crc32()";
const std::string kLzma = "lzma_crc64()";

// Each run's name (with its size) and the run it is measured against.
std::map<std::string, std::string>& Baselines() {
    static std::map<std::string, std::string> baselines;
    return baselines;
}

std::span<const std::uint8_t> Buffer(std::size_t size) {
    static const std::vector<std::uint8_t> buffer = RandomBytes(256 * kMiB);
    return std::span(buffer).first(size);
}

std::string SizeName(std::size_t size) {
    return std::to_string(size / kMiB) + "MiB";
}

// Table bit order / update bit order / polynomial as entered or reversed.
std::string FlagsName(const CrcParams& p) {
    std::string name = p.reflectedTable ? "lsb" : "msb";
    name += p.reflectedUpdate ? "/lsb" : "/msb";
    name += p.reversePoly ? "/rev" : "/asis";
    return name;
}

using Checksum = std::function<CrcWord(std::span<const std::uint8_t>)>;

void Register(const std::string& name, std::size_t size, Checksum checksum,
              const std::string& baseline = kBaseline) {
    const std::string suffix = "/" + SizeName(size);
    Baselines()[name + suffix] = baseline + suffix;
    benchmark::RegisterBenchmark((name + suffix).c_str(), [size,
                                                           checksum](benchmark::State& state) {
        const auto data = Buffer(size);
        for (auto _ : state)
            benchmark::DoNotOptimize(checksum(data));
        state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
        state.counters["size"] = static_cast<double>(size);
    })->Unit(benchmark::kMillisecond);
}

void RegisterEngines(std::size_t size) {
    for (const CrcPath path : AvailableCrcPaths())
        for (int width : {16, 32, 64})
            for (int flags = 0; flags < 8; ++flags) {
                const CrcWord poly = width == 64   ? 0x42F0E1EBA9EA3693u
                                     : width == 32 ? 0x04C11DB7u
                                                   : 0x8005u;
                const CrcParams params{width,
                                       poly,
                                       WidthMask(width),
                                       (flags & 4) != 0,
                                       (flags & 1) != 0,
                                       (flags & 2) != 0,
                                       {}};
                auto engine = std::make_shared<const CrcEngine>(params, path);
                // A combination the path does not serve runs (and is named) as the slower one.
                if (engine->Path() != path)
                    continue;
                const std::string name = "crc" + std::to_string(width) + " " +
                                         std::string(CrcPathName(path)) + " " + FlagsName(params);
                Register(name, size, [engine](std::span<const std::uint8_t> data) {
                    return engine->Update(engine->Start(), data);
                });
            }
}

// CRC-64/XZ on every path, beside liblzma.
void RegisterXz(std::size_t size) {
    Register(kLzma, size, [](std::span<const std::uint8_t> data) {
        return CrcWord{lzma_crc64(data.data(), data.size(), 0)};
    });
    for (const CrcPath path : AvailableCrcPaths()) {
        auto engine =
            std::make_shared<const CrcEngine>(ToCrcParams(*FindCatalogueEntry("CRC-64/XZ")), path);
        Register(
            "CRC-64/XZ " + std::string(CrcPathName(path)), size,
            [engine](std::span<const std::uint8_t> data) { return engine->Checksum(data); }, kLzma);
    }
}

std::string WidthName(int width, CrcPath path, bool reflected) {
    return "width " + std::to_string(width) + " " + std::string(CrcPathName(path)) +
           (reflected ? " lsb" : " msb");
}

// Widths 8 to 64 in both matched bit orders (table and update alike), each
// against width 32 on its path and order.
void RegisterWidths(std::size_t size) {
    for (const CrcPath path : AvailableCrcPaths())
        for (const bool reflected : {false, true})
            for (const int width : {8, 12, 16, 24, 32, 40, 48, 56, 64}) {
                const CrcParams params{width,     CrcWord{0x42F0E1EBA9EA3693u} & WidthMask(width),
                                       0,         false,
                                       reflected, reflected,
                                       {}};
                auto engine = std::make_shared<const CrcEngine>(params, path);
                Register(
                    WidthName(width, path, reflected), size,
                    [engine](std::span<const std::uint8_t> data) {
                        return engine->Update(engine->Start(), data);
                    },
                    WidthName(32, path, reflected));
            }
}

// What a parameter search pays per candidate: building an engine for each.
void RegisterBuilds() {
    for (const int width : {16, 64})
        for (const CrcPath path : AvailableCrcPaths())
            for (const bool matched : {true, false}) {
                const std::string name = "build crc" + std::to_string(width) + " " +
                                         std::string(CrcPathName(path)) +
                                         (matched ? " matched" : " mixed");
                benchmark::RegisterBenchmark(name.c_str(), [width, path,
                                                            matched](benchmark::State& state) {
                    CrcWord poly = 0;
                    for (auto _ : state) {
                        const CrcEngine engine({width, ++poly, 0, false, true, matched, {}}, path);
                        benchmark::DoNotOptimize(engine.Path());
                    }
                    state.SetItemsProcessed(state.iterations());
                });
            }
}

void RegisterBaselines(std::size_t size) {
    Register(kBaseline, size, [](std::span<const std::uint8_t> data) {
        return CrcWord{crc32_z(0, data.data(), data.size())};
    });
#ifdef QUENFOLD_HAVE_ISAL
    Register("isa-l crc32_gzip_refl()", size, [](std::span<const std::uint8_t> data) {
        return CrcWord{crc32_gzip_refl(0, data.data(), data.size())};
    });
    Register("isa-l crc32_ieee()", size, [](std::span<const std::uint8_t> data) {
        return CrcWord{crc32_ieee(0, data.data(), data.size())};
    });
    Register("isa-l crc16_t10dif()", size, [](std::span<const std::uint8_t> data) {
        return CrcWord{crc16_t10dif(0, data.data(), data.size())};
    });
#endif
}

// The console table, then every run's median speed against the baseline's of its size.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration && !run.error_occurred &&
                run.counters.count("bytes_per_second") != 0)
                speeds_[run.run_name.str()].push_back(run.counters.at("bytes_per_second"));
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        std::printf("\n%-44s %10s %8s  %s\n", "run", "GB/s", "ratio", "against");
        for (const auto& [name, speeds] : speeds_) {
            const auto against = Baselines().find(name);
            const auto baseline =
                against == Baselines().end() ? speeds_.end() : speeds_.find(against->second);
            const double speed = Median(speeds);
            if (baseline == speeds_.end()) {
                std::printf("%-44s %10.2f\n", name.c_str(), speed / 1e9);
                continue;
            }
            std::printf("%-44s %10.2f %8.2f  %s\n", name.c_str(), speed / 1e9,
                        speed / Median(baseline->second), against->second.c_str());
        }
    }

private:
    static double Median(std::vector<double> values) {
        std::sort(values.begin(), values.end());
        return values[values.size() / 2];
    }

    std::map<std::string, std::vector<double>> speeds_;
};

} // namespace

int main(int argc, char** argv) {
    RegisterBuilds();
    for (const std::size_t size : kSizes) {
        RegisterBaselines(size);
        RegisterEngines(size);
        RegisterXz(size);
    }
    RegisterWidths(kMiB);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
