// The parameters of one CRC, as the user sets them.
#pragma once

#include <cstdint>
#include <optional>

struct CrcParams {
    int width = 16;               // 16 or 32
    std::uint32_t poly = 0;       // as entered; only the low `width` bits count
    std::uint32_t init = 0;       // likewise
    bool reversePoly = false;     // reverse the polynomial's bits before building the table
    bool reflectedTable = false;  // build the table least-significant-bit first
    bool reflectedUpdate = false; // run the update least-significant-bit first
    // XORed into the result whole: bits above a CRC-16 show in the result.
    std::optional<std::uint32_t> xorOut;
};

// The register's bits for a width of 16 or 32.
constexpr std::uint32_t WidthMask(int width) {
    return width == 32 ? 0xFFFFFFFFu : 0xFFFFu;
}
