#include "datafile.h"

#include "datatexterrors.h"
#include "hexdigits.h"
#include "largebuffer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <random>
#include <utility>

namespace {

constexpr std::size_t kReadChunk = std::size_t{1} << 20;
// File bytes the binary import formats at a time.
constexpr std::size_t kHexReadBlock = std::size_t{64} << 10;
constexpr int kMaxLinkHops = 40;

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int Get() const { return fd_; }
    int Release() { return std::exchange(fd_, -1); }
    // Closes now, so that a failure of the close can be reported.
    int Close() {
        const int result = ::close(fd_);
        fd_ = -1;
        return result;
    }

private:
    int fd_;
};

bool EndsWith(std::string_view name, std::string_view suffix) {
    return name.size() >= suffix.size() && name.substr(name.size() - suffix.size()) == suffix;
}

EFileError OpenError(const std::string& path, int error) {
    return EFileError("Cannot open file \"" + path + "\". " + std::strerror(error));
}

EFileError CreateError(const std::string& path, int error) {
    return EFileError("Cannot create file \"" + path + "\". " + std::strerror(error));
}

EFileError ReadError(const std::string& path, int error) {
    return EFileError("Cannot read file \"" + path + "\". " + std::strerror(error));
}

// For a FIFO, a device or a socket, which the system has no error number for.
EFileError NotRegularError(const std::string& verb, const std::string& path) {
    return EFileError("Cannot " + verb + " file \"" + path + "\". Not a regular file");
}

EFileError InOutError(int error) {
    switch (error) {
    case ENOENT:
        return EFileError("File not found");
    case EACCES:
    case EPERM:
        return EFileError("File access denied");
    default:
        return EFileError("I/O error " + std::to_string(error));
    }
}

ssize_t ReadSome(int fd, char* buffer, std::size_t size) {
    ssize_t got;
    do {
        got = ::read(fd, buffer, size);
    } while (got < 0 && errno == EINTR);
    return got;
}

// Opens a file for reading without ever waiting. What is not a regular file
// (a FIFO, a device, a socket) is refused before it is opened, since opening
// it may block or act on a device, and again after, in case the name changed
// in between. A folder fails with EISDIR, the rest as open(2) fails. st
// describes the file opened.
int OpenRegularFile(const std::string& path, struct stat& st) {
    if (::stat(path.c_str(), &st) != 0)
        return -1;
    if (S_ISDIR(st.st_mode)) {
        errno = EISDIR;
        return -1;
    }
    if (!S_ISREG(st.st_mode))
        throw NotRegularError("open", path);
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (fd.Get() >= 0 && (::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode)))
        throw NotRegularError("open", path);
    return fd.Release();
}

// The length a text takes in a memo, where every lone CR and lone LF becomes
// a CR LF, counted as the text arrives in pieces. The loops vectorize.
class MemoLength {
public:
    void Add(std::string_view piece) {
        const auto* const p = reinterpret_cast<const unsigned char*>(piece.data());
        const std::size_t size = piece.size();
        if (size == 0)
            return;
        std::uint64_t breaks = 0;
        for (std::size_t i = 0; i < size; ++i)
            breaks += static_cast<std::uint64_t>((p[i] == '\r') + (p[i] == '\n'));
        std::uint64_t pairs = lastCr_ && p[0] == '\n' ? 1 : 0;
        for (std::size_t i = 1; i < size; ++i)
            pairs += static_cast<std::uint64_t>((p[i] == '\n') & (p[i - 1] == '\r'));
        // Each lone CR or LF grows by one; a CR LF keeps its two.
        length_ += size + breaks - 2 * pairs;
        lastCr_ = p[size - 1] == '\r';
    }
    // At least; a CR at the end may yet be met by an LF.
    std::uint64_t Known() const { return length_ - (lastCr_ ? 1 : 0); }
    // Once the text is whole.
    std::uint64_t Total() const { return length_; }

private:
    std::uint64_t length_ = 0;
    bool lastCr_ = false;
};

