#include "Calculate.h"
#include "CliActions.h"
#include "CliOptions.h"
#include "CrcCatalogue.h"
#include "InputReader.h"
#include "SampleReader.h"
#include "reference.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <unistd.h>

namespace {

struct Outcome {
    int status;
    std::string out, err;
};

Outcome Cli(std::vector<std::string> args) {
    args.insert(args.begin(), "quenfold-crc");
    std::vector<const char*> argv;
    for (const std::string& arg : args)
        argv.push_back(arg.c_str());
    const auto parsed = ParseCliOptions(static_cast<int>(argv.size()), argv.data());
    if (const auto* exit = std::get_if<CliExit>(&parsed))
        return {exit->code, exit->out, exit->err};
    std::ostringstream out, err;
    const int status = RunCli(std::get<CliOptions>(parsed), out, err);
    return {status, out.str(), err.str()};
}

std::string Hex(std::uint32_t value, const char* format = "%X") {
    char digits[16];
    std::snprintf(digits, sizeof digits, format, value);
    return digits;
}

// A result as printed: ceil(width / 4) upper-case digits.
std::string Digits(CrcWord value, int width) {
    std::string digits;
    for (int shift = 4 * ((width + 3) / 4 - 1); shift >= 0; shift -= 4)
        digits += "0123456789ABCDEF"[static_cast<unsigned>(value >> shift) & 0xF];
    return digits;
}

std::vector<std::uint8_t> RandomBytes(std::size_t n, std::mt19937& rng) {
    std::vector<std::uint8_t> bytes(n);
    for (auto& b : bytes)
        b = static_cast<std::uint8_t>(rng() % 255 + 1); // no 00: an argument cannot hold one
    return bytes;
}

class TempDir {
public:
    TempDir()
        : path_(std::filesystem::temp_directory_path() / ("qcli" + std::to_string(::getpid()))) {
        std::filesystem::create_directories(path_);
    }
    ~TempDir() { std::filesystem::remove_all(path_); }
    std::string Path(const std::string& name) const { return (path_ / name).string(); }
    std::string Write(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
        const auto file = path_ / name;
        std::ofstream(file, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        return file.string();
    }

private:
    std::filesystem::path path_;
};

// The options as the main window's fields and boxes, through the CLI and
// through the window's own Calculate: random parameters, flags and data.
TEST(QuenfoldCrc, AgreesWithTheMainWindowsCalculate) {
    std::mt19937 rng(5);
    for (int round = 0; round < 64; ++round) {
        const auto bytes = RandomBytes(rng() % 300 + 1, rng);
        const std::string raw(bytes.begin(), bytes.end());
        std::string hex;
        for (const std::uint8_t b : bytes)
            hex += Hex(b, rng() & 1 ? "%02x " : "%X\t");
        const std::string init = Hex(rng(), "%x"), poly = Hex(rng()), xorValue = Hex(rng() >> 12);
        CalcRequest request{.init = init, .poly = poly, .xorValue = xorValue};
        request.width = round % 2 ? 32 : 16;
        request.reversePoly = rng() & 1;
        request.reflectedTable = rng() & 1;
        request.reflectedUpdate = rng() & 1;
        request.xorOut = rng() & 1;
        // The window's fields take no prefix; the command line takes one or none.
        const std::string prefix = rng() & 1 ? "0x" : "";
        std::vector<std::string> args = {request.width == 32 ? "--crc32" : "--crc16", "--init",
                                         prefix + init, "--poly", poly};
        if (request.xorOut)
            args.insert(args.end(), {"--xorout", prefix + xorValue});
        // Two of the boxes are inverted: ticked means most-significant-bit first.
        if (request.reversePoly)
            args.push_back("--reverse-poly");
        if (!request.reflectedTable)
            args.push_back("--table-msb-first");
        if (!request.reflectedUpdate)
            args.push_back("--update-msb-first");
        for (const bool hexMode : {false, true}) {
            request.hex = hexMode;
            request.data = hexMode ? hex : raw;
            auto withData = args;
            withData.insert(withData.end(),
                            {hexMode ? "--memo-hex" : "--text", std::string(request.data)});
            const std::string expected = std::get<std::string>(Calculate(request)) + "\n";
            EXPECT_EQ(Cli(withData).out, expected) << "round " << round << (hexMode ? " hex" : "");
        }
    }
    EXPECT_EQ(Cli({"--modbus", "--text", "123456789"}).out, "4B37\n");
    EXPECT_EQ(Cli({"--ccitt", "--text", "123456789"}).out, "29B1\n");
}

// Files are read in blocks: sizes around the block size, checked against the
// bit-at-a-time model over the whole, for one CRC and for the whole catalogue.
TEST(QuenfoldCrc, StreamsFilesAcrossBlockBoundaries) {
    const TempDir dir;
    std::mt19937 rng(9);
    const ReferenceCrc reference(32, 0x04C11DB7, false, true, false);
    for (const std::size_t size : {kInputBlockSize - 1, kInputBlockSize, kInputBlockSize + 1,
                                   2 * kInputBlockSize + 77, std::size_t{0}}) {
        auto bytes = RandomBytes(size, rng);
        bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(size / 2), 0); // files may hold 00
        const std::string file = dir.Write("data.bin", bytes);
        const std::uint32_t init = rng();
        EXPECT_EQ(
            Cli({"--crc32", "--init", Hex(init), "--poly", "4c11db7", "--table-msb-first", file})
                .out,
            Hex(reference.Run(init, bytes), "%08X") + "\n")
            << size;
        // Every algorithm at once, across one block boundary; the engine's
        // paths are checked against the bit model in tests/crc.
        if (size != kInputBlockSize + 1)
            continue;
        std::istringstream all(Cli({"--all", file}).out);
        for (const CatalogueEntry& e : CrcCatalogue()) {
            std::string name, value;
            all >> name >> value;
            EXPECT_EQ(name, e.name);
            EXPECT_EQ(value, Digits(CrcEngine(ToCrcParams(e)).Checksum(bytes), e.model.width));
        }
    }
}

TEST(QuenfoldCrc, WritesTheBytesInTransmissionOrder) {
    const std::vector<std::string> modbus = {"--modbus", "--hex", "01 03 00 00 00 0A"};
    const std::vector<std::string> hdlc = {"--preset", "crc-32", "--text", "123456789"};
    const std::vector<std::string> wide = {"--init", "FFFF",           "--poly",
                                           "8005",   "--reverse-poly", "--xorout",
                                           "10000",  "--text",         "123456789"};
    const struct {
        std::vector<std::string> args;
        std::string digits, low, high;
    } cases[] = {{modbus, "CDC5", "C5 CD", "CD C5"},
                 {hdlc, "CBF43926", "26 39 F4 CB", "CB F4 39 26"},
                 // An XOR value wider than the CRC keeps its bytes too.
                 {wide, "14B37", "37 4B 01", "01 4B 37"},
                 // ceil(width / 8) bytes, whatever the width.
                 {{"--preset", "CRC-12/UMTS", "--text", "123456789"}, "DAF", "AF 0D", "0D AF"},
                 {{"--preset", "CRC-82/DARC", "--text", "123456789"},
                  "09EA83F625023801FD612",
                  "12 D6 1F 80 23 50 62 3F A8 9E 00",
                  "00 9E A8 3F 62 50 23 80 1F D6 12"}};
    for (const auto& c : cases) {
        auto args = c.args;
        EXPECT_EQ(Cli(args).out, c.digits + "\n");
        args.insert(args.end(), {"--bytes", "le"});
        EXPECT_EQ(Cli(args).out, c.low + "\n");
        args.back() = "be";
        EXPECT_EQ(Cli(args).out, c.high + "\n");
    }
}

// The width from the digits typed or from --width; when nothing gives the
// value, what was tried and who gives it with its bytes swapped.
TEST(QuenfoldCrc, FindsEveryCatalogueAlgorithmByItsCheck) {
    for (const CatalogueEntry& e : CrcCatalogue()) {
        const std::string check = Digits(e.check, e.model.width);
        for (const std::vector<std::string>& args :
             {std::vector<std::string>{"--find", check},
              {"--find", "0x" + check, "--width", std::to_string(e.model.width)}}) {
            auto withData = args;
            withData.insert(withData.end(), {"--text", "123456789"});
            const Outcome found = Cli(withData);
            EXPECT_EQ(found.status, 0);
            EXPECT_NE(("\n" + found.out).find("\n" + std::string(e.name) + "\n"), std::string::npos)
                << args.back();
        }
    }
    const struct {
        std::vector<std::string> args;
        std::string err;
    } none[] = {
        {{"--find", "C5CD", "--hex", "01 03 00 00 00 0A"},
         "no catalogue algorithm of 13 to 16 bits gives C5CD (36 tried)\n"
         "quenfold-crc: --find: its bytes swapped, CDC5, is what CRC-16/MODBUS gives: C5CD is "
         "the CRC low byte first, as sent"},
        // A 12-bit CRC goes in two bytes.
        {{"--find", "AF0D", "--text", "123456789"},
         "no catalogue algorithm of 13 to 16 bits gives AF0D (36 tried)\n"
         "quenfold-crc: --find: its bytes swapped, 0DAF, is what CRC-12/UMTS gives: AF0D is the "
         "CRC low byte first, as sent"},
        {{"--find", "0x1234", "--width", "16", "--text", "123456789"},
         "no catalogue algorithm of 16 bits gives 0x1234 (31 tried)\n"
         "quenfold-crc: --find: nor does any give its bytes swapped, 3412"},
    };
    for (const auto& c : none) {
        const Outcome outcome = Cli(c.args);
        EXPECT_EQ(outcome.status, 1);
        EXPECT_EQ(outcome.out, "");
        EXPECT_EQ(outcome.err, "quenfold-crc: --find: " + c.err + "\n");
    }
}

// Every catalogue entry four ways, each giving its published check: by name,
// by --width and the values, by its model line and by the line --list-presets
// prints; --show-model gives back the line it was given, and names the model
// the catalogue's way when it is an entry.
TEST(QuenfoldCrc, ChoosesEveryCatalogueModelEveryWay) {
    std::istringstream list(Cli({"--list-presets"}).out);
    for (const CatalogueEntry& e : CrcCatalogue()) {
        SCOPED_TRACE(std::string(e.name));
        const CrcModel& m = e.model;
        const std::string line = FormatModelLine(m, e.name);
        std::vector<std::string> byValues = {
            "--width", std::to_string(m.width),        "--poly",   Digits(m.poly, m.width),
            "--init",  "0x" + Digits(m.init, m.width), "--xorout", Digits(m.xorout, m.width)};
        if (m.refin)
            byValues.push_back("--refin");
        if (m.refout)
            byValues.push_back("--refout");
        std::string listed;
        std::getline(list, listed);
        EXPECT_EQ(listed.substr(0, line.size()), line);
        for (const std::vector<std::string>& model :
             {std::vector<std::string>{"--preset", std::string(e.name)},
              byValues,
              {"--model", line},
              {"--model", listed}}) {
            auto args = model;
            args.insert(args.end(), {"--text", "123456789"});
            EXPECT_EQ(Cli(args).out, Digits(e.check, m.width) + "\n") << args[1];
            args.resize(model.size());
            args.push_back("--show-model");
            EXPECT_EQ(Cli(args).out, line + "\n") << args[1];
        }
    }
    EXPECT_EQ(list.peek(), EOF);
}

// A preset or model line adjusted, the fields a line may leave out, and the
// main window's sets that are catalogue models.
TEST(QuenfoldCrc, AdjustsModelsAndShowsThem) {
    const std::string modbus = "width=16 poly=0x8005 init=0xffff refin=true refout=true "
                               "xorout=0x0000 check=0x4b37 residue=0x0000 name=\"CRC-16/MODBUS\"";
    const struct {
        std::vector<std::string> args;
        std::string out;
    } cases[] = {
        {{"--preset", "MODBUS", "--init", "0", "--show-model"},
         "width=16 poly=0x8005 init=0x0000 refin=true refout=true xorout=0x0000 check=0xbb3d "
         "residue=0x0000 name=\"CRC-16/ARC\""},
        {{"--preset", "CRC-16/ARC", "--refin=false", "--refout=false", "--init", "0x0001",
          "--show-model"},
         "width=16 poly=0x8005 init=0x0001 refin=false refout=false xorout=0x0000 check=0xeeee "
         "residue=0x0000"},
        {{"--model", "width=16 poly=0x1021 init=0xffff", "--text", "123456789"}, "29B1"},
        {{"--model", "WIDTH=5 Poly=15 name=\"my crc\"", "--show-model"},
         "width=5 poly=0x15 init=0x00 refin=false refout=false xorout=0x00 check=0x1c "
         "residue=0x00 name=\"my crc\""},
        {{"--model", modbus, "--xorout", "0xFFFF", "--text", "123456789"}, "B4C8"},
        {{"--modbus", "--show-model"}, modbus},
        {{"--init", "FFFF", "--poly", "8005", "--reverse-poly", "--show-model"}, modbus},
    };
    for (const auto& c : cases) {
        const Outcome outcome = Cli(c.args);
        EXPECT_EQ(outcome.out, c.out + "\n") << c.args[0] << " " << c.args[1];
        EXPECT_EQ(outcome.status, 0);
    }
}

// Byte strings as people write them give the same bytes; the main window's
// tokens give the low byte of each.
// --emit takes its CRC as the checksum does, however it is chosen: the
// check value at the top of the code is the one the same options compute.
TEST(QuenfoldCrc, EmitsCodeForTheCrcItComputes) {
    const std::vector<std::vector<std::string>> choices = {
        {"--preset", "MODBUS", "--init", "0x1234"},
        {"--model", "width=12 poly=0x80f init=0 refin=false refout=true name=\"my crc\""},
        {"--width", "5", "--poly", "0x09", "--refin", "--xorout", "0x1f"},
        {"--crc16", "--init", "1", "--poly", "8005", "--update-msb-first", "--xorout", "5A5A0F0F"},
        {"--crc32", "--init", "FFFFFFFF", "--poly", "04C11DB7", "--table-msb-first"}};
    for (const std::vector<std::string>& args : choices) {
        std::vector<std::string> checksum = args;
        checksum.insert(checksum.end(), {"--text", "123456789"});
        const std::uint64_t check = std::stoull(Cli(checksum).out, nullptr, 16);
        for (const std::string kind : {"c", "h", "verilog"}) {
            std::vector<std::string> emit = args;
            emit.insert(emit.end(), {"--emit", kind});
            const Outcome outcome = Cli(emit);
            ASSERT_EQ(outcome.status, 0) << outcome.err;
            const std::string mark = kind == "verilog" ? "gives " : "== ";
            const std::size_t at = outcome.out.find(mark);
            ASSERT_NE(at, std::string::npos) << args[0] << " " << kind;
            std::string shown = outcome.out.substr(at + mark.size(), 20);
            shown.erase(0, shown.find_first_of("xh") + 1);
            EXPECT_EQ(std::stoull(shown, nullptr, 16), check) << args[0] << " " << kind;
        }
    }
}

TEST(QuenfoldCrc, ReadsByteStringsEitherWay) {
    for (const char* hex : {"01 03 00 00 00 0A", "01030000000A", "0x01,0x03,0x00,0x00,0x00,0x0A",
                            "01:03:00:00:00:0a", " 0X0103\t00-00;000A\n"})
        EXPECT_EQ(Cli({"--modbus", "--hex", hex}).out, "CDC5\n") << hex;
    EXPECT_EQ(Cli({"--modbus", "--memo-hex", "1 3 0 100 0 A"}).out, "CDC5\n");
    EXPECT_EQ(Cli({"--modbus", "--memo-hex", "1FF"}).out, Cli({"--modbus", "--hex", "FF"}).out);
}

TEST(QuenfoldCrc, PrintsTheTableAsTheTableWindow) {
    const struct {
        std::vector<std::string> args;
        std::string first;
    } cases[] = {{{"--modbus", "--table"},
                  "0x0000, 0xC0C1, 0xC181, 0x0140, 0xC301, 0x03C0, 0x0280, 0xC241, "},
                 {{"--ccitt", "--table"},
                  "0x0000, 0x1021, 0x2042, 0x3063, 0x4084, 0x50A5, 0x60C6, 0x70E7, "},
                 {{"--poly", "8005", "--table"},
                  "0x0000, 0x9705, 0x2E01, 0xB904, 0x5C02, 0xCB07, 0x7203, 0xE506, "}};
    for (const auto& c : cases) {
        const std::string out = Cli(c.args).out;
        EXPECT_EQ(out.substr(0, out.find('\n')), c.first);
        EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 32);
    }
}

