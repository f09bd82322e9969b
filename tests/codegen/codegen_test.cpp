// The generated code is compiled and run, never compared as text: C under gcc
// and clang with every warning an error and the sanitizers on, Verilog under
// Icarus Verilog, both against the engine over random data.
#include "CrcCatalogue.h"
#include "CrcCodegen.h"
#include "CrcEngine.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

class TempDir {
public:
    TempDir() {
        std::string pattern = (fs::temp_directory_path() / "qcodegenXXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("no temporary directory");
        path_ = pattern;
    }
    ~TempDir() { fs::remove_all(path_); }
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }

private:
    fs::path path_;
};

void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::string ReadFile(const std::string& path) {
    std::ostringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

// Runs command with its output in out and its errors in err; true when it exits 0.
bool Execute(const std::string& command, const std::string& out, const std::string& err) {
    return std::system((command + " >" + out + " 2>" + err).c_str()) == 0;
}

bool Have(const std::string& program) {
    return std::system(("command -v " + program + " >/dev/null 2>&1").c_str()) == 0;
}

struct Case {
    std::string name;
    CrcParams params;
};

// Every catalogue entry the generator serves, random models of every width
// with random bit orders and output reflection, and the main window's eight
// flag combinations at both its widths with XOR values wider than a CRC-16.
std::vector<Case> Cases(std::mt19937_64& rng) {
    std::vector<Case> cases;
    for (const CatalogueEntry& entry : CrcCatalogue())
        if (entry.model.width <= 64)
            cases.push_back({std::string(entry.name), ToCrcParams(entry)});
    for (int i = 0; i < 32; ++i) {
        CrcParams p;
        p.width = 1 + static_cast<int>(rng() % 64);
        const CrcWord mask = WidthMask(p.width);
        p.poly = rng() & mask;
        p.init = rng() & mask;
        p.reversePoly = rng() & 1;
        p.reflectedTable = rng() & 1;
        p.reflectedUpdate = rng() & 1;
        p.reflectOut = rng() & 1;
        if (i % 3 == 1)
            p.xorOut = rng() & mask;
        else if (i % 3 == 2)
            p.xorOut = rng() >> (rng() % 64); // often wider than the width
        cases.push_back({"random set " + std::to_string(i), p});
    }
    for (int width : {16, 32})
        for (int flags = 0; flags < 8; ++flags)
            cases.push_back({"window set " + std::to_string(width) + "/" + std::to_string(flags),
                             {width, rng() & 0xFFFFFFFF, rng() & 0xFFFFFFFF, (flags & 4) != 0,
                              (flags & 1) != 0, (flags & 2) != 0, rng() & 0xFFFFFFFF}});
    return cases;
}

constexpr CStyle kStyles[] = {CStyle::Bitwise, CStyle::Table, CStyle::Slice8};
constexpr const char* kStyleNames[] = {"bitwise", "table", "slice8"};
constexpr std::size_t kData = 1024;

// One run of a generated CRC: the data from offset, in pieces ending at cuts.
struct Run {
    std::size_t source, offset, length;
    std::vector<std::size_t> cuts;
};

// The harness: RUN(P) defines run_P around the generated functions of prefix
// P, which feeds them the data in the run's pieces; main copies each run's
// data to a block of its own, so that a read past its end is caught.
constexpr char kHarness[] = R"(#include <inttypes.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#define RUN(P) \
static uint64_t run_##P(const uint8_t *data, size_t len, const size_t *cuts, size_t n) \
{ \
    P##_t crc = P##_init(); \
    size_t at = 0; \
    for (size_t i = 0; i < n; at = cuts[i], i++) \
        crc = P##_update(crc, data + at, cuts[i] - at); \
    return P##_finalize(P##_update(crc, data + at, len - at)); \
}
)";

