// One sample of a device's CRC: the data and the CRC it gave.
#pragma once

#include "crcword.h"

#include <cstdint>
#include <vector>

// The CRC as the result reads: for the main window's CRC-16, bits above bit
// 15 can only come from the XOR-out value.
struct CrcSample {
    std::vector<std::uint8_t> data;
    CrcWord crc = 0;
};
