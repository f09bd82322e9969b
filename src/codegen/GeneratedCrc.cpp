#include "GeneratedCrc.h"

#include "CrcCatalogue.h"
#include "CrcCodegen.h"
#include "CrcModel.h"

#include <algorithm>
#include <array>

namespace {

int BitLength(CrcWord value) {
    int bits = 0;
    for (; value != 0; value >>= 1)
        ++bits;
    return bits;
}

const CrcParams& Checked(const CrcParams& params, std::string_view prefix) {
    if (!IsCodeIdentifier(prefix))
        throw CodegenError("the prefix '" + std::string(prefix) +
                           "' is not an identifier: a letter, then letters, digits and '_'");
    if (params.width < 1 || params.width > 64)
        throw CodegenError("code is generated for CRCs of 1 to 64 bits; this one has " +
                           std::to_string(params.width));
    if (BitLength(params.xorOut.value_or(0)) > 64)
        throw CodegenError("code is generated for results of at most 64 bits; the XOR value has " +
                           std::to_string(BitLength(*params.xorOut)));
    return params;
}

std::string WindowSettings(const CrcParams& p, int resultWidth, CrcWord check) {
    const auto flag = [](bool b) { return b ? "true" : "false"; };
    const auto order = [](bool reflected) { return reflected ? "lsb-first" : "msb-first"; };
    const CrcWord mask = WidthMask(p.width);
    return "main window settings: width=" + std::to_string(p.width) +
           " poly=" + HexLiteral(p.poly & mask, p.width) +
           " init=" + HexLiteral(p.init & mask, p.width) + " reverse-poly=" + flag(p.reversePoly) +
           " table=" + order(p.reflectedTable) + " update=" + order(p.reflectedUpdate) +
           " xorout=" + HexLiteral(p.xorOut.value_or(0), resultWidth) +
           " check=" + HexLiteral(check, resultWidth);
}

} // namespace

bool IsCodeIdentifier(std::string_view name) {
    // Not a leading '_': names that start with one are the C implementation's.
    const auto letter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    return !name.empty() && letter(name.front()) &&
           std::all_of(name.begin(), name.end(),
                       [&](char c) { return letter(c) || digit(c) || c == '_'; });
}

std::string CPrefixClash(std::string_view prefix) {
    static constexpr std::string_view kTypes[] = {"size",   "ptrdiff", "wchar",  "max_align",
                                                  "intptr", "uintptr", "intmax", "uintmax"};
    std::string_view rest = prefix;
    if (rest.starts_with('u'))
        rest.remove_prefix(1);
    bool sized = rest.starts_with("int");
    if (sized) {
        rest.remove_prefix(3);
        for (std::string_view kind : {"_least", "_fast"})
            if (rest.starts_with(kind))
                rest.remove_prefix(kind.size());
        sized = !rest.empty() &&
                std::all_of(rest.begin(), rest.end(), [](char c) { return c >= '0' && c <= '9'; });
    }
    if (sized || std::find(std::begin(kTypes), std::end(kTypes), prefix) != std::end(kTypes))
        return std::string(prefix) + "_t is a type of <stddef.h> or <stdint.h>";
    return {};
}

std::string VerilogPrefixClash(std::string_view prefix) {
    // Each keyword between blanks, the last one too.
    static constexpr std::string_view kKeywords =
        " "
        "always and assign automatic begin buf bufif0 bufif1 case casex casez "
        "cell cmos config deassign default defparam design disable edge else "
        "end endcase endconfig endfunction endgenerate endmodule endprimitive "
        "endspecify endtable endtask event for force forever fork function "
        "generate genvar highz0 highz1 if ifnone incdir include initial inout "
        "input instance integer join large liblist library localparam "
        "macromodule medium module nand negedge nmos nor noshowcancelled not "
        "notif0 notif1 or output parameter pmos posedge primitive pull0 pull1 "
        "pulldown pullup pulsestyle_ondetect pulsestyle_onevent rcmos real "
        "realtime reg release repeat rnmos rpmos rtran rtranif0 rtranif1 "
        "scalared showcancelled signed small specify specparam strong0 strong1 "
        "supply0 supply1 table task time tran tranif0 tranif1 tri tri0 tri1 "
        "triand trior trireg unsigned use uwire vectored wait wand weak0 weak1 "
        "while wire wor xnor xor ";
    std::string word = " ";
    word.append(prefix).append(" ");
    if (kKeywords.find(word) != std::string_view::npos)
        return std::string(prefix) + " is a Verilog keyword";
    return {};
}

std::string HexLiteral(CrcWord value, int bits) {
    return ModelHex(value, bits);
}

std::string WrapTerms(const std::string& head, const std::vector<std::string>& terms,
                      const std::string& op, const std::string& tail) {
    std::string text = head;
    std::size_t column = head.size();
    for (std::size_t i = 0; i < terms.size(); ++i) {
        std::string piece = terms[i];
        if (i + 1 == terms.size())
            piece += tail;
        else
            piece.append(" ").append(op);
        if (i > 0 && column + 1 + piece.size() > kCodeColumns) {
            text += '\n';
            text.append(head.size(), ' ');
            column = head.size();
        } else if (i > 0) {
            text += ' ';
            ++column;
        }
        text += piece;
        column += piece.size();
    }
    return text + "\n";
}

GeneratedCrc::GeneratedCrc(const CrcParams& params, std::string_view prefix, std::string_view name)
    : params_(Checked(params, prefix)), engine_(params_, CrcPath::ByteWise),
      resultWidth_(std::max(params.width, BitLength(params.xorOut.value_or(0)))), name_(name) {}

int GeneratedCrc::TypeBits() const {
    int bits = 8;
    while (bits < resultWidth_)
        bits *= 2;
    return bits;
}

CrcWord GeneratedCrc::Check() const {
    static constexpr std::array<std::uint8_t, 9> kCheck = {'1', '2', '3', '4', '5',
                                                           '6', '7', '8', '9'};
    return engine_.Checksum(kCheck);
}

std::string GeneratedCrc::Description() const {
    const auto model = ToCrcModel(params_);
    if (!model)
        return WindowSettings(params_, resultWidth_, Check());
    if (!name_.empty())
        return FormatModelLine(*model, name_);
    const auto& catalogue = CrcCatalogue();
    const auto named =
        std::find_if(catalogue.begin(), catalogue.end(),
                     [&](const CatalogueEntry& entry) { return entry.model == *model; });
    return FormatModelLine(*model, named == catalogue.end() ? "" : named->name);
}
