#include "SolveCommand.h"

#include "CrcCatalogue.h"
#include "CrcEngine.h"
#include "CrcSolver.h"
#include "SampleReader.h"
#include "hexformat.h"

#include <algorithm>
#include <bit>
#include <optional>
#include <span>
#include <sstream>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace {

// Exit statuses beside 0 (a set fits) and 2 (an error).
constexpr int kNothingFits = 1;
constexpr int kNotSearched = 3;

// The widths the algebra solves.
constexpr int kMaxSolvedWidth = 64;

int SolveWidth(const CliOptions& options) {
    return options.width;
}

int BitLength(CrcWord value) {
    const auto high = static_cast<std::uint64_t>(value >> 64);
    return high != 0 ? 128 - std::countl_zero(high)
                     : 64 - std::countl_zero(static_cast<std::uint64_t>(value));
}

std::string Bits(int bits) {
    return std::to_string(bits) + (bits == 1 ? " bit" : " bits");
}

std::string Range(int low, int high) {
    return low == high ? Bits(low) : std::to_string(low) + " to " + Bits(high);
}

struct WidthChoice {
    std::vector<int> widths; // those solved
    std::string line;        // what the output says of them
    bool unsolved = false;   // a width asked for or allowed lies above those solved
};

// Widths from low to high that every CRC fits (needed bits), up to the
// widest solved; the line says which, why, and what was left out.
WidthChoice Within(int low, int high, int needed, const std::string& reason) {
    WidthChoice choice;
    const int from = std::max({low, needed, 1});
    const int to = std::min(high, kMaxSolvedWidth);
    for (int w = from; w <= to; ++w)
        choice.widths.push_back(w);
    choice.line = from > to    ? "No width tried" + reason + '\n'
                  : from == to ? "Width tried: " + Range(from, to) + reason + '\n'
                               : "Widths tried: " + Range(from, to) + reason + '\n';
    if (needed > high)
        choice.line += "A CRC needs " + Bits(needed) + ", more than " + Range(low, high) + ".\n";
    choice.unsolved = high > kMaxSolvedWidth && needed <= high;
    if (choice.unsolved)
        choice.line += "Widths of " + Range(std::max(from, kMaxSolvedWidth + 1), high) +
                       " are not solved: the algebra goes up to " + Bits(kMaxSolvedWidth) + ".\n";
    return choice;
}

// --width, --crc16 or --crc32; or else the widths the digits allow: d digits
// write a CRC of 4d - 3 to 4d bits, narrowed to those every value fits.
WidthChoice ChooseWidths(int asked, const SampleSet& set) {
    int needed = 0, digits = 0;
    bool leadingZeros = true;
    for (std::size_t i = 0; i < set.samples.size(); ++i) {
        const int d = set.origins[i].digits;
        const int bits = BitLength(set.samples[i].crc);
        needed = std::max(needed, bits);
        digits = std::max(digits, d);
        leadingZeros = leadingZeros && d > 1 && bits <= 4 * (d - 1);
    }
    if (asked != 0) {
        // The main window's CRC-16 takes wider values whole from its XOR-out.
        return Within(asked, asked, asked == 16 ? 16 : needed, ", as asked.");
    }
    const bool all =
        std::ranges::all_of(set.origins, [&](const SampleOrigin& o) { return o.digits == digits; });
    WidthChoice choice =
        Within(4 * digits - 3, 4 * digits, needed,
               ", as the CRCs are written with " + std::string(all ? "" : "up to ") +
                   std::to_string(digits) + (digits == 1 ? " digit." : " digits."));
    if (leadingZeros)
        choice.line += "Each CRC starts with 0: if they are narrower CRCs written with leading "
                       "zeros, give --width.\n";
    return choice;
}

std::string Box(bool ticked, std::string_view caption) {
    return (ticked ? "[x]" : "[ ]") + std::string(caption);
}

// The set in the main window's terms.
std::string WindowLine(const CrcParams& p) {
    const int digits = p.width / 4;
    return "算法：CRC-" + std::to_string(p.width) + " 初始值：" +
           HexDigits(static_cast<std::uint32_t>(p.init), digits) + " 多项式：" +
           HexDigits(static_cast<std::uint32_t>(p.poly), digits) + " 异或值：" +
           HexDigits(static_cast<std::uint32_t>(p.xorOut.value_or(0)), digits) + " " +
           Box(p.xorOut.has_value(), "异或输出") + " " + Box(p.reversePoly, "多项式逆序") + " " +
           Box(!p.reflectedTable, "表逆序") + " " + Box(!p.reflectedUpdate, "算法逆序");
}

