// How one candidate CRC (polynomial and bit orders) fits the samples in turn.
#pragma once

#include "InitXorSystem.h"

#include <cstddef>
#include <optional>
#include <vector>

struct FitTrace {
    std::size_t fitted = 0;              // how many samples, from the first, the candidate fits
    std::vector<int> ranks;              // the rank of the system after each of them
    std::optional<InitXorFamily> family; // when it fits them all
};
