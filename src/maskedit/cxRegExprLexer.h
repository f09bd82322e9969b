// First pass of the compilation: the mask text cut into lexems.
#pragma once

#include "cxRegExprError.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

enum TcxLexemKind : std::uint8_t {
    LexSymbol = 0,
    LexSpecial = 1,
    LexInteger = 2,
    LexAny = 3,
    LexWord = 4,
    LexNotWord = 5,
    LexDigit = 6,
    LexNotDigit = 7,
    LexSpace = 8,
    LexNotSpace = 9,
    LexReference = 10,
    LexDateSeparator = 11,
    LexTimeSeparator = 12,
};

struct TcxLexem {
    int column;
    TcxLexemKind kind;
    int line;
    // The character as it stands for itself (an escape's letter or digit,
    // the byte of \xHH), or the digits of an integer.
    std::string text;
};

using TcxLexems = std::vector<TcxLexem>;

// Cuts source into lexems; appends what is wrong with it to errors.
TcxLexems RegExprLex(std::string_view source, TcxRegExprErrors& errors);