TEST(QuenfoldCrc, ReportsBadInputOnStandardErrorWithStatus2) {
    const TempDir dir;
    const std::string good = dir.Write("good.bin", {'1', '2', '3'});
    const std::string missing = dir.Path("missing.bin");
    const std::string badLine = dir.Write(
        "bad.txt", {'0', '1', ':', '1', '\n', '\n', '0', '1', ' ', 'Z', 'Z', ':', '2', '\n'});
    std::string nuls;
    for (int i = 0; i < 20; ++i)
        nuls += "\\x00";
    std::vector<std::uint8_t> endless;
    for (std::size_t i = 0; i <= kMaxSamples; ++i)
        endless.insert(endless.end(), {'0', '0', ':', '0', '\n'});
    const std::string many = dir.Write("many.txt", endless);
    const struct {
        std::vector<std::string> args;
        std::string err, out = {};
    } cases[] = {
        {{"--modbus", "--hex", "01 0G 03"}, "--hex: token 2 '0G' is not hexadecimal"},
        {{"--modbus", "--hex", "01,0x0A0"}, "--hex: token 2 '0x0A0' has an odd number of digits"},
        {{"--modbus", "--hex", " ,\r\n"}, "--hex: no bytes"},
        {{"--modbus", "--memo-hex", "01 0G 03"}, "--memo-hex: token 2 '0G' is not hexadecimal"},
        {{"--modbus", "--memo-hex", " \r\n"}, "--memo-hex: no tokens"},
        {{"--modbus", "--memo-hex", ""}, "--memo-hex: the text is empty"},
        {{"--modbus", "--text", ""}, "--text: the text is empty"},
        {{"--init", "0x1G", "--poly", "8005", "--text", "1"}, "--init: '0x1G' is not hexadecimal"},
        {{"--init", "1", "--poly", "100000000", "--text", "1"},
         "--poly: 100000000 is wider than 32 bits"},
        {{"--width", "16", "--poly", "8005", "--init", "0x1FFFF", "--text", "1"},
         "--init: 0x1FFFF is wider than 16 bits"},
        {{"--preset", "crc-5/usb", "--xorout", "20", "--text", "1"},
         "--xorout: 20 is wider than 5 bits"},
        {{"--find", "-1", "--text", "1"}, "--find: '-1' is not hexadecimal"},
        {{"--find", "100", "--width", "8", "--text", "1"}, "--find: 100 is wider than 8 bits"},
        {{"--find", std::string(33, '0'), "--text", "1"},
         "--find: " + std::string(33, '0') + " has more digits than a CRC of 128 bits"},
        {{"--width", "129", "--poly", "1"}, "--width: '129' is not a width from 1 to 128"},
        {{"--width", "8", "--poly", "7", "--refin=yes"},
         "--refin: 'yes' is neither true nor false"},
        {{"--poly", "8005", "--text", "1"}, "no initial value: give --init, or a preset"},
        {{"--width", "8", "--init", "1"},
         "no polynomial: give --poly with --width, or a --model or --preset"},
        {{"--refout", "--poly", "1"},
         "--refin and --refout need a width: give --width, --model or --preset"},
        {{"--preset", "CRC-16/NOPE", "--text", "1"},
         "--preset: unknown algorithm 'CRC-16/NOPE' (see --list-presets)"},
        {{"--model", "width=8"}, "--model: no poly= field: a model needs its width and poly"},
        {{"--model", "poly=0x07 init=0"},
         "--model: no width= field: a model needs its width and poly"},
        {{"--model", "width=8 poly=7 refout=1"}, "--model: refout: '1' is neither true nor false"},
        {{"--model", "width=0x8 poly=7"}, "--model: width: '0x8' is not a width from 1 to 128"},
        {{"--model", "width=8 poly=7 width=8"}, "--model: width: given twice"},
        {{"--model", "width=8 poly=7 refn=true"},
         "--model: unknown field 'refn': the fields are width, poly, init, refin, refout, "
         "xorout, check, residue and name"},
        {{"--model", "width=8 poly=7 true"},
         "--model: 'true' is not a field: fields are written name=value"},
        {{"--model", "width=8 poly=7 name=\"CRC-8"}, "--model: name: no closing quote"},
        {{"--model", "width=8 poly=0x107"}, "--model: poly: 0x107 is wider than 8 bits"},
        {{"--model", "width=8 poly=0x07 check=0xf5"},
         "--model: check: the model gives 0xf4, not 0xf5"},
        {{"--model", "width=8 poly=0x07 xorout=1 residue=0"},
         "--model: residue: the model gives 0x07, not 0"},
        {{"--crc16", "--init", "0", "--poly", "8005", "--table-msb-first", "--show-model"},
         "--show-model: the table and the update run in different bit orders, which the "
         "catalogue's model cannot describe"},
        {{"--init", "0", "--poly", "8005", "--xorout", "10000", "--show-model"},
         "--show-model: the XOR-out value 10000 is wider than the CRC, which the catalogue's "
         "model cannot describe"},
        {{"--modbus", "--bytes", "xx", "--text", "1"}, "--bytes: 'xx' is neither le nor be"},
        {{"--crc32", "--poly", "4C11DB7", "--table"}, "--table shows the CRC-16 table only"},
        {{"--emit", "java", "--modbus"}, "--emit: 'java' is not c, h or verilog"},
        {{"--emit", "c", "--style", "fast", "--modbus"},
         "--style: 'fast' is not bitwise, table or slice8"},
        {{"--emit", "verilog", "--extern", "--modbus"}, "--extern goes with --emit c or h"},
        {{"--emit", "h", "--data-width", "32", "--modbus"},
         "--data-width goes with --emit verilog"},
        {{"--emit", "verilog", "--data-width", "12", "--modbus"},
         "--data-width: '12' is not 8, 16, 32 or 64"},
        {{"--emit", "c", "--prefix", "crc-16", "--modbus"},
         "--prefix: 'crc-16' is not an identifier: a letter, then letters, digits and '_'"},
        {{"--emit", "c", "--preset", "CRC-82/DARC"},
         "--emit: code is generated for CRCs of 1 to 64 bits; this one has 82"},
        {{"--all", good, good}, "--all and --find read one input"},
        // The other files are still read.
        {{"--modbus", missing, good},
         missing + ": No such file or directory",
         Cli({"--modbus", "--text", "123"}).out.substr(0, 4) + "  " + good + "\n"},
        {{"--solve", "--sample", "01 0G:1234", "--sample", "01:1"},
         "--sample 1: token 2 '0G' is not hexadecimal"},
        {{"--solve", "--sample", "01:1", "--sample", " :1"}, "--sample 2: no bytes"},
        {{"--solve", "--sample", "01:1", "--sample-text", ":1"},
         "--sample-text 2: the text is empty"},
        {{"--solve", "--sample", "01:1", "--sample-text", "0102"},
         "--sample-text 2: no ':' between the data and the CRC"},
        {{"--solve", "--sample", "01:12345", "--samples", missing},
         missing + ": No such file or directory"},
        {{"--solve", "--sample", "01:1G"}, "--sample 1: the CRC '1G' is not hexadecimal"},
        {{"--solve", "--sample", "0102 030:1"},
         "--sample 1: token 2 '030' has an odd number of digits"},
        {{"--emit", "c", "--preset", "CRC-8/SMBUS", "--prefix", "uint_least16"},
         "--prefix: uint_least16_t is a type of <stddef.h> or <stdint.h>"},
        {{"--emit", "verilog", "--preset", "CRC-8/SMBUS", "--prefix", "module"},
         "--prefix: module is a Verilog keyword"},
        {{"--solve", "--sample", "01:02 03"},
         "--sample 1: more than one token after the last ':', where the CRC goes"},
        // A file's error names its line; a byte no sample holds stops the reading at once.
        {{"--solve", "--samples", badLine}, badLine + ":3: token 2 'ZZ' is not hexadecimal"},
        {{"--solve", "--samples", "/dev/zero"},
         "/dev/zero:1: token 1 '" + nuls + "...' is not hexadecimal"},
        {{"--solve", "--samples", many},
         many + ":" + std::to_string(kMaxSamples + 1) + ": more than " +
             std::to_string(kMaxSamples) + " samples"},
        // Two lengths and nothing else: every polynomial fits with some init and XOR-out.
        {{"--solve", "--sample", "01:1234", "--sample", "01 02:5678"},
         "these samples leave the polynomial open: give two samples of one length, or three "
         "samples, or more"},
    };
    for (const auto& c : cases) {
        const Outcome outcome = Cli(c.args);
        EXPECT_EQ(outcome.status, 2) << c.err;
        EXPECT_EQ(outcome.err, "quenfold-crc: " + c.err + "\n");
        EXPECT_EQ(outcome.out, c.out);
    }
    // Usage errors, reported by the parser in the same form, with a pointer to --help.
    const struct {
        std::vector<std::string> args;
        std::string err;
    } usage[] = {
        {{"--modbus", "--init", "0"}, "--init excludes --modbus"},
        {{"--width", "8", "--crc16"}, "--width excludes --crc16"},
        {{"--crc16", "--crc32"}, "--crc16 excludes --crc32"},
        {{"--hex", "01", "--text", "1"}, "--hex excludes --text"},
        {{"--all", "--preset", "MODBUS"}, "--preset excludes --all"},
        {{"--sample", "01:1"}, "--sample requires --solve"},
        {{"--solve", "--modbus", "--sample", "01:1"}, "--modbus excludes --solve"},
        {{"--init", "1", "--init", "2"}, "--init is given more than once"},
        {{"--text"}, "--text needs a value"},
        {{"--bogus"}, "The following argument was not expected: --bogus"},
    };
    for (const auto& c : usage) {
        const Outcome outcome = Cli(c.args);
        EXPECT_EQ(outcome.status, 2) << c.err;
        EXPECT_EQ(outcome.err,
                  "quenfold-crc: " + c.err + "\nTry 'quenfold-crc --help' for more information.\n");
        EXPECT_EQ(outcome.out, "");
    }
}

