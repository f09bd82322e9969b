// A caret and selection in a MemoEdit, by character positions (UTF-16 units,
// a line break counting one), with the part of QTextCursor's interface that
// callers of a plain-text edit use.
#pragma once

#include <QString>

class MemoEdit;

class MemoCursor {
public:
    enum MoveMode { MoveAnchor, KeepAnchor };

    MemoCursor() = default;

    int position() const { return position_; }
    int anchor() const { return anchor_; }
    // Moves the position; MoveAnchor takes the anchor along.
    void setPosition(int position, MoveMode mode = MoveAnchor);
    bool hasSelection() const { return anchor_ != position_; }
    int selectionStart() const { return anchor_ < position_ ? anchor_ : position_; }
    int selectionEnd() const { return anchor_ < position_ ? position_ : anchor_; }
    void clearSelection() { anchor_ = position_; }
    // As QTextCursor gives it: U+2029 for every line break.
    QString selectedText() const;

private:
    friend class MemoEdit;
    MemoCursor(const MemoEdit* memo, int anchor, int position)
        : memo_(memo), anchor_(anchor), position_(position) {}

    const MemoEdit* memo_ = nullptr;
    int anchor_ = 0;
    int position_ = 0;
};