std::string Main(const std::vector<std::uint8_t>& data, const std::vector<Run>& runs,
                 std::size_t sources) {
    std::string text = "typedef uint64_t (*runner)(const uint8_t *, size_t, const size_t *, "
                       "size_t);\nstatic const runner runners[] = {";
    for (std::size_t i = 0; i < sources; ++i)
        text += (i ? ", run_c" : "run_c") + std::to_string(i);
    text += "};\nstatic const uint8_t bytes[] = {";
    for (std::uint8_t b : data)
        text += std::to_string(b) + ",";
    text += "};\nstatic const size_t plan[] = {";
    for (const Run& run : runs) {
        text += std::to_string(run.source) + "," + std::to_string(run.offset) + "," +
                std::to_string(run.length) + "," + std::to_string(run.cuts.size()) + ",";
        for (std::size_t cut : run.cuts)
            text += std::to_string(cut) + ",";
    }
    return text + R"(};
int main(void)
{
    for (size_t i = 0; i < sizeof plan / sizeof plan[0]; i += 4 + plan[i + 3]) {
        size_t offset = plan[i + 1], len = plan[i + 2];
        uint8_t *block = malloc(offset + len + 1);
        memcpy(block + offset, bytes + offset, len);
        printf("%016" PRIx64 "\n", runners[plan[i]](block + offset, len, plan + i + 4, plan[i + 3]));
        free(block);
    }
    return 0;
}
)";
}

std::vector<Run> RandomRuns(std::size_t sources, std::mt19937_64& rng) {
    std::vector<Run> runs;
    for (std::size_t source = 0; source < sources; ++source)
        for (int i = 0; i < 3; ++i) {
            Run run{source, rng() % 16, 0, {}};
            run.length = rng() % (i == 0 ? 24 : kData - run.offset);
            for (std::size_t k = rng() % 5; k > 0; --k)
                run.cuts.push_back(rng() % (run.length + 1));
            std::sort(run.cuts.begin(), run.cuts.end());
            runs.push_back(run);
        }
    return runs;
}

// Compiled with every warning an error, and the results checked against the
// engine: by gcc optimising, which warns of what only its analysis finds, and
// by clang with the sanitizers, which turn a shift past the width, a signed
// overflow, an unaligned load or a read past the data into a failure.
void CheckEmittedC(const std::string& compiler, const std::string& options) {
    std::mt19937_64 rng(compiler.size() * 7919);
    const std::vector<Case> cases = Cases(rng);
    std::vector<std::uint8_t> data(kData);
    for (auto& b : data)
        b = static_cast<std::uint8_t>(rng());
    const TempDir dir;

    // Each source once with static functions, all in one translation unit;
    // two sets also as separate sources with external linkage and a header.
    std::string program = kHarness;
    std::string files;
    std::vector<std::string> names;
    for (const Case& c : cases)
        for (std::size_t s = 0; s < std::size(kStyles); ++s) {
            const CStyle style = kStyles[s];
            const std::size_t index = names.size();
            const std::string prefix = "c" + std::to_string(index);
            names.push_back(c.name + ", " + kStyleNames[s]);
            const bool separate = c.name == "CRC-12/UMTS" || c.name == "window set 16/6";
            if (separate) {
                const std::string source = dir / (prefix + ".c");
                WriteFile(source, EmitC(c.params,
                                        {.prefix = prefix, .style = style, .externLinkage = true}));
                WriteFile(dir / (prefix + ".h"), EmitCHeader(c.params, {.prefix = prefix}));
                program += "#include \"" + prefix + ".h\"\n";
                files += " " + source;
            } else {
                program += EmitC(c.params, {.prefix = prefix, .style = style});
            }
            program += "RUN(" + prefix + ")\n";
        }
    const std::vector<Run> runs = RandomRuns(names.size(), rng);
    WriteFile(dir / "main.c", program + Main(data, runs, names.size()));

    const std::string flags = " -std=c99 -Wall -Wextra -pedantic -Werror -Wconversion " + options;
    ASSERT_TRUE(Execute(compiler + flags + " -I" + (dir / "") + " " + (dir / "main.c") + files +
                            " -o " + (dir / "crcs"),
                        dir / "cc.out", dir / "cc.err"))
        << ReadFile(dir / "cc.err").substr(0, 4000);
    ASSERT_TRUE(Execute(dir / "crcs", dir / "results", dir / "run.err"))
        << ReadFile(dir / "run.err").substr(0, 4000);

    std::istringstream results(ReadFile(dir / "results"));
    for (const Run& run : runs) {
        const Case& c = cases[run.source / std::size(kStyles)];
        const CrcEngine engine(c.params, CrcPath::ByteWise);
        const std::uint64_t expected = static_cast<std::uint64_t>(
            engine.Checksum(std::span(data).subspan(run.offset, run.length)));
        std::string line;
        ASSERT_TRUE(std::getline(results, line)) << "missing results";
        ASSERT_EQ(std::stoull(line, nullptr, 16), expected)
            << names[run.source] << ", " << run.length << " bytes in " << run.cuts.size() + 1
            << " pieces";
    }
}

