#include "SampleFitter.h"

#include <algorithm>
#include <array>

namespace {

// A^n applied to each single bit, for the sample lengths. A zero byte moves
// all but one byte of the register along unchanged, so a bit q bytes from the
// end that meets the table first reaches that end after q steps: A^n of it is
// A^(n-q) of the bit r in that byte. Only the eight bits of that byte are run,
// through the zero runs between the lengths needed, one after the other.
class ZeroRunColumns {
public:
    ZeroRunColumns(const CrcEngine& engine, std::span<const std::size_t> stops,
                   std::span<const std::uint8_t> zeros)
        : engine_(engine), stops_(stops), zeros_(zeros), width_(engine.Params().width),
          first_(engine.Params().reflectedUpdate ? 0 : width_ - 8), values_(8 * stops.size()) {}

    std::span<const std::uint64_t> At(std::size_t length) {
        const bool reflected = engine_.Params().reflectedUpdate;
        for (int q = 0; q < width_ / 8; ++q) {
            // The lowest bit of the byte q steps from the one that meets the table.
            const int low = reflected ? 8 * q : width_ - 8 - 8 * q;
            const auto steps = static_cast<std::size_t>(q);
            const std::uint64_t* chains = length >= steps ? ChainsAt(length - steps) : nullptr;
            const int moved = static_cast<int>(8 * length) * (reflected ? -1 : 1);
            for (int r = 0; r < 8; ++r)
                columns_[static_cast<std::size_t>(low + r)] =
                    chains ? chains[r] : std::uint64_t{1} << (low + r + moved);
        }
        return std::span(columns_).first(static_cast<std::size_t>(width_));
    }

private:
    const std::uint64_t* ChainsAt(std::size_t stop) {
        const auto index =
            static_cast<std::size_t>(std::ranges::lower_bound(stops_, stop) - stops_.begin());
        for (; done_ <= index; ++done_) {
            const std::size_t from = done_ == 0 ? 0 : stops_[done_ - 1];
            const auto zeros = zeros_.first(stops_[done_] - from);
            for (std::size_t b = 0; b < 8; ++b) {
                const std::uint64_t start = done_ == 0
                                                ? std::uint64_t{1} << (first_ + static_cast<int>(b))
                                                : values_[8 * (done_ - 1) + b];
                values_[8 * done_ + b] = static_cast<std::uint64_t>(engine_.Update(start, zeros));
            }
        }
        return &values_[8 * index];
    }

    const CrcEngine& engine_;
    std::span<const std::size_t> stops_;
    std::span<const std::uint8_t> zeros_;
    int width_;
    int first_; // the lowest bit of the byte that meets the table
    std::vector<std::uint64_t> values_;
    std::array<std::uint64_t, 64> columns_{};
    std::size_t done_ = 0;
};

} // namespace

SampleFitter::SampleFitter(std::span<const CrcSample> samples, int width)
    : samples_(samples), width_(width) {
    for (const CrcSample& s : samples)
        for (std::size_t q = 0; q < static_cast<std::size_t>(width / 8) && q <= s.data.size(); ++q)
            stops_.push_back(s.data.size() - q);
    std::ranges::sort(stops_);
    stops_.erase(std::unique(stops_.begin(), stops_.end()), stops_.end());
    zeros_.assign(stops_.empty() ? 0 : stops_.back(), 0);
}

// Measured on searches over all polynomials: the slicing tables pay for
// themselves from about this length of the longest sample.
CrcPath SampleFitter::Path() const {
    constexpr std::size_t kSlicingFrom = 128;
    return zeros_.size() >= kSlicingFrom ? CrcPath::Slicing16 : CrcPath::ByteWise;
}

FitTrace SampleFitter::Fit(const CrcEngine& engine) const {
    FitTrace trace;
    InitXorSystem system(width_);
    ZeroRunColumns columns(engine, stops_, zeros_);
    for (const CrcSample& s : samples_) {
        const auto residue =
            static_cast<std::uint64_t>((s.crc ^ engine.Update(0, s.data)) & WidthMask(width_));
        if (!system.Add(columns.At(s.data.size()), residue))
            return trace;
        ++trace.fitted;
        trace.ranks.push_back(system.Rank());
    }
    trace.family = system.Family();
    return trace;
}

std::size_t SampleFitter::Shortest() const {
    std::size_t shortest = zeros_.size();
    for (const CrcSample& s : samples_)
        shortest = std::min(shortest, s.data.size());
    return shortest;
}

// The dimension of {d : A^m d = A^(m+1) d}, m the given length.
int SampleFitter::NullityAt(const CrcEngine& engine, std::size_t length) const {
    const auto run = std::span(zeros_).first(length);
    const std::uint8_t zero = 0;
    std::vector<std::uint64_t> columns(static_cast<std::size_t>(width_));
    for (std::size_t k = 0; k < columns.size(); ++k) {
        const CrcWord atM = engine.Update(CrcWord{1} << k, run);
        columns[k] = static_cast<std::uint64_t>(atM ^ engine.Update(atM, std::span(&zero, 1)));
    }
    return Nullity(columns);
}

int SampleFitter::IndistinguishableBits(const CrcEngine& engine) const {
    return NullityAt(engine, Shortest());
}

// The subspaces grow with m (A^m d = A^(m+1) d implies the same one step
// later), so the first length whose nullity reaches the shortest sample's
// has the same subspace, and a binary search finds it.
std::size_t SampleFitter::AlikeFrom(const CrcEngine& engine) const {
    const std::size_t shortest = Shortest();
    const int target = NullityAt(engine, shortest);
    std::size_t low = 0;
    std::size_t high = shortest;
    while (low < high) {
        const std::size_t mid = low + (high - low) / 2;
        if (NullityAt(engine, mid) == target)
            high = mid;
        else
            low = mid + 1;
    }
    return low;
}
