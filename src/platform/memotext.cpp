#include "memotext.h"

#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextDocument>

#include <limits>
#include <stdexcept>

namespace {

constexpr char16_t kEscapeBase = 0xDC00; // the escape of byte b is kEscapeBase + b, b >= 0x80
constexpr char16_t kLineSeparator = 0x2028;
constexpr char16_t kParagraphSeparator = 0x2029;

constexpr bool IsHighSurrogate(char32_t u) {
    return u >= 0xD800 && u <= 0xDBFF;
}
constexpr bool IsLowSurrogate(char32_t u) {
    return u >= 0xDC00 && u <= 0xDFFF;
}
constexpr bool IsEscape(char32_t u) {
    return u >= kEscapeBase + 0x80 && u <= kEscapeBase + 0xFF;
}

// Both separators end a line on screen: U+2029 between blocks, U+2028 where
// the user pressed Shift+Enter. The memo text has lines only, so both are CR LF.
constexpr bool IsMemoLineBreak(char16_t u) {
    return u == kParagraphSeparator || u == kLineSeparator;
}

// Code points a document takes as structure rather than as text: inserting
// them would split a block (U+2029, U+FDD0, U+FDD1) or read back as a line
// break (U+2028). Bytes that spell them are escaped when they go into a memo,
// so that the memo gives back the same bytes.
constexpr bool IsDocumentStructure(char32_t c) {
    return c == kLineSeparator || c == kParagraphSeparator || c == 0xFDD0 || c == 0xFDD1;
}

// The length (2 to 4) of the well-formed UTF-8 sequence that starts with the
// byte at p, which is 0x80 or above, and its code point; 0 if there is none.
// Overlong forms, UTF-16 surrogates and code points above U+10FFFF are not
// well formed, so their bytes get escaped one by one.
int Utf8Sequence(const unsigned char* p, const unsigned char* end, char32_t& code) {
    const unsigned char lead = *p;
    int length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code = lead & 0x0Fu;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = lead & 0x07u;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (end - p < length || p[1] < low || p[1] > high)
        return 0;
    code = code << 6 | (p[1] & 0x3Fu);
    for (int i = 2; i < length; ++i) {
        if ((p[i] & 0xC0u) != 0x80u)
            return 0;
        code = code << 6 | (p[i] & 0x3Fu);
    }
    return length;
}

// Decodes bytes into a QString with room for one unit per byte, which is
// always enough. For a memo, CR LF, lone CR and lone LF become one line break
// and structure code points are escaped.
template <bool ForMemo> QString Decode(std::string_view bytes) {
    QString result(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
    char16_t* const begin = reinterpret_cast<char16_t*>(result.data());
    char16_t* out = begin;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* const end = p + bytes.size();
    while (p != end) {
        const unsigned char byte = *p;
        if (byte < 0x80) {
            if (ForMemo && (byte == '\r' || byte == '\n')) {
                *out++ = u'\n';
                p += byte == '\r' && end - p > 1 && p[1] == '\n' ? 2 : 1;
            } else {
                *out++ = byte;
                ++p;
            }
            continue;
        }
        char32_t code = 0;
        const int length = Utf8Sequence(p, end, code);
        if (length == 0 || (ForMemo && IsDocumentStructure(code))) {
            *out++ = static_cast<char16_t>(kEscapeBase + byte);
            ++p;
            continue;
        }
        if (code >= 0x10000) {
            code -= 0x10000;
            *out++ = static_cast<char16_t>(0xD800 + (code >> 10));
            *out++ = static_cast<char16_t>(0xDC00 + (code & 0x3FF));
        } else {
            *out++ = static_cast<char16_t>(code);
        }
        p += length;
    }
    result.resize(out - begin);
    return result;
}

// Steps over the character of a memo text at p as Decode<true> reads it:
// returns its length in bytes and sets units to what the document gets of it.
int MemoCharacter(const unsigned char* p, const unsigned char* end, int& units) {
    units = 1;
    const unsigned char byte = *p;
    if (byte < 0x80)
        return byte == '\r' && end - p > 1 && p[1] == '\n' ? 2 : 1;
    char32_t code = 0;
    const int length = Utf8Sequence(p, end, code);
    if (length == 0 || IsDocumentStructure(code))
        return 1;
    if (code >= 0x10000)
        units = 2;
    return length;
}

// Writes the bytes of the character that starts at text[i] to out and returns
// how many there are (1 to 4); i moves past the character.
template <bool ForMemo>
int EncodeCharacter(const char16_t* text, qsizetype size, qsizetype& i, char* out) {
    const char16_t u = text[i++];
    if (u < 0x80) {
        out[0] = static_cast<char>(u);
        return 1;
    }
    if (u < 0x800) {
        out[0] = static_cast<char>(0xC0 | u >> 6);
        out[1] = static_cast<char>(0x80 | (u & 0x3F));
        return 2;
    }
    if (ForMemo && IsMemoLineBreak(u)) {
        out[0] = '\r';
        out[1] = '\n';
        return 2;
    }
    if (IsHighSurrogate(u) && i < size && IsLowSurrogate(text[i])) {
        const char32_t code = 0x10000 + ((u - 0xD800u) << 10) + (text[i++] - 0xDC00u);
        out[0] = static_cast<char>(0xF0 | code >> 18);
        out[1] = static_cast<char>(0x80 | (code >> 12 & 0x3F));
        out[2] = static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out[3] = static_cast<char>(0x80 | (code & 0x3F));
        return 4;
    }
    if (IsEscape(u)) {
        out[0] = static_cast<char>(u - kEscapeBase);
        return 1;
    }
    // Any other unit, a lone surrogate outside the escapes included, takes the
    // three-byte form. For a lone surrogate those bytes (ED A0 80 to ED BF BF)
    // are not UTF-8, but they still say which unit it was.
    out[0] = static_cast<char>(0xE0 | u >> 12);
    out[1] = static_cast<char>(0x80 | (u >> 6 & 0x3F));
    out[2] = static_cast<char>(0x80 | (u & 0x3F));
    return 3;
}

// Two passes, the first only counting, so that the result is allocated once
// and at its exact size: a memo text can be tens of megabytes.
template <bool ForMemo> std::string Encode(QStringView text) {
    const auto* const units = reinterpret_cast<const char16_t*>(text.utf16());
    const qsizetype size = text.size();
    char scratch[4];
    std::size_t length = 0;
    for (qsizetype i = 0; i < size;) {
        if (units[i] < 0x80) {
            ++length;
            ++i;
        } else {
            length += static_cast<std::size_t>(EncodeCharacter<ForMemo>(units, size, i, scratch));
        }
    }
    std::string result(length, '\0');
    char* out = result.data();
    for (qsizetype i = 0; i < size;) {
        if (units[i] < 0x80)
            *out++ = static_cast<char>(units[i++]);
        else
            out += EncodeCharacter<ForMemo>(units, size, i, out);
    }
    return result;
}

// The cursor position of a position in the memo text, in which every line
// break counts 2 and every other unit 1. A position on the LF of a break maps
// to just after the break; positions beyond the text map to its end.
qsizetype CursorPosition(QStringView raw, qsizetype memoPosition) {
    qsizetype counted = 0;
    for (qsizetype i = 0; i < raw.size(); ++i) {
        if (counted >= memoPosition)
            return i;
        counted += IsMemoLineBreak(raw[i].unicode()) ? 2 : 1;
    }
    return raw.size();
}

qsizetype SaturatingAdd(qsizetype a, qsizetype b) {
    constexpr qsizetype kMax = std::numeric_limits<qsizetype>::max();
    constexpr qsizetype kMin = std::numeric_limits<qsizetype>::min();
    if (b > 0 && a > kMax - b)
        return kMax;
    if (b < 0 && a < kMin - b)
        return kMin;
    return a + b;
}

} // namespace

QString DecodeBytes(std::string_view bytes) {
    QString text = Decode<false>(bytes);
    // Multi-byte characters leave part of the one-unit-per-byte buffer unused.
    if (text.capacity() - text.size() > text.size() / 4)
        text.squeeze();
    return text;
}

std::string EncodeBytes(QStringView text) {
    return Encode<false>(text);
}

// The raw text keeps U+00A0 and U+2028 as they are; the plain-text view of a
// document would turn them into a space and a line feed. The raw copy goes as
// soon as the bytes are made.
std::string MemoText(const QTextDocument& document) {
    return Encode<true>(document.toRawText());
}

std::string MemoText(const QPlainTextEdit& memo) {
    return MemoText(*memo.document());
}

void SetMemoText(QPlainTextEdit& memo, std::string_view text) {
    text = text.substr(0, text.find('\0'));
    if (text.size() > kMemoCapacity)
        throw std::runtime_error("Text exceeds memo capacity");
    memo.setPlainText(Decode<true>(text));
}

std::vector<std::int32_t> MemoPositionsOfOffsets(std::string_view text,
                                                 std::span<const std::size_t> offsets) {
    std::vector<std::int32_t> positions;
    positions.reserve(offsets.size());
    const auto* const begin = reinterpret_cast<const unsigned char*>(text.data());
    const auto* const end = begin + text.size();
    const auto* p = begin;
    std::int32_t position = 1;
    for (const std::size_t offset : offsets) {
        int units = 0;
        while (p < end && static_cast<std::size_t>(p - begin) < offset) {
            p += MemoCharacter(p, end, units);
            position += units;
        }
        if (p < end && static_cast<std::size_t>(p - begin) == offset)
            positions.push_back(position);
    }
    return positions;
}

std::vector<std::size_t> MemoOffsetsOfPositions(const QPlainTextEdit& memo,
                                                std::span<const std::int32_t> positions) {
    std::vector<std::size_t> offsets;
    if (positions.empty())
        return offsets;
    offsets.reserve(positions.size());
    // The document's own units, not a decoding of the memo text: after an
    // edit, escapes may stand side by side that would read back as one character.
    const QString raw = memo.document()->toRawText();
    const auto* const units = reinterpret_cast<const char16_t*>(raw.utf16());
    const qsizetype size = raw.size();
    char scratch[4];
    qsizetype i = 0;
    std::size_t offset = 0;
    for (const std::int32_t position : positions) {
        const qsizetype index = qsizetype{position} - 1;
        while (i < size && i < index) {
            if (units[i] < 0x80) {
                ++offset;
                ++i;
            } else {
                offset += static_cast<std::size_t>(EncodeCharacter<true>(units, size, i, scratch));
            }
        }
        if (i < size && i == index)
            offsets.push_back(offset);
    }
    return offsets;
}

void SelectMemoText(QPlainTextEdit& memo, qsizetype start, qsizetype length) {
    const QString raw = memo.document()->toRawText();
    QTextCursor cursor(memo.document());
    cursor.setPosition(static_cast<int>(CursorPosition(raw, start)));
    cursor.setPosition(static_cast<int>(CursorPosition(raw, SaturatingAdd(start, length))),
                       QTextCursor::KeepAnchor);
    memo.setTextCursor(cursor);
}
