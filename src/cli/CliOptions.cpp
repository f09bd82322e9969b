#include "CliOptions.h"

#include "CrcCatalogue.h"
#include "QuenfoldVersion.h"
#include "hextokens.h"
#include "reporttext.h"

#include <CLI/CLI.hpp>

#include <initializer_list>
#include <sstream>

namespace {

constexpr char kDescription[] =
    "Computes the CRC-16 or CRC-32 of files, standard input or data given on the command\n"
    "line, with the parameters and the three reflection options of the main window.";

constexpr char kFooter[] = R"(The reflection options are the main window's check boxes:
  --reverse-poly      reverse the polynomial's bits before the table is built.
  --table-msb-first   build the table most-significant-bit first;
  --update-msb-first  run the update most-significant-bit first.
Without the last two, the table and the update run least-significant-bit first,
as they do in the main window while those boxes are clear. A reflected CRC
takes the normal polynomial with --reverse-poly; an unreflected one takes
both --table-msb-first and --update-msb-first.

Hex values are one to eight hexadecimal digits, no prefix. --xorout switches
the XOR-out on; it is applied whole, so a wider value shows in a CRC-16.
--modbus and --ccitt set what the main window's two preset buttons set;
--preset takes any name or alias that --list-presets shows, in any case.

--solve finds every CRC that gives the CRCs of all samples: of the catalogue's
model at any width up to 64, printed as its model line with the main window's
settings under it where the window has them, and of the main window's CRC-16
with the table and the update in different bit orders:
  --sample DATA:CRC       DATA as bytes, as --hex takes them;
  --sample-text TEXT:CRC  the bytes of TEXT;
  --samples FILE          one DATA:CRC a line (- is standard input).
CRC is one hexadecimal number, 0x or not. The widths tried are the one
--width, --crc16 or --crc32 asks for, or else those the CRCs' digits allow
(two digits: 5 to 8 bits); the output says which. One sample gives the
catalogue algorithms that fit it: the algebra needs two samples of one
length, or three. When nothing fits, the CRCs with their bytes swapped (wire
order) and the data without the CRC at their end are tried. Not searched: a
CRC-32 with the table and the update in different bit orders, a CRC-16 so
when the first three samples hold more than 4096 bytes.

Exit status: 0 done (--solve: a set fits), 1 --find found nothing or no set
fits --solve's samples, 2 usage or input error, or samples that leave the
polynomial open, 3 no set fits --solve's samples among those searched, and
some were not searched.)";

// The help names each option's value but not the options it excludes: those
// lists would bury the descriptions, and the parser names them when they clash.
class HelpFormatter : public CLI::Formatter {
public:
    std::string make_option_opts(const CLI::Option* option) const override {
        if (option->get_type_size() == 0)
            return {};
        return " " + option->get_type_name() + (option->get_expected_max() > 1 ? " ..." : "");
    }
};

void Exclusive(std::initializer_list<CLI::Option*> options) {
    for (auto a = options.begin(); a != options.end(); ++a)
        for (auto b = a + 1; b != options.end(); ++b)
            (*a)->excludes(*b);
}

void Excludes(std::initializer_list<CLI::Option*> these,
              std::initializer_list<CLI::Option*> those) {
    for (CLI::Option* a : these)
        for (CLI::Option* b : those)
            a->excludes(b);
}

// A flag of the help's group; the description as a string lvalue picks the
// parser's description overload rather than its bound-variable one.
CLI::Option* Flag(CLI::App& app, const std::string& name, const std::string& description,
                  const std::string& group) {
    return app.add_flag(name, description)->group(group);
}

std::uint32_t HexValue(const std::string& option, const std::string& text) {
    try {
        return ParseHexToken(text);
    } catch (const EConvertError& e) {
        throw CliError(option + ": " + ErrorReportText(e.what()));
    }
}

