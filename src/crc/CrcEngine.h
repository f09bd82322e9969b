// A reentrant CRC engine of any width from 1 to 128, over all eight
// combinations of the three bit-order options and any polynomial.
//
// The engine owns its tables and constants; building one costs about a
// microsecond for CrcPath::ByteWise and some microseconds for the faster
// paths, so short inputs (a parameter search, say) should ask for ByteWise.
// Every path gives the same register as the literal byte-at-a-time update.
//
// Widths up to 64 run every path; wider ones run ByteWise only.
#pragma once

#include "CrcParams.h"

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

// The ways the engine can run, slowest first. Each holds for every flag
// combination; a path that does not serve a combination falls back to
// Slicing16: Pmull and Pclmul fold only the matched combinations, where the
// table and the update take the same bit order, and so do Avx2Vpclmul and
// Avx512 above 32 bits; beyond 64 bits only ByteWise runs.
enum class CrcPath : std::uint8_t {
    ByteWise,    // one table lookup per byte
    Slicing16,   // sixteen tables, sixteen bytes per step
    Pmull,       // aarch64: carry-less multiplication folding 64 bytes per step
    Pclmul,      // x86: carry-less multiplication folding 64 bytes per step
    Avx2Vpclmul, // folding 128 bytes per step in 256-bit registers; bit planes for mixed flags
    Avx512,      // folding 256 bytes per step; bit-plane folding for mixed flags
};

// The paths this CPU can run, slowest first; ByteWise and Slicing16 always.
std::span<const CrcPath> AvailableCrcPaths();
// The fastest of them, and the fastest of them no faster than limit.

CrcPath FastestCrcPath();
CrcPath FastestCrcPath(CrcPath limit);
std::string_view CrcPathName(CrcPath path);

// The polynomial the table is built from: poly cut to the width, reversed if asked.
CrcWord EffectivePoly(const CrcParams& params);

// The lookup table of poly (already effective) in the given bit order, for a
// width of 1 to 32.
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
    // order; for widths up to 32 (zeros otherwise).
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
    // The update in a lane of 32, 64 or 128 bits (crclanes.h).
    template <class Lane> Lane ToLane(CrcWord crc) const;
    template <class Lane> CrcWord FromLane(Lane lane) const;
    template <class Lane> const std::vector<Lane>& Lanes() const;
    template <class Lane> Lane UpdateLane(Lane lane, const std::uint8_t* p, std::size_t n) const;
    template <class Lane> Lane Sliced(Lane lane, const std::uint8_t* p, std::size_t n) const;
    template <class Lane> Lane Folded(Lane lane, const std::uint8_t* p, std::size_t n) const;
    std::uint32_t PlaneFolded(std::uint32_t lane, const std::uint8_t* p, std::size_t n) const;

    CrcParams params_;
    CrcPath path_ = CrcPath::ByteWise;
    CrcWord mask_ = 0;
    bool normal_ = false; // a most-significant-bit-first update
    std::array<std::uint32_t, 256> table_{};
    // The update in lane form, in the one lane the width takes: 16 tables of
    // 256 entries for slicing, or just the first for ByteWise.
    std::vector<std::uint32_t> lanes32_;
    std::vector<std::uint64_t> lanes64_;
    std::vector<CrcWord> lanes128_;
    std::unique_ptr<CrcFoldConstants> fold_;
    std::unique_ptr<CrcPlaneBasis> planes_;
};
