// The built executable, run as a shell runs it: streams, status and messages.
#include "CrcEngine.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

struct Outcome {
    int status;
    std::string out, err;
};

std::string Slurp(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// Runs "sh -c script" with $Q the executable; captures both streams.
Outcome Shell(const std::string& script) {
    const auto dir = std::filesystem::temp_directory_path();
    const auto out = dir / ("qexe-out-" + std::to_string(::getpid()));
    const auto err = dir / ("qexe-err-" + std::to_string(::getpid()));
    const std::string command = "Q='" QUENFOLD_CRC "'; { " + script + "; } >'" + out.string() +
                                "' 2>'" + err.string() + "'";
    const int raw = std::system(command.c_str());
    Outcome outcome{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, Slurp(out), Slurp(err)};
    std::filesystem::remove(out);
    std::filesystem::remove(err);
    return outcome;
}

TEST(QuenfoldCrcExecutable, ReadsStandardInputAndNamesEachFileWhenThereAreSeveral) {
    EXPECT_EQ(Shell("printf 123456789 | $Q --modbus").out, "4B37\n");
    EXPECT_EQ(Shell("printf 123456789 | $Q --preset CRC-32/ISO-HDLC --bytes be -").out,
              "CB F4 39 26\n");
    EXPECT_EQ(Shell("printf 123456789 | $Q --modbus - /dev/null").out,
              "4B37  -\nFFFF  /dev/null\n");
    EXPECT_EQ(Shell("printf '\\001\\003\\000\\000\\000\\012' | $Q --find CDC5").out,
              "CRC-16/MODBUS\n");
    const Outcome solved = Shell("printf '01 03 00 00 00 0A:CDC5\\r\\n01 06 00 01 00 03:0B98\\r\\n"
                                 "01 03 04 00 01 00 02:322A\\n\\n01 10 00 01 00 02 04 00 0A 01 "
                                 "02:3092' | $Q --solve --samples -");
    EXPECT_EQ(solved.status, 0);
    EXPECT_NE(solved.out.find(" name=\"CRC-16/MODBUS\"\n"), std::string::npos) << solved.out;
}

// A user sees which engine path their CPU gets.
TEST(QuenfoldCrcExecutable, VersionNamesTheEnginePathInUse) {
    std::string paths;
    for (const CrcPath path : AvailableCrcPaths())
        paths.append(" ").append(CrcPathName(path));
    const Outcome version = Shell("$Q --version");
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "quenfold-crc " QUENFOLD_VERSION "\nengine path: " +
                               std::string(CrcPathName(FastestCrcPath())) + " (this CPU runs" +
                               paths + ")\n");
}

TEST(QuenfoldCrcExecutable, ExitStatusAndMessages) {
    const struct {
        std::string script;
        int status;
        std::string out, err;
    } cases[] = {
        {"$Q --modbus /no/such.bin", 2, "",
         "quenfold-crc: /no/such.bin: No such file or directory\n"},
        {"$Q --find 1234 --text 1", 1, "",
         "quenfold-crc: --find: no catalogue algorithm of 13 to 16 bits gives 1234 (36 tried)\n"
         "quenfold-crc: --find: nor does any give its bytes swapped, 3412\n"},
        // A result that cannot be written is a failure.
        {"$Q --list-presets >/dev/full", 2, "", "quenfold-crc: write error\n"},
    };
    for (const auto& c : cases) {
        const Outcome outcome = Shell(c.script);
        EXPECT_EQ(outcome.status, c.status) << c.script;
        EXPECT_EQ(outcome.out, c.out) << c.script;
        EXPECT_EQ(outcome.err, c.err) << c.script;
    }
    const Outcome help = Shell("$Q --help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--update-msb-first"), std::string::npos);
    EXPECT_EQ(Shell("$Q --hex").status, 2);
}

// The README's console examples, run as shown: a "$ " line is a command (a
// trailing backslash continues it), the lines up to the next its output,
// standard error included.
TEST(QuenfoldCrcExecutable, RunsTheReadmesExamplesAsShown) {
    struct Example {
        std::string command, out;
    };
    std::vector<Example> examples;
    std::ifstream readme(QUENFOLD_README);
    bool console = false, continued = false;
    for (std::string line; std::getline(readme, line);) {
        if (line.starts_with("```"))
            console = line == "```console";
        else if (console && continued)
            examples.back().command += "\n" + line;
        else if (console && line.starts_with("$ "))
            examples.push_back({line.substr(2), ""});
        else if (console && !examples.empty())
            examples.back().out += line + "\n";
        continued = line.ends_with('\\');
    }
    ASSERT_GE(examples.size(), 10u);
    // The examples call the program by name: a wrapper on the PATH runs it,
    // through its emulator where there is one.
    const auto dir =
        std::filesystem::temp_directory_path() / ("qreadme-" + std::to_string(::getpid()));
    const auto wrapper = dir / "bin" / "quenfold-crc";
    std::filesystem::create_directories(wrapper.parent_path());
    std::ofstream(wrapper) << "#!/bin/sh\nexec " QUENFOLD_CRC " \"$@\"\n";
    std::filesystem::permissions(wrapper, std::filesystem::perms::owner_all);
    for (const Example& e : examples)
        EXPECT_EQ(Shell("cd '" + dir.string() + "' && PATH=\"$PWD/bin:$PATH\" && { " + e.command +
                        "; } 2>&1")
                      .out,
                  e.out)
            << e.command;
    std::filesystem::remove_all(dir);
}

} // namespace