// The command line as typed, and which options were given.
class CommandLine {
public:
    CommandLine();
    // Throws CLI::ParseError for --help, --version and usage errors.
    void Parse(int argc, const char* const* argv) { app_.parse(argc, argv); }
    // Throws CliError for values that do not read.
    CliOptions Resolve() const;
    int Exit(const CLI::Error& e, std::ostream& out, std::ostream& err) const {
        return app_.exit(e, out, err);
    }

private:
    void AddParameters();
    void AddPresets();
    void AddInputs();
    void AddOutputs();
    void AddSolve();
    void AddRules();
    CliAction Action() const;
    CrcParams Params(CliAction action) const;
    CrcParams TypedParams(CliAction action) const;
    std::vector<CliInput> Inputs() const;
    CrcLayout Layout() const;
    std::vector<CliSample> Samples() const;

    CLI::App app_;
    std::string init_, poly_, xorout_, preset_, hex_, text_, bytes_, find_;
    std::vector<std::string> files_, samples_, sample_texts_, sample_files_;
    CLI::Option *crc16_, *crc32_, *init_opt_, *poly_opt_, *xorout_opt_;
    CLI::Option *reverse_poly_, *table_msb_first_, *update_msb_first_;
    CLI::Option *modbus_, *ccitt_, *preset_opt_, *list_presets_;
    CLI::Option *hex_opt_, *text_opt_, *files_opt_;
    CLI::Option *bytes_opt_, *all_, *find_opt_, *table_;
    CLI::Option *solve_, *sample_opt_, *sample_text_opt_, *sample_files_opt_;
};

CommandLine::CommandLine() : app_(kDescription, "quenfold-crc") {
    app_.set_version_flag("--version", std::string("quenfold-crc ") + kQuenfoldVersion,
                          "Print the version and exit");
    app_.set_help_flag("-h,--help", "Print this help and exit");
    app_.footer(kFooter);
    auto formatter = std::make_shared<HelpFormatter>();
    formatter->column_width(24);
    app_.formatter(formatter);
    app_.failure_message([](const CLI::App*, const CLI::Error& e) {
        return std::string("quenfold-crc: ") + e.what() +
               "\nTry 'quenfold-crc --help' for more information.\n";
    });
    AddParameters();
    AddPresets();
    AddInputs();
    AddOutputs();
    AddSolve();
    AddRules();
}

void CommandLine::AddParameters() {
    const std::string group = "Parameters (as in the main window)";
    crc16_ = Flag(app_, "--crc16", "CRC-16 (the default)", group);
    crc32_ = Flag(app_, "--crc32", "CRC-32", group);
    init_opt_ = app_.add_option("--init", init_, "Initial value")->type_name("HEX")->group(group);
    poly_opt_ = app_.add_option("--poly", poly_, "Polynomial")->type_name("HEX")->group(group);
    xorout_opt_ = app_.add_option("--xorout", xorout_, "XOR the result with HEX")
                      ->type_name("HEX")
                      ->group(group);
    reverse_poly_ = Flag(app_, "--reverse-poly", "Reverse the polynomial (多项式逆序)", group);
    table_msb_first_ = Flag(app_, "--table-msb-first", "Table MSB first (表逆序)", group);
    update_msb_first_ = Flag(app_, "--update-msb-first", "Update MSB first (算法逆序)", group);
}

void CommandLine::AddPresets() {
    const std::string group = "Presets";
    modbus_ = Flag(app_, "--modbus", "The Modbus-CRC16 button", group);
    ccitt_ = Flag(app_, "--ccitt", "The CRC16-CCITT button (CRC-16/IBM-3740)", group);
    preset_opt_ = app_.add_option("--preset", preset_, "A catalogue algorithm")
                      ->type_name("NAME")
                      ->group(group);
    list_presets_ = Flag(app_, "--list-presets", "Print the catalogue and exit", group);
}

void CommandLine::AddInputs() {
    const std::string group = "Input (standard input when none is given)";
    hex_opt_ = app_.add_option("--hex", hex_, "Hexadecimal byte tokens, as the memo takes them")
                   ->type_name("TOKENS")
                   ->group(group);
    text_opt_ =
        app_.add_option("--text", text_, "The bytes of STRING")->type_name("STRING")->group(group);
    files_opt_ = app_.add_option("files", files_, "Files to read; - is standard input")
                     ->type_name("FILE")
                     ->group(group);
}

