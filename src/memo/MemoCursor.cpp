#include "MemoCursor.h"

#include "MemoEdit.h"

#include <algorithm>

void MemoCursor::setPosition(int position, MoveMode mode) {
    const int size = memo_ ? static_cast<int>(memo_->Text().Units()) : 0;
    position_ = std::clamp(position, 0, size);
    if (mode == MoveAnchor)
        anchor_ = position_;
}

QString MemoCursor::selectedText() const {
    return memo_ ? memo_->TextBetween(selectionStart(), selectionEnd()) : QString();
}
