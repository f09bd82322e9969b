#include "CrcModel.h"

#include "CrcEngine.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <vector>

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

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    const char lower = static_cast<char>(c | 0x20);
    return lower >= 'a' && lower <= 'f' ? lower - 'a' + 10 : -1;
}

std::string Bits(int width) {
    return std::to_string(width) + (width == 1 ? " bit" : " bits");
}

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c | 0x20) : c;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// Where the run of characters from pos that are not blanks ends.
std::size_t WordEnd(std::string_view line, std::size_t pos) {
    while (pos < line.size() && !IsBlank(line[pos]))
        ++pos;
    return pos;
}

struct Field {
    std::string key; // lower case
    std::string_view value;
};

// The field at pos, where a word starts; pos moves past it. A value that
// starts with a double quote runs to the next one, blanks included.
Field ReadField(std::string_view line, std::size_t& pos) {
    const std::size_t equals = line.find('=', pos);
    const std::size_t end = WordEnd(line, pos);
    if (equals == pos || equals >= end)
        throw CrcModelError("'" + std::string(line.substr(pos, end - pos)) +
                            "' is not a field: fields are written name=value");
    Field field{{}, {}};
    std::ranges::transform(line.substr(pos, equals - pos), std::back_inserter(field.key), Lower);
    pos = equals + 1;
    if (pos == line.size() || line[pos] != '"') {
        field.value = line.substr(pos, end - pos);
        pos = end;
        return field;
    }
    const std::size_t quote = line.find('"', pos + 1);
    if (quote == std::string_view::npos)
        throw CrcModelError(field.key + ": no closing quote");
    field.value = line.substr(pos + 1, quote - pos - 1);
    pos = quote + 1;
    if (pos < line.size() && !IsBlank(line[pos]))
        throw CrcModelError(field.key + ": a blank must follow the closing quote");
    return field;
}

std::vector<Field> SplitFields(std::string_view line) {
    std::vector<Field> fields;
    for (std::size_t pos = 0;;) {
        while (pos < line.size() && IsBlank(line[pos]))
            ++pos;
        if (pos == line.size())
            return fields;
        fields.push_back(ReadField(line, pos));
    }
}

// What read gives, its error naming the field.
template <typename Reader> auto Keyed(const std::string& key, const Reader& read) {
    try {
        return read();
    } catch (const CrcModelError& e) {
        throw CrcModelError(key + ": " + e.what());
    }
}

CrcWord ParseField(const std::string& key, std::string_view text, int width) {
    return Keyed(key, [&] { return ParseModelValue(text, width); });
}

// A derived value given on the line must be the model's own.
void Verify(const std::string& key, std::string_view text, CrcWord derived, int width) {
    if (ParseField(key, text, width) != derived)
        throw CrcModelError(key + ": the model gives " + ModelHex(derived, width) + ", not " +
                            std::string(text));
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

bool ParseModelFlag(std::string_view text) {
    for (const bool value : {false, true})
        if (std::ranges::equal(text, std::string_view(value ? "true" : "false"), {}, Lower))
            return value;
    throw CrcModelError("'" + std::string(text) + "' is neither true nor false");
}

int ParseModelWidth(std::string_view text) {
    int width = 0;
    bool digits = !text.empty() && text.size() <= 3;
    for (std::size_t i = 0; digits && i < text.size(); ++i) {
        digits = text[i] >= '0' && text[i] <= '9';
        width = width * 10 + (text[i] - '0');
    }
    if (!digits || width < 1 || width > kMaxCrcWidth)
        throw CrcModelError("'" + std::string(text) + "' is not a width from 1 to " +
                            std::to_string(kMaxCrcWidth));
    return width;
}

CrcWord ParseModelValue(std::string_view text, int width) {
    std::string_view digits = text;
    if (digits.size() >= 2 && digits[0] == '0' && (digits[1] | 0x20) == 'x')
        digits.remove_prefix(2);
    if (digits.empty() || !std::ranges::all_of(digits, [](char c) { return HexDigit(c) >= 0; }))
        throw CrcModelError("'" + std::string(text) + "' is not hexadecimal");
    CrcWord value = 0;
    bool overflow = false;
    for (const char c : digits) {
        overflow = overflow || (value >> (kMaxCrcWidth - 4)) != 0;
        value = value << 4 | static_cast<unsigned>(HexDigit(c));
    }
    if (overflow || (value & ~WidthMask(width)) != 0)
        throw CrcModelError(std::string(text) + " is wider than " + Bits(width));
    return value;
}

ModelLine ParseModelLine(std::string_view line) {
    static constexpr std::string_view kKnown[] = {"width",  "poly",  "init",    "refin", "refout",
                                                  "xorout", "check", "residue", "name",  "aliases"};
    const std::vector<Field> fields = SplitFields(line);
    const auto find = [&](std::string_view key) -> const Field* {
        const auto it = std::ranges::find(fields, key, &Field::key);
        return it == fields.end() ? nullptr : &*it;
    };
    for (auto it = fields.begin(); it != fields.end(); ++it) {
        if (std::ranges::find(kKnown, it->key) == std::end(kKnown))
            throw CrcModelError("unknown field '" + it->key +
                                "': the fields are width, poly, init, refin, refout, xorout, "
                                "check, residue and name");
        if (std::ranges::find(fields.begin(), it, it->key, &Field::key) != it)
            throw CrcModelError(it->key + ": given twice");
    }
    for (const char* required : {"width", "poly"})
        if (!find(required))
            throw CrcModelError(std::string("no ") + required +
                                "= field: a model needs its width and poly");
    ModelLine result;
    CrcModel& m = result.model;
    m.width = Keyed("width", [&] { return ParseModelWidth(find("width")->value); });
    m.poly = ParseField("poly", find("poly")->value, m.width);
    if (const Field* f = find("init"))
        m.init = ParseField("init", f->value, m.width);
    if (const Field* f = find("xorout"))
        m.xorout = ParseField("xorout", f->value, m.width);
    if (const Field* f = find("refin"))
        m.refin = Keyed("refin", [&] { return ParseModelFlag(f->value); });
    if (const Field* f = find("refout"))
        m.refout = Keyed("refout", [&] { return ParseModelFlag(f->value); });
    if (const Field* f = find("check"))
        Verify("check", f->value, CheckOf(m), m.width);
    if (const Field* f = find("residue"))
        Verify("residue", f->value, ResidueOf(m), m.width);
    if (const Field* f = find("name"))
        result.name = f->value;
    return result;
}