bool WindowExpresses(const CrcParams& p) {
    return (p.width == 16 || p.width == 32) && !p.reflectOut;
}

struct NamedParams {
    CrcParams params;
    std::string_view name;
};

// The first catalogue algorithm among the fit's pairs of init and XOR-out, if any.
std::optional<NamedParams> CatalogueMember(const CrcFit& fit) {
    for (const CatalogueEntry& entry : CrcCatalogue()) {
        if (entry.model.width != fit.params.width)
            continue;
        CrcParams params = ToCrcParams(entry);
        if (FitHolds(fit, params)) {
            if (params.xorOut == 0u)
                params.xorOut.reset();
            return NamedParams{params, entry.name};
        }
    }
    return std::nullopt;
}

CrcParams Member(const CrcFit& fit, CrcWord init, CrcWord xorOut) {
    CrcParams p = fit.params;
    p.init = init;
    p.xorOut = xorOut == 0 ? std::nullopt : std::optional(xorOut);
    return p;
}

// A pair of init and XOR-out as the fit's first line writes them.
std::string PairText(const CrcParams& p) {
    if (const auto model = ToCrcModel(p))
        return "init=" + ModelHex(model->init, p.width) +
               " xorout=" + ModelHex(model->xorout, p.width);
    const int digits = p.width / 4;
    return "初始值：" + HexDigits(static_cast<std::uint32_t>(p.init), digits) + " 异或值：" +
           HexDigits(static_cast<std::uint32_t>(p.xorOut.value_or(0)), digits);
}

std::string PairCount(const CrcFit& fit) {
    const int bits = fit.family.Bits();
    return (bits < 32 ? std::to_string(std::uint64_t{1} << bits) : "2^" + std::to_string(bits)) +
           (ToCrcModel(fit.params) ? " pairs of init and xorout" : " pairs of 初始值 and 异或值");
}

// The other pairs that no message from the fit's alike length on tells apart.
std::string Twins(const CrcFit& fit, const CrcParams& shown) {
    const CrcWord high = shown.xorOut.value_or(0) & ~WidthMask(16);
    std::string twins;
    for (std::uint64_t i = 0; i < (std::uint64_t{1} << fit.family.Bits()); ++i) {
        const auto [init, xorLow] = fit.family.Member(i);
        const CrcWord xorOut = fit.params.width == 16 ? high | xorLow : xorLow;
        if (init != shown.init || xorOut != shown.xorOut.value_or(0))
            twins += (twins.empty() ? "" : "; ") + PairText(Member(fit, init, xorOut));
    }
    return twins;
}

// What the family of init and XOR-out behind a set means; member is a
// catalogue algorithm among the pairs not yet told apart.
void PrintFamily(const CrcFit& fit, const CrcParams& shown,
                 const std::optional<NamedParams>& member, bool oneLength, std::ostream& out) {
    const int bits = fit.family.Bits();
    const std::string alike =
        fit.alikeFrom == 0 ? std::string("the same CRC of every message")
                           : "the same CRC of every message of " + std::to_string(fit.alikeFrom) +
                                 (fit.alikeFrom == 1 ? " byte or more" : " bytes or more");
    if (bits == 0)
        return;
    if (bits > fit.indistinguishableBits) {
        out << "  " << PairCount(fit) << " fit: "
            << (oneLength ? "all samples have one length, so only the two together are fixed; "
                            "a sample of another length separates them"
                          : "the samples fix only part of them; samples of other lengths tell "
                            "more apart");
        if (member)
            out << "; " << member->name << " (" << PairText(member->params) << ") is among them";
        out << '\n';
    } else if (bits > 2) {
        out << "  " << PairCount(fit) << " give " << alike << '\n';
    } else {
        out << "  also " << Twins(fit, shown) << ": " << alike << '\n';
    }
}

struct Tally {
    std::size_t sets = 0;
    bool settled = true; // every set's init and XOR-out as fixed as any data can fix them
    bool window = false; // a set was shown in the main window's terms
    std::vector<std::string_view> names;
};

