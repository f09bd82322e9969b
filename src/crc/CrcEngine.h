// A reentrant CRC engine of any width from 1 to 128, over all eight
// combinations of the three bit-order options and any polynomial.
//
// The engine owns its tables and constants; building one costs about a
// microsecond for CrcPath::ByteWise and some microseconds for the faster
// paths, so short inputs (a parameter search, say) should ask for ByteWise.
// Every path gives the same register as the literal byte-at-a-time update.
#pragma once

#include "CrcParams.h"

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

// The ways the engine can run, slowest first. Each holds for every flag
// combination; a path that does not serve a combination falls back to the
// next slower one (Pclmul folds only the matched combinations, where the
// table and the update take the same bit order).
enum class CrcPath : std::uint8_t {
    ByteWise,  // one table lookup per byte
    Slicing16, // sixteen tables, sixteen bytes per step
    Pclmul,    // carry-less multiplication folding 64 bytes per step
    Avx512,    // folding 256 bytes per step; bit-plane folding for mixed flags
};

// The paths this CPU can run, slowest first; ByteWise and Slicing16 always.
std::span<const CrcPath> AvailableCrcPaths();
CrcPath FastestCrcPath();
std::string_view CrcPathName(CrcPath path);

// The polynomial the table is built from: poly cut to the width, reversed if asked.
CrcWord EffectivePoly(const CrcParams& params);

// The lookup table of poly (already effective) in the given bit order, for a
// width of 8 to 32.
std::array<std::uint32_t, 256> MakeCrcTable(int width, std::uint32_t poly, bool reflected);

struct CrcFoldConstants;
struct CrcPlaneBasis;

class CrcEngine {
public:
    // Uses the fastest path the CPU runs, up to limit, that serves the flags
    // and the width. Throws std::invalid_argument for a width outside 1 to 128.
    explicit CrcEngine(const CrcParams& params, CrcPath limit = FastestCrcPath());
    ~CrcEngine();
    CrcEngine(CrcEngine&&) noexcept;
    CrcEngine& operator=(CrcEngine&&) noexcept;

    const CrcParams& Params() const { return params_; }
    CrcPath Path() const { return path_; }
    // The lookup table of the effective polynomial, built in the table's bit
    // order; for widths 16 and 32 only (empty otherwise).
    const std::array<std::uint32_t, 256>& Table() const { return table_; }

    // The register before any data: init cut to the width.
    CrcWord Start() const { return params_.init & mask_; }
    // The register after data. Splitting data among calls changes nothing.
    CrcWord Update(CrcWord crc, std::span<const std::uint8_t> data) const;
    // The result: crc reflected if asked, then with the XOR-out applied, if any.
    CrcWord Finish(CrcWord crc) const;
    CrcWord Checksum(std::span<const std::uint8_t> data) const {
        return Finish(Update(Start(), data));
    }

private:
    CrcWord WideUpdate(CrcWord crc, const std::uint8_t* p, std::size_t n) const;
    std::uint32_t ToLane(std::uint32_t crc) const;
    std::uint32_t FromLane(std::uint32_t lane) const;
    std::uint32_t UpdateLane(std::uint32_t lane, const std::uint8_t* p, std::size_t n) const;
    std::uint32_t Sliced(std::uint32_t lane, const std::uint8_t* p, std::size_t n) const;
    std::uint32_t Folded(std::uint32_t lane, const std::uint8_t* p, std::size_t n) const;
    std::uint32_t PlaneFolded(std::uint32_t lane, const std::uint8_t* p, std::size_t n) const;

    CrcParams params_;
    CrcPath path_ = CrcPath::ByteWise;
    CrcWord mask_ = 0;
    bool normal_ = false; // a most-significant-bit-first update
    std::array<std::uint32_t, 256> table_{};
    // The update in lane form (crclanes.h): 16 tables of 256 entries for
    // slicing, or just the first for ByteWise.
    std::vector<std::uint32_t> lanes_;
    std::unique_ptr<CrcFoldConstants> fold_;
    std::unique_ptr<CrcPlaneBasis> planes_;
    // Widths other than 16 and 32: one table in the update's lane form, the
    // register at the top of the word for a most-significant-bit-first update.
    std::vector<CrcWord> wide_;
};
