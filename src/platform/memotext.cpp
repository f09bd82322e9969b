#include "memotext.h"

#include "datatexterrors.h"
#include "memocodec.h"

#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextDocument>

#include <limits>
#include <stdexcept>

namespace {

using memocodec::IsMemoLineBreak;

const char16_t* Units(QStringView text) {
    return reinterpret_cast<const char16_t*>(text.utf16());
}

// Bytes into a QString with room for one unit per byte, which is always enough.
QString Decode(std::string_view bytes, bool forMemo) {
    QString result(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
    char16_t* const begin = reinterpret_cast<char16_t*>(result.data());
    result.resize(memocodec::DecodeInto(bytes, begin, forMemo) - begin);
    return result;
}

std::string Encode(QStringView text, bool forMemo) {
    return memocodec::Encode(Units(text), static_cast<std::size_t>(text.size()), forMemo);
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
    QString text = Decode(bytes, false);
    // Multi-byte characters leave part of the one-unit-per-byte buffer unused.
    if (text.capacity() - text.size() > text.size() / 4)
        text.squeeze();
    return text;
}

QString DecodeMemoText(std::string_view bytes) {
    return Decode(bytes, true);
}

std::string EncodeBytes(QStringView text) {
    return Encode(text, false);
}

// The raw text keeps U+00A0 and U+2028 as they are; the plain-text view of a
// document would turn them into a space and a line feed. The raw copy goes as
// soon as the bytes are made.
std::string MemoText(const QTextDocument& document) {
    return Encode(document.toRawText(), true);
}

std::string MemoText(const QPlainTextEdit& memo) {
    return MemoText(*memo.document());
}

void CheckMemoCapacity(std::uint64_t bytes) {
    if (bytes > kMemoCapacity)
        throw ECapacityError();
}

void SetMemoText(QPlainTextEdit& memo, std::string_view text) {
    text = memocodec::BeforeNull(text);
    CheckMemoCapacity(text.size());
    memo.setPlainText(DecodeMemoText(text));
}

void SelectMemoText(QPlainTextEdit& memo, qsizetype start, qsizetype length) {
    const QString raw = memo.document()->toRawText();
    QTextCursor cursor(memo.document());
    cursor.setPosition(static_cast<int>(CursorPosition(raw, start)));
    cursor.setPosition(static_cast<int>(CursorPosition(raw, SaturatingAdd(start, length))),
                       QTextCursor::KeepAnchor);
    memo.setTextCursor(cursor);
}
