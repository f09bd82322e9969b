#include "CrcEngine.h"

#include "crcfold.h"
#include "crclanes.h"
#include "gf2poly.h"

#include <stdexcept>

namespace {

// Below these lengths the next slower path is as fast: a fold's set-up and
// its remainder cost about as much as slicing that many bytes.
constexpr std::size_t kFoldMin = 128;
constexpr std::size_t kWideFoldMin = 512;
constexpr std::size_t kPlaneMin = 1024;

std::vector<CrcPath> DetectPaths() {
    std::vector<CrcPath> paths = {CrcPath::ByteWise, CrcPath::Slicing16};
    if (CpuRunsPclmul())
        paths.push_back(CrcPath::Pclmul);
    if (CpuRunsAvx512())
        paths.push_back(CrcPath::Avx512);
    return paths;
}

std::uint32_t Bswap(std::uint32_t v) {
    return __builtin_bswap32(v);
}

// One entry of the table, by the literal eight shift steps.
std::uint32_t TableEntry(int width, std::uint32_t poly, bool reflected, std::uint32_t index) {
    const std::uint32_t top = std::uint32_t{1} << (width - 1);
    const std::uint32_t mask = top | (top - 1);
    std::uint32_t c = reflected ? index : index << (width - 8);
    for (int bit = 0; bit < 8; ++bit) {
        if (reflected)
            c = (c & 1) ? (c >> 1) ^ poly : c >> 1;
        else
            c = ((c & top) ? (c << 1) ^ poly : c << 1) & mask;
    }
    return c;
}

// The CRC's modulus, bit i the coefficient of x^i, for a matched combination.
std::uint64_t Modulus(int width, std::uint32_t poly, bool reflected) {
    const std::uint64_t low =
        reflected ? static_cast<std::uint64_t>(ReflectBits(poly, width)) : poly;
    return (std::uint64_t{1} << width) | low;
}

// Folding a 128-bit chunk over `distance` bits. Least-significant-bit first,
// a carry-less product of two bit-reversed factors comes out shifted by one
// place, which constants of one degree less make up for.
void SetPair(std::uint64_t (&pair)[2], std::uint64_t modulus, bool normal, std::uint64_t distance) {
    if (normal) {
        pair[0] = gf2::XPowMod(distance, modulus);
        pair[1] = gf2::XPowMod(distance + 64, modulus);
    } else {
        pair[0] = Reverse64(gf2::XPowMod(distance + 63, modulus));
        pair[1] = Reverse64(gf2::XPowMod(distance - 1, modulus));
    }
}

std::unique_ptr<CrcFoldConstants> MakeFoldConstants(std::uint64_t modulus, bool normal) {
    auto k = std::make_unique<CrcFoldConstants>();
    k->normal = normal;
    SetPair(k->k128, modulus, normal, 128);
    SetPair(k->k512, modulus, normal, 512);
    SetPair(k->k2048, modulus, normal, 2048);
    return k;
}

std::unique_ptr<CrcPlaneBasis> MakePlaneBasis(const std::uint32_t* lane) {
    auto basis = std::make_unique<CrcPlaneBasis>();
    basis->modulus = 1;
    for (int j = 0; j < 8; ++j) {
        basis->vectors[j] = lane[1u << j];
        basis->modulus = gf2::Lcm(basis->modulus, crclanes::AnnihilatorOf(lane, lane[1u << j]));
    }
    basis->k128[0] = gf2::XPowMod(128, basis->modulus);
    basis->k128[1] = gf2::XPowMod(192, basis->modulus);
    return basis;
}

// The table of the effective polynomial in the table's bit order, moved to
// the top of the word for a most-significant-bit-first update. A
// most-significant-bit-first table is built at the top of the word, which
// serves widths below 8 too.
std::vector<CrcWord> WideTable(const CrcParams& params) {
    const int shift = kMaxCrcWidth - params.width;
    const CrcWord poly = EffectivePoly(params);
    const CrcWord top = CrcWord{1} << (kMaxCrcWidth - 1);
    std::vector<CrcWord> table(256);
    for (unsigned i = 0; i < 256; ++i) {
        CrcWord c;
        if (params.reflectedTable) {
            c = i;
            for (int bit = 0; bit < 8; ++bit)
                c = (c & 1) ? (c >> 1) ^ poly : c >> 1;
        } else {
            c = CrcWord{i} << (kMaxCrcWidth - 8);
            for (int bit = 0; bit < 8; ++bit)
                c = (c & top) ? (c << 1) ^ (poly << shift) : c << 1;
            c >>= shift;
        }
        table[i] = params.reflectedUpdate ? c : c << shift;
    }
    return table;
}

} // namespace

std::span<const CrcPath> AvailableCrcPaths() {
    static const std::vector<CrcPath> paths = DetectPaths();
    return paths;
}

CrcPath FastestCrcPath() {
    return AvailableCrcPaths().back();
}

std::string_view CrcPathName(CrcPath path) {
    switch (path) {
    case CrcPath::ByteWise:
        return "ByteWise";
    case CrcPath::Slicing16:
        return "Slicing16";
    case CrcPath::Pclmul:
        return "Pclmul";
    case CrcPath::Avx512:
        return "Avx512";
    }
    return "?";
}

CrcWord EffectivePoly(const CrcParams& params) {
    const CrcWord poly = params.poly & WidthMask(params.width);
    return params.reversePoly ? ReflectBits(poly, params.width) : poly;
}

