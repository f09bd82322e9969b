// Drives the readers of --solve's samples with arbitrary bytes, as a file fed
// in blocks of every size the input asks for and as one argument.
//
// A file reads the same whatever its blocks: the same samples, or the same
// error. Each sample written back as DATA:CRC reads back the same. A file of
// one line and no line break reads as that line given as an argument.
#include "SampleReader.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

void Check(bool condition) {
    if (!condition)
        std::abort();
}

struct Read {
    std::vector<CrcSample> samples;
    std::vector<int> digits;
    std::string error; // the message without the name of the file and line
};

// The message after "name:line: ".
std::string Reason(const CliError& e) {
    const std::string message = e.what();
    const std::size_t colon = message.find(": ");
    return colon == std::string::npos ? message : message.substr(colon + 2);
}

Read ReadFile(std::span<const std::uint8_t> bytes, std::size_t block) {
    Read read;
    SampleFileParser file("f", [&](CrcSample s, SampleOrigin origin) {
        read.samples.push_back(std::move(s));
        read.digits.push_back(origin.digits);
    });
    try {
        for (std::size_t at = 0; at < bytes.size(); at += block)
            file.Feed(bytes.subspan(at, std::min(block, bytes.size() - at)));
        file.Finish();
    } catch (const CliError& e) {
        read.error = Reason(e);
    }
    return read;
}

bool Same(const CrcSample& a, const CrcSample& b) {
    return a.data == b.data && a.crc == b.crc;
}

bool Same(const Read& a, const Read& b) {
    if (a.error != b.error || a.samples.size() != b.samples.size() || a.digits != b.digits)
        return false;
    for (std::size_t i = 0; i < a.samples.size(); ++i)
        if (!Same(a.samples[i], b.samples[i]))
            return false;
    return true;
}

std::pair<CrcSample, int> ReadLine(std::string_view text) {
    SampleLineParser line("--sample 1");
    line.Feed(text);
    return line.Finish();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const std::size_t block = data[0] % 17 + 1;
    const std::span<const std::uint8_t> bytes(data + 1, size - 1);
    const Read whole = ReadFile(bytes, bytes.size() + 1);
    Check(Same(whole, ReadFile(bytes, block)));

    for (std::size_t i = 0; i < whole.samples.size(); ++i) {
        const auto [again, digits] = ReadLine(FormatSampleLine(whole.samples[i], whole.digits[i]));
        Check(Same(again, whole.samples[i]) && digits == whole.digits[i]);
    }

    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    const bool oneLine = text.find('\n') == std::string_view::npos && !text.starts_with("\xEF") &&
                         text.find_first_not_of(" \t\r\v\f") != std::string_view::npos;
    if (oneLine) {
        try {
            const auto [sample, digits] = ReadLine(text);
            Check(whole.error.empty() && whole.samples.size() == 1);
            Check(Same(sample, whole.samples[0]) && digits == whole.digits[0]);
        } catch (const CliError& e) {
            Check(Reason(e) == whole.error);
        }
    }
    return 0;
}
