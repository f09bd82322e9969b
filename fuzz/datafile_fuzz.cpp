// Drives both data-file readers with arbitrary file contents, held in memory
// and read through their /proc/self/fd name, against the plain definitions:
// the text before the first 00, and the binary import's lines. Each reader
// must take a capacity of exactly the memo text it makes and refuse one byte
// less, a text's lone CR and LF counted as the CR LF the memo makes of them.
#include "DataTextModel.h"
#include "datafile.h"
#include "datatexterrors.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

void Check(bool condition) {
    if (!condition)
        std::abort();
}

// The memory file, made once and rewritten for each input.
int MemoryFile() {
    static const int fd = ::memfd_create("datafile_fuzz", MFD_CLOEXEC);
    Check(fd >= 0);
    return fd;
}

bool Refused(const std::string& path, DataFileKind kind, std::size_t capacity) {
    try {
        ReadDataFile(path, kind, capacity);
    } catch (const ECapacityError&) {
        return true;
    }
    return false;
}

// Reads the file whole at its exact capacity, and not at one byte less.
void CheckReader(const std::string& path, DataFileKind kind, const std::string& expected,
                 std::size_t capacity) {
    Check(ReadDataFile(path, kind, capacity) == expected);
    Check(capacity == 0 || Refused(path, kind, capacity - 1));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const int fd = MemoryFile();
    Check(::ftruncate(fd, 0) == 0);
    Check(::pwrite(fd, data, size, 0) == static_cast<ssize_t>(size));
    const std::string path = "/proc/self/fd/" + std::to_string(fd);

    const std::string text(bytes.substr(0, bytes.find('\0')));
    CheckReader(path, DataFileKind::Text, text, WithMemoLineBreaks(text).size());
    const std::string lines = HexLines(bytes);
    Check(HexLinesSize(size) == lines.size());
    CheckReader(path, DataFileKind::Binary, lines, lines.size());
    return 0;
}
