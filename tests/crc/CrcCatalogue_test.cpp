#include "CrcCatalogue.h"
#include "CrcEngine.h"

#include <gtest/gtest.h>

#include <cctype>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace {

std::uint32_t Reflect(std::uint32_t value, int bits) {
    std::uint32_t reflected = 0;
    for (int bit = 0; bit < bits; ++bit)
        if (value & (1u << bit))
            reflected |= 1u << (bits - 1 - bit);
    return reflected;
}

// The catalogue's own definition, a bit at a time in the unreflected register;
// it shares nothing with the mapping onto the three options that it checks.
std::uint32_t CatalogueModel(const CatalogueEntry& e, std::span<const std::uint8_t> data) {
    const std::uint32_t top = 1u << (e.width - 1), mask = top | (top - 1);
    std::uint32_t reg = e.init;
    for (const std::uint8_t byte : data) {
        reg ^= (e.refin ? Reflect(byte, 8) : byte) << (e.width - 8);
        for (int step = 0; step < 8; ++step)
            reg = ((reg & top) ? (reg << 1) ^ e.poly : reg << 1) & mask;
    }
    return (e.refout ? Reflect(reg, e.width) : reg) ^ e.xorout;
}

TEST(CrcCatalogue, EveryEntryGivesItsPublishedCheckByTheModelAndTheEngine) {
    const std::string_view nine = "123456789";
    const std::span check(reinterpret_cast<const std::uint8_t*>(nine.data()), nine.size());
    std::mt19937 rng(11);
    std::vector<std::uint8_t> data(4099);
    for (auto& b : data)
        b = static_cast<std::uint8_t>(rng());
    for (const CatalogueEntry& e : CrcCatalogue()) {
        SCOPED_TRACE(std::string(e.name));
        EXPECT_EQ(e.refin, e.refout);
        EXPECT_EQ(CatalogueModel(e, check), e.check);
        const CrcParams params = ToCrcParams(e);
        for (const CrcPath path : AvailableCrcPaths()) {
            const CrcEngine engine(params, path);
            EXPECT_EQ(engine.Checksum(check), e.check) << CrcPathName(path);
            // The mapping must hold beyond the nine bytes, init reflection included.
            EXPECT_EQ(engine.Checksum(data), CatalogueModel(e, data)) << CrcPathName(path);
        }
    }
}

std::vector<std::string> NamesOf(const CatalogueEntry& e) {
    std::vector<std::string> names = {std::string(e.name)};
    std::string_view rest = e.aliases;
    while (!rest.empty()) {
        const std::size_t comma = rest.find(", ");
        names.emplace_back(rest.substr(0, comma));
        rest = comma == std::string_view::npos ? "" : rest.substr(comma + 2);
    }
    return names;
}

TEST(CrcCatalogue, EveryNameAndAliasFindsItsOwnEntryInAnyCase) {
    std::set<std::string> seen;
    for (const CatalogueEntry& e : CrcCatalogue()) {
        for (std::string name : NamesOf(e)) {
            EXPECT_TRUE(seen.insert(name).second) << name << " names two entries";
            EXPECT_EQ(FindCatalogueEntry(name), &e) << name;
            for (char& c : name)
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            EXPECT_EQ(FindCatalogueEntry(name), &e) << name;
        }
    }
    for (const char* unknown : {"", "CRC-16/MOD", "CRC-16/MODBUSX", "RC-16/MODBUS"})
        EXPECT_EQ(FindCatalogueEntry(unknown), nullptr) << unknown;
}

} // namespace
