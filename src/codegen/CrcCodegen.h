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

struct CCodeOptions {
    std::string prefix = "crc";
    CStyle style = CStyle::Table;
    bool externLinkage = false; // the functions are static otherwise
};

// Whether name serves as a prefix: a C identifier that Verilog takes too and
// the C implementation does not reserve.
bool IsCodeIdentifier(std::string_view name);

// A C99 source defining PREFIX_t, PREFIX_init, PREFIX_update and
// PREFIX_finalize. Throws CodegenError for a width over 64 or a bad prefix.
std::string EmitC(const CrcParams& params, const CCodeOptions& options);

// The declarations that go with EmitC's source under external linkage.
std::string EmitCHeader(const CrcParams& params, const std::string& prefix);

// A Verilog-2005 module named prefix taking dataWidth / 8 bytes a clock
// (dataWidth 8, 16, 32 or 64), the first byte of a word in data[7:0].
std::string EmitVerilog(const CrcParams& params, const std::string& prefix, int dataWidth = 8);
