// The memo layer's functions for a MemoEdit, straight on its bytes.
#include "MemoEdit.h"
#include "datafile.h"
#include "memocodec.h"
#include "memotext.h"

#include <algorithm>
#include <limits>

std::string MemoText(const MemoEdit& memo) {
    return memo.Text().Text();
}

void SetMemoText(MemoEdit& memo, std::string_view text) {
    text = memocodec::BeforeNull(text);
    CheckMemoCapacity(text.size());
    const std::optional<std::string> normal = memocodec::ToMemoForm(text);
    memo.SetText(normal ? std::string_view(*normal) : text);
}

void SetMemoText(MemoEdit& memo, HexLinesReader& lines) {
    TextBuffer::Builder text(lines.ExpectedSize());
    for (std::string_view block = lines.Next(); !block.empty(); block = lines.Next())
        text.Append(block);
    memo.SetText(std::move(text));
}

void SelectMemoText(MemoEdit& memo, qsizetype start, qsizetype length) {
    qsizetype end = 0;
    if (__builtin_add_overflow(start, length, &end))
        end = length > 0 ? std::numeric_limits<qsizetype>::max() : 0;
    const auto offset = [&memo](qsizetype position) {
        return memo.Text().OffsetOfTextPosition(
            static_cast<std::uint64_t>(std::max<qsizetype>(0, position)));
    };
    memo.SelectBytes(offset(start), offset(end));
    memo.EnsureVisible(memo.CursorOffset());
}