std::string ModbusCrc(const std::string& hex) {
    return Cli({"--modbus", "--hex", hex}).out.substr(0, 4);
}

std::string ModbusSample(const std::string& hex) {
    return hex + ":" + ModbusCrc(hex);
}

const std::string kModbusAnswer =
    "width=16 poly=0x8005 init=0xffff refin=true refout=true xorout=0x0000 check=0x4b37 "
    "residue=0x0000 name=\"CRC-16/MODBUS\"\n"
    "  main window: 算法：CRC-16 初始值：FFFF 多项式：8005 异或值：0000 [ ]异或输出 [x]多项式逆序 "
    "[ ]表逆序 [ ]算法逆序\n"
    "  also init=0x7ffc xorout=0xc001: the same CRC of every message\n";

const std::vector<std::string> kModbusFrames = {
    "01 03 00 00 00 0A", "01 06 00 01 00 03",
    "01 03 14 00 01 00 02 00 03 00 04 00 05 00 06 00 07 00 08 00 09 00 0A",
    "01 10 00 01 00 02 04 00 0A 01 02"};

// Modbus frames of three lengths: the Modbus CRC among the sets that fit, as
// the catalogue's model line and the main window, and with a fourth frame it alone.
TEST(QuenfoldCrc, SolvesModbusFromItsFrames) {
    const std::string modbus =
        "Width tried: 16 bits, as the CRCs are written with 4 digits.\n" + kModbusAnswer;
    std::vector<std::string> args = {"--solve"};
    for (std::size_t i = 0; i < 3; ++i)
        args.insert(args.end(), {"--sample", ModbusSample(kModbusFrames[i])});
    const Outcome some = Cli(args);
    EXPECT_EQ(some.status, 0);
    EXPECT_EQ(some.out.substr(0, modbus.size()), modbus);
    EXPECT_NE(some.out.find("Not unique: 3 parameter sets fit all 3 samples."), std::string::npos);

    args.insert(args.end(), {"--sample", ModbusSample(kModbusFrames[3])});
    const Outcome one = Cli(args);
    EXPECT_EQ(one.status, 0);
    EXPECT_EQ(one.out, modbus +
                           "Unique: one parameter set fits all 4 samples; all 4 samples were "
                           "needed.\nEach polynomial is shown in its normal form; bit-reversed, "
                           "with 多项式逆序 toggled, it is the same set.\n");
}

