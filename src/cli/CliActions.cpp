#include "CliActions.h"

#include "CrcCatalogue.h"
#include "CrcEngine.h"
#include "InputReader.h"
#include "SolveCommand.h"
#include "crc.h"
#include "hexformat.h"

#include <algorithm>
#include <iomanip>
#include <sstream>
#include <vector>

namespace {

constexpr int kFailed = 2;

// As the main window shows it, or as the bytes go out on the wire. A CRC-16
// widened by its XOR value keeps every byte its digits reach.
std::string FormatCrc(std::uint32_t value, int width, CrcLayout layout) {
    const std::string digits = HexDigits(value, width / 4);
    if (layout == CrcLayout::Digits)
        return digits;
    const std::size_t count = (digits.size() + 1) / 2;
    std::string bytes;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t shift = 8 * (layout == CrcLayout::LowByteFirst ? i : count - 1 - i);
        if (i)
            bytes += ' ';
        bytes += HexDigits((value >> shift) & 0xFF, 2);
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
            std::uint32_t crc = engine.Start();
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

// Every catalogue algorithm over one input, all in one pass.
std::vector<std::uint32_t> CatalogueResults(const CliInput& input) {
    std::vector<CrcEngine> engines;
    std::vector<std::uint32_t> registers;
    for (const CatalogueEntry& entry : CrcCatalogue()) {
        engines.emplace_back(ToCrcParams(entry));
        registers.push_back(engines.back().Start());
    }
    ReadInput(input, [&](auto block) {
        for (std::size_t i = 0; i < engines.size(); ++i)
            registers[i] = engines[i].Update(registers[i], block);
    });
    for (std::size_t i = 0; i < engines.size(); ++i)
        registers[i] = engines[i].Finish(registers[i]);
    return registers;
}

std::size_t LongestName() {
    std::size_t longest = 0;
    for (const CatalogueEntry& entry : CrcCatalogue())
        longest = std::max(longest, entry.name.size());
    return longest;
}

int AllResults(const CliOptions& options, std::ostream& out) {
    const std::vector<std::uint32_t> results = CatalogueResults(options.inputs.front());
    const auto column = static_cast<int>(LongestName() + 2);
    for (std::size_t i = 0; i < results.size(); ++i) {
        const CatalogueEntry& entry = CrcCatalogue()[i];
        out << std::left << std::setw(column) << entry.name
            << FormatCrc(results[i], entry.width, options.layout) << '\n';
    }
    return 0;
}

int Find(const CliOptions& options, std::ostream& out) {
    const std::vector<std::uint32_t> results = CatalogueResults(options.inputs.front());
    bool found = false;
    for (std::size_t i = 0; i < results.size(); ++i) {
        if (results[i] == options.findValue) {
            out << CrcCatalogue()[i].name << '\n';
            found = true;
        }
    }
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

void PrintPreset(std::ostream& out, const CatalogueEntry& e, int column) {
    const auto hex = [&](std::uint32_t value) { return HexDigits(value, e.width / 4); };
    const auto flag = [](bool value) { return value ? "true" : "false"; };
    std::ostringstream line;
    line << std::left << std::setw(column) << e.name << std::setw(7) << e.width << std::setw(10)
         << hex(e.poly) << std::setw(10) << hex(e.init) << std::setw(7) << flag(e.refin)
         << std::setw(8) << flag(e.refout) << std::setw(10) << hex(e.xorout) << std::setw(10)
         << hex(e.check) << e.aliases;
    std::string text = line.str();
    text.erase(text.find_last_not_of(' ') + 1);
    out << text << '\n';
}

int ListPresets(std::ostream& out) {
    const auto column = static_cast<int>(LongestName() + 2);
    out << std::left << std::setw(column) << "NAME"
        << "WIDTH  POLY      INIT      REFIN  REFOUT  XOROUT    CHECK     ALIASES\n";
    for (const CatalogueEntry& entry : CrcCatalogue())
        PrintPreset(out, entry, column);
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
            return Find(options, out);
        case CliAction::Table:
            return Table(options.params, out);
        case CliAction::ListPresets:
            return ListPresets(out);
        case CliAction::Solve:
            return SolveSamples(options, out);
        }
    } catch (const CliError& e) {
        ReportError(err, e);
    }
    return kFailed;
}
