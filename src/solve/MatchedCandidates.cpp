#include "MatchedCandidates.h"

#include "Gf2Factor.h"
#include "Gf2Poly.h"
#include "crc.h"

#include <algorithm>
#include <optional>

namespace {

Gf2Poly Binomial(std::size_t a, std::size_t b) {
    return Gf2Poly::Monomial(static_cast<int>(8 * a)) ^ Gf2Poly::Monomial(static_cast<int>(8 * b));
}

class Multiples {
public:
    Multiples(std::span<const CrcSample> samples, int width, bool reflected)
        : samples_(samples), width_(width), reflected_(reflected) {}

    // The multiples of P that sample i adds to those of the samples before it.
    std::vector<Gf2Poly> AddedBy(std::size_t i) {
        const std::size_t n = samples_[i].data.size();
        us_.push_back(U(samples_[i]));
        std::vector<Gf2Poly> added;
        if (const auto first = FirstOfLength(n, i))
            added.push_back(us_[i] ^ us_[*first]);
        else if (i > 0 && !second_)
            second_ = i;
        else if (i > 0)
            added.push_back(Triple(0, *second_, i));
        return added;
    }

private:
    Gf2Poly U(const CrcSample& s) const {
        const std::uint32_t c = s.crc & WidthMask(width_);
        const std::uint32_t read =
            reflected_ ? ReverseBits(c, static_cast<std::uint8_t>(width_ / 4)) : c;
        return Gf2Poly::FromMessage(s.data, reflected_).Shifted(width_) ^ Gf2Poly(read);
    }

    std::optional<std::size_t> FirstOfLength(std::size_t n, std::size_t before) const {
        for (std::size_t j = 0; j < before; ++j)
            if (samples_[j].data.size() == n)
                return j;
        return std::nullopt;
    }

    Gf2Poly Triple(std::size_t a, std::size_t b, std::size_t c) const {
        const std::size_t na = samples_[a].data.size();
        const std::size_t nb = samples_[b].data.size();
        const std::size_t nc = samples_[c].data.size();
        const std::size_t m = std::min({na, nb, nc});
        return (us_[a] ^ us_[b]) * Binomial(na - m, nc - m) ^
               (us_[a] ^ us_[c]) * Binomial(na - m, nb - m);
    }

    std::span<const CrcSample> samples_;
    int width_;
    bool reflected_;
    std::vector<Gf2Poly> us_;
    std::optional<std::size_t> second_; // the first sample of another length than the first
};

std::uint32_t EnginePoly(std::uint64_t divisor, int width, bool reflected) {
    const auto low = static_cast<std::uint32_t>(divisor & ((std::uint64_t{1} << width) - 1));
    return reflected ? ReverseBits(low, static_cast<std::uint8_t>(width / 4)) : low;
}

} // namespace

MatchedCandidates FindMatchedCandidates(std::span<const CrcSample> samples, int width,
                                        bool reflected, std::size_t limit) {
    Multiples multiples(samples, width, reflected);
    Gf2Poly gcd;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        for (const Gf2Poly& m : multiples.AddedBy(i))
            gcd = Gcd(gcd, m);
        if (gcd.IsZero() || (gcd.Degree() > kFactorDegree && i + 1 < samples.size()))
            continue;
        const std::vector<Gf2Factor> factors = SmallFactors(gcd, width);
        const auto divisors = DivisorsOfDegree(factors, width, limit);
        if (!divisors)
            continue;
        MatchedCandidates found{i + 1, {}};
        for (const std::uint64_t d : *divisors)
            found.polys.push_back(EnginePoly(d, width, reflected));
        std::ranges::sort(found.polys);
        return found;
    }
    return {};
}