// Samples as hexadecimal, as text and from a file (a byte-order mark, 0x,
// blanks) give one answer; the CRC's digits choose the widths unless one is
// asked for; none fitting is status 1.
TEST(QuenfoldCrc, SolvesSamplesFromEverySource) {
    const TempDir dir;
    const std::vector<std::string> texts = {"123456789", "hello", "abcdefgh12", "xyz"};
    std::string file = "\xEF\xBB\xBF";
    std::vector<std::string> asHex = {"--solve"}, asText = {"--solve"};
    for (const std::string& text : texts) {
        const std::string crc =
            Cli({"--preset", "CRC-32/ISO-HDLC", "--text", text}).out.substr(0, 8);
        std::string hex;
        for (const char c : text)
            hex += Hex(static_cast<std::uint8_t>(c), "%02x ");
        asHex.insert(asHex.end(), {"--sample", hex + ":" + crc});
        asText.insert(asText.end(), {"--sample-text", text + ":" + crc});
        file += "\r\n" + hex + ": 0x" + crc + " \t\r\n";
    }
    const std::string path = dir.Write("samples.txt", {file.begin(), file.end()});
    const auto answer = [](const std::string& out) { return out.substr(out.find('\n') + 1); };
    const Outcome solved = Cli(asHex);
    EXPECT_EQ(solved.status, 0);
    EXPECT_EQ(solved.out.substr(0, solved.out.find('\n')),
              "Width tried: 32 bits, as the CRCs are written with 8 digits.");
    EXPECT_EQ(answer(solved.out).substr(0, answer(solved.out).find('\n')),
              "width=32 poly=0x04c11db7 init=0xffffffff refin=true refout=true "
              "xorout=0xffffffff check=0xcbf43926 residue=0xdebb20e3 name=\"CRC-32/ISO-HDLC\"");
    EXPECT_EQ(Cli(asText).out, solved.out);
    EXPECT_EQ(Cli({"--solve", "--samples", path}).out, solved.out);
    EXPECT_EQ(answer(Cli({"--solve", "--crc32", "--samples", path}).out), answer(solved.out));
    EXPECT_EQ(Cli({"--solve", "--width", "32", "--samples", path}).out,
              Cli({"--solve", "--crc32", "--samples", path}).out);

    const Outcome none = Cli({"--solve", "--crc16", "--samples", path});
    EXPECT_EQ(none.status, 1);
    EXPECT_EQ(none.out, "Width tried: 16 bits, as asked.\nNo parameter set fits all 4 samples. "
                        "The first 2 already rule out every set.\n");
}