// Each set: the catalogue's model line, pasteable into --model, with the main
// window's settings under it where the window has them; a set of the window
// alone (mixed orders, or a wider XOR-out) in the window's terms.
void PrintFits(const CrcSolution& solution, bool oneLength, Tally& tally, std::ostream& out) {
    for (const CrcFit& fit : solution.fits) {
        // A catalogue algorithm stands for the family only where no data could
        // tell them apart; otherwise the family keeps its smallest XOR-out.
        const bool settled = fit.family.Bits() == fit.indistinguishableBits;
        const std::optional<NamedParams> member = CatalogueMember(fit);
        const NamedParams shown = settled && member ? *member : NamedParams{fit.params, {}};
        if (const auto model = ToCrcModel(shown.params)) {
            out << FormatModelLine(*model, shown.name) << '\n';
            if (WindowExpresses(shown.params))
                out << "  main window: " << WindowLine(shown.params) << '\n';
        } else {
            out << WindowLine(shown.params) << '\n';
        }
        tally.window = tally.window || WindowExpresses(shown.params);
        PrintFamily(fit, shown.params, settled ? std::nullopt : member, oneLength, out);
        tally.settled = tally.settled && settled;
        if (!shown.name.empty())
            tally.names.push_back(shown.name);
    }
    tally.sets += solution.fits.size();
}

// What was not searched among the widths solved.
std::vector<std::string> Unsearched(const CrcSolution& solution, const WidthChoice& choice) {
    std::vector<std::string> classes;
    if (std::ranges::find(choice.widths, 32) != choice.widths.end())
        classes.push_back("CRC-32 with the table and the update in different bit orders "
                          "(表逆序 and 算法逆序 set differently)");
    if (solution.mixedSkipped)
        classes.push_back("CRC-16 with the table and the update in different bit orders: the "
                          "first three samples are too long to try every polynomial on");
    if (choice.unsolved)
        classes.push_back("widths above " + Bits(kMaxSolvedWidth));
    return classes;
}

void PrintNormalFormNote(const Tally& tally, std::ostream& out) {
    if (tally.window)
        out << "Each polynomial is shown in its normal form; bit-reversed, with 多项式逆序 "
               "toggled, it is the same set.\n";
}

void PrintSummary(const Tally& tally, std::size_t count, std::size_t needed,
                  const std::vector<std::string>& unsearched, std::ostream& out) {
    const std::string all =
        count == 2 ? "both samples" : "all " + std::to_string(count) + " samples";
    const std::string first = "the first " + std::to_string(needed);
    const bool fewer = needed < count;
    if (tally.sets == 0 && !unsearched.empty())
        out << "No parameter set among those searched fits " << all << "."
            << (fewer ? " The" + first.substr(3) + " already rule out every set searched." : "")
            << '\n';
    else if (tally.sets == 0)
        out << "No parameter set fits " << all << "."
            << (fewer ? " The" + first.substr(3) + " already rule out every set." : "") << '\n';
    else if (tally.sets == 1 && tally.settled)
        out << "Unique: one parameter set fits " << all << "; "
            << (fewer ? first + " were enough.\n" : all + " were needed.\n");
    else if (tally.sets == 1)
        out << "One parameter set fits " << all
            << ", its init and xorout not yet separated: add a sample of another length.\n";
    else
        out << "Not unique: " << tally.sets << " parameter sets fit " << all
            << ". Add samples to tell them apart.\n";
    for (const std::string& what : unsearched)
        out << "Not searched: " << what << ".\n";
    PrintNormalFormNote(tally, out);
}

// Whether all samples have one length, for the notes on init and XOR-out.
bool OneLength(std::span<const CrcSample> samples) {
    return std::ranges::all_of(
        samples, [&](const CrcSample& s) { return s.data.size() == samples[0].data.size(); });
}

// Leaves out samples given twice, and says so; says which samples give one
// data two CRCs, as no CRC can.
void DropDuplicates(SampleSet& set, std::ostream& out) {
    std::unordered_map<std::string_view, std::size_t> first;
    std::vector<bool> keep(set.samples.size(), true);
    for (std::size_t i = 0; i < set.samples.size(); ++i) {
        const std::vector<std::uint8_t>& data = set.samples[i].data;
        const auto [at, isNew] = first.emplace(
            std::string_view(reinterpret_cast<const char*>(data.data()), data.size()), i);
        if (isNew)
            continue;
        const std::string& earlier = set.origins[at->second].name;
        keep[i] = set.samples[at->second].crc != set.samples[i].crc;
        if (keep[i])
            out << set.origins[i].name << " has the data of " << earlier
                << " with another CRC: no CRC gives both.\n";
        else
            out << set.origins[i].name << " duplicates " << earlier
                << ": it is left out, as it tells nothing new.\n";
    }
    std::size_t kept = 0;
    for (std::size_t i = 0; i < keep.size(); ++i)
        if (keep[i] && kept++ != i) {
            set.samples[kept - 1] = std::move(set.samples[i]);
            set.origins[kept - 1] = std::move(set.origins[i]);
        }
    set.samples.resize(kept);
    set.origins.resize(kept);
}

