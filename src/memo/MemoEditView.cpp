// MemoEdit: what is on screen. Only the rows in the viewport are laid out;
// the scroll bar counts rows, and the view holds on to the byte offset of its
// top row, so that rows measured later do not move what the user sees.
#include "MemoEdit.h"

#include "RowLayout.h"
#include "errorreport.h"
#include "memocodec.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyleHints>

#include <algorithm>
#include <cmath>

namespace {

// Bytes of rows measured per turn of the event loop while the text settles:
// a millisecond or two, so that a key pressed meanwhile waits no longer.
constexpr std::uint64_t kSettleSlice = std::uint64_t{256} << 10;

} // namespace

int MemoEdit::LineHeight() const {
    return std::max(1, static_cast<int>(std::ceil(QFontMetricsF(font()).lineSpacing())));
}

int MemoEdit::VisibleRows() const {
    return std::max(1, (viewport()->height() - kMargin) / LineHeight());
}

std::int32_t MemoEdit::RowWidth() const {
    return std::max(1, viewport()->width() - 2 * kMargin) * 64;
}

void MemoEdit::UpdateGeometry() {
    wrap_->SetGeometry({RowWidth(), static_cast<std::int32_t>(kTabStop * 64)});
    Relayout();
}

void MemoEdit::Relayout() {
    UpdateScrollBar();
    viewport()->update();
    StartSettling();
}

void MemoEdit::StartSettling() {
    if (isVisible() && !wrap_->Settled())
        settleTimer_.start(0, this);
}

// The scroll bar's value is the top row's number; it follows the top row
// as rows before it are measured.
void MemoEdit::UpdateScrollBar() {
    const WrapIndex::Row top = wrap_->RowContaining(topOffset_);
    const auto rows = static_cast<std::int64_t>(wrap_->RowCount());
    const int maximum = static_cast<int>(std::max<std::int64_t>(0, rows - VisibleRows()));
    topOffset_ = top.start;
    if (static_cast<std::int64_t>(top.index) > maximum && maximum >= 0)
        topOffset_ = wrap_->RowAt(static_cast<std::uint64_t>(maximum)).start;
    QScrollBar* bar = verticalScrollBar();
    const QSignalBlocker block(bar);
    syncingScrollBar_ = true;
    bar->setRange(0, maximum);
    bar->setPageStep(VisibleRows());
    bar->setValue(
        static_cast<int>(std::min<std::uint64_t>(top.index, static_cast<std::uint64_t>(maximum))));
    syncingScrollBar_ = false;
}

void MemoEdit::scrollContentsBy(int, int) {
    if (syncingScrollBar_)
        return;
    Guard([&] {
        ScrollToRow(static_cast<std::uint64_t>(std::max(0, verticalScrollBar()->value())));
    });
}

void MemoEdit::ScrollToRow(std::uint64_t index) {
    topOffset_ = wrap_->RowAt(index).start;
    viewport()->update();
}

RowLayout MemoEdit::LayoutRow(const WrapIndex::Row& row) const {
    if (preedit_.isEmpty())
        return RowLayout(Text(), row, font(), kTabStop);
    QList<QTextLayout::FormatRange> formats;
    for (const QInputMethodEvent::Attribute& a : preeditAttributes_) {
        if (a.type == QInputMethodEvent::TextFormat && a.value.canConvert<QTextFormat>())
            formats.append({a.start, a.length, qvariant_cast<QTextFormat>(a.value).toCharFormat()});
    }
    if (formats.isEmpty()) {
        QTextCharFormat underline;
        underline.setFontUnderline(true);
        formats.append({0, static_cast<int>(preedit_.size()), underline});
    }
    const RowLayout::Preedit preedit{cursor_, preedit_, formats};
    return RowLayout(Text(), row, font(), kTabStop, &preedit);
}

void MemoEdit::paintEvent(QPaintEvent* event) {
    Guard([&] {
        QPainter painter(viewport());
        painter.fillRect(event->rect(), palette().brush(QPalette::Base));
        painter.setPen(palette().color(QPalette::Text));
        const QPalette::ColorGroup group = hasFocus() ? QPalette::Active : QPalette::Inactive;
        QTextCharFormat selected;
        selected.setBackground(palette().brush(group, QPalette::Highlight));
        selected.setForeground(palette().brush(group, QPalette::HighlightedText));
        const auto [from, to] = std::minmax(anchor_, cursor_);
        const int lineHeight = LineHeight();
        WrapIndex::Row row = wrap_->RowContaining(topOffset_);
        inexactShown_ = false;
        for (int y = kMargin; y < viewport()->height(); y += lineHeight) {
            RowLayout layout = LayoutRow(row);
            inexactShown_ = inexactShown_ || !row.exact;
            QList<QTextLayout::FormatRange> selections;
            if (from < to && from <= layout.TextEnd() && to > row.start) {
                const auto [a, b] = layout.Units(from, to);
                selections.append({a, b - a, selected});
            }
            const QPointF origin(kMargin, y);
            layout.Layout().draw(&painter, origin, selections);
            if (caretShown_ && layout.HoldsCaret(cursor_))
                layout.Layout().drawCursor(&painter, origin,
                                           layout.UnitOf(cursor_) + preeditCursor_);
            if (dropOffset_ && layout.HoldsCaret(*dropOffset_))
                layout.Layout().drawCursor(&painter, origin, layout.UnitOf(*dropOffset_), 2);
            if (wrap_->IsLast(row))
                break;
            row = wrap_->NextRow(row);
        }
    });
}

