// What quenfold-crc was asked to do, read from its command line.
#pragma once

#include "CrcParams.h"

#include <cstdint>
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

enum class CliAction { Checksum, All, Find, Table, ListPresets, Solve };

// How a CRC is written: digits, or its bytes in transmission order.
enum class CrcLayout { Digits, LowByteFirst, HighByteFirst };

struct CliInput {
    enum class Kind { File, Stdin, Hex, Text };
    Kind kind;
    std::string value;      // the path, or the data of --hex and --text
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

struct CliOptions {
    CliAction action = CliAction::Checksum;
    CrcParams params; // for Checksum and Table
    CrcLayout layout = CrcLayout::Digits;
    std::uint32_t findValue = 0;
    std::vector<CliInput> inputs;
    std::vector<CliSample> samples; // for Solve, in the order given
    int solveWidth = 0;             // for Solve: 16, 32, or 0 for whichever the CRCs' digits fit
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
