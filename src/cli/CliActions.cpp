#include "CliActions.h"

#include "CrcCatalogue.h"
#include "CrcCodegen.h"
#include "CrcEngine.h"
#include "InputReader.h"
#include "SolveCommand.h"
#include "crc.h"
#include "hexdigits.h"
#include "hexformat.h"

#include <algorithm>
#include <iomanip>
#include <sstream>
#include <vector>

namespace {

constexpr int kFailed = 2;

// As the main window shows it, or as the bytes go out on the wire. A CRC-16
// widened by its XOR value keeps every byte its digits reach.
std::string FormatCrc(CrcWord value, int width, CrcLayout layout) {
    // A wider XOR value shows whole, as in the main window.
    int nibbles = (width + 3) / 4;
    while (nibbles < 32 && (value >> (4 * nibbles)) != 0)
        ++nibbles;
    std::string digits;
    for (int shift = 4 * (nibbles - 1); shift >= 0; shift -= 4)
        digits += kUpperHexDigits[(value >> shift) & 0xF];
    if (layout == CrcLayout::Digits)
        return digits;
    const std::size_t count = (digits.size() + 1) / 2;
    std::string bytes;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t shift = 8 * (layout == CrcLayout::LowByteFirst ? i : count - 1 - i);
        bytes += (i ? " " : "") + HexDigits(static_cast<std::uint8_t>(value >> shift), 2);
    }
    return bytes;
}

void ReportError(std::ostream& err, const CliError& e) {
    err << "quenfold-crc: " << e.what() << '\n';
}

int Checksums(const CliOptions& options, std::ostream& out, std::ostream& err) {
    const CrcEngine engine(options.params);
    const bool named = options.inputs.size() > 1;
    int status = 0;
    for (const CliInput& input : options.inputs) {
        try {
            CrcWord crc = engine.Start();
            ReadInput(input, [&](auto block) { crc = engine.Update(crc, block); });
            out << FormatCrc(engine.Finish(crc), options.params.width, options.layout);
            out << (named ? "  " + input.Name() : "") << '\n';
        } catch (const CliError& e) {
            ReportError(err, e);
            status = kFailed;
        }
    }
    return status;
}

struct CatalogueResult {
    const CatalogueEntry* entry;
    CrcWord crc;
};

// The catalogue algorithms that wanted picks, over one input, all in one pass.
template <typename Wanted>
std::vector<CatalogueResult> CatalogueResults(const CliInput& input, const Wanted& wanted) {
    std::vector<CatalogueResult> results;
    std::vector<CrcEngine> engines;
    for (const CatalogueEntry& entry : CrcCatalogue()) {
        if (wanted(entry)) {
            engines.emplace_back(ToCrcParams(entry));
            results.push_back({&entry, engines.back().Start()});
        }
    }
    ReadInput(input, [&](auto block) {
        for (std::size_t i = 0; i < engines.size(); ++i)
            results[i].crc = engines[i].Update(results[i].crc, block);
    });
    for (std::size_t i = 0; i < engines.size(); ++i)
        results[i].crc = engines[i].Finish(results[i].crc);
    return results;
}

int AllResults(const CliOptions& options, std::ostream& out) {
    const auto results = CatalogueResults(options.inputs.front(), [&](const CatalogueEntry& e) {
        return options.width == 0 || e.model.width == options.width;
    });
    std::size_t longest = 0;
    for (const CatalogueResult& r : results)
        longest = std::max(longest, r.entry->name.size());
    for (const CatalogueResult& r : results)
        out << std::left << std::setw(static_cast<int>(longest + 2)) << r.entry->name
            << FormatCrc(r.crc, r.entry->model.width, options.layout) << '\n';
    return 0;
}

int DigitsOf(int width) {
    return (width + 3) / 4;
}

int BytesOf(int width) {
    return (width + 7) / 8;
}

// value's low `bytes` bytes in the reverse order.
CrcWord SwapBytes(CrcWord value, int bytes) {
    CrcWord swapped = 0;
    for (int i = 0; i < bytes; ++i)
        swapped = swapped << 8 | ((value >> (8 * i)) & 0xFF);
    return swapped;
}

// The widths --find tried, for its message.
std::string WidthsTried(const CliOptions& options) {
    if (options.width != 0)
        return std::to_string(options.width) + (options.width == 1 ? " bit" : " bits");
    const int widest = 4 * options.find.digits;
    return std::to_string(widest - 3) + " to " + std::to_string(widest) + " bits";
}

