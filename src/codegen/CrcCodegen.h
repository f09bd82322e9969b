// Source code that computes one CRC: C99 for microcontrollers and Verilog for
// FPGAs and ASICs, for any width from 1 to 64 and every parameter set the
// engine takes, the main window's mixed bit orders included. The code computes
// what CrcEngine computes; its tables and equations come from the engine.
#pragma once

#include "CrcParams.h"

#include <stdexcept>
#include <string>
#include <string_view>

// A parameter set or option the generator cannot serve; the message says why.
class CodegenError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class CStyle {
    Bitwise, // eight shift steps a byte, no table
    Table,   // one 256-entry table, a byte a step
    Slice8,  // eight tables, eight bytes a step
};

struct CodegenOptions {
    std::string prefix = "crc";
    // The model's name for the comment at the top; when empty, the
    // catalogue's, for a model that is one of its entries.
    std::string name = {};
    CStyle style = CStyle::Table; // C only
    bool externLinkage = false;   // C only; the functions are static otherwise
    int dataWidth = 8;            // Verilog only: 8, 16, 32 or 64 bits a clock
};

// Whether name serves as a prefix: a C identifier that Verilog takes too and
// the C implementation does not reserve.
bool IsCodeIdentifier(std::string_view name);

// What keeps an identifier from serving as a prefix in C, where NAME_t must
// not be a type of <stddef.h> or <stdint.h>, or in Verilog, where the module
// NAME must not be a keyword; empty when nothing does.
std::string CPrefixClash(std::string_view prefix);
std::string VerilogPrefixClash(std::string_view prefix);

// Each throws CodegenError for a width or result over 64 bits or a bad prefix.

// A C99 source defining PREFIX_t, PREFIX_init, PREFIX_update and PREFIX_finalize.
std::string EmitC(const CrcParams& params, const CodegenOptions& options);

// The declarations that go with EmitC's source under external linkage.
std::string EmitCHeader(const CrcParams& params, const CodegenOptions& options);

// A Verilog-2005 module named PREFIX taking dataWidth / 8 bytes a clock, the
// first byte of a word in data[7:0].
std::string EmitVerilog(const CrcParams& params, const CodegenOptions& options);
