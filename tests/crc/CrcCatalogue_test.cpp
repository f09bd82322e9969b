#include "CrcCatalogue.h"
#include "CrcEngine.h"

#include <gtest/gtest.h>

#include <cctype>
#include <random>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace {

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

std::span<const std::uint8_t> Bytes(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

TEST(CrcCatalogue, HoldsEveryPublishedModelOnce) {
    EXPECT_EQ(CrcCatalogue().size(), 113u);
    std::set<int> widths;
    for (const CatalogueEntry& e : CrcCatalogue())
        widths.insert(e.model.width);
    EXPECT_EQ(*widths.begin(), 3);
    EXPECT_EQ(*widths.rbegin(), 82);
}

// Check and residue as published, by the bit model and by the engine on every
// path; the residue by appending a CRC to a random message, bit by bit in the
// order it is sent.
TEST(CrcCatalogue, EveryEntryGivesItsPublishedCheckAndResidue) {
    std::mt19937 rng(11);
    std::vector<std::uint8_t> data(4099);
    for (auto& b : data)
        b = static_cast<std::uint8_t>(rng());
    for (const CatalogueEntry& e : CrcCatalogue()) {
        SCOPED_TRACE(std::string(e.name));
        const CrcModel& m = e.model;
        BitModel check(m);
        check.Bytes(Bytes("123456789"));
        EXPECT_TRUE(check.Crc() == e.check);
        EXPECT_TRUE(CheckOf(m) == e.check);
        EXPECT_TRUE(ResidueOf(m) == e.residue);

        BitModel message(m);
        message.Bytes(std::span(data).first(rng() % data.size()));
        const CrcWord crc = message.Crc();
        for (int i = 0; i < m.width; ++i)
            message.Bit((crc >> (m.refout ? i : m.width - 1 - i)) & 1);
        EXPECT_TRUE(message.Out() == e.residue);

        BitModel whole(m);
        whole.Bytes(data);
        const CrcParams params = ToCrcParams(e);
        EXPECT_TRUE(ToCrcModel(params) == m);
        for (const CrcPath path : AvailableCrcPaths()) {
            const CrcEngine engine(params, path);
            EXPECT_TRUE(engine.Checksum(data) == whole.Crc()) << CrcPathName(path);
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
