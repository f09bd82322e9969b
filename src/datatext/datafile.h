// Data files: a text file is imported as it stands, a binary file as lines of
// hexadecimal byte pairs, and the memo's text is saved to a text file.
//
// Paths are file names in the system's encoding. Errors are thrown as
// EFileError or ECapacityError (datatexterrors.h) with the user's message.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

enum class DataFileKind { Text, Binary, Other };

// By the name's last four characters, ".txt" or ".bin", compared case-sensitively.
DataFileKind DataFileKindOf(std::string_view fileName);

// The name a save goes to: ".txt" is appended unless the name ends in it.
std::string SaveFileNameFor(std::string_view fileName);

// Both readers refuse a name that is not a regular file (a FIFO, a device, a
// socket) without opening it, so that they never wait, and report a read
// error with the file's name and the system's error text.
//
// The text of a text file: its bytes before the first 00 byte. The file is
// read up to that byte only, and no further than the memo text it makes
// (each lone CR and lone LF a CR LF) fits capacity bytes.
std::string ReadTextFile(const std::string& path, std::size_t capacity);

// The length of the binary import's text for a file of size bytes.
std::uint64_t HexLinesSize(std::uint64_t size);

// A binary file as the import shows it: lines of sixteen "XX " pairs and a
// last line of the remaining 0 to 15, every line ended by CR LF. The file is
// opened for reading only.
std::string ReadBinaryFileAsHexLines(const std::string& path, std::size_t capacity);

// The same text a block of the file at a time, so that it need never be held
// whole: Next() gives the lines of the next block read, an empty view once
// the text is done. The file is opened, and refused as by
// ReadBinaryFileAsHexLines, on construction; read errors and a text beyond
// capacity are thrown by Next().
class HexLinesReader {
public:
    HexLinesReader(const std::string& path, std::size_t capacity);
    ~HexLinesReader();
    HexLinesReader(const HexLinesReader&) = delete;
    HexLinesReader& operator=(const HexLinesReader&) = delete;

    // The text's length for the size the file had when it was opened.
    std::uint64_t ExpectedSize() const { return expected_; }
    // Valid until the next call.
    std::string_view Next();

private:
    void Format(const unsigned char* bytes, std::size_t count);

    std::string path_;
    std::size_t capacity_;
    int fd_ = -1;
    std::uint64_t expected_ = 0;
    std::uint64_t read_ = 0;
    int inLine_ = 0; // pairs in the last line so far
    bool done_ = false;
    std::string block_;
};

// The import's text of a file of kind Text or Binary, made whole before the
// memo takes it, so that a failure leaves the memo as it was.
std::string ReadDataFile(const std::string& path, DataFileKind kind, std::size_t capacity);

// True for an existing file (through symbolic links), false for a folder.
bool IsExistingFile(const std::string& path);

// Replaces or creates the file with text, atomically: the text goes to a new
// file beside it, which then takes its place. A symbolic link is followed and
// kept. Only a regular file the user may write is replaced, and it keeps its
// permissions, and its owner and group where the process may set them.
void SaveTextFile(const std::string& path, std::string_view text);
