#include "ModelFitter.h"

#include "Gf2Clmul.h"

#include <algorithm>
#include <array>

namespace {

std::uint64_t Reflect(std::uint64_t value, int width) {
    return Reverse64(value) >> (64 - width);
}

// The dimension of {d : d x^(8m) (x^8 + 1) = 0 mod P}.
int NullityAt(const gf2::SmallModulus& p, std::size_t length) {
    const std::uint64_t factor = p.MulMod(p.XPowMod(8 * length), p.Reduce(0x101));
    std::array<std::uint64_t, 64> columns{};
    std::uint64_t column = factor;
    for (int k = 0; k < p.Degree(); ++k) {
        columns[static_cast<std::size_t>(k)] = column;
        column = p.MulMod(column, p.Reduce(2));
    }
    return Nullity(std::span(columns).first(static_cast<std::size_t>(p.Degree())));
}

} // namespace

ModelFitter::ModelFitter(std::span<const CrcSample> samples) : samples_(samples) {}

FitTrace ModelFitter::Fit(const CrcModel& model) const {
    const int w = model.width;
    const gf2::SmallModulus p(w, static_cast<std::uint64_t>(model.poly));
    const std::uint64_t mask = static_cast<std::uint64_t>(WidthMask(w));
    const auto out = [&](std::uint64_t v) { return model.refout ? Reflect(v, w) : v; };
    FitTrace trace;
    InitXorSystem system(w);
    std::array<std::uint64_t, 64> columns{};
    for (const CrcSample& s : samples_) {
        // Column k is the register's part from bit k of the engine's init.
        std::uint64_t column = p.XPowMod(8 * s.data.size());
        for (int k = 0; k < w; ++k) {
            columns[static_cast<std::size_t>(model.refin ? w - 1 - k : k)] = out(column);
            column = p.MulMod(column, p.Reduce(2));
        }
        const std::uint64_t message = p.MulMod(p.MessageMod(s.data, model.refin), p.Low());
        const std::uint64_t residue = (static_cast<std::uint64_t>(s.crc) & mask) ^ out(message);
        if (!system.Add(std::span(columns).first(static_cast<std::size_t>(w)), residue))
            return trace;
        ++trace.fitted;
        trace.ranks.push_back(system.Rank());
    }
    trace.family = system.Family();
    return trace;
}

std::size_t ModelFitter::Shortest() const {
    std::size_t shortest = samples_.empty() ? 0 : samples_[0].data.size();
    for (const CrcSample& s : samples_)
        shortest = std::min(shortest, s.data.size());
    return shortest;
}

int ModelFitter::IndistinguishableBits(const CrcModel& model) const {
    return NullityAt({model.width, static_cast<std::uint64_t>(model.poly)}, Shortest());
}

// The subspaces grow with m, so the first length whose nullity reaches the
// shortest sample's has the same subspace, and a binary search finds it.
std::size_t ModelFitter::AlikeFrom(const CrcModel& model) const {
    const gf2::SmallModulus p(model.width, static_cast<std::uint64_t>(model.poly));
    const std::size_t shortest = Shortest();
    const int target = NullityAt(p, shortest);
    std::size_t low = 0;
    std::size_t high = shortest;
    while (low < high) {
        const std::size_t mid = low + (high - low) / 2;
        if (NullityAt(p, mid) == target)
            high = mid;
        else
            low = mid + 1;
    }
    return low;
}
