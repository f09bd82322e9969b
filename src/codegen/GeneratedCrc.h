// What every emitted form needs to know about one CRC: its sizes, its values
// and the engine that defines what the code must compute.
#pragma once

#include "CrcEngine.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

class GeneratedCrc {
public:
    // Throws CodegenError for a width or a result over 64 bits or a prefix
    // that is not an identifier. name is the model's, if it has one.
    GeneratedCrc(const CrcParams& params, std::string_view prefix, std::string_view name);

    int Width() const { return params_.width; }
    // The bits of the finalized value: the width, or more where the main
    // window's XOR value is wider than its CRC.
    int ResultWidth() const { return resultWidth_; }
    // The bits of the smallest standard unsigned type holding the result.
    int TypeBits() const;
    CrcWord Init() const { return engine_.Start(); }
    CrcWord XorOut() const { return params_.xorOut.value_or(0); }
    bool ReflectOut() const { return params_.reflectOut; }
    // The bit orders of the update and of the table, and the polynomial the
    // table is built from, for code that builds the table's entries itself.
    bool ReflectedUpdate() const { return params_.reflectedUpdate; }
    bool ReflectedTable() const { return params_.reflectedTable; }
    CrcWord TablePoly() const { return EffectivePoly(params_); }
    CrcWord Check() const;
    // The register after bytes, from reg: linear in both.
    CrcWord Update(CrcWord reg, std::span<const std::uint8_t> bytes) const {
        return engine_.Update(reg, bytes);
    }
    // The catalogue's model line, or the main window's settings for a set
    // that has none, with the check value in either.
    std::string Description() const;

private:
    CrcParams params_;
    CrcEngine engine_;
    int resultWidth_;
    std::string name_;
};

// Lines are broken before they pass this column where they can be.
constexpr std::size_t kCodeColumns = 80;

// head, then terms joined by op, then tail and a line break; a line that would
// pass kCodeColumns breaks after an op and goes on under the first term.
std::string WrapTerms(const std::string& head, const std::vector<std::string>& terms,
                      const std::string& op, const std::string& tail);

// value as "0x" and the digits of a bits-wide value, lower case.
std::string HexLiteral(CrcWord value, int bits);
