// Peak resident memory of a stretch of benchmarked code.
#pragma once

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <algorithm>
#include <cstddef>
#include <fstream>
#include <string>

inline long StatusKiB(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string key;
    long value = 0;
    while (status >> key) {
        if (key == field) {
            status >> value;
            return value;
        }
        status.ignore(1 << 10, '\n');
    }
    return 0;
}

// Peak resident memory above what was resident before the stretch. Freed heap
// is handed back first, and the kernel's high-water mark is reset to the
// current resident size, so that earlier runs do not count.
class PeakMeter {
public:
    void Start() {
        malloc_trim(0);
        std::ofstream("/proc/self/clear_refs") << "5";
        base_ = StatusKiB("VmRSS:");
    }
    void Stop() {
        peak_ = std::max(peak_, StatusKiB("VmHWM:") - base_);
        malloc_trim(0);
        resident_ = StatusKiB("VmRSS:") - base_;
    }
    // Resident memory the stretch kept, in bytes, at its last Stop().
    double Kept() const { return static_cast<double>(resident_) * 1024.0; }
    // The peak in MiB, and per byte of what the stretch worked on.
    void Report(benchmark::State& state, std::size_t bytes, const std::string& perByteName) const {
        state.counters["peak_extra_MiB"] = static_cast<double>(peak_) / 1024.0;
        state.counters[perByteName] =
            static_cast<double>(peak_) * 1024.0 / static_cast<double>(bytes);
    }

private:
    long base_ = 0;
    long peak_ = 0;
    long resident_ = 0;
};
