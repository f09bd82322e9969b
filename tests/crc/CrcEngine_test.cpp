#include "CrcEngine.h"
#include "CrcModel.h"
#include "crcfold.h"
#include "reference.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr std::size_t kMaxLength = 4096;
constexpr std::size_t kAlignments = 64;

std::vector<std::uint8_t> RandomBytes(std::mt19937_64& rng, std::size_t size) {
    std::vector<std::uint8_t> data(size);
    for (auto& b : data)
        b = static_cast<std::uint8_t>(rng());
    return data;
}

CrcWord RandomWord(std::mt19937_64& rng, int width) {
    return (CrcWord{rng()} << 64 | rng()) & WidthMask(width);
}

// Every width with a lane of its own and the fast paths, 82 (the one catalogue
// width beyond) and 128, the widest.
std::vector<int> Widths() {
    std::vector<int> widths;
    for (int width = 1; width <= 64; ++width)
        widths.push_back(width);
    widths.push_back(82);
    widths.push_back(128);
    return widths;
}

CrcParams Params(int width, int flags, CrcWord poly, CrcWord init) {
    return {width, poly, init, (flags & 4) != 0, (flags & 1) != 0, (flags & 2) != 0, {}};
}

LiteralCrc ReferenceOf(const CrcParams& p) {
    return {p.width, p.poly, p.reflectedTable, p.reflectedUpdate, p.reversePoly};
}

// What a forced path must run: itself, except where it does not serve the
// width and the flags.
CrcPath ExpectedPath(CrcPath limit, const CrcParams& p) {
    if (p.width > 64)
        return CrcPath::ByteWise;
    const bool mixed = p.reflectedTable != p.reflectedUpdate;
    const bool planes = limit == CrcPath::Avx2Vpclmul || limit == CrcPath::Avx512;
    if (mixed && limit > CrcPath::Slicing16 && (!planes || p.width > 32))
        return CrcPath::Slicing16;
    return limit;
}

// Lengths 0 to 300 one by one, then random ones up to kMaxLength and the largest.
std::vector<std::size_t> Lengths(std::mt19937_64& rng) {
    std::vector<std::size_t> lengths;
    for (std::size_t n = 0; n <= 300; ++n)
        lengths.push_back(n);
    std::uniform_int_distribution<std::size_t> any(301, kMaxLength);
    for (int i = 0; i < 60; ++i)
        lengths.push_back(any(rng));
    lengths.push_back(kMaxLength);
    return lengths;
}

// Now and then a special polynomial (no feedback, all feedback, one end bit
// only), else a random one.
CrcWord PolyFor(std::mt19937_64& rng, int width, int round) {
    const CrcWord special[] = {0, WidthMask(width), 1, CrcWord{1} << (width - 1)};
    return round % 5 == 0 ? special[round / 5 % 4] : RandomWord(rng, width);
}

std::string Describe(const CrcParams& p) {
    return "width " + std::to_string(p.width) + " table " + (p.reflectedTable ? "lsb" : "msb") +
           " update " + (p.reflectedUpdate ? "lsb" : "msb") + (p.reversePoly ? " reversed" : "") +
           " poly " + ModelHex(p.poly, p.width) + " init " + ModelHex(p.init, p.width);
}

class EveryPath : public testing::TestWithParam<CrcPath> {};

// The forced path against the literal update: every width, all eight flag
// combinations, polynomials and inits at random, lengths 0 to 300 and many
// beyond at every alignment of a 64-byte line, and a stream read in three
// blocks cut at random.
TEST_P(EveryPath, MatchesTheLiteralUpdateInAnySplit) {
    const CrcPath limit = GetParam();
    std::mt19937_64 rng(static_cast<unsigned>(limit) + 1000);
    const std::vector<std::uint8_t> buffer = RandomBytes(rng, 3 * kMaxLength);
    const std::vector<std::size_t> lengths = Lengths(rng);
    std::uniform_int_distribution<std::size_t> cut(0, buffer.size());
    std::size_t next = 0;
    int round = 0;
    for (const int width : Widths())
        for (int flags = 0; flags < 8; ++flags, ++round) {
            const CrcParams params =
                Params(width, flags, PolyFor(rng, width, round), RandomWord(rng, width));
            SCOPED_TRACE(Describe(params));
            const CrcEngine engine(params, limit);
            ASSERT_EQ(engine.Path(), ExpectedPath(limit, params));
            const LiteralCrc reference = ReferenceOf(params);
            for (int k = 0; k < 6; ++k, ++next) {
                const std::span<const std::uint8_t> data(buffer.data() + next % kAlignments,
                                                         lengths[next % lengths.size()]);
                ASSERT_TRUE(engine.Update(params.init, data) == reference.Run(params.init, data))
                    << "length " << data.size() << " offset " << next % kAlignments;
            }
            std::size_t cuts[2] = {cut(rng), cut(rng)};
            std::sort(std::begin(cuts), std::end(cuts));
            const std::span<const std::uint8_t> all(buffer);
            CrcWord crc = engine.Update(engine.Start(), all.first(cuts[0]));
            crc = engine.Update(crc, all.subspan(cuts[0], cuts[1] - cuts[0]));
            crc = engine.Update(crc, all.subspan(cuts[1]));
            ASSERT_TRUE(crc == reference.Run(params.init, all))
                << "cuts " << cuts[0] << ", " << cuts[1];
        }
}

