// The catalogue's model of a CRC: width, polynomial in normal form, initial
// value, whether input and output are reflected, and the XOR-out, with the
// check and residue derived from them; and its one-line text form
//     width=16 poly=0x8005 init=0xffff refin=true refout=true xorout=0x0000
//     check=0x4b37 residue=0x0000 name="CRC-16/MODBUS"
#pragma once

#include "CrcParams.h"

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

struct CrcModel {
    int width = 0;    // 1 to 128
    CrcWord poly = 0; // normal form, without the x^width term
    CrcWord init = 0; // unreflected, as the catalogue states it
    bool refin = false;
    bool refout = false;
    CrcWord xorout = 0;
    bool operator==(const CrcModel&) const = default;
};

// The engine parameters that compute model. A reflected input runs in the
// reflected register: the normal polynomial reversed by the engine, table
// and update least-significant-bit first, the initial value reflected.
CrcParams ToCrcParams(const CrcModel& model);

// The model that params computes, when there is one: the table and the update
// take the same bit order and the XOR-out fits the width. The main window's
// mixed orders have none.
std::optional<CrcModel> ToCrcModel(const CrcParams& params);

// The CRC of the ASCII "123456789".
CrcWord CheckOf(const CrcModel& model);
// The register after a valid codeword (a message followed by its CRC), before
// the XOR-out, in the output's bit order; the same for every message.
CrcWord ResidueOf(const CrcModel& model);

// value as "0x" and ceil(width / 4) lower-case digits, as model lines write it.
std::string ModelHex(CrcWord value, int width);

// The model's line with its check and residue, and name="…" when a name is given.
std::string FormatModelLine(const CrcModel& model, std::string_view name = {});

// A model line or a value that does not read; the message is plain English,
// meant for the user after the name of the option or file it came from.
class CrcModelError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// true or false, in any case. Throws CrcModelError naming the text.
bool ParseModelFlag(std::string_view text);

// A width in decimal digits, 1 to 128. Throws CrcModelError naming the text.
int ParseModelWidth(std::string_view text);

// Hexadecimal digits of either case, "0x" or "0X" first or not, leading zeros
// free, of a value that fits `width` bits. Throws CrcModelError naming the
// text: "'0xZZ' is not hexadecimal", "0x1FFFF is wider than 16 bits".
CrcWord ParseModelValue(std::string_view text, int width);

struct ModelLine {
    CrcModel model;
    std::string name; // empty when the line has none
};

// Reads a model line as FormatModelLine writes it: fields name=value apart by
// blanks, in any order, a value in double quotes where it holds blanks. width
// (decimal, 1 to 128) and poly are required; init and xorout default to 0,
// refin and refout to false. check and residue, when given, must be the
// model's own: a line whose check disagrees is mistyped somewhere. aliases,
// which the catalogue's listing may add, is skipped. Throws CrcModelError.
ModelLine ParseModelLine(std::string_view line);
