#include "CrcCatalogue.h"

#include "crc.h"

#include <algorithm>

namespace {

constexpr bool R = true;  // reflected input and output
constexpr bool N = false; // neither reflected

// Sorted by width, then name.
constexpr CatalogueEntry kCatalogue[] = {
    {"CRC-16/ARC", 16, 0x8005, 0x0000, R, R, 0x0000, 0xBB3D, "ARC, CRC-16, CRC-16/LHA, CRC-IBM"},
    {"CRC-16/CDMA2000", 16, 0xC867, 0xFFFF, N, N, 0x0000, 0x4C06, ""},
    {"CRC-16/CMS", 16, 0x8005, 0xFFFF, N, N, 0x0000, 0xAEE7, ""},
    {"CRC-16/DDS-110", 16, 0x8005, 0x800D, N, N, 0x0000, 0x9ECF, ""},
    {"CRC-16/DECT-R", 16, 0x0589, 0x0000, N, N, 0x0001, 0x007E, "R-CRC-16"},
    {"CRC-16/DECT-X", 16, 0x0589, 0x0000, N, N, 0x0000, 0x007F, "X-CRC-16"},
    {"CRC-16/DNP", 16, 0x3D65, 0x0000, R, R, 0xFFFF, 0xEA82, ""},
    {"CRC-16/EN-13757", 16, 0x3D65, 0x0000, N, N, 0xFFFF, 0xC2B7, ""},
    {"CRC-16/GENIBUS", 16, 0x1021, 0xFFFF, N, N, 0xFFFF, 0xD64E,
     "CRC-16/DARC, CRC-16/EPC, CRC-16/EPC-C1G2, CRC-16/I-CODE"},
    {"CRC-16/GSM", 16, 0x1021, 0x0000, N, N, 0xFFFF, 0xCE3C, ""},
    {"CRC-16/IBM-3740", 16, 0x1021, 0xFFFF, N, N, 0x0000, 0x29B1,
     "CRC-16/AUTOSAR, CRC-16/CCITT-FALSE"},
    {"CRC-16/IBM-SDLC", 16, 0x1021, 0xFFFF, R, R, 0xFFFF, 0x906E,
     "CRC-16/ISO-HDLC, CRC-16/ISO-IEC-14443-3-B, CRC-16/X-25, CRC-B, X-25"},
    {"CRC-16/ISO-IEC-14443-3-A", 16, 0x1021, 0xC6C6, R, R, 0x0000, 0xBF05, "CRC-A"},
    {"CRC-16/KERMIT", 16, 0x1021, 0x0000, R, R, 0x0000, 0x2189,
     "CRC-16/BLUETOOTH, CRC-16/CCITT, CRC-16/CCITT-TRUE, CRC-16/V-41-LSB, CRC-CCITT, KERMIT"},
    {"CRC-16/LJ1200", 16, 0x6F63, 0x0000, N, N, 0x0000, 0xBDF4, ""},
    {"CRC-16/M17", 16, 0x5935, 0xFFFF, N, N, 0x0000, 0x772B, ""},
    {"CRC-16/MAXIM-DOW", 16, 0x8005, 0x0000, R, R, 0xFFFF, 0x44C2, "CRC-16/MAXIM"},
    {"CRC-16/MCRF4XX", 16, 0x1021, 0xFFFF, R, R, 0x0000, 0x6F91, ""},
    {"CRC-16/MODBUS", 16, 0x8005, 0xFFFF, R, R, 0x0000, 0x4B37, "MODBUS"},
    {"CRC-16/NRSC-5", 16, 0x080B, 0xFFFF, R, R, 0x0000, 0xA066, ""},
    {"CRC-16/OPENSAFETY-A", 16, 0x5935, 0x0000, N, N, 0x0000, 0x5D38, ""},
    {"CRC-16/OPENSAFETY-B", 16, 0x755B, 0x0000, N, N, 0x0000, 0x20FE, ""},
    {"CRC-16/PROFIBUS", 16, 0x1DCF, 0xFFFF, N, N, 0xFFFF, 0xA819, "CRC-16/IEC-61158-2"},
    {"CRC-16/RIELLO", 16, 0x1021, 0xB2AA, R, R, 0x0000, 0x63D0, ""},
    {"CRC-16/SPI-FUJITSU", 16, 0x1021, 0x1D0F, N, N, 0x0000, 0xE5CC, "CRC-16/AUG-CCITT"},
    {"CRC-16/T10-DIF", 16, 0x8BB7, 0x0000, N, N, 0x0000, 0xD0DB, ""},
    {"CRC-16/TELEDISK", 16, 0xA097, 0x0000, N, N, 0x0000, 0x0FB3, ""},
    {"CRC-16/TMS37157", 16, 0x1021, 0x89EC, R, R, 0x0000, 0x26B1, ""},
    {"CRC-16/UMTS", 16, 0x8005, 0x0000, N, N, 0x0000, 0xFEE8, "CRC-16/BUYPASS, CRC-16/VERIFONE"},
    {"CRC-16/USB", 16, 0x8005, 0xFFFF, R, R, 0xFFFF, 0xB4C8, ""},
    {"CRC-16/XMODEM", 16, 0x1021, 0x0000, N, N, 0x0000, 0x31C3,
     "CRC-16/ACORN, CRC-16/LTE, CRC-16/V-41-MSB, XMODEM, ZMODEM"},
    {"CRC-32/AIXM", 32, 0x814141AB, 0x00000000, N, N, 0x00000000, 0x3010BF7F, "CRC-32Q"},
    {"CRC-32/AUTOSAR", 32, 0xF4ACFB13, 0xFFFFFFFF, R, R, 0xFFFFFFFF, 0x1697D06A, ""},
    {"CRC-32/BASE91-D", 32, 0xA833982B, 0xFFFFFFFF, R, R, 0xFFFFFFFF, 0x87315576, "CRC-32D"},
    {"CRC-32/BZIP2", 32, 0x04C11DB7, 0xFFFFFFFF, N, N, 0xFFFFFFFF, 0xFC891918,
     "CRC-32/AAL5, CRC-32/DECT-B, B-CRC-32"},
    {"CRC-32/CD-ROM-EDC", 32, 0x8001801B, 0x00000000, R, R, 0x00000000, 0x6EC2EDC4, ""},
    {"CRC-32/CKSUM", 32, 0x04C11DB7, 0x00000000, N, N, 0xFFFFFFFF, 0x765E7680,
     "CKSUM, CRC-32/POSIX"},
    {"CRC-32/ISCSI", 32, 0x1EDC6F41, 0xFFFFFFFF, R, R, 0xFFFFFFFF, 0xE3069283,
     "CRC-32/BASE91-C, CRC-32/CASTAGNOLI, CRC-32/INTERLAKEN, CRC-32C, CRC-32/NVME"},
    {"CRC-32/ISO-HDLC", 32, 0x04C11DB7, 0xFFFFFFFF, R, R, 0xFFFFFFFF, 0xCBF43926,
     "CRC-32, CRC-32/ADCCP, CRC-32/V-42, CRC-32/XZ, PKZIP"},
    {"CRC-32/JAMCRC", 32, 0x04C11DB7, 0xFFFFFFFF, R, R, 0x00000000, 0x340BC6D9, "JAMCRC"},
    {"CRC-32/MEF", 32, 0x741B8CD7, 0xFFFFFFFF, R, R, 0x00000000, 0xD2C22F51, ""},
    {"CRC-32/MPEG-2", 32, 0x04C11DB7, 0xFFFFFFFF, N, N, 0x00000000, 0x0376E6E7, ""},
    {"CRC-32/XFER", 32, 0x000000AF, 0x00000000, N, N, 0x00000000, 0xBD0BE338, "XFER"},
};

bool SameName(std::string_view a, std::string_view b) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    return std::ranges::equal(a, b, {}, lower, lower);
}

bool IsCalled(const CatalogueEntry& entry, std::string_view name) {
    if (SameName(entry.name, name))
        return true;
    std::string_view rest = entry.aliases;
    while (!rest.empty()) {
        const std::size_t comma = rest.find(", ");
        if (SameName(rest.substr(0, comma), name))
            return true;
        rest = comma == std::string_view::npos ? std::string_view{} : rest.substr(comma + 2);
    }
    return false;
}

} // namespace

std::span<const CatalogueEntry> CrcCatalogue() {
    return kCatalogue;
}

const CatalogueEntry* FindCatalogueEntry(std::string_view name) {
    const auto found =
        std::ranges::find_if(kCatalogue, [&](const auto& entry) { return IsCalled(entry, name); });
    return found == std::end(kCatalogue) ? nullptr : found;
}

CrcParams ToCrcParams(const CatalogueEntry& entry) {
    const auto nibbles = static_cast<std::uint8_t>(entry.width / 4);
    return {.width = entry.width,
            .poly = entry.poly,
            .init = entry.refin ? ReverseBits(entry.init, nibbles) : entry.init,
            .reversePoly = entry.refin,
            .reflectedTable = entry.refin,
            .reflectedUpdate = entry.refin,
            .xorOut = entry.xorout};
}
