// An independent model of the engine, by the literal bit-at-a-time rules:
// no slicing, no folding, no shared code with the library.
#pragma once

#include <array>
#include <cstdint>
#include <span>

class ReferenceCrc {
public:
    ReferenceCrc(int width, std::uint32_t poly, bool reflectedTable, bool reflectedUpdate,
                 bool reversePoly)
        : width_(width), mask_(width == 32 ? 0xFFFFFFFFu : 0xFFFFu),
          reflectedUpdate_(reflectedUpdate) {
        std::uint32_t p = poly & mask_;
        if (reversePoly) {
            std::uint32_t r = 0;
            for (int bit = 0; bit < width; ++bit)
                if (p & (1u << bit))
                    r |= 1u << (width - 1 - bit);
            p = r;
        }
        const std::uint32_t top = 1u << (width - 1);
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t c = reflectedTable ? i : (i << (width - 8)) & mask_;
            for (int step = 0; step < 8; ++step) {
                if (reflectedTable)
                    c = (c & 1u) ? (c >> 1) ^ p : c >> 1;
                else
                    c = ((c & top) ? (c << 1) ^ p : c << 1) & mask_;
            }
            table_[i] = c;
        }
    }

    std::uint32_t Run(std::uint32_t crc, std::span<const std::uint8_t> data) const {
        crc &= mask_;
        for (const std::uint8_t b : data) {
            if (reflectedUpdate_)
                crc = table_[(crc ^ b) & 0xFF] ^ (crc >> 8);
            else
                crc = table_[((crc >> (width_ - 8)) ^ b) & 0xFF] ^ ((crc << 8) & mask_);
        }
        return crc;
    }

    const std::array<std::uint32_t, 256>& Table() const { return table_; }

private:
    int width_;
    std::uint32_t mask_;
    bool reflectedUpdate_;
    std::array<std::uint32_t, 256> table_{};
};
