#include "SampleReader.h"

#include "InputReader.h"
#include "hexdigits.h"

#include <algorithm>
#include <cstring>

namespace {

// A CRC token: "0x" or not, then at most 32 digits.
constexpr std::size_t kMaxCrcDigits = 32;
// What a token keeps of its text: enough for any CRC; and what a message shows.
constexpr std::size_t kShownLength = 40;
constexpr std::size_t kQuotedLength = 20;

int DigitValue(char c) {
    return kHexDigitValue[static_cast<std::uint8_t>(c)];
}

// The token as a message shows it: unprintable bytes escaped, a long one cut.
std::string Quoted(std::string_view shown, std::size_t length) {
    shown = shown.substr(0, kQuotedLength);
    std::string text = "'";
    for (const char c : shown) {
        const auto b = static_cast<std::uint8_t>(c);
        if (b >= 0x20 && b < 0x7F) {
            text += c;
        } else {
            text += "\\x";
            text += kUpperHexDigits[b >> 4];
            text += kUpperHexDigits[b & 0xF];
        }
    }
    return text + (length > shown.size() ? "...'" : "'");
}

bool HasPrefix(std::string_view text) {
    return text.size() > 2 && text[0] == '0' && (text[1] | 0x20) == 'x';
}

} // namespace

SampleLineParser::SampleLineParser(std::string name) : name_(std::move(name)) {}

bool SampleLineParser::IsSeparator(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f' || c == ',' || c == ';' ||
           c == ':' || c == '-';
}

void SampleLineParser::Fail(const std::string& message) const {
    throw CliError(name_ + ": " + message);
}

void SampleLineParser::Feed(std::string_view text) {
    for (const char c : text)
        Take(c);
}

void SampleLineParser::Take(char c) {
    if (IsSeparator(c)) {
        EndToken();
        if (c == ':') {
            for (Token& token : tail_)
                Commit(token);
            tail_.clear();
            colon_ = true;
        }
        return;
    }
    if (!inToken_) {
        current_ = Token{++tokens_, {}, 0, {}, false, false, false};
        inToken_ = true;
    }
    Token& t = current_;
    if (t.shown.size() < kShownLength)
        t.shown += c;
    ++t.length;
    const int value = DigitValue(c);
    if (t.length == 2 && (c | 0x20) == 'x' && t.shown[0] == '0') {
        t.prefix = true; // the 0 was no digit
        t.odd = false;
        t.bytes.clear();
        return;
    }
    // Before any ':' a token is data; a bad one after it may still be the
    // CRC, and its message says so, unless it is too long for one. The
    // reading stops once the message has all it shows of the token.
    t.bad = t.bad || value < 0;
    if (t.bad && t.length > (colon_ ? kMaxCrcDigits + 2 : kQuotedLength))
        Fail("token " + std::to_string(t.index) + " " + Quoted(t.shown, t.length) +
             " is not hexadecimal");
    if (t.bad)
        return;
    if (t.odd)
        t.bytes.back() = static_cast<std::uint8_t>(t.bytes.back() << 4 | value);
    else
        t.bytes.push_back(static_cast<std::uint8_t>(value));
    t.odd = !t.odd;
    if (t.bytes.size() % 4096 == 0 && data_.size() + t.bytes.size() > kMaxSampleBytes)
        Fail("more than " + std::to_string(kMaxSampleBytes >> 20) + " MiB of data in one sample");
}

void SampleLineParser::EndToken() {
    if (!inToken_)
        return;
    inToken_ = false;
    if (colon_)
        tail_.push_back(std::move(current_));
    else
        Commit(current_);
}

void SampleLineParser::Commit(Token& token) {
    if (token.bad || (token.prefix && token.length == 2))
        Fail("token " + std::to_string(token.index) + " " + Quoted(token.shown, token.length) +
             " is not hexadecimal");
    if (token.odd)
        Fail("token " + std::to_string(token.index) + " " + Quoted(token.shown, token.length) +
             " has an odd number of digits");
    data_.insert(data_.end(), token.bytes.begin(), token.bytes.end());
    if (data_.size() > kMaxSampleBytes)
        Fail("more than " + std::to_string(kMaxSampleBytes >> 20) + " MiB of data in one sample");
}

std::pair<CrcSample, int> SampleLineParser::Finish() {
    EndToken();
    if (!colon_)
        Fail("no ':' between the data and the CRC");
    if (data_.empty())
        Fail("no bytes");
    if (tail_.empty())
        Fail("no CRC after the last ':'");
    if (tail_.size() > 1)
        Fail("more than one token after the last ':', where the CRC goes");
    const Token& crc = tail_.front();
    const std::string_view text(crc.shown);
    const std::string_view digits = HasPrefix(text) ? text.substr(2) : text;
    const bool hex = crc.length == text.size() &&
                     std::ranges::all_of(digits, [](char c) { return DigitValue(c) >= 0; });
    if (!hex || digits.empty())
        Fail("the CRC " + Quoted(crc.shown, crc.length) + " is not hexadecimal");
    if (digits.size() > kMaxCrcDigits)
        Fail("the CRC " + Quoted(crc.shown, crc.length) + " has more than " +
             std::to_string(kMaxCrcDigits) + " digits");
    CrcWord value = 0;
    for (const char c : digits)
        value = value << 4 | static_cast<unsigned>(DigitValue(c));
    return {CrcSample{std::move(data_), value}, static_cast<int>(digits.size())};
}

