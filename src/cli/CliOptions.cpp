#include "CliOptions.h"

#include "CrcCatalogue.h"
#include "CrcEngine.h"
#include "QuenfoldVersion.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <initializer_list>
#include <sstream>

namespace {

constexpr char kDescription[] =
    "Computes CRCs of any width from 1 to 128 bits over files, standard input or data\n"
    "given on the command line: by the catalogue's model, by any algorithm of the\n"
    "public catalogue, or with the main window's CRC-16 and CRC-32 parameters and\n"
    "its three reflection options.";

constexpr char kFooter[] =
    R"(The catalogue's model: --width N and --poly, the polynomial in normal form
without its top bit; --init as the catalogue states it, not reflected; --refin
and --refout for a reflected input and output (--refin=false turns one off);
--xorout. init and xorout default to 0, refin and refout to false.
--model takes the same as one line, as --show-model and --list-presets print it:
  --model 'width=16 poly=0x1021 init=0xffff refin=false refout=false'
width= and poly= are required, the other fields default as above; check= and
residue=, when given, must be the model's own, and name= is kept.
--preset takes any name or alias --list-presets shows, in any case. --poly,
--init, --xorout, --refin and --refout change a --model or --preset:
  --preset CRC-16/MODBUS --init 0
Values are hexadecimal, with or without 0x, and no wider than the CRC.

Without --width, --model or --preset, the options are the main window's: --init
and --poly (both needed), --crc32 or --crc16 (the default), and its check boxes:
  --reverse-poly      reverse the polynomial's bits before the table is built.
  --table-msb-first   build the table most-significant-bit first;
  --update-msb-first  run the update most-significant-bit first.
Without the last two, the table and the update run least-significant-bit first,
as they do in the main window while those boxes are clear. A reflected CRC
takes the normal polynomial with --reverse-poly; an unreflected one takes
both --table-msb-first and --update-msb-first. Values are at most 32 bits, as
the window's fields take them: a CRC-16 uses the low 16 bits of --init and
--poly, and --xorout, which switches the XOR-out on, is applied whole, so a
wider value shows in a CRC-16. --modbus and --ccitt set what the main window's
two preset buttons set.

--hex takes bytes as people write them: "01 03 00 0A", "0103000A", "0x01,0x03"
or "01:03:00:0A"; a token gives its bytes in order, so its digits are even.
--memo-hex reads tokens as the main window's memo does: each gives the low
byte of its value, so "1FF" gives FF.

A result is ceil(width / 4) upper-case digits, or with --bytes ceil(width / 8)
bytes. --find looks among the catalogue's algorithms of the width --width
gives, or else of the widths written with as many digits as VALUE has: 2 for
CRC-5 to CRC-8, 4 for CRC-13 to CRC-16, 16 for CRC-61 to CRC-64; leading zeros
count. When none gives VALUE it says which it tried, and which gives VALUE
with its bytes swapped: the CRC as read off the wire, sent low byte first.

Examples:
  quenfold-crc --width 8 --poly 0x07 --text 123456789
  quenfold-crc --preset CRC-64/XZ --text 123456789
  quenfold-crc --model 'width=16 poly=0x1021 init=0xffff' --text 123456789
  quenfold-crc --find C5CD --hex "01 03 00 00 00 0A"

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
length, or three. When nothing fits, or only sets of no catalogue algorithm,
the CRCs with their bytes swapped (wire order) and the data without the CRC at
their end are tried. Not searched: a
CRC-32 with the table and the update in different bit orders, a CRC-16 so
when the first three samples hold more than 4096 bytes.

--emit c prints C99 source that computes the CRC in effect, of any width from 1
to 64: the type NAME_t, NAME_init(), NAME_update(crc, data, len), which takes
the data in any split, and NAME_finalize(crc), which returns what quenfold-crc
prints; NAME is --prefix's, crc by default. The functions are static, for a
source included where it is used; --extern gives them external linkage, and
--emit h prints their declarations. --style bitwise needs no table, table (the
default) takes one of 256 entries, slice8 eight, for eight bytes a step.
--emit verilog prints a module NAME with ports clk, rst, en, data and crc:
rst, synchronous and active high, loads the initial value; each rising clock
with en high takes the bytes of data; crc is the finalized CRC of the bytes
since rst. --data-width 16, 32 or 64 takes 2, 4 or 8 bytes a clock in message
order from the lowest byte up: the first in data[7:0], the next in data[15:8];
a message is then fed as whole words of that many bytes.
A main-window XOR value wider than its CRC widens NAME_t and crc to hold it.

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

// An option's value read by a model reader, its message naming the option.
template <typename Reader> auto Named(const char* option, const Reader& read) {
    try {
        return read();
    } catch (const CrcModelError& e) {
        throw CliError(std::string(option) + ": " + e.what());
    }
}

CrcWord HexValue(const char* option, const std::string& text, int width) {
    return Named(option, [&] { return ParseModelValue(text, width); });
}

// The parser's words for a missing or repeated value, in the program's.
std::string UsageText(const CLI::Error& e) {
    const std::string what = e.what();
    const std::size_t colon = what.find(": ");
    if (colon != std::string::npos && what.starts_with("--")) {
        const std::string option = what.substr(0, colon);
        if (what.find(" required but received ") != std::string::npos)
            return option + " is given more than once";
        if (what.ends_with(" missing"))
            return option + " needs a value";
    }
    return what;
}

// The catalogue's name of params, when they compute one of its entries.
std::string CatalogueName(const CrcParams& params) {
    const std::optional<CrcModel> model = ToCrcModel(params);
    if (!model)
        return {};
    for (const CatalogueEntry& entry : CrcCatalogue())
        if (entry.model == *model)
            return std::string(entry.name);
    return {};
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
    CLI::Option* Value(const std::string& name, std::string& target, const std::string& description,
                       const std::string& type, const std::string& group);
    void AddModel();
    void AddParameters();
    void AddWindow();
    void AddInputs();
    void AddOutputs();
    void AddSolve();
    void AddCode();
    void AddRules();
    CliAction Action() const;
    int Width() const;
    void SetParams(CliOptions& options) const;
    CrcModel CatalogueModel(std::string& name) const;
    CrcParams WindowParams(CliAction action) const;
    CliFind Find(int width) const;
    std::vector<CliInput> Inputs() const;
    CrcLayout Layout() const;
    std::vector<CliSample> Samples() const;
    CodeKind Code() const;
    CodegenOptions Codegen(CodeKind kind) const;

    CLI::App app_;
    std::string width_, refin_, refout_, model_, preset_, init_, poly_, xorout_;
    std::string hex_, memo_hex_, text_, bytes_, find_;
    std::string emit_, style_, prefix_ = "crc", data_width_;
    std::vector<std::string> files_, samples_, sample_texts_, sample_files_;
    CLI::Option *width_opt_, *refin_opt_, *refout_opt_, *model_opt_, *preset_opt_;
    CLI::Option *show_model_, *list_presets_, *init_opt_, *poly_opt_, *xorout_opt_;
    CLI::Option *crc16_, *crc32_, *reverse_poly_, *table_msb_first_, *update_msb_first_;
    CLI::Option *modbus_, *ccitt_;
    CLI::Option *hex_opt_, *memo_hex_opt_, *text_opt_, *files_opt_;
    CLI::Option *bytes_opt_, *all_, *find_opt_, *table_;
    CLI::Option *solve_, *sample_opt_, *sample_text_opt_, *sample_files_opt_;
    CLI::Option *emit_opt_, *style_opt_, *prefix_opt_, *extern_, *data_width_opt_;
};

std::string VersionText() {
    std::string text = std::string("quenfold-crc ") + kQuenfoldVersion +
                       "\nengine path: " + std::string(CrcPathName(FastestCrcPath())) +
                       " (this CPU runs";
    for (const CrcPath path : AvailableCrcPaths())
        text.append(" ").append(CrcPathName(path));
    return text + ")";
}

CommandLine::CommandLine() : app_(kDescription, "quenfold-crc") {
    app_.set_version_flag("--version", VersionText(),
                          "Print the version and the engine path in use, and exit");
    app_.set_help_flag("-h,--help", "Print this help and exit");
    app_.footer(kFooter);
    auto formatter = std::make_shared<HelpFormatter>();
    formatter->column_width(24);
    app_.formatter(formatter);
    app_.failure_message([](const CLI::App*, const CLI::Error& e) {
        return "quenfold-crc: " + UsageText(e) +
               "\nTry 'quenfold-crc --help' for more information.\n";
    });
    AddModel();
    AddParameters();
    AddWindow();
    AddInputs();
    AddOutputs();
    AddSolve();
    AddCode();
    AddRules();
}

CLI::Option* CommandLine::Value(const std::string& name, std::string& target,
                                const std::string& description, const std::string& type,
                                const std::string& group) {
    return app_.add_option(name, target, description)->type_name(type)->group(group);
}

void CommandLine::AddModel() {
    const std::string group = "The CRC, in the catalogue's model (any width)";
    width_opt_ = Value("--width", width_, "The width in bits, 1 to 128", "N", group);
    refin_opt_ =
        app_.add_flag("--refin", refin_, "Reflected input: bytes least-significant-bit first")
            ->group(group);
    refout_opt_ =
        app_.add_flag("--refout", refout_, "Reflected output: the register reversed")->group(group);
    model_opt_ = Value("--model", model_, "A model line: width=16 poly=0x8005 ...", "LINE", group);
    preset_opt_ =
        Value("--preset", preset_, "A catalogue algorithm, by name or alias", "NAME", group);
    show_model_ = Flag(app_, "--show-model", "Print the model in effect as a line and exit", group);
    list_presets_ =
        Flag(app_, "--list-presets", "Print the catalogue's model lines and exit", group);
}

void CommandLine::AddParameters() {
    const std::string group = "Values (the catalogue's terms with --width, --model or --preset)";
    poly_opt_ = Value("--poly", poly_, "Polynomial", "HEX", group);
    init_opt_ = Value("--init", init_, "Initial value", "HEX", group);
    xorout_opt_ = Value("--xorout", xorout_, "XOR the result with HEX", "HEX", group);
}

void CommandLine::AddWindow() {
    const std::string group = "The main window's parameters (CRC-16 and CRC-32)";
    crc16_ = Flag(app_, "--crc16", "CRC-16 (the default)", group);
    crc32_ = Flag(app_, "--crc32", "CRC-32", group);
    reverse_poly_ = Flag(app_, "--reverse-poly", "Reverse the polynomial (多项式逆序)", group);
    table_msb_first_ = Flag(app_, "--table-msb-first", "Table MSB first (表逆序)", group);
    update_msb_first_ = Flag(app_, "--update-msb-first", "Update MSB first (算法逆序)", group);
    modbus_ = Flag(app_, "--modbus", "The Modbus-CRC16 button", group);
    ccitt_ = Flag(app_, "--ccitt", "The CRC16-CCITT button (CRC-16/IBM-3740)", group);
}

void CommandLine::AddInputs() {
    const std::string group = "Input (standard input when none is given)";
    hex_opt_ = Value("--hex", hex_, "Hexadecimal bytes: \"01 03 0A\", \"01030A\", \"0x01,0x03\"",
                     "BYTES", group);
    memo_hex_opt_ = Value("--memo-hex", memo_hex_, "Hexadecimal tokens, as the main window's memo",
                          "TOKENS", group);
    text_opt_ = Value("--text", text_, "The bytes of STRING", "STRING", group);
    files_opt_ = app_.add_option("files", files_, "Files to read; - is standard input")
                     ->type_name("FILE")
                     ->group(group);
}

void CommandLine::AddOutputs() {
    const std::string group = "Output";
    bytes_opt_ =
        Value("--bytes", bytes_, "The CRC's bytes, low (le) or high (be) first", "le|be", group);
    all_ = Flag(app_, "--all", "Every catalogue algorithm over the input", group);
    find_opt_ = Value("--find", find_, "The catalogue algorithms giving VALUE", "VALUE", group);
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

void CommandLine::AddCode() {
    const std::string group = "Code for the target (see below)";
    emit_opt_ = Value("--emit", emit_, "Print code computing the CRC: C, a C header or Verilog",
                      "c|h|verilog", group);
    style_opt_ = Value("--style", style_, "C: no table, one (the default) or eight",
                       "bitwise|table|slice8", group)
                     ->needs(emit_opt_);
    prefix_opt_ = Value("--prefix", prefix_, "The code's names: NAME_t, NAME_init..., module NAME",
                        "NAME", group)
                      ->needs(emit_opt_);
    extern_ =
        Flag(app_, "--extern", "C: functions with external linkage, as --emit h declares", group)
            ->needs(emit_opt_);
    data_width_opt_ =
        Value("--data-width", data_width_,
              "Verilog: data bits a clock, 8 (the default), 16, 32 or 64", "BITS", group)
            ->needs(emit_opt_);
}

void CommandLine::AddRules() {
    const auto catalogue = {width_opt_, refin_opt_, refout_opt_, model_opt_, preset_opt_};
    const auto window = {crc16_,  crc32_, reverse_poly_, table_msb_first_, update_msb_first_,
                         modbus_, ccitt_};
    const auto values = {init_opt_, poly_opt_, xorout_opt_};
    const auto model = {refin_opt_, refout_opt_, model_opt_, preset_opt_,
                        init_opt_,  poly_opt_,   xorout_opt_};
    const auto inputs = {hex_opt_, memo_hex_opt_, text_opt_, files_opt_};
    Excludes(catalogue, window);
    Exclusive({width_opt_, model_opt_, preset_opt_});
    Exclusive({crc16_, crc32_, modbus_, ccitt_});
    Excludes({modbus_, ccitt_}, values);
    Excludes({modbus_, ccitt_}, {reverse_poly_, table_msb_first_, update_msb_first_});
    Exclusive(inputs);
    Exclusive({all_, find_opt_, table_, list_presets_, show_model_, solve_, emit_opt_});
    Excludes({emit_opt_}, inputs);
    Excludes({emit_opt_}, {bytes_opt_});
    // --all and --find keep to a width, and take no model.
    Excludes({all_, find_opt_}, model);
    Excludes({all_, find_opt_}, window);
    Excludes({find_opt_, table_, show_model_, list_presets_, solve_}, {bytes_opt_});
    Excludes({table_, show_model_, list_presets_, solve_}, inputs);
    Excludes({list_presets_}, catalogue);
    Excludes({list_presets_}, window);
    Excludes({list_presets_}, values);
    Excludes({solve_}, model);
    Excludes({solve_}, {reverse_poly_, table_msb_first_, update_msb_first_, modbus_, ccitt_});
}

CliAction CommandLine::Action() const {
    const std::pair<const CLI::Option*, CliAction> actions[] = {
        {solve_, CliAction::Solve},
        {all_, CliAction::All},
        {find_opt_, CliAction::Find},
        {table_, CliAction::Table},
        {list_presets_, CliAction::ListPresets},
        {show_model_, CliAction::ShowModel},
        {emit_opt_, CliAction::Emit}};
    for (const auto& [option, action] : actions)
        if (*option)
            return action;
    return CliAction::Checksum;
}

int CommandLine::Width() const {
    if (*width_opt_)
        return Named("--width", [&] { return ParseModelWidth(width_); });
    return *crc32_ ? 32 : *crc16_ ? 16 : 0;
}

void CommandLine::SetParams(CliOptions& options) const {
    const bool catalogue =
        *width_opt_ || *model_opt_ || *preset_opt_ || *refin_opt_ || *refout_opt_;
    options.params =
        catalogue ? ToCrcParams(CatalogueModel(options.name)) : WindowParams(options.action);
    if (options.name.empty())
        options.name = CatalogueName(options.params);
}

// The model of --width, --model or --preset, changed by the values given;
// name is the model's while it stands unchanged.
CrcModel CommandLine::CatalogueModel(std::string& name) const {
    CrcModel model;
    if (*preset_opt_) {
        const CatalogueEntry* entry = FindCatalogueEntry(preset_);
        if (!entry)
            throw CliError("--preset: unknown algorithm '" + preset_ + "' (see --list-presets)");
        model = entry->model;
        name = entry->name;
    } else if (*model_opt_) {
        ModelLine line = Named("--model", [&] { return ParseModelLine(model_); });
        model = line.model;
        name = std::move(line.name);
    } else if (*width_opt_) {
        model.width = Width();
        if (!*poly_opt_)
            throw CliError("no polynomial: give --poly with --width, or a --model or --preset");
    } else {
        throw CliError("--refin and --refout need a width: give --width, --model or --preset");
    }
    const CrcModel given = model;
    if (*poly_opt_)
        model.poly = HexValue("--poly", poly_, model.width);
    if (*init_opt_)
        model.init = HexValue("--init", init_, model.width);
    if (*xorout_opt_)
        model.xorout = HexValue("--xorout", xorout_, model.width);
    if (*refin_opt_)
        model.refin = Named("--refin", [&] { return ParseModelFlag(refin_); });
    if (*refout_opt_)
        model.refout = Named("--refout", [&] { return ParseModelFlag(refout_); });
    if (model != given)
        name.clear();
    return model;
}

CrcParams CommandLine::WindowParams(CliAction action) const {
    if (*modbus_)
        return {16, 0x8005, 0xFFFF, true, true, true, std::nullopt};
    if (*ccitt_)
        return {16, 0x1021, 0xFFFF, false, false, false, std::nullopt};
    CrcParams params;
    params.width = *crc32_ ? 32 : 16;
    // The table depends on neither the initial value nor the XOR-out.
    if (!*init_opt_ && action != CliAction::Table)
        throw CliError("no initial value: give --init, or a preset");
    if (!*poly_opt_)
        throw CliError("no polynomial: give --poly, or a preset");
    // The window's fields take 32 bits whatever the width.
    if (*init_opt_)
        params.init = HexValue("--init", init_, 32);
    params.poly = HexValue("--poly", poly_, 32);
    if (*xorout_opt_)
        params.xorOut = HexValue("--xorout", xorout_, 32);
    // Two of the boxes ask for most-significant-bit first when ticked.
    params.reversePoly = reverse_poly_->count() > 0;
    params.reflectedTable = table_msb_first_->count() == 0;
    params.reflectedUpdate = update_msb_first_->count() == 0;
    return params;
}

CliFind CommandLine::Find(int width) const {
    CliFind find{find_, HexValue("--find", find_, width ? width : kMaxCrcWidth), 0};
    find.digits = static_cast<int>(find_.size());
    if (find_.size() >= 2 && find_[0] == '0' && (find_[1] | 0x20) == 'x')
        find.digits -= 2;
    // The digits give the width, and no CRC has more than 32.
    if (find.digits > kMaxCrcWidth / 4)
        throw CliError("--find: " + find_ + " has more digits than a CRC of " +
                       std::to_string(kMaxCrcWidth) + " bits");
    return find;
}

std::vector<CliInput> CommandLine::Inputs() const {
    if (*hex_opt_)
        return {{CliInput::Kind::Hex, hex_}};
    if (*memo_hex_opt_)
        return {{CliInput::Kind::MemoHex, memo_hex_}};
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
    if (bytes_ != "le" && bytes_ != "be")
        throw CliError("--bytes: '" + bytes_ + "' is neither le nor be");
    return bytes_ == "le" ? CrcLayout::LowByteFirst : CrcLayout::HighByteFirst;
}

CodeKind CommandLine::Code() const {
    if (emit_ == "c")
        return CodeKind::C;
    if (emit_ == "h")
        return CodeKind::Header;
    if (emit_ == "verilog")
        return CodeKind::Verilog;
    throw CliError("--emit: '" + emit_ + "' is not c, h or verilog");
}

CodegenOptions CommandLine::Codegen(CodeKind kind) const {
    CodegenOptions codegen;
    if (!IsCodeIdentifier(prefix_))
        throw CliError("--prefix: '" + prefix_ +
                       "' is not an identifier: a letter, then letters, digits and '_'");
    codegen.prefix = prefix_;
    const bool verilog = kind == CodeKind::Verilog;
    if (const std::string clash = verilog ? VerilogPrefixClash(prefix_) : CPrefixClash(prefix_);
        !clash.empty())
        throw CliError("--prefix: " + clash);
    if (verilog && (*style_opt_ || *extern_))
        throw CliError(std::string(*style_opt_ ? "--style" : "--extern") +
                       " goes with --emit c or h");
    if (!verilog && *data_width_opt_)
        throw CliError("--data-width goes with --emit verilog");
    if (*style_opt_) {
        const std::pair<const char*, CStyle> styles[] = {
            {"bitwise", CStyle::Bitwise}, {"table", CStyle::Table}, {"slice8", CStyle::Slice8}};
        const auto* style = std::find_if(std::begin(styles), std::end(styles),
                                         [&](const auto& s) { return style_ == s.first; });
        if (style == std::end(styles))
            throw CliError("--style: '" + style_ + "' is not bitwise, table or slice8");
        codegen.style = style->second;
    }
    codegen.externLinkage = extern_->count() > 0;
    if (*data_width_opt_) {
        if (data_width_ != "8" && data_width_ != "16" && data_width_ != "32" && data_width_ != "64")
            throw CliError("--data-width: '" + data_width_ + "' is not 8, 16, 32 or 64");
        codegen.dataWidth = std::stoi(data_width_);
    }
    return codegen;
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
    options.width = Width();
    if (options.action == CliAction::Solve) {
        options.samples = Samples();
        return options;
    }
    if (options.action == CliAction::Emit) {
        SetParams(options);
        options.code = Code();
        options.codegen = Codegen(options.code);
        options.codegen.name = options.name;
        return options;
    }
    if (options.action == CliAction::Find)
        options.find = Find(options.width);
    else if (options.action != CliAction::All)
        SetParams(options);
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
    case Kind::MemoHex:
        return "--memo-hex";
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
