#include "DataTextModel.h"
#include "Unprivileged.h"
#include "datafile.h"
#include "datatexterrors.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

using namespace std::string_literals;
namespace fs = std::filesystem;

namespace {

constexpr std::size_t kUnlimited = std::size_t{1} << 40;

class DataFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "datafile-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir = pattern;
        // Traversable by the unprivileged user some tests switch to.
        fs::permissions(dir, fs::perms::owner_all | fs::perms::others_exec);
    }
    void TearDown() override { fs::remove_all(dir); }

    std::string Path(const std::string& name) const { return (dir / name).string(); }
    std::string Write(const std::string& name, const std::string& bytes) const {
        std::ofstream(Path(name), std::ios::binary) << bytes;
        return Path(name);
    }
    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    static std::string Message(auto&& action) {
        try {
            action();
        } catch (const std::exception& e) {
            return e.what();
        }
        return "no error";
    }

    fs::path dir;
};

TEST(DataFileKind, LastFourCharactersCaseSensitive) {
    const std::pair<const char*, DataFileKind> cases[] = {
        {"/a/b.txt", DataFileKind::Text},   {"/a/b.bin", DataFileKind::Binary},
        {"/a/b.TXT", DataFileKind::Other},  {"/a/b.Bin", DataFileKind::Other},
        {".txt", DataFileKind::Text},       {"txt", DataFileKind::Other},
        {"a.txt.bak", DataFileKind::Other}, {"", DataFileKind::Other},
        {"/a.bin/b", DataFileKind::Other},
    };
    for (const auto& [name, kind] : cases)
        EXPECT_EQ(DataFileKindOf(name), kind) << name;
}

TEST(SaveFileName, AppendsTxtUnlessTheNameEndsInIt) {
    EXPECT_EQ(SaveFileNameFor("/d/report"), "/d/report.txt");
    EXPECT_EQ(SaveFileNameFor("/d/report.txt"), "/d/report.txt");
    EXPECT_EQ(SaveFileNameFor("/d/report.TXT"), "/d/report.TXT.txt");
    EXPECT_EQ(SaveFileNameFor("/d/a.bin"), "/d/a.bin.txt");
}

TEST_F(DataFileTest, BinaryImportWritesLinesOfSixteenPairs) {
    std::string twenty;
    for (int b = 0; b < 20; ++b)
        twenty += static_cast<char>(b);
    EXPECT_EQ(ReadBinaryFileAsHexLines(Write("20.bin", twenty), kUnlimited),
              "00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F \r\n10 11 12 13 \r\n");
    EXPECT_EQ(ReadBinaryFileAsHexLines(Write("0.bin", ""), kUnlimited), "\r\n");

    std::mt19937 rng(3);
    for (const std::size_t size : {1, 15, 16, 17, 32, 65536 + 17, 3 * 65536}) {
        std::string bytes(size, '\0');
        for (char& c : bytes)
            c = static_cast<char>(rng());
        const std::string text = ReadBinaryFileAsHexLines(Write("r.bin", bytes), kUnlimited);
        EXPECT_EQ(text, HexLines(bytes)) << size;
        EXPECT_EQ(text.size(), HexLinesSize(size)) << size;
    }
}

