// One row of a MemoEdit as it is drawn: its characters shaped by QTextLayout,
// with the way between byte offsets of the text and places in the row.
#pragma once

#include "TextBuffer.h"
#include "WrapIndex.h"

#include <QFont>
#include <QString>
#include <QTextLayout>

#include <cstdint>
#include <memory>
#include <vector>

class RowLayout {
public:
    // Preedit text of an input method, shown in place at a caret in the row.
    struct Preedit {
        std::uint64_t at;
        QString text;
        QList<QTextLayout::FormatRange> formats;
    };

    RowLayout(const TextBuffer& text, const WrapIndex::Row& row, const QFont& font, qreal tabStop,
              const Preedit* preedit = nullptr);

    const WrapIndex::Row& Row() const { return row_; }
    // The end of the row's characters, before its line break if it has one.
    std::uint64_t TextEnd() const { return row_.start + offsets_.back(); }
    // The last place for a caret in the row: a row cut by wrapping gives its
    // end to the next row, as a caret there shows at that row's start.
    std::uint64_t LastCaret() const { return lastCaret_; }
    bool HoldsCaret(std::uint64_t offset) const {
        return offset >= row_.start && offset <= lastCaret_;
    }

    // A place in the row's text (UTF-16 units) of a byte offset in it, and back.
    int UnitOf(std::uint64_t offset) const;
    std::uint64_t OffsetOf(int unit) const;

    qreal XOf(std::uint64_t offset) const;
    // The caret offset nearest to x.
    std::uint64_t OffsetAtX(qreal x) const;
    // The units of the row's text between two offsets, clipped to the row.
    std::pair<int, int> Units(std::uint64_t from, std::uint64_t to) const;

    QTextLayout& Layout() { return *layout_; }
    const QString& Text() const { return text_; }

private:
    WrapIndex::Row row_;
    QString text_;
    std::vector<std::uint32_t> offsets_; // byte offset from row start of each unit, and the end
    std::uint64_t lastCaret_ = 0;
    std::unique_ptr<QTextLayout> layout_;
    int preeditAt_ = -1;
    int preeditLength_ = 0;
};
