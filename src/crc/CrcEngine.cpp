#include "CrcEngine.h"

#include "crcfold.h"
#include "crclanes.h"
#include "gf2poly.h"

#include <stdexcept>
#include <type_traits>

namespace {

// Below these lengths the next slower path or kernel is as fast: a fold's
// set-up and its remainder cost about as much as slicing that many bytes.
constexpr std::size_t kFoldMin = 128;
constexpr std::size_t kAvx2FoldMin = 256;
constexpr std::size_t kWideFoldMin = 512;
constexpr std::size_t kPlaneMin = 1024;

std::vector<CrcPath> DetectPaths() {
    std::vector<CrcPath> paths = {CrcPath::ByteWise, CrcPath::Slicing16};
    if (CpuRunsPmull())
        paths.push_back(CrcPath::Pmull);
    if (CpuRunsPclmul())
        paths.push_back(CrcPath::Pclmul);
    if (CpuRunsAvx2Vpclmul())
        paths.push_back(CrcPath::Avx2Vpclmul);
    if (CpuRunsAvx512())
        paths.push_back(CrcPath::Avx512);
    return paths;
}

template <class Word> constexpr int kBits = 8 * sizeof(Word);

std::uint32_t Bswap(std::uint32_t v) {
    return __builtin_bswap32(v);
}

std::uint64_t Bswap(std::uint64_t v) {
    return __builtin_bswap64(v);
}

CrcWord Bswap(CrcWord v) {
    return CrcWord{Bswap(static_cast<std::uint64_t>(v))} << 64 |
           Bswap(static_cast<std::uint64_t>(v >> 64));
}

// The table of poly (effective) in words of Word's bits. Most significant bit
// first it is built at the top of the word, which serves widths below 8 too.
// The table is linear in its index, so the eight single-bit entries, by the
// literal eight shift steps, give the rest.
template <class Word> std::array<Word, 256> TableOf(int width, Word poly, bool reflected) {
    const int shift = kBits<Word> - width;
    const Word top = Word{1} << (kBits<Word> - 1);
    std::array<Word, 256> table{};
    for (unsigned index = 1; index < 256; index <<= 1) {
        Word c;
        if (reflected) {
            c = index;
            for (int bit = 0; bit < 8; ++bit)
                c = (c & 1) ? (c >> 1) ^ poly : c >> 1;
        } else {
            c = Word{index} << (kBits<Word> - 8);
            for (int bit = 0; bit < 8; ++bit)
                c = (c & top) ? (c << 1) ^ (poly << shift) : c << 1;
            c >>= shift;
        }
        table[index] = c;
    }
    for (unsigned i = 3; i < 256; ++i)
        if (i & (i - 1))
            table[i] = table[i & (i - 1)] ^ table[i & (~i + 1)];
    return table;
}

// The table in the update's lane form (crclanes.h), with the slicing tables
// after it when asked.
template <class Lane>
std::vector<Lane> LanesOf(std::array<Lane, 256> table, int width, bool normal, bool slicing) {
    if (normal)
        for (Lane& entry : table)
            entry = Bswap(static_cast<Lane>(entry << (kBits<Lane> - width)));
    if constexpr (!std::is_same_v<Lane, CrcWord>)
        if (slicing)
            return crclanes::SlicingTables(table.data());
    return {table.begin(), table.end()};
}

// The CRC's modulus, bit i the coefficient of x^i, for a matched combination;
// x^64 needs the 65th bit.
CrcWord Modulus(int width, CrcWord poly, bool reflected) {
    return (CrcWord{1} << width) | (reflected ? ReflectBits(poly, width) : poly);
}

// Folding a 128-bit chunk over `distance` bits. Least-significant-bit first,
// a carry-less product of two bit-reversed factors comes out shifted by one
// place, which constants of one degree less make up for.
void SetPair(std::uint64_t (&pair)[2], CrcWord modulus, bool normal, std::uint64_t distance) {
    if (normal) {
        pair[0] = gf2::XPowModWide(distance, modulus);
        pair[1] = gf2::XPowModWide(distance + 64, modulus);
    } else {
        pair[0] = Reverse64(gf2::XPowModWide(distance + 63, modulus));
        pair[1] = Reverse64(gf2::XPowModWide(distance - 1, modulus));
    }
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

} // namespace

std::unique_ptr<CrcFoldConstants> MakeFoldConstants(CrcWord modulus, bool normal) {
    auto k = std::make_unique<CrcFoldConstants>();
    k->normal = normal;
    SetPair(k->k128, modulus, normal, 128);
    SetPair(k->k256, modulus, normal, 256);
    SetPair(k->k512, modulus, normal, 512);
    SetPair(k->k1024, modulus, normal, 1024);
    SetPair(k->k2048, modulus, normal, 2048);
    return k;
}

std::size_t FoldOn(CrcPath path, const CrcFoldConstants& k, std::uint64_t lane,
                   const std::uint8_t* p, std::size_t n, std::uint8_t out[16]) {
    switch (path) {
    case CrcPath::Pmull:
        return FoldPmull(k, lane, p, n, out);
    case CrcPath::Avx512:
        if (n >= kWideFoldMin)
            return FoldAvx512(k, lane, p, n, out);
        break;
    case CrcPath::Avx2Vpclmul:
        if (n >= kAvx2FoldMin)
            return FoldAvx2(k, lane, p, n, out);
        break;
    default:
        break;
    }
    return FoldPclmul(k, lane, p, n, out);
}

std::span<const CrcPath> AvailableCrcPaths() {
    static const std::vector<CrcPath> paths = DetectPaths();
    return paths;
}

CrcPath FastestCrcPath() {
    return AvailableCrcPaths().back();
}

CrcPath FastestCrcPath(CrcPath limit) {
    CrcPath fastest = CrcPath::ByteWise;
    for (const CrcPath path : AvailableCrcPaths())
        if (path <= limit)
            fastest = path;
    return fastest;
}

std::string_view CrcPathName(CrcPath path) {
    switch (path) {
    case CrcPath::ByteWise:
        return "ByteWise";
    case CrcPath::Slicing16:
        return "Slicing16";
    case CrcPath::Pmull:
        return "Pmull";
    case CrcPath::Pclmul:
        return "Pclmul";
    case CrcPath::Avx2Vpclmul:
        return "Avx2Vpclmul";
    case CrcPath::Avx512:
        return "Avx512";
    }
    return "?";
}

CrcWord EffectivePoly(const CrcParams& params) {
    const CrcWord poly = params.poly & WidthMask(params.width);
    return params.reversePoly ? ReflectBits(poly, params.width) : poly;
}

std::array<std::uint32_t, 256> MakeCrcTable(int width, std::uint32_t poly, bool reflected) {
    return TableOf(width, poly, reflected);
}

CrcEngine::CrcEngine(const CrcParams& params, CrcPath limit) : params_(params) {
    const int width = params.width;
    if (width < 1 || width > kMaxCrcWidth)
        throw std::invalid_argument("CRC width must be 1 to 128");
    mask_ = WidthMask(width);
    normal_ = !params.reflectedUpdate;
    const bool matched = params.reflectedTable == params.reflectedUpdate;
    path_ = FastestCrcPath(limit);
    const bool planes = path_ >= CrcPath::Avx2Vpclmul;
    if (width > 64)
        path_ = CrcPath::ByteWise;
    else if (!matched && path_ > CrcPath::Slicing16 && (!planes || width > 32))
        path_ = CrcPath::Slicing16;

    const CrcWord poly = EffectivePoly(params);
    const bool slicing = path_ != CrcPath::ByteWise;
    if (width <= 32) {
        table_ = TableOf(width, static_cast<std::uint32_t>(poly), params.reflectedTable);
        lanes32_ = LanesOf(table_, width, normal_, slicing);
    } else if (width <= 64) {
        lanes64_ = LanesOf(TableOf(width, static_cast<std::uint64_t>(poly), params.reflectedTable),
                           width, normal_, slicing);
    } else {
        lanes128_ = LanesOf(TableOf(width, poly, params.reflectedTable), width, normal_, false);
    }
    if (path_ > CrcPath::Slicing16 && matched)
        fold_ = MakeFoldConstants(Modulus(width, poly, params.reflectedTable), normal_);
    else if (path_ > CrcPath::Slicing16)
        planes_ = MakePlaneBasis(lanes32_.data());
}

CrcEngine::~CrcEngine() = default;
CrcEngine::CrcEngine(CrcEngine&&) noexcept = default;
CrcEngine& CrcEngine::operator=(CrcEngine&&) noexcept = default;

CrcWord CrcEngine::Update(CrcWord crc, std::span<const std::uint8_t> data) const {
    const std::uint8_t* p = data.data();
    const std::size_t n = data.size();
    if (params_.width <= 32)
        return FromLane(UpdateLane(ToLane<std::uint32_t>(crc), p, n));
    if (params_.width <= 64)
        return FromLane(UpdateLane(ToLane<std::uint64_t>(crc), p, n));
    return FromLane(crclanes::ByteWise(lanes128_.data(), ToLane<CrcWord>(crc), p, n));
}

CrcWord CrcEngine::Finish(CrcWord crc) const {
    if (params_.reflectOut)
        crc = ReflectBits(crc & mask_, params_.width);
    return params_.xorOut ? crc ^ *params_.xorOut : crc;
}

template <class Lane> Lane CrcEngine::ToLane(CrcWord crc) const {
    const auto reg = static_cast<Lane>(crc & mask_);
    return normal_ ? Bswap(static_cast<Lane>(reg << (kBits<Lane> - params_.width))) : reg;
}

template <class Lane> CrcWord CrcEngine::FromLane(Lane lane) const {
    return normal_ ? Bswap(lane) >> (kBits<Lane> - params_.width) : lane;
}

template <class Lane> const std::vector<Lane>& CrcEngine::Lanes() const {
    if constexpr (std::is_same_v<Lane, std::uint32_t>)
        return lanes32_;
    else
        return lanes64_;
}

template <class Lane>
Lane CrcEngine::UpdateLane(Lane lane, const std::uint8_t* p, std::size_t n) const {
    if constexpr (std::is_same_v<Lane, std::uint32_t>) {
        if (planes_ && n >= kPlaneMin)
            return PlaneFolded(lane, p, n);
    }
    if (fold_ && n >= kFoldMin)
        return Folded(lane, p, n);
    if (path_ == CrcPath::ByteWise)
        return crclanes::ByteWise(Lanes<Lane>().data(), lane, p, n);
    return Sliced(lane, p, n);
}

template <class Lane>
Lane CrcEngine::Sliced(Lane lane, const std::uint8_t* p, std::size_t n) const {
    return crclanes::Slicing16(Lanes<Lane>().data(), lane, p, n);
}

template <class Lane>
Lane CrcEngine::Folded(Lane lane, const std::uint8_t* p, std::size_t n) const {
    std::uint8_t remainder[16];
    const std::size_t taken = FoldOn(path_, *fold_, lane, p, n, remainder);
    return Sliced(Sliced(Lane{0}, remainder, sizeof remainder), p + taken, n - taken);
}

std::uint32_t CrcEngine::PlaneFolded(std::uint32_t lane, const std::uint8_t* p,
                                     std::size_t n) const {
    std::uint64_t residues[8][2];
    const std::size_t taken = path_ == CrcPath::Avx512
                                  ? FoldPlanesAvx512(*planes_, lane, p, n, residues)
                                  : FoldPlanesAvx2(*planes_, lane, p, n, residues, CpuRunsGfni());
    std::uint32_t folded = 0;
    for (int j = 0; j < 8; ++j) {
        const std::uint64_t r = gf2::Mod128(residues[j][1], residues[j][0], planes_->modulus);
        folded ^= crclanes::ApplyPoly(lanes32_.data(), r, planes_->vectors[j]);
    }
    return Sliced(folded, p + taken, n - taken);
}