// One sample, or one left after its duplicate: the catalogue's algorithms
// that give it, as --find would, and what the algebra needs.
TEST(QuenfoldCrc, OneSampleListsTheCatalogueAlgorithmsThatGiveIt) {
    const Outcome one =
        Cli({"--solve", "--sample-text", "123456789:0x4B37", "--sample-text", "123456789:4b37"});
    EXPECT_EQ(one.status, 0);
    EXPECT_EQ(one.out, "Widths tried: 15 to 16 bits, as the CRCs are written with 4 digits.\n"
                       "--sample-text 2 duplicates --sample-text 1: it is left out, as it tells "
                       "nothing new.\n"
                       "width=16 poly=0x8005 init=0xffff refin=true refout=true xorout=0x0000 "
                       "check=0x4b37 residue=0x0000 name=\"CRC-16/MODBUS\"\n"
                       "  main window: 算法：CRC-16 初始值：FFFF 多项式：8005 异或值：0000 "
                       "[ ]异或输出 [x]多项式逆序 [ ]表逆序 [ ]算法逆序\n"
                       "One sample: this catalogue algorithm gives its CRC; solving for any "
                       "parameters takes two samples or more.\n");
    const Outcome none = Cli({"--solve", "--sample-text", "123456789:374B"});
    EXPECT_EQ(none.status, 1);
    EXPECT_EQ(none.out, "Widths tried: 14 to 16 bits, as the CRCs are written with 4 digits.\n"
                        "Nothing fits as given; with the CRC's bytes swapped, CRC-16/MODBUS "
                        "fits.\n"
                        "One sample: no catalogue algorithm of the widths tried gives its CRC; "
                        "solving for any parameters takes two samples or more.\n");
}

