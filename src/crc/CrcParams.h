// The parameters of one CRC: the main window's model of an initial value, a
// polynomial and three bit-order options, which also carries every model of
// the public catalogue (CrcModel.h maps between the two).
#pragma once

#include "crcword.h"

#include <optional>

struct CrcParams {
    int width = 16;               // 1 to 128; the main window's are 16 and 32
    CrcWord poly = 0;             // as entered; only the low `width` bits count
    CrcWord init = 0;             // the register's start; likewise
    bool reversePoly = false;     // reverse the polynomial's bits before building the table
    bool reflectedTable = false;  // build the table least-significant-bit first
    bool reflectedUpdate = false; // run the update least-significant-bit first
    // XORed into the result whole: bits above a CRC-16 show in the result.
    std::optional<CrcWord> xorOut;
    // Reverse the register's bits before the XOR-out, for a catalogue model
    // whose output is reflected differently from its input. The main window
    // never sets it.
    bool reflectOut = false;
};
