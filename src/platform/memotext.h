// The memo layer: the memo's data as an 8-bit string with CR LF line breaks.
//
// Conversion between QString and bytes is lossless for every byte sequence:
// bytes that are not valid UTF-8 travel as U+DC80..U+DCFF, one per byte.
#pragma once

#include <QString>
#include <QStringView>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

class QPlainTextEdit;
class QTextDocument;

// The longest text a memo takes, in bytes: it holds the binary import of up
// to 80 MiB of data, at 3.125 bytes of text per byte.
inline constexpr std::size_t kMemoCapacity = std::size_t{256} << 20;

// Throws ECapacityError ("Text exceeds memo capacity") for a text of more
// than kMemoCapacity bytes.
void CheckMemoCapacity(std::uint64_t bytes);

// bytes -> QString; invalid UTF-8 bytes become U+DC80 + (byte - 0x80).
QString DecodeBytes(std::string_view bytes);
// QString -> bytes; U+DC80..U+DCFF become their byte again. Any other unpaired
// surrogate takes its three-byte form (ED A0 80 .. ED BF BF), which is not UTF-8
// and so decodes to three escapes rather than to the surrogate.
std::string EncodeBytes(QStringView text);

// Bytes of a memo text as the memo shows them: one '\n' for each line
// break, and escapes for the bytes SetMemoText escapes.
QString DecodeMemoText(std::string_view bytes);

// The whole text, with "\r\n" for every line break (paragraph separators included,
// and line separators, which the memo also shows as line breaks).
std::string MemoText(const QTextDocument& document);
std::string MemoText(const QPlainTextEdit& memo);

// Replaces the whole text: lone CR, lone LF and CR LF become line breaks, and
// the text ends before its first 00 byte. Bytes spelling a character the document
// would take as a line or block break (U+2028, U+2029, U+FDD0, U+FDD1) go in as
// escapes, so that MemoText gives them back unchanged. A text longer than
// kMemoCapacity throws ECapacityError ("Text exceeds memo capacity").
void SetMemoText(QPlainTextEdit& memo, std::string_view text);

// Selects length characters from start, both counted in the memo text's
// characters, where a line break counts 2. A position on the LF of a line break
// falls just after it; positions are clamped to the text.
void SelectMemoText(QPlainTextEdit& memo, qsizetype start, qsizetype length);