TEST(EmittedC, ComputesWhatTheEngineComputesUnderGcc) {
    CheckEmittedC("gcc", "-O2");
}

TEST(EmittedC, ComputesWhatTheEngineComputesUnderClang) {
    if (!Have("clang"))
        GTEST_SKIP() << "no clang";
    CheckEmittedC("clang", "-O0 -fsanitize=address,undefined -fno-sanitize-recover=all");
}

struct Module {
    std::string name;
    CrcParams params;
    int dataWidth;
};

// Catalogue entries of many widths and both bit orders, refin != refout
// among them; wider data words for four; and one of the main window's mixed
// sets with a XOR value wider than its CRC-16.
std::vector<Module> VerilogSample() {
    std::vector<Module> modules;
    const auto add = [&](const char* name, int dataWidth) {
        const CatalogueEntry* entry = FindCatalogueEntry(name);
        if (entry == nullptr)
            throw std::runtime_error(std::string("no catalogue entry ") + name);
        modules.push_back({name, ToCrcParams(*entry), dataWidth});
    };
    for (const char* name :
         {"CRC-3/GSM", "CRC-5/USB", "CRC-7/MMC", "CRC-8/SMBUS", "CRC-8/MAXIM-DOW", "CRC-12/UMTS",
          "CRC-15/CAN", "CRC-16/MODBUS", "CRC-16/IBM-3740", "CRC-17/CAN-FD", "CRC-24/BLE",
          "CRC-24/OPENPGP", "CRC-32/ISO-HDLC", "CRC-32/BZIP2", "CRC-40/GSM", "CRC-64/XZ",
          "CRC-64/ECMA-182"})
        add(name, 8);
    add("CRC-16/IBM-3740", 16);
    add("CRC-32/ISO-HDLC", 32);
    add("CRC-12/UMTS", 32);
    add("CRC-64/XZ", 64);
    modules.push_back({"window set 16/1", {16, 0x1021, 0xFFFF, false, true, false, 0x5A5A0F0F}, 8});
    return modules;
}

// A clock of stimulus, one hexadecimal line: rst, en and 64 bits of data, of
// which each module takes as many as its width.
struct Cycle {
    bool rst, en;
    std::uint64_t data;
};

std::string Testbench(const std::vector<Module>& modules, std::size_t cycles) {
    std::string text =
        "module tb;\n    reg clk = 0;\n    reg [71:0] stimulus [0:" + std::to_string(cycles - 1) +
        "];\n    reg [71:0] s;\n    integer c;\n    wire rst = s[68], en = s[64];\n"
        "    wire [63:0] data = s[63:0];\n";
    std::string format, values;
    for (std::size_t i = 0; i < modules.size(); ++i) {
        const Module& m = modules[i];
        const std::string n = std::to_string(i);
        int result = m.params.width;
        while ((m.params.xorOut.value_or(0) >> result) != 0)
            ++result;
        text += "    wire [" + std::to_string(result - 1) + ":0] crc" + n + ";\n    m" + n + " u" +
                n + " (.clk(clk), .rst(rst), .en(en), .data(data[" +
                std::to_string(m.dataWidth - 1) + ":0]), .crc(crc" + n + "));\n";
        format += i ? " %h" : "%h";
        values += ", crc" + n;
    }
    return text + "    initial begin\n        $readmemh(\"stimulus.hex\", stimulus);\n" +
           "        for (c = 0; c < " + std::to_string(cycles) +
           "; c = c + 1) begin\n            s = stimulus[c];\n            #1 clk = 1;\n" +
           "            #1 $display(\"" + format + "\"" + values +
           ");\n            clk = 0;\n        end\n    end\nendmodule\n";
}

