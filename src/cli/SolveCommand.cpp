#include "SolveCommand.h"

#include "CrcCatalogue.h"
#include "CrcSolver.h"
#include "InputReader.h"
#include "hexformat.h"
#include "hextokens.h"

#include <algorithm>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace {

// A sample as read: its data, and its CRC as typed and as a value.
struct SampleText {
    std::vector<std::uint8_t> data;
    std::string crc;
    std::uint32_t value;
};

// DATA:CRC, cut at the last colon, which neither hexadecimal data nor a CRC holds.
SampleText Sample(std::string_view text, CliInput::Kind kind, const std::string& source) {
    const std::size_t colon = text.rfind(':');
    if (colon == std::string_view::npos)
        throw CliError(source + ": no ':' between the data and the CRC");
    SampleText sample{{}, std::string(text.substr(colon + 1)), 0};
    try {
        sample.value = ParseHexToken(sample.crc);
    } catch (const EConvertError&) {
        throw CliError(source + ": the CRC '" + sample.crc + "' is not hexadecimal");
    }
    ReadInput({kind, std::string(text.substr(0, colon)), source}, [&](auto block) {
        sample.data.insert(sample.data.end(), block.begin(), block.end());
    });
    if (sample.data.size() > kMaxSampleBytes)
        throw CliError(source + ": " + std::to_string(sample.data.size()) +
                       " bytes; --solve takes samples of at most " +
                       std::to_string(kMaxSampleBytes) + " bytes");
    return sample;
}

// One sample a line, as --sample takes it; blank lines are skipped.
void FileSamples(const std::string& path, std::vector<SampleText>& samples) {
    std::string text;
    ReadInput({path == "-" ? CliInput::Kind::Stdin : CliInput::Kind::File, path},
              [&](auto block) { text.append(block.begin(), block.end()); });
    std::size_t line = 0;
    for (std::size_t start = 0; start < text.size(); ++line) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        std::string_view content = std::string_view(text).substr(start, end - start);
        if (content.ends_with('\r'))
            content.remove_suffix(1);
        if (content.find_first_not_of(" \t") != std::string_view::npos)
            samples.push_back(
                Sample(content, CliInput::Kind::Hex, path + ":" + std::to_string(line + 1)));
        start = end + 1;
    }
}

std::vector<SampleText> ReadSamples(const std::vector<CliSample>& given) {
    std::vector<SampleText> samples;
    for (const CliSample& s : given) {
        const bool text = s.kind == CliSample::Kind::Text;
        const std::string source =
            (text ? "--sample-text " : "--sample ") + std::to_string(samples.size() + 1);
        if (s.kind == CliSample::Kind::File)
            FileSamples(s.value, samples);
        else
            samples.push_back(
                Sample(s.value, text ? CliInput::Kind::Text : CliInput::Kind::Hex, source));
    }
    if (samples.size() < 2)
        throw CliError("--solve needs two samples or more");
    return samples;
}

// The main window shows a CRC-16 with 4 digits, or up to 8 without leading
// zero when the XOR value is wider; a CRC-32 with exactly 8.
bool ShowsAs(int width, const std::string& digits) {
    if (width == 32)
        return digits.size() == 8;
    return digits.size() <= 4 || (digits.size() <= 8 && digits[0] != '0');
}

std::vector<int> Widths(int asked, const std::vector<SampleText>& samples) {
    if (asked != 0)
        return {asked};
    std::vector<int> widths;
    for (const int width : {16, 32})
        if (std::ranges::all_of(samples, [&](const auto& s) { return ShowsAs(width, s.crc); }))
            widths.push_back(width);
    if (widths.empty())
        throw CliError("the CRCs are written neither as a CRC-16 (4 digits, more with a wider "
                       "XOR value) nor as a CRC-32 (8 digits): give --crc16 or --crc32");
    return widths;
}

std::string Box(bool ticked, std::string_view caption) {
    return (ticked ? "[x]" : "[ ]") + std::string(caption);
}

std::string InitXorText(int width, std::uint32_t init, std::uint32_t xorOut) {
    return "初始值：" + HexDigits(init, width / 4) + " 异或值：" + HexDigits(xorOut, width / 4);
}

// The line of one parameter set, in the main window's terms.
std::string SetLine(const CrcParams& p, std::string_view name) {
    const int digits = p.width / 4;
    std::string line = "算法：CRC-" + std::to_string(p.width) + " 初始值：" +
                       HexDigits(p.init, digits) + " 多项式：" + HexDigits(p.poly, digits) +
                       " 异或值：" + HexDigits(p.xorOut.value_or(0), digits) + " " +
                       Box(p.xorOut.has_value(), "异或输出") + " " +
                       Box(p.reversePoly, "多项式逆序") + " " + Box(!p.reflectedTable, "表逆序") +
                       " " + Box(!p.reflectedUpdate, "算法逆序");
    return name.empty() ? line : line + "  " + std::string(name);
}

struct NamedParams {
    CrcParams params;
    std::string_view name;
};

// The first catalogue algorithm among the fit's pairs of init and XOR-out, if any.
std::optional<NamedParams> CatalogueMember(const CrcFit& fit) {
    for (const CatalogueEntry& entry : CrcCatalogue()) {
        CrcParams params = ToCrcParams(entry);
        if (FitHolds(fit, params)) {
            if (params.xorOut == 0u)
                params.xorOut.reset();
            return NamedParams{params, entry.name};
        }
    }
    return std::nullopt;
}