// Random catalogue models of every width up to 64 and 82, all four pairs of
// input and output reflection, against the bit-serial model: the register,
// its reflection on output and the XOR-out.
TEST_P(EveryPath, RandomModelsMatchTheBitModel) {
    const CrcPath limit = GetParam();
    std::mt19937_64 rng(static_cast<unsigned>(limit) + 2000);
    const std::vector<std::uint8_t> buffer = RandomBytes(rng, kMaxLength + kAlignments);
    std::uniform_int_distribution<std::size_t> length(0, kMaxLength);
    for (const int width : Widths()) {
        if (width == 128)
            continue;
        for (int reflections = 0; reflections < 4; ++reflections) {
            const CrcModel model{width,
                                 RandomWord(rng, width),
                                 RandomWord(rng, width),
                                 (reflections & 1) != 0,
                                 (reflections & 2) != 0,
                                 RandomWord(rng, width)};
            const std::span<const std::uint8_t> data(buffer.data() + rng() % kAlignments,
                                                     length(rng));
            BitModel bits(model);
            bits.Bytes(data);
            EXPECT_TRUE(CrcEngine(ToCrcParams(model), limit).Checksum(data) == bits.Crc())
                << FormatModelLine(model) << " length " << data.size();
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
    std::mt19937_64 rng(5);
    for (int width = 1; width <= 32; ++width)
        for (int flags = 0; flags < 8; ++flags) {
            const CrcParams params = Params(width, flags, RandomWord(rng, width), 0);
            const CrcEngine engine(params, CrcPath::ByteWise);
            const LiteralCrc reference = ReferenceOf(params);
            const auto& table = engine.Table();
            const auto& literal = reference.Table();
            EXPECT_TRUE(std::equal(table.begin(), table.end(), literal.begin(), literal.end()))
                << Describe(params);
        }
}

// Each folding kernel reads its own fold distances: corrupting one constant
// must fail exactly the paths whose kernels read it, in both bit orders.
TEST(CrcFold, ACorruptedConstantFailsExactlyThePathsThatReadIt) {
    using Pair = std::uint64_t(CrcFoldConstants::*)[2];
    struct Case {
        const char* name;
        Pair constant;
        std::vector<CrcPath> readers;
    };
    const Case cases[] = {
        {"k128",
         &CrcFoldConstants::k128,
         {CrcPath::Pmull, CrcPath::Pclmul, CrcPath::Avx2Vpclmul, CrcPath::Avx512}},
        {"k256", &CrcFoldConstants::k256, {CrcPath::Avx2Vpclmul}},
        {"k512", &CrcFoldConstants::k512, {CrcPath::Pmull, CrcPath::Pclmul, CrcPath::Avx512}},
        {"k1024", &CrcFoldConstants::k1024, {CrcPath::Avx2Vpclmul}},
        {"k2048", &CrcFoldConstants::k2048, {CrcPath::Avx512}},
    };
    std::mt19937_64 rng(7);
    const std::vector<std::uint8_t> data = RandomBytes(rng, kMaxLength);
    for (const bool normal : {false, true}) {
        // CRC-32 from a zero register, whose lane form is zero too.
        const CrcEngine engine({32, 0x04C11DB7, 0, !normal, !normal, !normal, {}},
                               CrcPath::ByteWise);
        const CrcWord expected = engine.Update(0, data);
        for (const Case& c : cases)
            for (const CrcPath path : AvailableCrcPaths()) {
                if (path <= CrcPath::Slicing16)
                    continue;
                auto k = MakeFoldConstants(0x104C11DB7, normal);
                ((*k).*c.constant)[0] ^= 1;
                std::uint8_t remainder[16];
                const std::size_t taken = FoldOn(path, *k, 0, data.data(), data.size(), remainder);
                const CrcWord crc =
                    engine.Update(engine.Update(0, remainder), std::span(data).subspan(taken));
                const bool reads =
                    std::find(c.readers.begin(), c.readers.end(), path) != c.readers.end();
                EXPECT_EQ(crc != expected, reads)
                    << c.name << " on " << CrcPathName(path) << (normal ? " msb" : " lsb");
            }
    }
}

// The AVX2 bit-plane kernel transposes with shifts where GFNI is missing;
// the engine runs only one of the two on a CPU, so they are held to each
// other here, and to the AVX-512 kernel, on the same blocks and constants.
TEST(CrcFold, BitPlaneKernelsAgree) {
    if (!CpuRunsAvx2Vpclmul() || !CpuRunsGfni())
        GTEST_SKIP() << "needs AVX2, VPCLMULQDQ and GFNI";
    std::mt19937_64 rng(11);
    const std::vector<std::uint8_t> data = RandomBytes(rng, kMaxLength);
    CrcPlaneBasis basis{};
    basis.k128[0] = rng();
    basis.k128[1] = rng();
    const std::uint64_t lane = rng();
    std::uint64_t shifts[8][2];
    std::uint64_t affine[8][2];
    const std::size_t taken = FoldPlanesAvx2(basis, lane, data.data(), data.size(), shifts, false);
    EXPECT_EQ(FoldPlanesAvx2(basis, lane, data.data(), data.size(), affine, true), taken);
    EXPECT_TRUE(std::equal(&shifts[0][0], &shifts[0][0] + 16, &affine[0][0]));
    if (CpuRunsAvx512()) {
        std::uint64_t wide[8][2];
        EXPECT_EQ(FoldPlanesAvx512(basis, lane, data.data(), data.size(), wide), taken);
        EXPECT_TRUE(std::equal(&shifts[0][0], &shifts[0][0] + 16, &wide[0][0]));
    }
}

TEST(CrcEngine, RefusesOtherWidths) {
    for (int width : {-1, 0, 129})
        EXPECT_THROW(CrcEngine({width, 0x1021, 0, false, false, false, {}}), std::invalid_argument);
}

} // namespace
