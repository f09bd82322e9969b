#include "CrcModel.h"

#include "CrcEngine.h"

#include <array>

namespace {

// Carry-less product mod m, over polynomials of degree below width + 1
// (m = x^width + low), by the shift-and-add of the register.
CrcWord MulMod(CrcWord a, CrcWord b, int width, CrcWord low) {
    const CrcWord top = CrcWord{1} << (width - 1);
    const CrcWord mask = WidthMask(width);
    CrcWord product = 0;
    for (int i = width - 1; i >= 0; --i) {
        const bool carry = (product & top) != 0;
        product = (product << 1) & mask;
        if (carry)
            product ^= low;
        if ((b >> i) & 1)
            product ^= a;
    }
    return product;
}

} // namespace

CrcParams ToCrcParams(const CrcModel& model) {
    const CrcWord mask = WidthMask(model.width);
    return {.width = model.width,
            .poly = model.poly & mask,
            .init = model.refin ? ReflectBits(model.init, model.width) : model.init & mask,
            .reversePoly = model.refin,
            .reflectedTable = model.refin,
            .reflectedUpdate = model.refin,
            .xorOut = model.xorout & mask,
            .reflectOut = model.refin != model.refout};
}

std::optional<CrcModel> ToCrcModel(const CrcParams& params) {
    const CrcWord mask = WidthMask(params.width);
    const CrcWord xorOut = params.xorOut.value_or(0);
    if (params.reflectedTable != params.reflectedUpdate || (xorOut & ~mask) != 0)
        return std::nullopt;
    const bool refin = params.reflectedUpdate;
    const CrcWord poly = EffectivePoly(params);
    return CrcModel{.width = params.width,
                    .poly = refin ? ReflectBits(poly, params.width) : poly,
                    .init = refin ? ReflectBits(params.init, params.width) : params.init & mask,
                    .refin = refin,
                    .refout = refin != params.reflectOut,
                    .xorout = xorOut};
}

CrcWord CheckOf(const CrcModel& model) {
    static constexpr std::array<std::uint8_t, 9> kCheck = {'1', '2', '3', '4', '5',
                                                           '6', '7', '8', '9'};
    return CrcEngine(ToCrcParams(model), CrcPath::ByteWise).Checksum(kCheck);
}

// Appending a message's CRC makes the whole codeword's polynomial, with the
// XOR-out folded in, leave x^width * xorout mod P in the register, whatever
// the message; in the output's bit order when that is reflected.
CrcWord ResidueOf(const CrcModel& model) {
    const CrcWord mask = WidthMask(model.width);
    const CrcWord xorout = model.refout ? ReflectBits(model.xorout, model.width) : model.xorout;
    const CrcWord low = model.poly & mask;
    // x^width is congruent to the polynomial's low terms.
    const CrcWord residue = MulMod(xorout & mask, low, model.width, low);
    return model.refout ? ReflectBits(residue, model.width) : residue;
}

std::string ModelHex(CrcWord value, int width) {
    static constexpr char kDigits[] = "0123456789abcdef";
    const int digits = (width + 3) / 4;
    std::string text(2 + static_cast<std::size_t>(digits), '0');
    text[1] = 'x';
    for (int i = 0; i < digits; ++i)
        text[text.size() - 1 - static_cast<std::size_t>(i)] = kDigits[(value >> (4 * i)) & 0xF];
    return text;
}

std::string FormatModelLine(const CrcModel& model, std::string_view name) {
    const auto flag = [](bool b) { return b ? "true" : "false"; };
    std::string line =
        "width=" + std::to_string(model.width) + " poly=" + ModelHex(model.poly, model.width) +
        " init=" + ModelHex(model.init, model.width) + " refin=" + flag(model.refin) +
        " refout=" + flag(model.refout) + " xorout=" + ModelHex(model.xorout, model.width) +
        " check=" + ModelHex(CheckOf(model), model.width) +
        " residue=" + ModelHex(ResidueOf(model), model.width);
    if (!name.empty())
        line.append(" name=\"").append(name).append("\"");
    return line;
}
