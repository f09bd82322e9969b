// What quenfold-crc was asked to do, read from its command line.
#pragma once

#include "CrcCodegen.h"
#include "CrcParams.h"

#include <optional>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

// A usage or input error; the message is shown after the program's name.
class CliError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class CliAction { Checksum, All, Find, Table, ListPresets, ShowModel, Solve, Emit };

// What --emit prints.
enum class CodeKind { C, Header, Verilog };

// How a CRC is written: digits, or its bytes in transmission order.
enum class CrcLayout { Digits, LowByteFirst, HighByteFirst };

struct CliInput {
    // Hex: byte strings as people write them; MemoHex: the main window's tokens.
    enum class Kind { File, Stdin, Hex, MemoHex, Text };
    Kind kind;
    std::string value;      // the path, or the data of --hex, --memo-hex and --text
    std::string label = {}; // what Name() gives instead, when set
    // How messages and multi-file output name the input.
    std::string Name() const;
};

// One --sample (hex data), --sample-text or --samples (a file) of --solve: DATA:CRC, or the path.
struct CliSample {
    enum class Kind { Hex, Text, File };
    Kind kind;
    std::string value;
};

// The value --find looks for, as typed and as read.
struct CliFind {
    std::string text;
    CrcWord value = 0;
    int digits = 0; // hexadecimal digits typed, leading zeros included
};

struct CliOptions {
    CliAction action = CliAction::Checksum;
    // The parameters in effect, for the actions that compute one CRC
    // (Checksum, Table, ShowModel), and their name: the one --model gave, or
    // the catalogue's when they compute one of its entries; empty otherwise.
    CrcParams params;
    std::string name;
    // The width asked for with --width, --crc16 or --crc32; 0 when none was.
    // --all and --find keep to it; --solve solves it alone.
    int width = 0;
    CrcLayout layout = CrcLayout::Digits;
    CliFind find;
    std::vector<CliInput> inputs;
    std::vector<CliSample> samples; // for Solve, in the order given
    CodeKind code = CodeKind::C;    // for Emit, with the generator's options
    CodegenOptions codegen;
};

// The end of a run decided by the command line alone: --help, --version, or
// a usage error, with what to print where.
struct CliExit {
    int code;
    std::string out;
    std::string err;
};

// Never throws: every problem comes back as a CliExit with code 2.
std::variant<CliOptions, CliExit> ParseCliOptions(int argc, const char* const* argv);