// CRCs as they go on the wire, low byte first, or left at the end of the
// frame: nothing fits as given, and the output says what does.
TEST(QuenfoldCrc, SaysWhatFitsTheCrcsInWireOrder) {
    std::vector<std::string> swapped = {"--solve"}, framed = {"--solve"};
    for (const std::string& frame : kModbusFrames) {
        const std::string crc = ModbusCrc(frame);
        const std::string wire = crc.substr(2) + crc.substr(0, 2);
        swapped.insert(swapped.end(), {"--sample", frame + ":" + wire});
        framed.insert(framed.end(), {"--sample", frame + " " + wire.substr(0, 2) + " " +
                                                     wire.substr(2) + ":" + crc});
    }
    const Outcome bytes = Cli(swapped);
    EXPECT_EQ(bytes.status, 1);
    EXPECT_EQ(bytes.out, "Width tried: 16 bits, as the CRCs are written with 4 digits.\n"
                         "Nothing fits as given; with each CRC's bytes swapped, CRC-16/MODBUS "
                         "fits.\n" +
                             kModbusAnswer +
                             "Each polynomial is shown in its normal form; bit-reversed, with "
                             "多项式逆序 toggled, it is the same set.\n");
    const Outcome frames = Cli(framed);
    EXPECT_EQ(frames.status, 1);
    EXPECT_NE(frames.out.find("Nothing fits as given; with the CRC's bytes taken off the end of "
                              "each sample's data, CRC-16/MODBUS fits.\n"),
              std::string::npos)
        << frames.out;
    // Three frames leave room for a set that fits by chance; the hint still comes.
    const Outcome chance = Cli({"--solve", "--sample", "00 6D 6B 1A:3F02", "--sample",
                                "F0 C0 CB D6 25 65 8A AC 2C 9F AA 07 D1 3C 44 7E 33:D6AE",
                                "--sample", "05 1E EE F9 5A 60 E5 61 43 D6 C4 3B CA D7:E85C"});
    EXPECT_EQ(chance.status, 0);
    EXPECT_NE(chance.out.find("\nNo catalogue algorithm fits as given; with each CRC's bytes "
                              "swapped, CRC-16/MODBUS fits."),
              std::string::npos)
        << chance.out;
}