// Which algorithms give the value's bytes swapped, as a CRC sent low byte
// first reads off the wire; said on err, after what --find tried.
template <typename Wire>
void ReportNotFound(const CliOptions& options, const std::vector<CatalogueResult>& results,
                    std::size_t tried, int bytes, const Wire& wire, std::ostream& err) {
    const CliFind& find = options.find;
    err << "quenfold-crc: --find: no catalogue algorithm of " << WidthsTried(options) << " gives "
        << find.text << " (" << tried << " tried)\n";
    const CrcWord swapped = SwapBytes(find.value, bytes);
    const std::string swappedText = FormatCrc(swapped, 8 * bytes, CrcLayout::Digits);
    std::vector<std::string_view> names;
    for (const CatalogueResult& r : results)
        if (wire(*r.entry) && r.crc == swapped)
            names.push_back(r.entry->name);
    if (names.empty()) {
        err << "quenfold-crc: --find: nor does any give its bytes swapped, " << swappedText << '\n';
        return;
    }
    err << "quenfold-crc: --find: its bytes swapped, " << swappedText << ", is what ";
    for (std::size_t i = 0; i < names.size(); ++i)
        err << (i ? ", " : "") << names[i];
    err << (names.size() == 1 ? " gives" : " give") << ": " << find.text
        << " is the CRC low byte first, as sent\n";
}

// The width comes from --width, or else from the digits typed; the value
// with its bytes swapped may be any width of as many bytes.
int Find(const CliOptions& options, std::ostream& out, std::ostream& err) {
    const CliFind& find = options.find;
    const int bytes = options.width != 0 ? BytesOf(options.width) : (find.digits + 1) / 2;
    const auto direct = [&](const CatalogueEntry& e) {
        return options.width != 0 ? e.model.width == options.width
                                  : DigitsOf(e.model.width) == find.digits;
    };
    const auto wire = [&](const CatalogueEntry& e) {
        return options.width != 0 ? e.model.width == options.width
                                  : BytesOf(e.model.width) == bytes;
    };
    const auto results = CatalogueResults(
        options.inputs.front(), [&](const CatalogueEntry& e) { return direct(e) || wire(e); });
    std::size_t tried = 0;
    bool found = false;
    for (const CatalogueResult& r : results) {
        if (direct(*r.entry)) {
            ++tried;
            if (r.crc == find.value) {
                out << r.entry->name << '\n';
                found = true;
            }
        }
    }
    if (!found)
        ReportNotFound(options, results, tried, bytes, wire, err);
    return found ? 0 : 1;
}

int Table(const CrcParams& params, std::ostream& out) {
    if (params.width != 16)
        throw CliError("--table shows the CRC-16 table only");
    BuildCrc16Table(static_cast<std::uint16_t>(EffectivePoly(params)), params.reflectedTable);
    for (const std::string& line : Crc16TableLines(Crc16Table))
        out << line << '\n';
    return 0;
}

// Every entry's model line, with its aliases in a field that model lines skip.
int ListPresets(std::ostream& out) {
    for (const CatalogueEntry& entry : CrcCatalogue()) {
        out << FormatModelLine(entry.model, entry.name);
        if (!entry.aliases.empty())
            out << " aliases=\"" << entry.aliases << '"';
        out << '\n';
    }
    return 0;
}

int ShowModel(const CliOptions& options, std::ostream& out) {
    const CrcParams& p = options.params;
    const std::optional<CrcModel> model = ToCrcModel(p);
    if (!model && p.reflectedTable != p.reflectedUpdate)
        throw CliError("--show-model: the table and the update run in different bit orders, "
                       "which the catalogue's model cannot describe");
    if (!model)
        throw CliError("--show-model: the XOR-out value " +
                       FormatCrc(p.xorOut.value_or(0), p.width, CrcLayout::Digits) +
                       " is wider than the CRC, which the catalogue's model cannot describe");
    out << FormatModelLine(*model, options.name) << '\n';
    return 0;
}

int Emit(const CliOptions& options, std::ostream& out) {
    try {
        switch (options.code) {
        case CodeKind::C:
            out << EmitC(options.params, options.codegen);
            break;
        case CodeKind::Header:
            out << EmitCHeader(options.params, options.codegen);
            break;
        case CodeKind::Verilog:
            out << EmitVerilog(options.params, options.codegen);
            break;
        }
    } catch (const CodegenError& e) {
        throw CliError(std::string("--emit: ") + e.what());
    }
    return 0;
}

} // namespace

int RunCli(const CliOptions& options, std::ostream& out, std::ostream& err) {
    try {
        switch (options.action) {
        case CliAction::Checksum:
            return Checksums(options, out, err);
        case CliAction::All:
            return AllResults(options, out);
        case CliAction::Find:
            return Find(options, out, err);
        case CliAction::Table:
            return Table(options.params, out);
        case CliAction::ListPresets:
            return ListPresets(out);
        case CliAction::ShowModel:
            return ShowModel(options, out);
        case CliAction::Solve:
            return SolveSamples(options, out);
        case CliAction::Emit:
            return Emit(options, out);
        }
    } catch (const CliError& e) {
        ReportError(err, e);
    }
    return kFailed;
}
