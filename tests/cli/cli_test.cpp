#include "Calculate.h"
#include "CliActions.h"
#include "CliOptions.h"
#include "CrcCatalogue.h"
#include "InputReader.h"
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
        std::vector<std::string> args = {request.width == 32 ? "--crc32" : "--crc16", "--init",
                                         init, "--poly", poly};
        if (request.xorOut)
            args.insert(args.end(), {"--xorout", xorValue});
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
                            {hexMode ? "--hex" : "--text", std::string(request.data)});
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
        std::istringstream all(Cli({"--all", file}).out);
        for (const CatalogueEntry& e : CrcCatalogue()) {
            std::string name, value;
            all >> name >> value;
            EXPECT_EQ(name, e.name);
            if (e.model.width == 16 || e.model.width == 32) {
                EXPECT_EQ(value,
                          Hex(static_cast<std::uint32_t>(CrcEngine(ToCrcParams(e)).Checksum(bytes)),
                              e.model.width == 32 ? "%08X" : "%04X"))
                    << size;
            }
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
                 {wide, "14B37", "37 4B 01", "01 4B 37"}};
    for (const auto& c : cases) {
        auto args = c.args;
        EXPECT_EQ(Cli(args).out, c.digits + "\n");
        args.insert(args.end(), {"--bytes", "le"});
        EXPECT_EQ(Cli(args).out, c.low + "\n");
        args.back() = "be";
        EXPECT_EQ(Cli(args).out, c.high + "\n");
    }
}

TEST(QuenfoldCrc, FindsEveryCatalogueAlgorithmByItsCheck) {
    for (const CatalogueEntry& e : CrcCatalogue()) {
        if (e.model.width > 32)
            continue;
        const Outcome found =
            Cli({"--find", Hex(static_cast<std::uint32_t>(e.check)), "--text", "123456789"});
        EXPECT_EQ(found.status, 0);
        EXPECT_NE(("\n" + found.out).find("\n" + std::string(e.name) + "\n"), std::string::npos)
            << e.name;
    }
    const Outcome none = Cli({"--find", "1234", "--text", "123456789"});
    EXPECT_EQ(none.status, 1);
    EXPECT_EQ(none.out + none.err, "");
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
    const struct {
        std::vector<std::string> args;
        std::string err, out = {};
    } cases[] = {
        {{"--modbus", "--hex", "01 0G 03"}, "--hex: 存在无效16进制！ token 2 '0G'"},
        {{"--modbus", "--hex", " \r\n"}, "--hex: 存在无效16进制！ no tokens"},
        {{"--modbus", "--text", ""}, "--text: 文本不能为空！"},
        {{"--init", "0x1F", "--poly", "8005", "--text", "1"},
         "--init: '$0x1F' is not a valid integer value."},
        {{"--init", "1", "--poly", "100000000", "--text", "1"},
         "--poly: '$100000000' is not a valid integer value."},
        {{"--find", "-1", "--text", "1"}, "--find: '$-1' is not a valid integer value."},
        {{"--poly", "8005", "--text", "1"}, "no initial value: give --init, or a preset"},
        {{"--preset", "CRC-16/NOPE", "--text", "1"},
         "unknown preset 'CRC-16/NOPE' (see --list-presets)"},
        {{"--crc32", "--poly", "4C11DB7", "--table"}, "--table shows the CRC-16 table only"},
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
        {{"--solve", "--sample", "01:02 03"},
         "--sample 1: more than one token after the last ':', where the CRC goes"},
        // A file's error names its line; a byte no sample holds stops the reading at once.
        {{"--solve", "--samples", badLine}, badLine + ":3: token 2 'ZZ' is not hexadecimal"},
        {{"--solve", "--samples", "/dev/zero"},
         "/dev/zero:1: token 1 '" + nuls + "...' is not hexadecimal"},
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
    // Usage errors, reported by the parser in the same form.
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"--modbus", "--init", "0"},
                                               {"--bytes", "xx"},
                                               {"--crc16", "--crc32"},
                                               {"--hex", "01", "--text", "1"},
                                               {"--sample", "01:1"},
                                               {"--solve", "--modbus", "--sample", "01:1"},
                                               {"--solve"},
                                               {"--bogus"}}) {
        const Outcome outcome = Cli(args);
        EXPECT_EQ(outcome.status, 2) << args.front();
        EXPECT_EQ(outcome.err.rfind("quenfold-crc: ", 0), 0u) << outcome.err;
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
