// Independent models of the engine, by the literal rules: bit-serial table
// entries, no slicing, no folding, no lanes, no shared code with the library.
#pragma once

#include "CrcModel.h"

#include <array>
#include <cstdint>
#include <span>

// The main window's model of any width from 1 to 128: a table built bit by bit
// in one order, driven byte by byte in either. Most significant bit first,
// the table is indexed with the register's top eight bits (a register
// narrower than a byte padded with zeros below) XOR the data byte.
class LiteralCrc {
public:
    LiteralCrc(int width, CrcWord poly, bool reflectedTable, bool reflectedUpdate, bool reversePoly)
        : width_(width), mask_(width == 128 ? ~CrcWord{0} : (CrcWord{1} << width) - 1),
          reflectedUpdate_(reflectedUpdate) {
        CrcWord p = poly & mask_;
        if (reversePoly) {
            CrcWord r = 0;
            for (int bit = 0; bit < width; ++bit)
                if ((p >> bit) & 1)
                    r |= CrcWord{1} << (width - 1 - bit);
            p = r;
        }
        const CrcWord top = CrcWord{1} << (width - 1);
        for (unsigned i = 0; i < 256; ++i) {
            // Eight bits of i into a zero register, one by one.
            CrcWord c = 0;
            for (int step = 0; step < 8; ++step) {
                if (reflectedTable) {
                    const bool feedback = ((c & 1) != 0) != (((i >> step) & 1) != 0);
                    c = (c >> 1) ^ (feedback ? p : 0);
                } else {
                    const bool feedback = ((c & top) != 0) != (((i >> (7 - step)) & 1) != 0);
                    c = ((c << 1) & mask_) ^ (feedback ? p : 0);
                }
            }
            table_[i] = c;
        }
    }

    CrcWord Run(CrcWord crc, std::span<const std::uint8_t> data) const {
        crc &= mask_;
        for (const std::uint8_t b : data) {
            if (reflectedUpdate_) {
                crc = table_[(crc ^ b) & 0xFF] ^ (crc >> 8);
            } else {
                const CrcWord high = width_ >= 8 ? crc >> (width_ - 8) : crc << (8 - width_);
                crc = table_[(high ^ b) & 0xFF] ^ ((crc << 8) & mask_);
            }
        }
        return crc;
    }

    const std::array<CrcWord, 256>& Table() const { return table_; }

private:
    int width_;
    CrcWord mask_;
    bool reflectedUpdate_;
    std::array<CrcWord, 256> table_{};
};

// The same for the main window's widths 16 and 32, in 32-bit values.
class ReferenceCrc {
public:
    ReferenceCrc(int width, std::uint32_t poly, bool reflectedTable, bool reflectedUpdate,
                 bool reversePoly)
        : literal_(width, poly, reflectedTable, reflectedUpdate, reversePoly) {}

    std::uint32_t Run(std::uint32_t crc, std::span<const std::uint8_t> data) const {
        return static_cast<std::uint32_t>(literal_.Run(crc, data));
    }

    std::array<std::uint32_t, 256> Table() const {
        std::array<std::uint32_t, 256> table{};
        for (std::size_t i = 0; i < table.size(); ++i)
            table[i] = static_cast<std::uint32_t>(literal_.Table()[i]);
        return table;
    }

private:
    LiteralCrc literal_;
};

// The catalogue's model a bit at a time, in the unreflected register of any
// width; it shares nothing with the engine or the mapping it checks.
class BitModel {
public:
    explicit BitModel(const CrcModel& m) : m_(m), reg_(m.init) {}

    void Bit(bool bit) {
        const CrcWord top = CrcWord{1} << (m_.width - 1);
        const bool feedback = ((reg_ & top) != 0) != bit;
        reg_ = (reg_ << 1) & (top | (top - 1));
        if (feedback)
            reg_ ^= m_.poly;
    }
    void Bytes(std::span<const std::uint8_t> data) {
        for (const std::uint8_t byte : data)
            for (int i = 0; i < 8; ++i)
                Bit((byte >> (m_.refin ? i : 7 - i)) & 1);
    }
    // The register read out in the output's bit order.
    CrcWord Out() const {
        CrcWord out = 0;
        for (int i = 0; i < m_.width; ++i)
            if ((reg_ >> i) & 1)
                out |= CrcWord{1} << (m_.refout ? m_.width - 1 - i : i);
        return out;
    }
    CrcWord Crc() const { return Out() ^ m_.xorout; }

private:
    CrcModel m_;
    CrcWord reg_;
};