std::string PairCount(int bits) {
    return std::to_string(std::uint64_t{1} << bits) + " pairs of 初始值 and 异或值";
}

// Whether all samples have one length, for the notes on init and XOR-out.
bool OneLength(const std::vector<SampleText>& samples) {
    return std::ranges::all_of(
        samples, [&](const SampleText& s) { return s.data.size() == samples[0].data.size(); });
}

// The other pairs that no message from the fit's alike length on tells apart.
std::string Twins(const CrcFit& fit, const CrcParams& shown) {
    const std::uint32_t high = shown.xorOut.value_or(0) & ~0xFFFFu;
    std::string twins;
    for (std::uint64_t i = 0; i < (std::uint64_t{1} << fit.family.Bits()); ++i) {
        const auto [init, xorLow] = fit.family.Member(i);
        const std::uint32_t xorOut = fit.params.width == 16 ? high | xorLow : xorLow;
        if (init != shown.init || xorOut != shown.xorOut.value_or(0))
            twins += (twins.empty() ? "" : "; ") + InitXorText(fit.params.width, init, xorOut);
    }
    return twins;
}

// What the family of init and XOR-out behind a line means; member is a
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
        out << "  " << PairCount(bits) << " fit: "
            << (oneLength ? "all samples have one length, so only the two together are fixed; "
                            "a sample of another length separates them"
                          : "the samples fix only part of them; samples of other lengths tell "
                            "more apart");
        if (member)
            out << "; " << member->name << " ("
                << InitXorText(fit.params.width, member->params.init,
                               member->params.xorOut.value_or(0))
                << ") is among them";
        out << '\n';
    } else if (bits > 2) {
        out << "  " << PairCount(bits) << " give " << alike << '\n';
    } else {
        out << "  also " << Twins(fit, shown) << ": " << alike << '\n';
    }
}

struct Tally {
    std::size_t sets = 0;
    std::size_t needed = 0;
    bool settled = true; // every set's init and XOR-out as fixed as any data can fix them
};

void PrintSolution(const CrcSolution& solution, bool oneLength, Tally& tally, std::ostream& out) {
    for (const CrcFit& fit : solution.fits) {
        // A catalogue algorithm stands for the family only where no data could
        // tell them apart; otherwise the family keeps its smallest XOR-out.
        const bool settled = fit.family.Bits() == fit.indistinguishableBits;
        const std::optional<NamedParams> member = CatalogueMember(fit);
        const NamedParams shown = settled && member ? *member : NamedParams{fit.params, {}};
        out << SetLine(shown.params, shown.name) << '\n';
        PrintFamily(fit, shown.params, settled ? std::nullopt : member, oneLength, out);
        tally.settled = tally.settled && settled;
    }
    tally.sets += solution.fits.size();
    tally.needed = std::max(tally.needed, solution.samplesNeeded);
}

void PrintSummary(const Tally& tally, std::size_t count, std::ostream& out) {
    const std::string all =
        count == 2 ? "both samples" : "all " + std::to_string(count) + " samples";
    const std::string first = "the first " + std::to_string(tally.needed);
    const bool fewer = tally.needed < count;
    if (tally.sets == 0)
        out << "No parameter set fits " << all << "."
            << (fewer ? " The" + first.substr(3) + " already rule out every set." : "") << '\n';
    else if (tally.sets == 1 && tally.settled)
        out << "Unique: one parameter set fits " << all << "; "
            << (fewer ? first + " were enough.\n" : all + " were needed.\n");
    else if (tally.sets == 1)
        out << "One parameter set fits " << all
            << ", its 初始值 and 异或值 not yet separated: add a sample of another length.\n";
    else
        out << "Not unique: " << tally.sets << " parameter sets fit " << all
            << ". Add samples to tell them apart.\n";
    if (tally.sets > 0)
        out << "Each polynomial is shown in its normal form; bit-reversed, with 多项式逆序 "
               "toggled, it is the same set.\n";
}

CrcSolution Solve(std::span<const CrcSample> samples, int width) {
    CrcSolution solution = SolveCrc(samples, width);
    if (solution.tooFewSamples)
        throw CliError("these samples leave the polynomial open: give two samples of one "
                       "length, or three samples, or more");
    return solution;
}

} // namespace

int SolveSamples(const CliOptions& options, std::ostream& out) {
    const std::vector<SampleText> texts = ReadSamples(options.samples);
    const std::vector<int> widths = Widths(options.width, texts);
    std::vector<CrcSample> samples;
    for (const SampleText& t : texts)
        samples.push_back({t.data, t.value});
    // Every width is solved before anything is printed: too few samples print nothing.
    std::vector<CrcSolution> solutions;
    for (const int width : widths)
        solutions.push_back(Solve(samples, width));
    const bool oneLength = OneLength(texts);
    Tally tally;
    for (const CrcSolution& solution : solutions)
        PrintSolution(solution, oneLength, tally, out);
    PrintSummary(tally, texts.size(), out);
    if (widths.back() == 32)
        out << "CRC-32 with 表逆序 and 算法逆序 set differently is not searched.\n";
    return tally.sets > 0 ? 0 : 1;
}
