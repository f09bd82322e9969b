#include "RowLayout.h"

#include "memocodec.h"

#include <QTextOption>

#include <algorithm>
#include <limits>

namespace {

constexpr char16_t kReplacement = 0xFFFD;

} // namespace

RowLayout::RowLayout(const TextBuffer& text, const WrapIndex::Row& row, const QFont& font,
                     qreal tabStop, const Preedit* preedit)
    : row_(row) {
    const std::string bytes = text.Copy(row.start, std::min(row.end, text.Size()) - row.start);
    const auto* const data = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* const end = data + bytes.size();
    text_.reserve(static_cast<qsizetype>(bytes.size()));
    std::uint32_t i = 0;
    bool lineBreak = false;
    while (i < bytes.size()) {
        const memocodec::MemoChar c = memocodec::ReadMemoChar(data + i, end);
        if (c.code == U'\n') {
            lineBreak = true;
            break;
        }
        // A byte that is not UTF-8 shows as the replacement character: a
        // lone surrogate has no glyph.
        if (memocodec::IsEscape(c.code))
            text_ += QChar(kReplacement);
        else
            text_ += QChar::fromUcs4(c.code);
        offsets_.insert(offsets_.end(), static_cast<std::size_t>(c.units), i);
        i += static_cast<std::uint32_t>(c.bytes);
    }
    offsets_.push_back(i);
    const bool lastRow = row.end > text.Size();
    lastCaret_ = lineBreak || lastRow || text_.isEmpty()
                     ? row.start + i
                     : row.start + offsets_[static_cast<std::size_t>(text_.size() - 1)];

    QList<QTextLayout::FormatRange> formats;
    if (preedit && HoldsCaret(preedit->at)) {
        preeditAt_ = UnitOf(preedit->at);
        preeditLength_ = static_cast<int>(preedit->text.size());
        text_.insert(preeditAt_, preedit->text);
        for (QTextLayout::FormatRange range : preedit->formats) {
            range.start += preeditAt_;
            formats.append(range);
        }
    }
    layout_ = std::make_unique<QTextLayout>(text_, font);
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    option.setTabStopDistance(tabStop);
    layout_->setTextOption(option);
    layout_->setFormats(formats);
    layout_->setCacheEnabled(true);
    layout_->beginLayout();
    QTextLine line = layout_->createLine();
    line.setLineWidth(std::numeric_limits<int>::max() / 4);
    line.setPosition(QPointF(0, 0));
    layout_->endLayout();
}

int RowLayout::UnitOf(std::uint64_t offset) const {
    const auto relative =
        static_cast<std::uint32_t>(std::clamp(offset, row_.start, TextEnd()) - row_.start);
    auto unit = static_cast<int>(std::lower_bound(offsets_.begin(), offsets_.end(), relative) -
                                 offsets_.begin());
    if (preeditAt_ >= 0 && unit > preeditAt_)
        unit += preeditLength_;
    return unit;
}

std::uint64_t RowLayout::OffsetOf(int unit) const {
    if (preeditAt_ >= 0 && unit > preeditAt_)
        unit = std::max(preeditAt_, unit - preeditLength_);
    unit = std::clamp(unit, 0, static_cast<int>(offsets_.size()) - 1);
    return row_.start + offsets_[static_cast<std::size_t>(unit)];
}

qreal RowLayout::XOf(std::uint64_t offset) const {
    return layout_->lineAt(0).cursorToX(UnitOf(offset));
}

std::uint64_t RowLayout::OffsetAtX(qreal x) const {
    const int unit = layout_->lineAt(0).xToCursor(x, QTextLine::CursorBetweenCharacters);
    return std::min(OffsetOf(unit), lastCaret_);
}

std::pair<int, int> RowLayout::Units(std::uint64_t from, std::uint64_t to) const {
    return {UnitOf(from), UnitOf(to)};
}
