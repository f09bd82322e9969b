#include "crc.h"

const std::uint8_t NibbleReverseTable[16] = {0x0, 0x8, 0x4, 0xC, 0x2, 0xA, 0x6, 0xE,
                                             0x1, 0x9, 0x5, 0xD, 0x3, 0xB, 0x7, 0xF};

std::uint16_t Crc16Table[256];
std::uint32_t Crc32Table[256];

std::uint32_t ReverseBits(std::uint32_t value, std::uint8_t nibbles) {
    std::uint32_t result = 0;
    for (unsigned k = 0; k < nibbles; ++k) {
        // A shift by 32 or more is undefined; nibbles above 8 only ever see zeros.
        const std::uint32_t nibble = k < 8 ? (value >> (4 * k)) & 0xF : 0;
        result = (result << 4) | NibbleReverseTable[nibble];
    }
    return result;
}

void BuildCrc16Table(std::uint16_t poly, bool Reflected) {
    for (unsigned i = 0; i < 256; ++i) {
        std::uint16_t c;
        if (Reflected) {
            c = static_cast<std::uint16_t>(i);
            for (int bit = 0; bit < 8; ++bit)
                c = (c & 1) ? static_cast<std::uint16_t>((c >> 1) ^ poly)
                            : static_cast<std::uint16_t>(c >> 1);
        } else {
            c = static_cast<std::uint16_t>(i << 8);
            for (int bit = 0; bit < 8; ++bit)
                c = (c & 0x8000) ? static_cast<std::uint16_t>((c << 1) ^ poly)
                                 : static_cast<std::uint16_t>(c << 1);
        }
        Crc16Table[i] = c;
    }
}

void BuildCrc32Table(std::uint32_t poly, bool Reflected) {
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t c;
        if (Reflected) {
            c = i;
            for (int bit = 0; bit < 8; ++bit)
                c = (c & 1u) ? (c >> 1) ^ poly : c >> 1;
        } else {
            c = i << 24;
            for (int bit = 0; bit < 8; ++bit)
                c = (c & 0x80000000u) ? (c << 1) ^ poly : c << 1;
        }
        Crc32Table[i] = c;
    }
}

std::uint16_t CalcCrc16(const std::uint8_t* data, std::int32_t len, std::uint16_t init,
                        std::uint16_t poly, bool ReflectedTable, bool ReflectedUpdate,
                        bool ReversePoly) {
    std::uint16_t crc = init;
    if (ReversePoly)
        poly = static_cast<std::uint16_t>(ReverseBits(poly, 4));
    BuildCrc16Table(poly, ReflectedTable);
    const std::uint8_t* const end = len > 0 ? data + len : data;
    // Two loops rather than a test per byte: the update is the hot path.
    if (ReflectedUpdate) {
        for (const std::uint8_t* p = data; p != end; ++p)
            crc = static_cast<std::uint16_t>(Crc16Table[(crc ^ *p) & 0xFF] ^ (crc >> 8));
    } else {
        for (const std::uint8_t* p = data; p != end; ++p)
            crc = static_cast<std::uint16_t>(Crc16Table[((crc >> 8) ^ *p) & 0xFF] ^ (crc << 8));
    }
    return crc;
}

std::uint32_t CalcCrc32(const std::uint8_t* data, std::int32_t len, std::uint32_t init,
                        std::uint32_t poly, bool ReflectedTable, bool ReflectedUpdate,
                        bool ReversePoly) {
    std::uint32_t crc = init;
    if (ReversePoly)
        poly = ReverseBits(poly, 8);
    BuildCrc32Table(poly, ReflectedTable);
    const std::uint8_t* const end = len > 0 ? data + len : data;
    if (ReflectedUpdate) {
        for (const std::uint8_t* p = data; p != end; ++p)
            crc = Crc32Table[(crc ^ *p) & 0xFF] ^ (crc >> 8);
    } else {
        for (const std::uint8_t* p = data; p != end; ++p)
            crc = Crc32Table[((crc >> 24) ^ *p) & 0xFF] ^ (crc << 8);
    }
    return crc;
}