CrcWord SwapBytes(CrcWord value, int bytes) {
    CrcWord swapped = 0;
    for (int i = 0; i < bytes; ++i)
        swapped = swapped << 8 | ((value >> (8 * i)) & 0xFF);
    return swapped;
}

int CrcBytes(const SampleSet& set) {
    int digits = 0;
    for (const SampleOrigin& o : set.origins)
        digits = std::max(digits, o.digits);
    return (digits + 1) / 2;
}

struct Variant {
    std::string how; // "with each CRC's bytes swapped"
    std::vector<CrcSample> samples;
    std::vector<int> widths;
};

// What users get wrong: the CRC's bytes in wire order, low byte first, and
// the CRC left at the end of the frame. Each variant keeps the widths of as
// many bytes as the CRCs take.
std::vector<Variant> Variants(const SampleSet& set, int asked) {
    const int bytes = CrcBytes(set);
    std::vector<int> widths;
    for (int w = 1; w <= kMaxSolvedWidth; ++w)
        if (asked == 0 ? (w + 7) / 8 == bytes : w == asked)
            widths.push_back(w);
    std::vector<Variant> variants;
    if (bytes >= 2) {
        Variant swapped{"with each CRC's bytes swapped", set.samples, widths};
        for (CrcSample& s : swapped.samples)
            s.crc = SwapBytes(s.crc, bytes);
        variants.push_back(std::move(swapped));
    }
    Variant trimmed{"with the CRC's bytes taken off the end of each sample's data", {}, widths};
    for (const CrcSample& s : set.samples) {
        const auto n = static_cast<std::size_t>(bytes);
        if (s.data.size() <= n)
            return variants;
        CrcWord tail = 0;
        for (std::size_t i = s.data.size() - n; i < s.data.size(); ++i)
            tail = tail << 8 | s.data[i];
        if (tail != s.crc && tail != SwapBytes(s.crc, bytes))
            return variants;
        trimmed.samples.push_back(
            {{s.data.begin(), s.data.end() - static_cast<std::ptrdiff_t>(n)}, s.crc});
    }
    variants.push_back(std::move(trimmed));
    return variants;
}

std::string NameList(const std::vector<std::string_view>& names) {
    std::string list;
    for (std::size_t i = 0; i < names.size(); ++i)
        list += (i == 0 ? "" : i + 1 == names.size() ? " and " : ", ") + std::string(names[i]);
    return list;
}

// The catalogue's algorithms, of the widths given, that give every sample's CRC.
std::vector<std::string_view> CatalogueFits(const std::vector<CrcSample>& samples,
                                            const std::vector<int>& widths) {
    std::vector<std::string_view> names;
    for (const CatalogueEntry& entry : CrcCatalogue()) {
        if (std::ranges::find(widths, entry.model.width) == widths.end())
            continue;
        const CrcEngine engine(ToCrcParams(entry));
        if (std::ranges::all_of(
                samples, [&](const CrcSample& s) { return engine.Checksum(s.data) == s.crc; }))
            names.push_back(entry.name);
    }
    return names;
}

// Sets fit as given, none from the catalogue, while a catalogue algorithm
// fits a variant: few samples leave room for chance fits, so say so.
void PrintVariantCatalogueFits(const SampleSet& set, int asked, std::ostream& out) {
    for (const Variant& v : Variants(set, asked)) {
        const std::vector<std::string_view> names = CatalogueFits(v.samples, v.widths);
        if (names.empty())
            continue;
        out << "No catalogue algorithm fits as given; " << v.how << ", " << NameList(names)
            << (names.size() == 1 ? " fits" : " fit")
            << ". The sets above may fit these samples by chance: more samples tell.\n";
        return;
    }
}

