#include "crc.h"

#include "CrcEngine.h"

#include <algorithm>

const std::uint8_t NibbleReverseTable[16] = {0x0, 0x8, 0x4, 0xC, 0x2, 0xA, 0x6, 0xE,
                                             0x1, 0x9, 0x5, 0xD, 0x3, 0xB, 0x7, 0xF};

std::uint16_t Crc16Table[256];
std::uint32_t Crc32Table[256];

namespace {

// Short buffers are not worth building the fast paths' tables for.
constexpr std::int32_t kShort = 256;

template <class Entry>
void Store(const std::array<std::uint32_t, 256>& table, Entry (&global)[256]) {
    std::transform(table.begin(), table.end(), global,
                   [](std::uint32_t entry) { return static_cast<Entry>(entry); });
}

template <class Entry>
std::uint32_t Calc(const std::uint8_t* data, std::int32_t len, const CrcParams& params,
                   Entry (&global)[256]) {
    const CrcEngine engine(params, len < kShort ? CrcPath::ByteWise : FastestCrcPath());
    Store(engine.Table(), global);
    if (len <= 0)
        return engine.Start();
    return engine.Update(engine.Start(), {data, static_cast<std::size_t>(len)});
}

} // namespace

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
    Store(MakeCrcTable(16, poly, Reflected), Crc16Table);
}

void BuildCrc32Table(std::uint32_t poly, bool Reflected) {
    Store(MakeCrcTable(32, poly, Reflected), Crc32Table);
}

std::uint16_t CalcCrc16(const std::uint8_t* data, std::int32_t len, std::uint16_t init,
                        std::uint16_t poly, bool ReflectedTable, bool ReflectedUpdate,
                        bool ReversePoly) {
    const CrcParams params{16, poly, init, ReversePoly, ReflectedTable, ReflectedUpdate, {}};
    return static_cast<std::uint16_t>(Calc(data, len, params, Crc16Table));
}

std::uint32_t CalcCrc32(const std::uint8_t* data, std::int32_t len, std::uint32_t init,
                        std::uint32_t poly, bool ReflectedTable, bool ReflectedUpdate,
                        bool ReversePoly) {
    const CrcParams params{32, poly, init, ReversePoly, ReflectedTable, ReflectedUpdate, {}};
    return Calc(data, len, params, Crc32Table);
}
