// Throughput of the CRC engine on every path and flag combination, beside
// zlib's crc32() and, where installed, ISA-L's CRC routines, on 1 MiB (in
// cache) and 256 MiB (from memory), and the cost of building an engine.
// After the usual table, a second table gives each run's speed as a ratio
// to zlib's crc32() on the same size.
#include "CrcEngine.h"
#include "randombytes.h"

#include <benchmark/benchmark.h>
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

using Checksum = std::function<std::uint32_t(std::span<const std::uint8_t>)>;

void Register(const std::string& name, std::size_t size, Checksum checksum) {
    benchmark::RegisterBenchmark((name + "/" + SizeName(size)).c_str(),
                                 [size, checksum](benchmark::State& state) {
                                     const auto data = Buffer(size);
                                     for (auto _ : state)
                                         benchmark::DoNotOptimize(checksum(data));
                                     state.SetBytesProcessed(
                                         static_cast<std::int64_t>(state.iterations() * size));
                                     state.counters["size"] = static_cast<double>(size);
                                 })
        ->Unit(benchmark::kMillisecond);
}

void RegisterEngines(std::size_t size) {
    for (const CrcPath path : AvailableCrcPaths())
        for (int width : {16, 32})
            for (int flags = 0; flags < 8; ++flags) {
                const CrcParams params{width,
                                       width == 32 ? 0x04C11DB7u : 0x8005u,
                                       0xFFFFFFFF,
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

// What a parameter search pays per candidate: building an engine for each.
void RegisterBuilds() {
    for (const CrcPath path : AvailableCrcPaths())
        for (const bool matched : {true, false}) {
            const std::string name = std::string("build crc16 ") + std::string(CrcPathName(path)) +
                                     (matched ? " matched" : " mixed");
            benchmark::RegisterBenchmark(name.c_str(), [path, matched](benchmark::State& state) {
                std::uint32_t poly = 0;
                for (auto _ : state) {
                    const CrcEngine engine({16, ++poly, 0xFFFF, false, true, matched, {}}, path);
                    benchmark::DoNotOptimize(engine.Table()[1]);
                }
                state.SetItemsProcessed(state.iterations());
            });
        }
}

void RegisterBaselines(std::size_t size) {
    Register(kBaseline, size, [](std::span<const std::uint8_t> data) {
        return static_cast<std::uint32_t>(crc32_z(0, data.data(), data.size()));
    });
#ifdef QUENFOLD_HAVE_ISAL
    Register("isa-l crc32_gzip_refl()", size, [](std::span<const std::uint8_t> data) {
        return crc32_gzip_refl(0, data.data(), data.size());
    });
    Register("isa-l crc32_ieee()", size, [](std::span<const std::uint8_t> data) {
        return crc32_ieee(0, data.data(), data.size());
    });
    Register("isa-l crc16_t10dif()", size, [](std::span<const std::uint8_t> data) {
        return std::uint32_t{crc16_t10dif(0, data.data(), data.size())};
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
        std::printf("\n%-44s %10s %8s\n", "run", "GB/s", "x zlib");
        for (const auto& [name, speeds] : speeds_) {
            const std::string size = name.substr(name.rfind('/'));
            const auto baseline = speeds_.find(kBaseline + size);
            const double speed = Median(speeds);
            const double ratio = baseline == speeds_.end() ? 0 : speed / Median(baseline->second);
            std::printf("%-44s %10.2f %8.2f\n", name.c_str(), speed / 1e9, ratio);
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
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