void CommandLine::AddOutputs() {
    const std::string group = "Output";
    bytes_opt_ = app_.add_option("--bytes", bytes_, "The CRC's bytes, low (le) or high (be) first")
                     ->check(CLI::IsMember({"le", "be"}).description(""))
                     ->type_name("le|be")
                     ->group(group);
    all_ = Flag(app_, "--all", "Every catalogue algorithm over the input", group);
    find_opt_ = app_.add_option("--find", find_, "The catalogue algorithms giving VALUE")
                    ->type_name("VALUE")
                    ->group(group);
    table_ = Flag(app_, "--table", "The CRC-16 table, as the table window shows it", group);
}

void CommandLine::AddSolve() {
    const std::string group = "Solving (which CRC gives a device's CRCs)";
    solve_ = Flag(app_, "--solve", "Find the parameter sets behind the samples", group);
    const auto sample = [&](const std::string& name, std::vector<std::string>& values,
                            const std::string& description, const std::string& type) {
        return app_.add_option(name, values, description)
            ->type_name(type)
            ->allow_extra_args(false)
            ->group(group)
            ->needs(solve_);
    };
    sample_opt_ = sample("--sample", samples_, "Hexadecimal data and its CRC", "DATA:CRC");
    sample_text_opt_ = sample("--sample-text", sample_texts_, "Text data and its CRC", "TEXT:CRC");
    sample_files_opt_ = sample("--samples", sample_files_, "One DATA:CRC a line", "FILE");
}

void CommandLine::AddRules() {
    const auto parameters = {crc16_,      crc32_,        init_opt_,        poly_opt_,
                             xorout_opt_, reverse_poly_, table_msb_first_, update_msb_first_};
    const auto presets = {modbus_, ccitt_, preset_opt_};
    Exclusive({crc16_, crc32_});
    Exclusive(presets);
    Exclusive({hex_opt_, text_opt_, files_opt_});
    Exclusive({all_, find_opt_, table_, list_presets_});
    Excludes(presets, parameters);
    Excludes({all_, find_opt_}, parameters);
    Excludes({all_, find_opt_}, presets);
    Excludes({find_opt_, table_}, {bytes_opt_});
    Excludes({table_}, {hex_opt_, text_opt_, files_opt_});
    Excludes({list_presets_}, parameters);
    Excludes({list_presets_}, presets);
    Excludes({list_presets_}, {hex_opt_, text_opt_, files_opt_, bytes_opt_});
    Excludes({solve_}, {init_opt_, poly_opt_, xorout_opt_, reverse_poly_, table_msb_first_,
                        update_msb_first_});
    Excludes({solve_}, presets);
    Excludes({solve_},
             {hex_opt_, text_opt_, files_opt_, bytes_opt_, all_, find_opt_, table_, list_presets_});
}

CliAction CommandLine::Action() const {
    if (*solve_)
        return CliAction::Solve;
    if (*all_)
        return CliAction::All;
    if (*find_opt_)
        return CliAction::Find;
    if (*table_)
        return CliAction::Table;
    if (*list_presets_)
        return CliAction::ListPresets;
    return CliAction::Checksum;
}

CrcParams CommandLine::Params(CliAction action) const {
    if (*modbus_)
        return {16, 0x8005, 0xFFFF, true, true, true, std::nullopt};
    if (*ccitt_)
        return {16, 0x1021, 0xFFFF, false, false, false, std::nullopt};
    if (*preset_opt_) {
        const CatalogueEntry* entry = FindCatalogueEntry(preset_);
        if (!entry)
            throw CliError("unknown preset '" + preset_ + "' (see --list-presets)");
        return ToCrcParams(*entry);
    }
    return TypedParams(action);
}