// Every module is fed random data, with idle clocks whose data must be
// ignored and a reset in the middle that must win over en, and the finalized
// CRC is compared with the engine after every clock.
TEST(EmittedVerilog, ComputesWhatTheEngineComputesUnderIcarus) {
    if (!Have("iverilog"))
        GTEST_FAIL() << "iverilog is missing: scripts/setup-deps installs it";
    const std::vector<Module> modules = VerilogSample();
    std::mt19937_64 rng(2024);
    constexpr std::size_t kCycles = 400;
    std::vector<Cycle> cycles;
    std::string stimulus;
    for (std::size_t c = 0; c < kCycles; ++c) {
        cycles.push_back({c == 0 || c == kCycles / 2, rng() % 4 != 0, rng()});
        char line[32];
        std::snprintf(line, sizeof line, "%d%d%016llx\n", cycles[c].rst, cycles[c].en,
                      static_cast<unsigned long long>(cycles[c].data));
        stimulus += line;
    }

    const TempDir dir;
    std::string sources;
    for (std::size_t i = 0; i < modules.size(); ++i)
        sources += EmitVerilog(modules[i].params, {.prefix = "m" + std::to_string(i),
                                                   .dataWidth = modules[i].dataWidth});
    WriteFile(dir / "crcs.v", sources);
    WriteFile(dir / "tb.v", Testbench(modules, kCycles));
    WriteFile(dir / "stimulus.hex", stimulus);
    ASSERT_TRUE(Execute("iverilog -g2005 -Wall -o " + (dir / "sim") + " " + (dir / "tb.v") + " " +
                            (dir / "crcs.v"),
                        dir / "iv.out", dir / "iv.err"))
        << ReadFile(dir / "iv.err");
    EXPECT_EQ(ReadFile(dir / "iv.err"), "") << "warnings";
    ASSERT_TRUE(Execute("cd " + (dir / "") + " && vvp -n sim", dir / "sim.out", dir / "sim.err"))
        << ReadFile(dir / "sim.err");

    std::vector<CrcEngine> engines;
    std::vector<CrcWord> registers(modules.size());
    for (const Module& m : modules)
        engines.emplace_back(m.params, CrcPath::ByteWise);
    std::istringstream lines(ReadFile(dir / "sim.out"));
    for (const Cycle& cycle : cycles) {
        std::string line;
        ASSERT_TRUE(std::getline(lines, line)) << "missing output";
        std::istringstream values(line);
        for (std::size_t i = 0; i < modules.size(); ++i) {
            std::vector<std::uint8_t> word;
            for (int b = 0; b < modules[i].dataWidth / 8; ++b)
                word.push_back(static_cast<std::uint8_t>(cycle.data >> (8 * b)));
            if (cycle.rst)
                registers[i] = engines[i].Start();
            else if (cycle.en)
                registers[i] = engines[i].Update(registers[i], word);
            std::string value;
            values >> value;
            const std::string where = modules[i].name + " with " +
                                      std::to_string(modules[i].dataWidth) + "-bit data, clock " +
                                      std::to_string(&cycle - cycles.data());
            ASSERT_EQ(value.find_first_not_of("0123456789abcdef"), std::string::npos)
                << value << ": " << where;
            ASSERT_EQ(std::stoull(value, nullptr, 16),
                      static_cast<std::uint64_t>(engines[i].Finish(registers[i])))
                << where;
        }
    }
}

} // namespace
