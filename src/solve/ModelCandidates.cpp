#include "ModelCandidates.h"

#include "Gf2Factor.h"
#include "Gf2Poly.h"

#include <algorithm>
#include <optional>

namespace {

// A multiple of every candidate: x^s high + low, s = w, or 64 with refout.
struct Multiple {
    Gf2Poly high;
    Gf2Poly low;

    Multiple& operator^=(const Multiple& other) {
        high ^= other.high;
        low ^= other.low;
        return *this;
    }
    // Times t^a + t^b, t = x^8.
    Multiple TimesBinomial(std::size_t a, std::size_t b) const {
        const auto shifted = [&](const Gf2Poly& p) {
            return p.Shifted(static_cast<int>(8 * a)) ^ p.Shifted(static_cast<int>(8 * b));
        };
        return {shifted(high), shifted(low)};
    }
    Gf2Poly At(int shift) const { return high.Shifted(shift) ^ low; }
    // The degree of At(shift), or a bound on it where the top terms cancel.
    int DegreeAt(int shift) const {
        return high.IsZero() ? low.Degree() : std::max(high.Degree() + shift, low.Degree());
    }
};

class Multiples {
public:
    Multiples(std::span<const CrcSample> samples, bool refin, bool refout)
        : samples_(samples), refin_(refin), refout_(refout) {}

    // The multiple that sample i adds to those of the samples before it.
    std::optional<Multiple> AddedBy(std::size_t i) {
        us_.push_back(U(samples_[i]));
        const std::size_t n = samples_[i].data.size();
        for (std::size_t j = 0; j < i; ++j)
            if (samples_[j].data.size() == n)
                return Sum(i, j);
        if (i > 0 && !second_) {
            second_ = i;
            return std::nullopt;
        }
        if (i == 0)
            return std::nullopt;
        return Triple(0, *second_, i);
    }

private:
    Multiple U(const CrcSample& s) const {
        const auto crc = static_cast<std::uint64_t>(s.crc);
        return {Gf2Poly::FromMessage(s.data, refin_), Gf2Poly(refout_ ? Reverse64(crc) : crc)};
    }

    Multiple Sum(std::size_t a, std::size_t b) const {
        Multiple m = us_[a];
        return m ^= us_[b];
    }

    Multiple Triple(std::size_t a, std::size_t b, std::size_t c) const {
        const std::size_t na = samples_[a].data.size();
        const std::size_t nb = samples_[b].data.size();
        const std::size_t nc = samples_[c].data.size();
        const std::size_t m = std::min({na, nb, nc});
        Multiple triple = Sum(a, b).TimesBinomial(na - m, nc - m);
        return triple ^= Sum(a, c).TimesBinomial(na - m, nb - m);
    }

    std::span<const CrcSample> samples_;
    bool refin_;
    bool refout_;
    std::vector<Multiple> us_;
    std::optional<std::size_t> second_; // the first sample of another length than the first
};

// The gcd of the multiples added, skipping a gcd of two that are both too
// long: the smaller stands for both, a multiple of their gcd.
class MultipleGcd {
public:
    void Add(const Gf2Poly& f) {
        if (f.IsZero() || f == g_)
            return;
        if (g_.IsZero())
            g_ = f;
        else if (std::min(g_.Degree(), f.Degree()) <= kMaxGcdDegree)
            g_ = Gcd(g_, f);
        else if (f.Degree() < g_.Degree())
            g_ = f;
    }
    const Gf2Poly& Value() const { return g_; }

private:
    Gf2Poly g_;
};

// Factors g when it is short enough, and keeps the divisors of the width.
void TryDecide(ModelCandidates& found, const Gf2Poly& g, std::size_t prefix, bool last,
               std::size_t limit) {
    if (g.IsZero())
        return;
    if (g.Degree() > (last ? kMaxFactorDegree : kFactorDegree)) {
        found.tooLong = last;
        return;
    }
    const auto divisors = DivisorsOfDegree(SmallFactors(g, found.width), found.width, limit);
    if (!divisors)
        return;
    found.decidedAt = prefix;
    for (const CrcWord d : *divisors)
        found.polys.push_back(d & WidthMask(found.width));
}

// With refout, one gcd serves every width.
void FindReflectedOut(Multiples& multiples, std::size_t count, std::vector<ModelCandidates>& found,
                      std::size_t limit) {
    MultipleGcd shared;
    for (std::size_t i = 0; i < count; ++i) {
        if (const auto m = multiples.AddedBy(i))
            shared.Add(m->At(64));
        for (ModelCandidates& c : found)
            if (c.decidedAt == 0)
                TryDecide(c, shared.Value().ShiftedDown(64 - c.width), i + 1, i + 1 == count,
                          limit);
    }
}

// Products of a multiple's parts this large are not worth their cost.
constexpr std::size_t kMaxProductWords = std::size_t{1} << 22;

bool Affordable(const Gf2Poly& a, const Gf2Poly& b) {
    const auto words = [](const Gf2Poly& p) {
        return static_cast<std::size_t>(p.Degree()) / 64 + 1;
    };
    return words(a) * words(b) <= kMaxProductWords;
}

// Without refout: the shared gcd G0 of H1 L2 + H2 L1 seeds each width's gcd,
// so that a width's own multiples, as long as the messages, are only reduced
// modulo something short, never put through a long gcd of their own, while
// more samples may still shorten the seed. Every width's gcd divides
// x^64 G0, so once G0 is short the multiples are reduced modulo that, once
// for all widths.
class UnreflectedOut {
public:
    explicit UnreflectedOut(std::vector<ModelCandidates>& found)
        : found_(found), widths_(found.size()) {}