CrcParams CommandLine::TypedParams(CliAction action) const {
    CrcParams params;
    params.width = *crc32_ ? 32 : 16;
    // The table depends on neither the initial value nor the XOR-out.
    if (!*init_opt_ && action != CliAction::Table)
        throw CliError("no initial value: give --init, or a preset");
    if (!*poly_opt_)
        throw CliError("no polynomial: give --poly, or a preset");
    if (*init_opt_)
        params.init = HexValue("--init", init_);
    params.poly = HexValue("--poly", poly_);
    if (*xorout_opt_)
        params.xorOut = HexValue("--xorout", xorout_);
    // Two of the boxes ask for most-significant-bit first when ticked.
    params.reversePoly = reverse_poly_->count() > 0;
    params.reflectedTable = table_msb_first_->count() == 0;
    params.reflectedUpdate = update_msb_first_->count() == 0;
    return params;
}

std::vector<CliInput> CommandLine::Inputs() const {
    if (*hex_opt_)
        return {{CliInput::Kind::Hex, hex_}};
    if (*text_opt_)
        return {{CliInput::Kind::Text, text_}};
    if (files_.empty())
        return {{CliInput::Kind::Stdin, "-"}};
    std::vector<CliInput> inputs;
    for (const std::string& file : files_)
        inputs.push_back({file == "-" ? CliInput::Kind::Stdin : CliInput::Kind::File, file});
    return inputs;
}

CrcLayout CommandLine::Layout() const {
    if (!*bytes_opt_)
        return CrcLayout::Digits;
    return bytes_ == "le" ? CrcLayout::LowByteFirst : CrcLayout::HighByteFirst;
}

// The samples in the order typed, whichever option gave each.
std::vector<CliSample> CommandLine::Samples() const {
    const std::pair<const CLI::Option*, CliSample::Kind> kinds[] = {
        {sample_opt_, CliSample::Kind::Hex},
        {sample_text_opt_, CliSample::Kind::Text},
        {sample_files_opt_, CliSample::Kind::File}};
    std::vector<CliSample> samples;
    std::size_t taken[std::size(kinds)] = {};
    for (const CLI::Option* option : app_.parse_order())
        for (std::size_t k = 0; k < std::size(kinds); ++k)
            if (option == kinds[k].first)
                samples.push_back({kinds[k].second, option->results().at(taken[k]++)});
    if (samples.empty())
        throw CliError("--solve needs samples: give --sample, --sample-text or --samples");
    return samples;
}

CliOptions CommandLine::Resolve() const {
    CliOptions options;
    options.action = Action();
    if (options.action == CliAction::ListPresets)
        return options;
    if (options.action == CliAction::Solve) {
        options.samples = Samples();
        options.solveWidth = *crc32_ ? 32 : *crc16_ ? 16 : 0;
        return options;
    }
    if (options.action == CliAction::Checksum || options.action == CliAction::Table)
        options.params = Params(options.action);
    if (options.action == CliAction::Find)
        options.findValue = HexValue("--find", find_);
    options.layout = Layout();
    options.inputs = Inputs();
    if (options.inputs.size() > 1 &&
        (options.action == CliAction::All || options.action == CliAction::Find))
        throw CliError("--all and --find read one input");
    return options;
}

} // namespace

std::string CliInput::Name() const {
    if (!label.empty())
        return label;
    switch (kind) {
    case Kind::Hex:
        return "--hex";
    case Kind::Text:
        return "--text";
    default:
        return value;
    }
}

std::variant<CliOptions, CliExit> ParseCliOptions(int argc, const char* const* argv) {
    CommandLine commandLine;
    std::ostringstream out, err;
    try {
        commandLine.Parse(argc, argv);
        return commandLine.Resolve();
    } catch (const CLI::ParseError& e) {
        const int code = commandLine.Exit(e, out, err);
        return CliExit{code == 0 ? 0 : 2, out.str(), err.str()};
    } catch (const CliError& e) {
        return CliExit{2, "", std::string("quenfold-crc: ") + e.what() + "\n"};
    }
}
