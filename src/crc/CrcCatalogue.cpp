#include "CrcCatalogue.h"

#include <algorithm>

namespace {

constexpr bool R = true;  // reflected
constexpr bool N = false; // not reflected

// A value as the catalogue writes it: "0x" and hexadecimal digits.
consteval CrcWord H(std::string_view text) {
    CrcWord value = 0;
    for (char c : text.substr(2))
        value = value << 4 | static_cast<unsigned>(c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10);
    return value;
}

// One line a model, as the catalogue lists them.
// clang-format off
constexpr CatalogueEntry kCatalogue[] = {
    {"CRC-3/GSM", {3, H("0x3"), H("0x0"), N, N, H("0x7")}, H("0x4"), H("0x2"), ""},
    {"CRC-3/ROHC", {3, H("0x3"), H("0x7"), R, R, H("0x0")}, H("0x6"), H("0x0"), ""},
    {"CRC-4/G-704", {4, H("0x3"), H("0x0"), R, R, H("0x0")}, H("0x7"), H("0x0"), "CRC-4/ITU"},
    {"CRC-4/INTERLAKEN", {4, H("0x3"), H("0xf"), N, N, H("0xf")}, H("0xb"), H("0x2"), ""},
    {"CRC-5/EPC-C1G2", {5, H("0x09"), H("0x09"), N, N, H("0x00")}, H("0x00"), H("0x00"), "CRC-5/EPC"},
    {"CRC-5/G-704", {5, H("0x15"), H("0x00"), R, R, H("0x00")}, H("0x07"), H("0x00"), "CRC-5/ITU"},
    {"CRC-5/USB", {5, H("0x05"), H("0x1f"), R, R, H("0x1f")}, H("0x19"), H("0x06"), ""},
    {"CRC-6/CDMA2000-A", {6, H("0x27"), H("0x3f"), N, N, H("0x00")}, H("0x0d"), H("0x00"), ""},
    {"CRC-6/CDMA2000-B", {6, H("0x07"), H("0x3f"), N, N, H("0x00")}, H("0x3b"), H("0x00"), ""},
    {"CRC-6/DARC", {6, H("0x19"), H("0x00"), R, R, H("0x00")}, H("0x26"), H("0x00"), ""},
    {"CRC-6/G-704", {6, H("0x03"), H("0x00"), R, R, H("0x00")}, H("0x06"), H("0x00"), "CRC-6/ITU"},
    {"CRC-6/GSM", {6, H("0x2f"), H("0x00"), N, N, H("0x3f")}, H("0x13"), H("0x3a"), ""},
    {"CRC-7/MMC", {7, H("0x09"), H("0x00"), N, N, H("0x00")}, H("0x75"), H("0x00"), "CRC-7"},
    {"CRC-7/ROHC", {7, H("0x4f"), H("0x7f"), R, R, H("0x00")}, H("0x53"), H("0x00"), ""},
    {"CRC-7/UMTS", {7, H("0x45"), H("0x00"), N, N, H("0x00")}, H("0x61"), H("0x00"), ""},
    {"CRC-8/AUTOSAR", {8, H("0x2f"), H("0xff"), N, N, H("0xff")}, H("0xdf"), H("0x42"), ""},
    {"CRC-8/BLUETOOTH", {8, H("0xa7"), H("0x00"), R, R, H("0x00")}, H("0x26"), H("0x00"), ""},
    {"CRC-8/CDMA2000", {8, H("0x9b"), H("0xff"), N, N, H("0x00")}, H("0xda"), H("0x00"), ""},
    {"CRC-8/DARC", {8, H("0x39"), H("0x00"), R, R, H("0x00")}, H("0x15"), H("0x00"), ""},
    {"CRC-8/DVB-S2", {8, H("0xd5"), H("0x00"), N, N, H("0x00")}, H("0xbc"), H("0x00"), ""},
    {"CRC-8/GSM-A", {8, H("0x1d"), H("0x00"), N, N, H("0x00")}, H("0x37"), H("0x00"), ""},
    {"CRC-8/GSM-B", {8, H("0x49"), H("0x00"), N, N, H("0xff")}, H("0x94"), H("0x53"), ""},
    {"CRC-8/HITAG", {8, H("0x1d"), H("0xff"), N, N, H("0x00")}, H("0xb4"), H("0x00"), ""},
    {"CRC-8/I-432-1", {8, H("0x07"), H("0x00"), N, N, H("0x55")}, H("0xa1"), H("0xac"), "CRC-8/ITU"},
    {"CRC-8/I-CODE", {8, H("0x1d"), H("0xfd"), N, N, H("0x00")}, H("0x7e"), H("0x00"), ""},
    {"CRC-8/LTE", {8, H("0x9b"), H("0x00"), N, N, H("0x00")}, H("0xea"), H("0x00"), ""},
    {"CRC-8/MAXIM-DOW", {8, H("0x31"), H("0x00"), R, R, H("0x00")}, H("0xa1"), H("0x00"), "CRC-8/MAXIM, DOW-CRC"},
    {"CRC-8/MIFARE-MAD", {8, H("0x1d"), H("0xc7"), N, N, H("0x00")}, H("0x99"), H("0x00"), ""},
    {"CRC-8/NRSC-5", {8, H("0x31"), H("0xff"), N, N, H("0x00")}, H("0xf7"), H("0x00"), ""},
    {"CRC-8/OPENSAFETY", {8, H("0x2f"), H("0x00"), N, N, H("0x00")}, H("0x3e"), H("0x00"), ""},
    {"CRC-8/ROHC", {8, H("0x07"), H("0xff"), R, R, H("0x00")}, H("0xd0"), H("0x00"), ""},
    {"CRC-8/SAE-J1850", {8, H("0x1d"), H("0xff"), N, N, H("0xff")}, H("0x4b"), H("0xc4"), ""},
    {"CRC-8/SMBUS", {8, H("0x07"), H("0x00"), N, N, H("0x00")}, H("0xf4"), H("0x00"), "CRC-8"},
    {"CRC-8/TECH-3250", {8, H("0x1d"), H("0xff"), R, R, H("0x00")}, H("0x97"), H("0x00"), "CRC-8/AES, CRC-8/EBU"},
    {"CRC-8/WCDMA", {8, H("0x9b"), H("0x00"), R, R, H("0x00")}, H("0x25"), H("0x00"), ""},
    {"CRC-10/ATM", {10, H("0x233"), H("0x000"), N, N, H("0x000")}, H("0x199"), H("0x000"), "CRC-10, CRC-10/I-610"},
    {"CRC-10/CDMA2000", {10, H("0x3d9"), H("0x3ff"), N, N, H("0x000")}, H("0x233"), H("0x000"), ""},
    {"CRC-10/GSM", {10, H("0x175"), H("0x000"), N, N, H("0x3ff")}, H("0x12a"), H("0x0c6"), ""},
    {"CRC-11/FLEXRAY", {11, H("0x385"), H("0x01a"), N, N, H("0x000")}, H("0x5a3"), H("0x000"), "CRC-11"},
    {"CRC-11/UMTS", {11, H("0x307"), H("0x000"), N, N, H("0x000")}, H("0x061"), H("0x000"), ""},
    {"CRC-12/CDMA2000", {12, H("0xf13"), H("0xfff"), N, N, H("0x000")}, H("0xd4d"), H("0x000"), ""},
    {"CRC-12/DECT", {12, H("0x80f"), H("0x000"), N, N, H("0x000")}, H("0xf5b"), H("0x000"), "X-CRC-12"},
    {"CRC-12/GSM", {12, H("0xd31"), H("0x000"), N, N, H("0xfff")}, H("0xb34"), H("0x178"), ""},
    {"CRC-12/UMTS", {12, H("0x80f"), H("0x000"), N, R, H("0x000")}, H("0xdaf"), H("0x000"), "CRC-12/3GPP"},
    {"CRC-13/BBC", {13, H("0x1cf5"), H("0x0000"), N, N, H("0x0000")}, H("0x04fa"), H("0x0000"), ""},
    {"CRC-14/DARC", {14, H("0x0805"), H("0x0000"), R, R, H("0x0000")}, H("0x082d"), H("0x0000"), ""},
    {"CRC-14/GSM", {14, H("0x202d"), H("0x0000"), N, N, H("0x3fff")}, H("0x30ae"), H("0x031e"), ""},
    {"CRC-15/CAN", {15, H("0x4599"), H("0x0000"), N, N, H("0x0000")}, H("0x059e"), H("0x0000"), "CRC-15"},
    {"CRC-15/MPT1327", {15, H("0x6815"), H("0x0000"), N, N, H("0x0001")}, H("0x2566"), H("0x6815"), ""},
    {"CRC-16/ARC", {16, H("0x8005"), H("0x0000"), R, R, H("0x0000")}, H("0xbb3d"), H("0x0000"), "ARC, CRC-16, CRC-16/LHA, CRC-IBM"},
    {"CRC-16/CDMA2000", {16, H("0xc867"), H("0xffff"), N, N, H("0x0000")}, H("0x4c06"), H("0x0000"), ""},
    {"CRC-16/CMS", {16, H("0x8005"), H("0xffff"), N, N, H("0x0000")}, H("0xaee7"), H("0x0000"), ""},
    {"CRC-16/DDS-110", {16, H("0x8005"), H("0x800d"), N, N, H("0x0000")}, H("0x9ecf"), H("0x0000"), ""},
    {"CRC-16/DECT-R", {16, H("0x0589"), H("0x0000"), N, N, H("0x0001")}, H("0x007e"), H("0x0589"), "R-CRC-16"},
    {"CRC-16/DECT-X", {16, H("0x0589"), H("0x0000"), N, N, H("0x0000")}, H("0x007f"), H("0x0000"), "X-CRC-16"},
    {"CRC-16/DNP", {16, H("0x3d65"), H("0x0000"), R, R, H("0xffff")}, H("0xea82"), H("0x66c5"), ""},
    {"CRC-16/EN-13757", {16, H("0x3d65"), H("0x0000"), N, N, H("0xffff")}, H("0xc2b7"), H("0xa366"), ""},
    {"CRC-16/GENIBUS", {16, H("0x1021"), H("0xffff"), N, N, H("0xffff")}, H("0xd64e"), H("0x1d0f"), "CRC-16/DARC, CRC-16/EPC, CRC-16/EPC-C1G2, CRC-16/I-CODE"},
    {"CRC-16/GSM", {16, H("0x1021"), H("0x0000"), N, N, H("0xffff")}, H("0xce3c"), H("0x1d0f"), ""},
    {"CRC-16/IBM-3740", {16, H("0x1021"), H("0xffff"), N, N, H("0x0000")}, H("0x29b1"), H("0x0000"), "CRC-16/AUTOSAR, CRC-16/CCITT-FALSE"},
    {"CRC-16/IBM-SDLC", {16, H("0x1021"), H("0xffff"), R, R, H("0xffff")}, H("0x906e"), H("0xf0b8"), "CRC-16/ISO-HDLC, CRC-16/ISO-IEC-14443-3-B, CRC-16/X-25, CRC-B, X-25"},
    {"CRC-16/ISO-IEC-14443-3-A", {16, H("0x1021"), H("0xc6c6"), R, R, H("0x0000")}, H("0xbf05"), H("0x0000"), "CRC-A"},
    {"CRC-16/KERMIT", {16, H("0x1021"), H("0x0000"), R, R, H("0x0000")}, H("0x2189"), H("0x0000"), "CRC-16/BLUETOOTH, CRC-16/CCITT, CRC-16/CCITT-TRUE, CRC-16/V-41-LSB, CRC-CCITT, KERMIT"},
    {"CRC-16/LJ1200", {16, H("0x6f63"), H("0x0000"), N, N, H("0x0000")}, H("0xbdf4"), H("0x0000"), ""},
    {"CRC-16/M17", {16, H("0x5935"), H("0xffff"), N, N, H("0x0000")}, H("0x772b"), H("0x0000"), ""},
    {"CRC-16/MAXIM-DOW", {16, H("0x8005"), H("0x0000"), R, R, H("0xffff")}, H("0x44c2"), H("0xb001"), "CRC-16/MAXIM"},
    {"CRC-16/MCRF4XX", {16, H("0x1021"), H("0xffff"), R, R, H("0x0000")}, H("0x6f91"), H("0x0000"), ""},
    {"CRC-16/MODBUS", {16, H("0x8005"), H("0xffff"), R, R, H("0x0000")}, H("0x4b37"), H("0x0000"), "MODBUS"},
    {"CRC-16/NRSC-5", {16, H("0x080b"), H("0xffff"), R, R, H("0x0000")}, H("0xa066"), H("0x0000"), ""},
    {"CRC-16/OPENSAFETY-A", {16, H("0x5935"), H("0x0000"), N, N, H("0x0000")}, H("0x5d38"), H("0x0000"), ""},
    {"CRC-16/OPENSAFETY-B", {16, H("0x755b"), H("0x0000"), N, N, H("0x0000")}, H("0x20fe"), H("0x0000"), ""},
    {"CRC-16/PROFIBUS", {16, H("0x1dcf"), H("0xffff"), N, N, H("0xffff")}, H("0xa819"), H("0xe394"), "CRC-16/IEC-61158-2"},
    {"CRC-16/RIELLO", {16, H("0x1021"), H("0xb2aa"), R, R, H("0x0000")}, H("0x63d0"), H("0x0000"), ""},
    {"CRC-16/SPI-FUJITSU", {16, H("0x1021"), H("0x1d0f"), N, N, H("0x0000")}, H("0xe5cc"), H("0x0000"), "CRC-16/AUG-CCITT"},
    {"CRC-16/T10-DIF", {16, H("0x8bb7"), H("0x0000"), N, N, H("0x0000")}, H("0xd0db"), H("0x0000"), ""},
    {"CRC-16/TELEDISK", {16, H("0xa097"), H("0x0000"), N, N, H("0x0000")}, H("0x0fb3"), H("0x0000"), ""},
    {"CRC-16/TMS37157", {16, H("0x1021"), H("0x89ec"), R, R, H("0x0000")}, H("0x26b1"), H("0x0000"), ""},
    {"CRC-16/UMTS", {16, H("0x8005"), H("0x0000"), N, N, H("0x0000")}, H("0xfee8"), H("0x0000"), "CRC-16/BUYPASS, CRC-16/VERIFONE"},
    {"CRC-16/USB", {16, H("0x8005"), H("0xffff"), R, R, H("0xffff")}, H("0xb4c8"), H("0xb001"), ""},
    {"CRC-16/XMODEM", {16, H("0x1021"), H("0x0000"), N, N, H("0x0000")}, H("0x31c3"), H("0x0000"), "CRC-16/ACORN, CRC-16/LTE, CRC-16/V-41-MSB, XMODEM, ZMODEM"},
    {"CRC-17/CAN-FD", {17, H("0x1685b"), H("0x00000"), N, N, H("0x00000")}, H("0x04f03"), H("0x00000"), ""},
    {"CRC-21/CAN-FD", {21, H("0x102899"), H("0x000000"), N, N, H("0x000000")}, H("0x0ed841"), H("0x000000"), ""},
    {"CRC-24/BLE", {24, H("0x00065b"), H("0x555555"), R, R, H("0x000000")}, H("0xc25a56"), H("0x000000"), ""},
    {"CRC-24/FLEXRAY-A", {24, H("0x5d6dcb"), H("0xfedcba"), N, N, H("0x000000")}, H("0x7979bd"), H("0x000000"), ""},
    {"CRC-24/FLEXRAY-B", {24, H("0x5d6dcb"), H("0xabcdef"), N, N, H("0x000000")}, H("0x1f23b8"), H("0x000000"), ""},
    {"CRC-24/INTERLAKEN", {24, H("0x328b63"), H("0xffffff"), N, N, H("0xffffff")}, H("0xb4f3e6"), H("0x144e63"), ""},
    {"CRC-24/LTE-A", {24, H("0x864cfb"), H("0x000000"), N, N, H("0x000000")}, H("0xcde703"), H("0x000000"), ""},
    {"CRC-24/LTE-B", {24, H("0x800063"), H("0x000000"), N, N, H("0x000000")}, H("0x23ef52"), H("0x000000"), ""},
    {"CRC-24/OPENPGP", {24, H("0x864cfb"), H("0xb704ce"), N, N, H("0x000000")}, H("0x21cf02"), H("0x000000"), "CRC-24"},
    {"CRC-24/OS-9", {24, H("0x800063"), H("0xffffff"), N, N, H("0xffffff")}, H("0x200fa5"), H("0x800fe3"), ""},
    {"CRC-30/CDMA", {30, H("0x2030b9c7"), H("0x3fffffff"), N, N, H("0x3fffffff")}, H("0x04c34abf"), H("0x34efa55a"), ""},
    {"CRC-31/PHILIPS", {31, H("0x04c11db7"), H("0x7fffffff"), N, N, H("0x7fffffff")}, H("0x0ce9e46c"), H("0x4eaf26f1"), ""},
    {"CRC-32/AIXM", {32, H("0x814141ab"), H("0x00000000"), N, N, H("0x00000000")}, H("0x3010bf7f"), H("0x00000000"), "CRC-32Q"},
    {"CRC-32/AUTOSAR", {32, H("0xf4acfb13"), H("0xffffffff"), R, R, H("0xffffffff")}, H("0x1697d06a"), H("0x904cddbf"), ""},
    {"CRC-32/BASE91-D", {32, H("0xa833982b"), H("0xffffffff"), R, R, H("0xffffffff")}, H("0x87315576"), H("0x45270551"), "CRC-32D"},
    {"CRC-32/BZIP2", {32, H("0x04c11db7"), H("0xffffffff"), N, N, H("0xffffffff")}, H("0xfc891918"), H("0xc704dd7b"), "B-CRC-32, CRC-32/AAL5, CRC-32/DECT-B"},
    {"CRC-32/CD-ROM-EDC", {32, H("0x8001801b"), H("0x00000000"), R, R, H("0x00000000")}, H("0x6ec2edc4"), H("0x00000000"), ""},
    {"CRC-32/CKSUM", {32, H("0x04c11db7"), H("0x00000000"), N, N, H("0xffffffff")}, H("0x765e7680"), H("0xc704dd7b"), "CKSUM, CRC-32/POSIX"},
    {"CRC-32/ISCSI", {32, H("0x1edc6f41"), H("0xffffffff"), R, R, H("0xffffffff")}, H("0xe3069283"), H("0xb798b438"), "CRC-32/BASE91-C, CRC-32/CASTAGNOLI, CRC-32/INTERLAKEN, CRC-32/NVME, CRC-32C"},
    {"CRC-32/ISO-HDLC", {32, H("0x04c11db7"), H("0xffffffff"), R, R, H("0xffffffff")}, H("0xcbf43926"), H("0xdebb20e3"), "CRC-32, CRC-32/ADCCP, CRC-32/V-42, CRC-32/XZ, PKZIP"},
    {"CRC-32/JAMCRC", {32, H("0x04c11db7"), H("0xffffffff"), R, R, H("0x00000000")}, H("0x340bc6d9"), H("0x00000000"), "JAMCRC"},
    {"CRC-32/MEF", {32, H("0x741b8cd7"), H("0xffffffff"), R, R, H("0x00000000")}, H("0xd2c22f51"), H("0x00000000"), ""},
    {"CRC-32/MPEG-2", {32, H("0x04c11db7"), H("0xffffffff"), N, N, H("0x00000000")}, H("0x0376e6e7"), H("0x00000000"), ""},
    {"CRC-32/XFER", {32, H("0x000000af"), H("0x00000000"), N, N, H("0x00000000")}, H("0xbd0be338"), H("0x00000000"), "XFER"},
    {"CRC-40/GSM", {40, H("0x0004820009"), H("0x0000000000"), N, N, H("0xffffffffff")}, H("0xd4164fc646"), H("0xc4ff8071ff"), ""},
    {"CRC-64/ECMA-182", {64, H("0x42f0e1eba9ea3693"), H("0x0000000000000000"), N, N, H("0x0000000000000000")}, H("0x6c40df5f0b497347"), H("0x0000000000000000"), "CRC-64"},
    {"CRC-64/GO-ISO", {64, H("0x000000000000001b"), H("0xffffffffffffffff"), R, R, H("0xffffffffffffffff")}, H("0xb90956c775a41001"), H("0x5300000000000000"), ""},
    {"CRC-64/MS", {64, H("0x259c84cba6426349"), H("0xffffffffffffffff"), R, R, H("0x0000000000000000")}, H("0x75d4b74f024eceea"), H("0x0000000000000000"), ""},
    {"CRC-64/NVME", {64, H("0xad93d23594c93659"), H("0xffffffffffffffff"), R, R, H("0xffffffffffffffff")}, H("0xae8b14860a799888"), H("0xf310303b2b6f6e42"), ""},
    {"CRC-64/REDIS", {64, H("0xad93d23594c935a9"), H("0x0000000000000000"), R, R, H("0x0000000000000000")}, H("0xe9c6d914c4b8d9ca"), H("0x0000000000000000"), ""},
    {"CRC-64/WE", {64, H("0x42f0e1eba9ea3693"), H("0xffffffffffffffff"), N, N, H("0xffffffffffffffff")}, H("0x62ec59e3f1a4f00a"), H("0xfcacbebd5931a992"), ""},
    {"CRC-64/XZ", {64, H("0x42f0e1eba9ea3693"), H("0xffffffffffffffff"), R, R, H("0xffffffffffffffff")}, H("0x995dc9bbdf1939fa"), H("0x49958c9abd7d353f"), "CRC-64/GO-ECMA"},
    {"CRC-82/DARC", {82, H("0x0308c0111011401440411"), H("0x000000000000000000000"), R, R, H("0x000000000000000000000")}, H("0x09ea83f625023801fd612"), H("0x000000000000000000000"), ""},
};
// clang-format on

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