// Nothing fits as given: the first variant that something fits, said and shown.
bool PrintVariantFits(const SampleSet& set, int asked, std::ostream& out) {
    for (const Variant& v : Variants(set, asked)) {
        if (v.widths.empty())
            continue;
        const CrcSolution solution = SolveCrc(v.samples, v.widths);
        if (solution.tooFewSamples || solution.fits.empty())
            continue;
        std::ostringstream sets;
        Tally tally;
        PrintFits(solution, OneLength(v.samples), tally, sets);
        const bool named = tally.names.size() == tally.sets;
        out << "Nothing fits as given; " << v.how << ", "
            << (named             ? NameList(tally.names)
                : tally.sets == 1 ? "one parameter set"
                                  : std::to_string(tally.sets) + " parameter sets")
            << (tally.sets == 1 ? " fits" : " fit") << (named ? ".\n" : ":\n") << sets.str();
        PrintNormalFormNote(tally, out);
        return true;
    }
    return false;
}

// One sample: the catalogue's algorithms of the widths tried that give it.
int OneSample(const SampleSet& set, const WidthChoice& choice, int asked, std::ostream& out) {
    const CrcSample& s = set.samples.front();
    Tally tally;
    for (const CatalogueEntry& entry : CrcCatalogue()) {
        if (std::ranges::find(choice.widths, entry.model.width) == choice.widths.end())
            continue;
        if (CrcEngine(ToCrcParams(entry)).Checksum(s.data) != s.crc)
            continue;
        CrcParams params = ToCrcParams(entry);
        if (params.xorOut == 0u)
            params.xorOut.reset();
        out << FormatModelLine(entry.model, entry.name) << '\n';
        if (WindowExpresses(params))
            out << "  main window: " << WindowLine(params) << '\n';
        ++tally.sets;
    }
    const std::string algebra = "solving for any parameters takes two samples or more.\n";
    if (tally.sets > 0) {
        out << "One sample: "
            << (tally.sets == 1 ? "this catalogue algorithm gives"
                                : "these "
                                  "catalogue algorithms give")
            << " its CRC; " << algebra;
        return 0;
    }
    // The first variant, where the CRCs take two bytes or more, swaps them.
    if (const std::vector<Variant> variants = Variants(set, asked);
        CrcBytes(set) >= 2 && !variants.empty())
        tally.names = CatalogueFits(variants.front().samples, variants.front().widths);
    if (!tally.names.empty())
        out << "Nothing fits as given; with the CRC's bytes swapped, " << NameList(tally.names)
            << (tally.names.size() == 1 ? " fits.\n" : " fit.\n");
    out << "One sample: no catalogue algorithm of the widths tried gives its CRC; " << algebra;
    return kNothingFits;
}

} // namespace

int SolveSamples(const CliOptions& options, std::ostream& out) {
    SampleSet set = ReadSamples(options.samples);
    const int asked = SolveWidth(options);
    std::ostringstream notes;
    DropDuplicates(set, notes);
    const WidthChoice choice = ChooseWidths(asked, set);
    if (choice.widths.empty()) {
        out << choice.line << notes.str();
        return choice.unsolved ? kNotSearched : kNothingFits;
    }
    if (set.samples.size() == 1) {
        out << choice.line << notes.str();
        return OneSample(set, choice, asked, out);
    }
    const CrcSolution solution = SolveCrc(set.samples, choice.widths);
    if (solution.tooFewSamples && !solution.tooLong)
        throw CliError("these samples leave the polynomial open: give two samples of one "
                       "length, or three samples, or more");
    out << choice.line << notes.str();
    if (solution.tooLong) {
        out << "The samples are too long for so few of them: the multiples of the polynomial "
               "they make are too long to factor in good time. Give another sample of the "
               "same length as one of them: samples of one length make a short gcd.\n";
        return kNotSearched;
    }
    Tally tally;
    PrintFits(solution, OneLength(set.samples), tally, out);
    const std::vector<std::string> unsearched = Unsearched(solution, choice);
    if (tally.sets == 0 && PrintVariantFits(set, asked, out)) {
        for (const std::string& what : unsearched)
            out << "Not searched: " << what << ".\n";
        return unsearched.empty() ? kNothingFits : kNotSearched;
    }
    PrintSummary(tally, set.samples.size(), solution.samplesNeeded, unsearched, out);
    if (tally.sets > 0 && tally.names.empty())
        PrintVariantCatalogueFits(set, asked, out);
    if (tally.sets > 0)
        return 0;
    return unsearched.empty() ? kNothingFits : kNotSearched;
}