// Where a save must write: the file at the end of a chain of symbolic links,
// or the path itself.
std::string FinalTarget(const std::string& path) {
    std::string target = path;
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
        struct stat st {};
        if (::lstat(target.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return target;
        std::string link(static_cast<std::size_t>(st.st_size) + 1, '\0');
        const ssize_t length = ::readlink(target.c_str(), link.data(), link.size());
        if (length < 0 || static_cast<std::size_t>(length) >= link.size())
            return target;
        link.resize(static_cast<std::size_t>(length));
        const std::size_t slash = target.rfind('/');
        if (link.front() != '/' && slash != std::string::npos)
            link.insert(0, target, 0, slash + 1);
        target = std::move(link);
    }
    throw CreateError(path, ELOOP);
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// A new file in folder, created with the permissions the umask gives.
int CreateTemporary(const std::string& folder, std::string& name) {
    std::random_device seed;
    std::minstd_rand rng(seed());
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = folder + ".quenfold-" + std::to_string(rng()) + ".tmp";
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

// A save replaces only a regular file, and only one the user may write, as
// a plain write would; st then describes the file.
void CheckReplaceable(const std::string& path, const std::string& target, struct stat& st) {
    if (S_ISDIR(st.st_mode))
        throw CreateError(path, EISDIR);
    if (!S_ISREG(st.st_mode))
        throw NotRegularError("create", path);
    const FileDescriptor fd(::open(target.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (fd.Get() < 0)
        throw CreateError(path, errno);
    if (::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode))
        throw NotRegularError("create", path);
}

// The new file takes the permissions of the one it replaces, and its owner
// and group where the process may give them, or else its group alone.
bool TakeOwnerAndMode(int fd, const struct stat& st) {
    for (const uid_t owner : {st.st_uid, static_cast<uid_t>(-1)})
        if (::fchown(fd, owner, st.st_gid) == 0)
            break;
    return ::fchmod(fd, st.st_mode & 07777) == 0;
}

bool WriteAll(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t written = ::write(fd, text.data(), text.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            if (written == 0)
                errno = EIO;
            return false;
        }
        text.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

} // namespace

DataFileKind DataFileKindOf(std::string_view fileName) {
    if (EndsWith(fileName, ".txt"))
        return DataFileKind::Text;
    if (EndsWith(fileName, ".bin"))
        return DataFileKind::Binary;
    return DataFileKind::Other;
}

std::string SaveFileNameFor(std::string_view fileName) {
    std::string name(fileName);
    if (!EndsWith(name, ".txt"))
        name += ".txt";
    return name;
}

std::string ReadTextFile(const std::string& path, std::size_t capacity) {
    struct stat st {};
    FileDescriptor fd(OpenRegularFile(path, st));
    if (fd.Get() < 0)
        throw OpenError(path, errno);
    std::string text;
    // Room for the whole text and the byte that finds the end, so that the
    // text is never copied while it grows; a file that grows meanwhile is
    // read on in whole chunks.
    const auto size = static_cast<std::size_t>(st.st_size);
    ReserveLarge(text, std::min(size, capacity) + 1);
    MemoLength length;
    for (;;) {
        const std::size_t at = text.size();
        const std::size_t want = at <= size ? std::min(kReadChunk, size - at + 1) : kReadChunk;
        text.resize(at + want);
        const ssize_t got = ReadSome(fd.Get(), text.data() + at, want);
        if (got < 0)
            throw ReadError(path, errno);
        // The text ends before the first 00; nothing after it is read.
        const void* nul = std::memchr(text.data() + at, 0, static_cast<std::size_t>(got));
        const std::size_t kept =
            nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - (text.data() + at))
                : static_cast<std::size_t>(got);
        text.resize(at + kept);
        length.Add(std::string_view(text).substr(at));
        const bool whole = got == 0 || nul;
        if ((whole ? length.Total() : length.Known()) > capacity)
            throw ECapacityError();
        if (whole)
            return text;
    }
}

std::uint64_t HexLinesSize(std::uint64_t size) {
    return 3 * size + 2 * (size / 16 + 1);
}

HexLinesReader::HexLinesReader(const std::string& path, std::size_t capacity)
    : path_(path), capacity_(capacity) {
    struct stat st {};
    FileDescriptor fd(OpenRegularFile(path, st));
    if (fd.Get() < 0)
        throw InOutError(errno);
    // Refused before anything is read, whatever size the file has.
    expected_ = HexLinesSize(static_cast<std::uint64_t>(st.st_size));
    if (expected_ > capacity)
        throw ECapacityError();
    fd_ = fd.Release();
}

HexLinesReader::~HexLinesReader() {
    ::close(fd_);
}

std::string_view HexLinesReader::Next() {
    block_.clear();
    if (done_)
        return {};
    std::array<unsigned char, kHexReadBlock> buffer;
    const ssize_t got = ReadSome(fd_, reinterpret_cast<char*>(buffer.data()), buffer.size());
    if (got < 0)
        throw ReadError(path_, errno);
    // A file that grows is held to the capacity too.
    read_ += static_cast<std::uint64_t>(got);
    if (HexLinesSize(read_) > capacity_)
        throw ECapacityError();
    Format(buffer.data(), static_cast<std::size_t>(got));
    if (got == 0) {
        // The last line, of 0 to 15 pairs, is ended too.
        block_.append("\r\n", 2);
        done_ = true;
    }
    return block_;
}

void HexLinesReader::Format(const unsigned char* bytes, std::size_t count) {
    block_.resize(3 * count + 2 * (count / 16 + 1));
    char* out = block_.data();
    for (std::size_t i = 0; i < count; ++i) {
        *out++ = kUpperHexDigits[bytes[i] >> 4];
        *out++ = kUpperHexDigits[bytes[i] & 0xF];
        *out++ = ' ';
        if (++inLine_ == 16) {
            *out++ = '\r';
            *out++ = '\n';
            inLine_ = 0;
        }
    }
    block_.resize(static_cast<std::size_t>(out - block_.data()));
}

std::string ReadBinaryFileAsHexLines(const std::string& path, std::size_t capacity) {
    HexLinesReader lines(path, capacity);
    std::string text;
    ReserveLarge(text, static_cast<std::size_t>(lines.ExpectedSize()));
    for (std::string_view block = lines.Next(); !block.empty(); block = lines.Next())
        text.append(block);
    return text;
}

std::string ReadDataFile(const std::string& path, DataFileKind kind, std::size_t capacity) {
    switch (kind) {
    case DataFileKind::Text:
        return ReadTextFile(path, capacity);
    case DataFileKind::Binary:
        return ReadBinaryFileAsHexLines(path, capacity);
    case DataFileKind::Other:
        break;
    }
    return {};
}

bool IsExistingFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

void SaveTextFile(const std::string& path, std::string_view text) {
    const std::string target = FinalTarget(path);
    struct stat st {};
    const bool replacing = ::stat(target.c_str(), &st) == 0;
    if (replacing)
        CheckReplaceable(path, target, st);

    std::string temporary;
    FileDescriptor fd(CreateTemporary(FolderOf(target), temporary));
    if (fd.Get() < 0)
        throw CreateError(path, errno);
    const bool written = (!replacing || TakeOwnerAndMode(fd.Get(), st)) &&
                         WriteAll(fd.Get(), text) && ::fsync(fd.Get()) == 0 && fd.Close() == 0 &&
                         ::rename(temporary.c_str(), target.c_str()) == 0;
    if (!written) {
        const int error = errno;
        ::unlink(temporary.c_str());
        throw CreateError(path, error);
    }
}