void MemoEdit::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    Guard([&] { UpdateGeometry(); });
}

void MemoEdit::showEvent(QShowEvent* event) {
    QAbstractScrollArea::showEvent(event);
    Guard([&] { UpdateGeometry(); });
}

void MemoEdit::changeEvent(QEvent* event) {
    QAbstractScrollArea::changeEvent(event);
    Guard([&] {
        if (event->type() == QEvent::FontChange) {
            advances_->Reset(MeasureWith(font()));
            wrap_->AdvancesChanged();
            UpdateGeometry();
        }
    });
}

void MemoEdit::timerEvent(QTimerEvent* event) {
    Guard([&] {
        if (event->timerId() == blinkTimer_.timerId()) {
            caretShown_ = !caretShown_;
            viewport()->update();
        } else if (event->timerId() == settleTimer_.timerId()) {
            if (wrap_->Settle(kSettleSlice) || !isVisible())
                settleTimer_.stop();
            UpdateScrollBar();
            if (inexactShown_)
                viewport()->update();
        } else if (event->timerId() == scrollTimer_.timerId()) {
            AutoScroll();
        } else {
            QAbstractScrollArea::timerEvent(event);
        }
    });
}

void MemoEdit::RestartBlink() {
    caretShown_ = hasFocus();
    const int period = QApplication::cursorFlashTime() / 2;
    if (caretShown_ && period > 0)
        blinkTimer_.start(period, this);
    else
        blinkTimer_.stop();
}

void MemoEdit::EnsureVisible(std::uint64_t offset) {
    const std::uint64_t row = wrap_->RowContaining(offset).index;
    const std::uint64_t top = wrap_->RowContaining(topOffset_).index;
    const auto visible = static_cast<std::uint64_t>(VisibleRows());
    if (row < top)
        topOffset_ = wrap_->RowAt(row).start;
    else if (row >= top + visible)
        topOffset_ = wrap_->RowAt(row - visible + 1).start;
    else
        return;
    UpdateScrollBar();
    viewport()->update();
}

// The row at a height in the viewport, and its top; rows beyond the text's
// end give its last row.
std::pair<WrapIndex::Row, int> MemoEdit::VisibleRowAt(int y) const {
    const int lineHeight = LineHeight();
    WrapIndex::Row row = wrap_->RowContaining(topOffset_);
    int top = kMargin;
    for (int steps = std::max(0, (y - kMargin) / lineHeight); steps > 0 && !wrap_->IsLast(row);
         --steps) {
        row = wrap_->NextRow(row);
        top += lineHeight;
    }
    return {row, top};
}

QRect MemoEdit::CaretRect(std::uint64_t offset) const {
    const WrapIndex::Row row = wrap_->RowContaining(offset);
    const WrapIndex::Row top = wrap_->RowContaining(topOffset_);
    const int y = kMargin + static_cast<int>(static_cast<std::int64_t>(row.index) -
                                             static_cast<std::int64_t>(top.index)) *
                                LineHeight();
    const int x = kMargin + static_cast<int>(std::lround(LayoutRow(row).XOf(offset)));
    return QRect(x, y, 1, LineHeight());
}

std::uint64_t MemoEdit::OffsetAtPoint(const QPoint& viewportPoint) const {
    const auto [row, top] = VisibleRowAt(viewportPoint.y());
    if (viewportPoint.y() >= top + LineHeight() && wrap_->IsLast(row))
        return Text().Size();
    return LayoutRow(row).OffsetAtX(viewportPoint.x() - kMargin);
}

// The caret offset a vertical move of rows lands on, keeping to the column
// the run of vertical moves began in.
std::uint64_t MemoEdit::RowMove(std::uint64_t offset, std::int64_t rows) {
    const WrapIndex::Row row = wrap_->RowContaining(offset);
    if (!preferredX_)
        preferredX_ = LayoutRow(row).XOf(offset);
    const auto last = static_cast<std::int64_t>(wrap_->RowCount()) - 1;
    const std::int64_t target =
        std::clamp(static_cast<std::int64_t>(row.index) + rows, std::int64_t{0}, last);
    const WrapIndex::Row to = wrap_->RowAt(static_cast<std::uint64_t>(target));
    return LayoutRow(to).OffsetAtX(*preferredX_);
}

std::uint64_t MemoEdit::RowStartOf(std::uint64_t offset) const {
    return wrap_->RowContaining(offset).start;
}

std::uint64_t MemoEdit::RowEndOf(std::uint64_t offset) const {
    return LayoutRow(wrap_->RowContaining(offset)).LastCaret();
}

// Advances by the character alone, without shaping: asking QFontMetricsF
// about a string makes it look for fallback fonts, which costs a hundred
// times more. Ideographs and Hangul syllables share one advance each.
std::function<std::int32_t(char32_t)> MemoEdit::MeasureWith(const QFont& font) {
    return [metrics = QFontMetricsF(font)](char32_t code) {
        if (memocodec::IsEscape(code))
            code = 0xFFFD; // shown for a byte that is not UTF-8
        else if (code >= 0x4E00 && code <= 0x9FFF)
            code = 0x4E00;
        else if (code >= 0xAC00 && code <= 0xD7A3)
            code = 0xAC00;
        const qreal advance = code < 0x10000
                                  ? metrics.horizontalAdvance(QChar(static_cast<char16_t>(code)))
                                  : metrics.horizontalAdvance(QString::fromUcs4(&code, 1));
        return static_cast<std::int32_t>(std::lround(advance * 64));
    };
}
