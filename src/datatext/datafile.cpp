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

namespace {

constexpr std::size_t kReadChunk = std::size_t{1} << 20;
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

// The hexadecimal lines of the binary import, written as the bytes arrive.
class HexLineWriter {
public:
    explicit HexLineWriter(std::string& text) : text_(text) {}

    void Append(const unsigned char* bytes, std::size_t count) {
        const std::size_t at = text_.size();
        text_.resize(at + 3 * count + 2 * (count / 16 + 1));
        char* out = text_.data() + at;
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
        text_.resize(static_cast<std::size_t>(out - text_.data()));
    }

    // The last line, of 0 to 15 pairs, is ended too.
    void Finish() { text_.append("\r\n", 2); }

private:
    std::string& text_;
    int inLine_ = 0;
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
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.Get() < 0)
        throw OpenError(path, errno);
    struct stat st {};
    if (::fstat(fd.Get(), &st) == 0 && S_ISDIR(st.st_mode))
        throw OpenError(path, EISDIR);
    std::string text;
    // Room for the whole text and the read that finds the end, so that the
    // text is never copied while it grows.
    if (S_ISREG(st.st_mode))
        ReserveLarge(text, std::min(static_cast<std::size_t>(st.st_size), capacity) + kReadChunk);
    for (;;) {
        const std::size_t at = text.size();
        text.resize(at + kReadChunk);
        const ssize_t got = ReadSome(fd.Get(), text.data() + at, kReadChunk);
        if (got < 0)
            throw OpenError(path, errno);
        text.resize(at + static_cast<std::size_t>(got));
        if (got == 0)
            return text;
        // The text ends before the first 00; nothing after it is read.
        if (const void* nul = std::memchr(text.data() + at, 0, static_cast<std::size_t>(got))) {
            text.resize(static_cast<std::size_t>(static_cast<const char*>(nul) - text.data()));
            return text;
        }
        if (text.size() > capacity)
            throw ECapacityError();
    }
}

std::uint64_t HexLinesSize(std::uint64_t size) {
    return 3 * size + 2 * (size / 16 + 1);
}

std::string ReadBinaryFileAsHexLines(const std::string& path, std::size_t capacity) {
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.Get() < 0)
        throw InOutError(errno);
    struct stat st {};
    if (::fstat(fd.Get(), &st) == 0 && S_ISDIR(st.st_mode))
        throw InOutError(EISDIR);
    std::string text;
    if (S_ISREG(st.st_mode)) {
        // Refused before anything is read, whatever size the file has.
        const std::uint64_t size = HexLinesSize(static_cast<std::uint64_t>(st.st_size));
        if (size > capacity)
            throw ECapacityError();
        ReserveLarge(text, static_cast<std::size_t>(size));
    }
    HexLineWriter writer(text);
    std::array<unsigned char, 64 * 1024> buffer;
    std::uint64_t total = 0;
    for (;;) {
        const ssize_t got =
            ReadSome(fd.Get(), reinterpret_cast<char*>(buffer.data()), buffer.size());
        if (got <= 0)
            break;
        // A file that grows, or is no regular file, is held to the capacity too.
        total += static_cast<std::uint64_t>(got);
        if (HexLinesSize(total) > capacity)
            throw ECapacityError();
        writer.Append(buffer.data(), static_cast<std::size_t>(got));
    }
    writer.Finish();
    return text;
}

bool IsExistingFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

void SaveTextFile(const std::string& path, std::string_view text) {
    const std::string target = FinalTarget(path);
    struct stat st {};
    const bool replacing = ::stat(target.c_str(), &st) == 0;
    if (replacing && S_ISDIR(st.st_mode))
        throw CreateError(path, EISDIR);

    std::string temporary;
    FileDescriptor fd(CreateTemporary(FolderOf(target), temporary));
    if (fd.Get() < 0)
        throw CreateError(path, errno);
    const bool written = (!replacing || ::fchmod(fd.Get(), st.st_mode & 07777) == 0) &&
                         WriteAll(fd.Get(), text) && ::fsync(fd.Get()) == 0 && fd.Close() == 0 &&
                         ::rename(temporary.c_str(), target.c_str()) == 0;
    if (!written) {
        const int error = errno;
        ::unlink(temporary.c_str());
        throw CreateError(path, error);
    }
}