// The table is linear in its index, so the eight single-bit entries give the rest.
std::array<std::uint32_t, 256> MakeCrcTable(int width, std::uint32_t poly, bool reflected) {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t bit = 1; bit < 256; bit <<= 1)
        table[bit] = TableEntry(width, poly, reflected, bit);
    for (std::uint32_t i = 3; i < 256; ++i)
        if (i & (i - 1))
            table[i] = table[i & (i - 1)] ^ table[i & (~i + 1)];
    return table;
}

CrcEngine::CrcEngine(const CrcParams& params, CrcPath limit) : params_(params) {
    if (params.width < 1 || params.width > kMaxCrcWidth)
        throw std::invalid_argument("CRC width must be 1 to 128");
    mask_ = WidthMask(params.width);
    normal_ = !params.reflectedUpdate;
    if (params.width != 16 && params.width != 32) {
        wide_ = WideTable(params);
        return;
    }
    const auto poly = static_cast<std::uint32_t>(EffectivePoly(params));
    table_ = MakeCrcTable(params.width, poly, params.reflectedTable);

    const bool matched = params.reflectedTable == params.reflectedUpdate;
    path_ = std::min(limit, FastestCrcPath());
    if (path_ == CrcPath::Pclmul && !matched)
        path_ = CrcPath::Slicing16;

    std::array<std::uint32_t, 256> lane = table_;
    if (normal_)
        for (std::uint32_t& entry : lane)
            entry = Bswap(entry << (32 - params.width));
    if (path_ == CrcPath::ByteWise)
        lanes_.assign(lane.begin(), lane.end());
    else
        lanes_ = crclanes::SlicingTables(lane.data());
    if (path_ >= CrcPath::Pclmul && matched)
        fold_ = MakeFoldConstants(Modulus(params.width, poly, params.reflectedTable), normal_);
    else if (path_ == CrcPath::Avx512)
        planes_ = MakePlaneBasis(lanes_.data());
}

CrcEngine::~CrcEngine() = default;
CrcEngine::CrcEngine(CrcEngine&&) noexcept = default;
CrcEngine& CrcEngine::operator=(CrcEngine&&) noexcept = default;

CrcWord CrcEngine::Update(CrcWord crc, std::span<const std::uint8_t> data) const {
    if (!wide_.empty())
        return WideUpdate(crc & mask_, data.data(), data.size());
    const auto lane = ToLane(static_cast<std::uint32_t>(crc & mask_));
    return FromLane(UpdateLane(lane, data.data(), data.size()));
}

CrcWord CrcEngine::Finish(CrcWord crc) const {
    if (params_.reflectOut)
        crc = ReflectBits(crc & mask_, params_.width);
    return params_.xorOut ? crc ^ *params_.xorOut : crc;
}

CrcWord CrcEngine::WideUpdate(CrcWord crc, const std::uint8_t* p, std::size_t n) const {
    const int shift = kMaxCrcWidth - params_.width;
    if (!normal_) {
        for (const std::uint8_t* end = p + n; p != end; ++p)
            crc = wide_[static_cast<std::uint8_t>(crc ^ *p)] ^ (crc >> 8);
        return crc;
    }
    CrcWord lane = crc << shift;
    for (const std::uint8_t* end = p + n; p != end; ++p)
        lane = wide_[static_cast<std::uint8_t>(lane >> (kMaxCrcWidth - 8)) ^ *p] ^ (lane << 8);
    return lane >> shift;
}

std::uint32_t CrcEngine::ToLane(std::uint32_t crc) const {
    return normal_ ? Bswap(crc << (32 - params_.width)) : crc;
}

std::uint32_t CrcEngine::FromLane(std::uint32_t lane) const {
    return normal_ ? Bswap(lane) >> (32 - params_.width) : lane;
}

std::uint32_t CrcEngine::UpdateLane(std::uint32_t lane, const std::uint8_t* p,
                                    std::size_t n) const {
    if (planes_ && n >= kPlaneMin)
        return PlaneFolded(lane, p, n);
    if (fold_ && n >= kFoldMin)
        return Folded(lane, p, n);
    if (path_ == CrcPath::ByteWise)
        return crclanes::ByteWise(lanes_.data(), lane, p, n);
    return Sliced(lane, p, n);
}

std::uint32_t CrcEngine::Sliced(std::uint32_t lane, const std::uint8_t* p, std::size_t n) const {
    return crclanes::Slicing16(lanes_.data(), lane, p, n);
}

std::uint32_t CrcEngine::Folded(std::uint32_t lane, const std::uint8_t* p, std::size_t n) const {
    std::uint8_t remainder[16];
    const std::size_t taken = path_ == CrcPath::Avx512 && n >= kWideFoldMin
                                  ? FoldAvx512(*fold_, lane, p, n, remainder)
                                  : FoldPclmul(*fold_, lane, p, n, remainder);
    return Sliced(Sliced(0, remainder, sizeof remainder), p + taken, n - taken);
}

std::uint32_t CrcEngine::PlaneFolded(std::uint32_t lane, const std::uint8_t* p,
                                     std::size_t n) const {
    std::uint64_t residues[8][2];
    const std::size_t taken = FoldPlanesAvx512(*planes_, lane, p, n, residues);
    std::uint32_t folded = 0;
    for (int j = 0; j < 8; ++j) {
        const std::uint64_t r = gf2::Mod128(residues[j][1], residues[j][0], planes_->modulus);
        folded ^= crclanes::ApplyPoly(lanes_.data(), r, planes_->vectors[j]);
    }
    return Sliced(folded, p + taken, n - taken);
}
