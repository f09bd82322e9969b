// Reads --solve's samples: DATA:CRC from an argument, or one a line from a
// file or standard input, read in blocks so that memory stays bounded by the
// samples' data whatever the input.
//
// DATA is bytes as --hex takes them: tokens apart by blanks or , ; : -, each
// "0x" or not and then two digits a byte. The CRC follows the last ':', one
// hexadecimal number, "0x" or not. A file may start with a UTF-8 byte-order
// mark, end its lines in CR LF and hold blank lines.
#pragma once

#include "CliOptions.h"
#include "CrcSample.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The most data one sample, and all of them together, may hold.
inline constexpr std::size_t kMaxSampleBytes = std::size_t{16} << 20;
inline constexpr std::size_t kMaxSamplesBytes = std::size_t{64} << 20;
// Each sample costs bookkeeping beside its bytes: an endless stream of short
// ones must end in a message, not in exhausted memory.
inline constexpr std::size_t kMaxSamples = 65536;

// Where a sample came from, and how its CRC was written.
struct SampleOrigin {
    std::string name; // "--sample 2", "samples.txt:3", for messages
    int digits = 0;   // the CRC's hexadecimal digits, leading zeros included
};

struct SampleSet {
    std::vector<CrcSample> samples;
    std::vector<SampleOrigin> origins;
};

// One DATA:CRC line, fed in pieces. Throws CliError, its message prefixed
// with the name given, at the first fault: a character that no byte or CRC
// holds stops the reading at once.
class SampleLineParser {
public:
    explicit SampleLineParser(std::string name);

    void Feed(std::string_view text);
    // The sample and the CRC's digit count, once the whole line is fed.
    std::pair<CrcSample, int> Finish();

private:
    struct Token {
        std::size_t index = 0; // among the line's tokens, from 1
        std::string shown;     // its first characters, for messages and the CRC
        std::size_t length = 0;
        std::vector<std::uint8_t> bytes; // its digits read in pairs
        bool odd = false;                // a digit left over
        bool prefix = false;             // "0x" first
        bool bad = false;                // a character no digit
    };

    void Take(char c);
    void EndToken();
    [[noreturn]] void Fail(const std::string& message) const;
    void Commit(Token& token);
    static bool IsSeparator(char c);

    std::string name_;
    std::vector<std::uint8_t> data_; // the bytes before the last ':'
    std::vector<Token> tail_;        // the tokens after it, the CRC if last
    Token current_;
    bool inToken_ = false;
    bool colon_ = false;
    std::size_t tokens_ = 0;
};

// A file of samples, one a line, fed in blocks; blank lines are skipped.
class SampleFileParser {
public:
    using Sink = std::function<void(CrcSample, SampleOrigin)>;
    SampleFileParser(std::string name, Sink sink);

    void Feed(std::span<const std::uint8_t> block);
    void Finish(); // the last line, if it has no line break

private:
    void EndLine();

    std::string name_;
    Sink sink_;
    std::size_t line_ = 1;
    std::size_t seen_ = 0; // bytes fed, for the byte-order mark
    bool blank_ = true;
    SampleLineParser parser_;
};

// Every sample given, in order; throws CliError naming the argument, or the
// file and line, of the first that does not read.
SampleSet ReadSamples(const std::vector<CliSample>& given);

// The sample written back as DATA:CRC, the CRC with the digits given.
std::string FormatSampleLine(const CrcSample& sample, int digits);