TEST_F(DataFileTest, BinaryImportNeedsReadAccessOnly) {
    const std::string path = Write("ro.bin", "\x01\xFF"s);
    fs::permissions(path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    Unprivileged user;
    EXPECT_EQ(ReadBinaryFileAsHexLines(path, kUnlimited), "01 FF \r\n");
}

TEST_F(DataFileTest, BinaryImportErrors) {
    const std::string locked = Write("locked.bin", "x");
    fs::permissions(locked, fs::perms::none);
    fs::create_directory(Path("folder.bin"));
    EXPECT_EQ(Message([&] { ReadBinaryFileAsHexLines(Path("missing.bin"), kUnlimited); }),
              "File not found");
    EXPECT_EQ(Message([&] { ReadBinaryFileAsHexLines(Path("folder.bin"), kUnlimited); }),
              "I/O error 21");
    Unprivileged user;
    EXPECT_EQ(Message([&] { ReadBinaryFileAsHexLines(locked, kUnlimited); }), "File access denied");
}

TEST_F(DataFileTest, TextImportEndsBeforeTheFirst00) {
    EXPECT_EQ(ReadTextFile(Write("a.txt", "a\nb\r\xFF\0c"s), kUnlimited), "a\nb\r\xFF");
    EXPECT_EQ(ReadTextFile(Write("e.txt", ""), kUnlimited), "");
    // A text longer than one read: the 00 is found where it is.
    const std::string text = std::string(3 << 20, 'x') + '\0' + "tail";
    EXPECT_EQ(ReadTextFile(Write("b.txt", text), kUnlimited), std::string(3 << 20, 'x'));
}

TEST_F(DataFileTest, TextImportErrors) {
    const std::string locked = Write("locked.txt", "x");
    fs::permissions(locked, fs::perms::none);
    fs::create_directory(Path("folder.txt"));
    EXPECT_EQ(Message([&] { ReadTextFile(Path("missing.txt"), kUnlimited); }),
              "Cannot open file \"" + Path("missing.txt") + "\". No such file or directory");
    EXPECT_EQ(Message([&] { ReadTextFile(Path("folder.txt"), kUnlimited); }),
              "Cannot open file \"" + Path("folder.txt") + "\". Is a directory");
    Unprivileged user;
    EXPECT_EQ(Message([&] { ReadTextFile(locked, kUnlimited); }),
              "Cannot open file \"" + locked + "\". Permission denied");
}

TEST_F(DataFileTest, CapacityIsCheckedBeforeTheFileIsRead) {
    const std::string sparse = Write("sparse.bin", "");
    fs::resize_file(sparse, std::uintmax_t{5} << 30);
    EXPECT_THROW(ReadBinaryFileAsHexLines(sparse, std::size_t{256} << 20), ECapacityError);

    // A text is what stands before the first 00, however big the file.
    const std::string sparseText = Write("sparse.txt", "");
    fs::resize_file(sparseText, std::uintmax_t{5} << 30);
    EXPECT_EQ(ReadTextFile(sparseText, 16), "");

    const std::string ten = Write("ten.txt", "0123456789");
    EXPECT_EQ(ReadTextFile(ten, 10), "0123456789");
    EXPECT_THROW(ReadTextFile(ten, 9), ECapacityError);
    EXPECT_EQ(ReadTextFile(Write("cut.txt", "0123\0"s + std::string(100, 'x')), 9), "0123");

    // The text is measured as the memo will hold it, each lone CR or LF a CR
    // LF, across reads too.
    const std::string breaks = Write("breaks.txt", "\n\r\r\n");
    EXPECT_EQ(ReadTextFile(breaks, 6), "\n\r\r\n");
    EXPECT_THROW(ReadTextFile(breaks, 5), ECapacityError);
    const std::string split = std::string((1 << 20) - 1, 'x') + "\r\n";
    EXPECT_EQ(ReadTextFile(Write("split.txt", split), split.size()).size(), split.size());

    const std::string bin = Write("16.bin", std::string(16, 'x'));
    EXPECT_EQ(ReadBinaryFileAsHexLines(bin, HexLinesSize(16)).size(), HexLinesSize(16));
    EXPECT_THROW(ReadBinaryFileAsHexLines(bin, HexLinesSize(16) - 1), ECapacityError);
}

fs::perms PermsOf(const std::string& path) {
    return fs::status(path).permissions();
}

TEST_F(DataFileTest, SaveReplacesAFileAndKeepsItsPermissions) {
    const std::string path = Write("keep.txt", "old contents, longer than the new");
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    SaveTextFile(path, "new\r\n");
    EXPECT_EQ(Read(path), "new\r\n");
    EXPECT_EQ(PermsOf(path),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

    const mode_t mask = ::umask(022);
    SaveTextFile(Path("fresh.txt"), "");
    ::umask(mask);
    EXPECT_TRUE(fs::is_regular_file(Path("fresh.txt")));
    EXPECT_EQ(Read(Path("fresh.txt")), "");
    EXPECT_EQ(PermsOf(Path("fresh.txt")), static_cast<fs::perms>(0644));
}

TEST_F(DataFileTest, SaveWritesThroughSymbolicLinks) {
    fs::create_directory(Path("sub"));
    const std::string target = Write("sub/target.txt", "old");
    fs::create_symlink("sub/target.txt", Path("link.txt"));
    fs::create_symlink("link.txt", Path("chain.txt"));
    fs::create_symlink("sub/absent.txt", Path("dangling.txt"));

    SaveTextFile(Path("chain.txt"), "new");
    EXPECT_TRUE(fs::is_symlink(Path("chain.txt")));
    EXPECT_TRUE(fs::is_symlink(Path("link.txt")));
    EXPECT_EQ(Read(target), "new");

    SaveTextFile(Path("dangling.txt"), "made");
    EXPECT_TRUE(fs::is_symlink(Path("dangling.txt")));
    EXPECT_EQ(Read(Path("sub/absent.txt")), "made");
    EXPECT_TRUE(IsExistingFile(Path("dangling.txt")));
}

// Only a regular file the user may write is replaced; it keeps its owner.
TEST_F(DataFileTest, SaveReplacesOnlyWhatAPlainWriteWould) {
    const std::string fifo = Path("fifo.txt");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0666), 0);
    fs::create_symlink("fifo.txt", Path("link.txt"));
    for (const std::string name : {"fifo.txt", "link.txt"}) {
        EXPECT_EQ(Message([&] { SaveTextFile(Path(name), "x"); }),
                  "Cannot create file \"" + Path(name) + "\". Not a regular file");
        EXPECT_TRUE(fs::is_fifo(fifo));
    }

    const std::string locked = Write("locked.txt", "old");
    fs::permissions(locked, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    fs::permissions(dir, fs::perms::all);
    {
        Unprivileged user;
        EXPECT_EQ(Message([&] { SaveTextFile(locked, "new"); }),
                  "Cannot create file \"" + locked + "\". Permission denied");
    }
    EXPECT_EQ(Read(locked), "old");

    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(locked.c_str(), 65534, 65534), 0);
        SaveTextFile(locked, "root may");
        struct stat st {};
        ASSERT_EQ(::stat(locked.c_str(), &st), 0);
        EXPECT_EQ(st.st_uid, 65534u);
        EXPECT_EQ(st.st_gid, 65534u);
        EXPECT_EQ(Read(locked), "root may");
    }
}

TEST_F(DataFileTest, SaveErrorsLeaveEverythingAsItWas) {
    fs::create_directory(Path("folder.txt"));
    EXPECT_FALSE(IsExistingFile(Path("folder.txt")));
    EXPECT_EQ(Message([&] { SaveTextFile(Path("folder.txt"), "x"); }),
              "Cannot create file \"" + Path("folder.txt") + "\". Is a directory");
    EXPECT_EQ(Message([&] { SaveTextFile(Path("none/a.txt"), "x"); }),
              "Cannot create file \"" + Path("none/a.txt") + "\". No such file or directory");

    // A write that fails half-way: the file keeps its old bytes and no
    // temporary file is left behind.
    const std::string path = Write("full.txt", "precious");
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 4;
    ::setrlimit(RLIMIT_FSIZE, &small);
    const std::string message = Message([&] { SaveTextFile(path, "more than four bytes"); });
    ::setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_EQ(message, "Cannot create file \"" + path + "\". File too large");
    EXPECT_EQ(Read(path), "precious");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2);
}

} // namespace