    void Add(Multiple m) {
        ReduceModZ(m);
        if (m.low.IsZero()) {
            shared_.Add(m.high);
        } else if (!first_) {
            first_ = m;
        } else if (Affordable(m.high, first_->low) && Affordable(first_->high, m.low)) {
            shared_.Add(m.high * first_->low ^ first_->high * m.low);
        }
        multiples_.push_back(std::move(m));
    }

    void Decide(std::size_t prefix, bool last, std::size_t limit) {
        const Gf2Poly& g0 = shared_.Value();
        if (!g0.IsZero() && g0.Degree() + 64 <= kFactorDegree && g0.Shifted(64) != z_) {
            z_ = g0.Shifted(64);
            for (Multiple& m : multiples_)
                ReduceModZ(m);
            if (first_)
                ReduceModZ(*first_);
        }
        for (std::size_t k = 0; k < found_.size(); ++k) {
            ModelCandidates& c = found_[k];
            if (c.decidedAt != 0)
                continue;
            Width& w = widths_[k];
            if (!last && z_.IsZero() && !Short(w, c.width))
                continue;
            if (!g0.IsZero() && g0 != w.seed) {
                w.gcd.Add(g0.Shifted(c.width));
                w.seed = g0;
            }
            for (; w.folded < multiples_.size(); ++w.folded)
                w.gcd.Add(multiples_[w.folded].At(c.width));
            TryDecide(c, w.gcd.Value(), prefix, last, limit);
        }
    }

private:
    struct Width {
        MultipleGcd gcd;
        Gf2Poly seed;
        std::size_t folded = 0; // multiples_ taken into gcd
    };

    void ReduceModZ(Multiple& m) const {
        if (!z_.IsZero()) {
            m.high %= z_;
            m.low %= z_;
        }
    }

    // Whether the width's gcd has, or would get, a short member to reduce the rest by.
    bool Short(const Width& w, int width) const {
        const auto isShort = [](int degree) { return degree >= 0 && degree <= kFactorDegree; };
        if (isShort(w.gcd.Value().Degree()) ||
            isShort(shared_.Value().IsZero() ? -1 : shared_.Value().Degree() + width))
            return true;
        for (std::size_t j = w.folded; j < multiples_.size(); ++j)
            if (isShort(multiples_[j].DegreeAt(width)))
                return true;
        return false;
    }

    std::vector<ModelCandidates>& found_;
    std::vector<Width> widths_;
    MultipleGcd shared_;
    Gf2Poly z_;                     // x^64 G0 once G0 is short
    std::optional<Multiple> first_; // the first multiple with a nonzero low part
    std::vector<Multiple> multiples_;
};

} // namespace

std::vector<ModelCandidates> FindModelCandidates(std::span<const CrcSample> samples,
                                                 std::span<const int> widths, bool refin,
                                                 bool refout, std::size_t limit) {
    std::vector<ModelCandidates> found;
    for (const int width : widths)
        found.push_back({width, 0, false, {}});
    Multiples multiples(samples, refin, refout);
    if (refout) {
        FindReflectedOut(multiples, samples.size(), found, limit);
        return found;
    }
    UnreflectedOut unreflected(found);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        if (auto m = multiples.AddedBy(i))
            unreflected.Add(std::move(*m));
        unreflected.Decide(i + 1, i + 1 == samples.size(), limit);
    }
    return found;
}
