// Reproducible random data for the benchmarks.
#pragma once

#include <cstdint>
#include <random>
#include <vector>

inline std::vector<std::uint8_t> RandomBytes(std::size_t size) {
    std::vector<std::uint8_t> data(size);
    std::mt19937 rng(1);
    for (auto& b : data)
        b = static_cast<std::uint8_t>(rng());
    return data;
}
