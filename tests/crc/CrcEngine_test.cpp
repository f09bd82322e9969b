#include "CrcEngine.h"
#include "reference.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string_view>
#include <vector>

namespace {

constexpr std::size_t kMaxLength = 4096;
constexpr std::size_t kAlignments = 64;

std::vector<std::uint8_t> RandomBytes(std::mt19937& rng, std::size_t size) {
    std::vector<std::uint8_t> data(size);
    for (auto& b : data)
        b = static_cast<std::uint8_t>(rng());
    return data;
}

CrcParams Params(int width, int flags, std::uint32_t poly, std::uint32_t init) {
    return {width, poly, init, (flags & 4) != 0, (flags & 1) != 0, (flags & 2) != 0, {}};
}

ReferenceCrc ReferenceOf(const CrcParams& p) {
    return {p.width, static_cast<std::uint32_t>(p.poly), p.reflectedTable, p.reflectedUpdate,
            p.reversePoly};
}

// What a forced path must run: itself, except Pclmul, which folds only matched flags.
CrcPath ExpectedPath(CrcPath limit, const CrcParams& p) {
    if (limit == CrcPath::Pclmul && p.reflectedTable != p.reflectedUpdate)
        return CrcPath::Slicing16;
    return limit;
}

// Lengths 0 to 300 one by one, then random ones up to kMaxLength and the
// largest; the start cycles through every alignment of a 64-byte line.
std::vector<std::size_t> Lengths(std::mt19937& rng) {
    std::vector<std::size_t> lengths;
    for (std::size_t n = 0; n <= 300; ++n)
        lengths.push_back(n);
    std::uniform_int_distribution<std::size_t> any(301, kMaxLength);
    for (int i = 0; i < 60; ++i)
        lengths.push_back(any(rng));
    lengths.push_back(kMaxLength);
    return lengths;
}

// Special polynomials first (no feedback, all feedback, one end bit only), then random ones.
std::uint32_t PolyFor(std::mt19937& rng, std::size_t i) {
    const std::uint32_t special[] = {0, 0xFFFFFFFF, 1, 0x80000000};
    return i < std::size(special) ? special[i] : static_cast<std::uint32_t>(rng());
}

class EveryPath : public testing::TestWithParam<CrcPath> {};

// The fast paths against the bit-at-a-time model: both widths, all eight flag
// combinations, polynomials and inits at random, every length up to 300 and
// many beyond, every alignment.
TEST_P(EveryPath, MatchesTheReference) {
    const CrcPath limit = GetParam();
    std::mt19937 rng(static_cast<unsigned>(limit) + 1000);
    const std::vector<std::uint8_t> buffer = RandomBytes(rng, kMaxLength + kAlignments);
    const std::vector<std::size_t> lengths = Lengths(rng);
    for (int width : {16, 32})
        for (int flags = 0; flags < 8; ++flags)
            for (std::size_t i = 0; i < lengths.size(); i += 16) {
                const CrcParams params = Params(width, flags, PolyFor(rng, i / 16), rng());
                const CrcEngine engine(params, limit);
                ASSERT_EQ(engine.Path(), ExpectedPath(limit, params));
                const ReferenceCrc reference = ReferenceOf(params);
                for (std::size_t j = i; j < std::min(i + 16, lengths.size()); ++j) {
                    const std::span<const std::uint8_t> data(buffer.data() + j % kAlignments,
                                                             lengths[j]);
                    ASSERT_EQ(engine.Update(params.init, data), reference.Run(params.init, data))
                        << "width " << width << " flags " << flags << " poly " << std::hex
                        << static_cast<std::uint32_t>(params.poly) << " init "
                        << static_cast<std::uint32_t>(params.init) << std::dec << " length "
                        << lengths[j] << " offset " << j % kAlignments;
                }
            }
}

// A register carried from call to call: the way a stream is read in blocks.
TEST_P(EveryPath, SplittingTheDataChangesNothing) {
    const CrcPath limit = GetParam();
    std::mt19937 rng(static_cast<unsigned>(limit) + 2000);
    const std::vector<std::uint8_t> data = RandomBytes(rng, 3 * kMaxLength);
    std::uniform_int_distribution<std::size_t> cut(0, data.size());
    for (int width : {16, 32})
        for (int flags = 0; flags < 8; ++flags) {
            const CrcEngine engine(Params(width, flags, rng(), rng()), limit);
            const CrcWord whole = engine.Update(engine.Start(), data);
            for (int round = 0; round < 8; ++round) {
                std::size_t cuts[2] = {cut(rng), cut(rng)};
                std::sort(std::begin(cuts), std::end(cuts));
                const std::span<const std::uint8_t> all(data);
                CrcWord crc = engine.Update(engine.Start(), all.first(cuts[0]));
                crc = engine.Update(crc, all.subspan(cuts[0], cuts[1] - cuts[0]));
                crc = engine.Update(crc, all.subspan(cuts[1]));
                ASSERT_EQ(crc, whole)
                    << "flags " << flags << " cuts " << cuts[0] << ", " << cuts[1];
            }
        }
}

INSTANTIATE_TEST_SUITE_P(Available, EveryPath, testing::ValuesIn(AvailableCrcPaths()),
                         [](const auto& info) { return std::string(CrcPathName(info.param)); });

TEST(CrcEngine, FinishAppliesTheWholeXorValue) {
    const std::string_view digits = "123456789";
    const std::span<const std::uint8_t> data(reinterpret_cast<const std::uint8_t*>(digits.data()),
                                             digits.size());
    struct Case {
        CrcParams params;
        std::uint32_t expected;
    };
    const Case cases[] = {
        {{32, 0x04C11DB7, 0xFFFFFFFF, true, true, true, 0xFFFFFFFF}, 0xCBF43926},
        {{16, 0x8005, 0xFFFF, true, true, true, 0x10000}, 0x14B37},
        {{16, 0x18005, 0x1FFFF, true, true, true, {}}, 0x4B37},
    };
    for (const Case& c : cases)
        for (CrcPath path : AvailableCrcPaths())
            EXPECT_EQ(CrcEngine(c.params, path).Checksum(data), c.expected)
                << std::hex << c.expected << " on " << CrcPathName(path);
}

TEST(CrcEngine, TableIsTheLiteralBuild) {
    std::mt19937 rng(5);
    for (int width : {16, 32})
        for (int flags = 0; flags < 8; ++flags) {
            const CrcParams params = Params(width, flags, rng(), 0);
            EXPECT_EQ(CrcEngine(params, CrcPath::ByteWise).Table(), ReferenceOf(params).Table());
        }
}

TEST(CrcEngine, RefusesOtherWidths) {
    for (int width : {-1, 0, 129})
        EXPECT_THROW(CrcEngine({width, 0x1021, 0, false, false, false, {}}), std::invalid_argument);
}

} // namespace
