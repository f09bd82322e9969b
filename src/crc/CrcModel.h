// The catalogue's model of a CRC: width, polynomial in normal form, initial
// value, whether input and output are reflected, and the XOR-out, with the
// check and residue derived from them; and its one-line text form
//     width=16 poly=0x8005 init=0xffff refin=true refout=true xorout=0x0000
//     check=0x4b37 residue=0x0000 name="CRC-16/MODBUS"
#pragma once

#include "CrcParams.h"

#include <optional>
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