// When nothing searched fits, the summary names what was not searched and
// the status is 3, not 1.
TEST(QuenfoldCrc, SaysWhatWasNotSearched) {
    std::mt19937 rng(8);
    std::vector<std::string> args = {"--solve"};
    for (int i = 0; i < 4; ++i)
        args.insert(args.end(), {"--sample", Hex(rng(), "%08x") + ":" + Hex(rng() | 1u << 31)});
    const Outcome outcome = Cli(args);
    EXPECT_EQ(outcome.status, 3);
    EXPECT_EQ(outcome.out,
              "Width tried: 32 bits, as the CRCs are written with 8 digits.\n"
              "No parameter set among those searched fits all 4 samples. The first 3 already "
              "rule out every set searched.\n"
              "Not searched: CRC-32 with the table and the update in different bit orders "
              "(表逆序 and 算法逆序 set differently).\n");
}

// Long samples from a file: two frames of 1 MiB that differ only at their
// end, with two short ones, are solved; two that differ throughout, with
// nothing else, are answered as too long, with status 3.
TEST(QuenfoldCrc, SolvesLongSamplesOrSaysTheyAreTooLong) {
    const TempDir dir;
    std::mt19937 rng(12);
    const auto line = [&](const std::vector<std::uint8_t>& data) {
        std::string text;
        for (const std::uint8_t b : data)
            text += Hex(b, "%02X");
        const std::string crc =
            Cli({"--preset", "CRC-32/ISO-HDLC", dir.Write("frame.bin", data)}).out.substr(0, 8);
        return text + ":" + crc + "\n";
    };
    auto frame = RandomBytes(std::size_t{1} << 20, rng);
    std::string samples = line(frame);
    frame.back() ^= 0x5A;
    samples += line(frame) + line(RandomBytes(10, rng)) + line(RandomBytes(17, rng));
    const Outcome solved =
        Cli({"--solve", "--samples", dir.Write("long.txt", {samples.begin(), samples.end()})});
    EXPECT_EQ(solved.status, 0);
    EXPECT_NE(solved.out.find("name=\"CRC-32/ISO-HDLC\"\n"), std::string::npos) << solved.out;
    EXPECT_NE(solved.out.find("\nUnique: one parameter set fits all 4 samples"), std::string::npos);

    const std::string two = line(RandomBytes(1 << 18, rng)) + line(RandomBytes(1 << 18, rng));
    const Outcome tooLong =
        Cli({"--solve", "--samples", dir.Write("two.txt", {two.begin(), two.end()})});
    EXPECT_EQ(tooLong.status, 3);
    EXPECT_NE(tooLong.out.find("The samples are too long for so few of them"), std::string::npos)
        << tooLong.out;
}

} // namespace