SampleFileParser::SampleFileParser(std::string name, Sink sink)
    : name_(std::move(name)), sink_(std::move(sink)), parser_(name_ + ":1") {}

void SampleFileParser::Feed(std::span<const std::uint8_t> block) {
    static constexpr std::uint8_t kMark[] = {0xEF, 0xBB, 0xBF};
    std::string_view text(reinterpret_cast<const char*>(block.data()), block.size());
    // A byte-order mark split over blocks is kept back until it is whole.
    while (seen_ < 3 && !text.empty() && static_cast<std::uint8_t>(text[0]) == kMark[seen_]) {
        ++seen_;
        text.remove_prefix(1);
    }
    if (seen_ < 3 && !text.empty()) {
        const std::string partial(reinterpret_cast<const char*>(kMark), seen_);
        seen_ = 3;
        Feed({reinterpret_cast<const std::uint8_t*>(partial.data()), partial.size()});
    }
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        const std::string_view part = text.substr(0, end);
        blank_ = blank_ && part.find_first_not_of(" \t\r\v\f") == std::string_view::npos;
        if (!blank_)
            parser_.Feed(part);
        if (end == text.size())
            break;
        EndLine();
        text.remove_prefix(end + 1);
    }
}

void SampleFileParser::EndLine() {
    if (!blank_) {
        auto [sample, digits] = parser_.Finish();
        sink_(std::move(sample), {name_ + ":" + std::to_string(line_), digits});
    }
    ++line_;
    blank_ = true;
    parser_ = SampleLineParser(name_ + ":" + std::to_string(line_));
}

void SampleFileParser::Finish() {
    if (seen_ < 3) {
        const std::string partial(reinterpret_cast<const char*>("\xEF\xBB\xBF"), seen_);
        seen_ = 3;
        Feed({reinterpret_cast<const std::uint8_t*>(partial.data()), partial.size()});
    }
    EndLine();
}

namespace {

// TEXT:CRC, cut at the last colon: the text's bytes, then the CRC as a line would hold it.
std::pair<CrcSample, int> TextSample(std::string_view text, const std::string& name) {
    const std::size_t colon = text.rfind(':');
    if (colon == std::string_view::npos)
        throw CliError(name + ": no ':' between the data and the CRC");
    if (colon == 0)
        throw CliError(name + ": the text is empty");
    SampleLineParser crc(name);
    crc.Feed("00:");
    crc.Feed(text.substr(colon + 1));
    auto [sample, digits] = crc.Finish();
    sample.data.assign(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(colon));
    return {std::move(sample), digits};
}

} // namespace

SampleSet ReadSamples(const std::vector<CliSample>& given) {
    SampleSet set;
    std::size_t total = 0;
    const auto add = [&](CrcSample sample, SampleOrigin origin) {
        total += sample.data.size();
        if (total > kMaxSamplesBytes)
            throw CliError(origin.name + ": the samples hold more than " +
                           std::to_string(kMaxSamplesBytes >> 20) + " MiB of data");
        if (set.samples.size() == kMaxSamples)
            throw CliError(origin.name + ": more than " + std::to_string(kMaxSamples) +
                           " samples");
        set.samples.push_back(std::move(sample));
        set.origins.push_back(std::move(origin));
    };
    for (std::size_t i = 0; i < given.size(); ++i) {
        const CliSample& s = given[i];
        const std::string name =
            (s.kind == CliSample::Kind::Text ? "--sample-text " : "--sample ") +
            std::to_string(i + 1);
        if (s.kind == CliSample::Kind::File) {
            SampleFileParser file(s.value, add);
            ReadInput({s.value == "-" ? CliInput::Kind::Stdin : CliInput::Kind::File, s.value},
                      [&](std::span<const std::uint8_t> block) { file.Feed(block); });
            file.Finish();
            continue;
        }
        if (s.kind == CliSample::Kind::Text) {
            auto [sample, digits] = TextSample(s.value, name);
            add(std::move(sample), {name, digits});
            continue;
        }
        SampleLineParser line(name);
        line.Feed(s.value);
        auto [sample, digits] = line.Finish();
        add(std::move(sample), {name, digits});
    }
    return set;
}

std::string FormatSampleLine(const CrcSample& sample, int digits) {
    std::string line;
    for (const std::uint8_t b : sample.data) {
        line += kUpperHexDigits[b >> 4];
        line += kUpperHexDigits[b & 0xF];
        line += ' ';
    }
    line.back() = ':';
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4)
        line += kUpperHexDigits[(sample.crc >> shift) & 0xF];
    return line;
}
