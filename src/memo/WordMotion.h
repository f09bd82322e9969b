// Word motions of the caret, as a plain-text edit makes them: a word is a
// run of letters and digits, or a run of punctuation; blanks after a word
// belong to it. A line break is a stop of its own. A word longer than
// kWordReach bytes counts as ending there, so that no motion reads more.
#pragma once

#include "TextBuffer.h"

#include <cstdint>
#include <utility>

inline constexpr std::uint64_t kWordReach = std::uint64_t{64} << 10;

// The start of the next word (Ctrl+Right), and of this or the previous one (Ctrl+Left).
std::uint64_t NextWord(const TextBuffer& text, std::uint64_t offset);
std::uint64_t PreviousWord(const TextBuffer& text, std::uint64_t offset);
// The run of characters of one kind (word, punctuation or blanks) at offset,
// or before it at a line's end: what a double click selects.
std::pair<std::uint64_t, std::uint64_t> WordAround(const TextBuffer& text, std::uint64_t offset);
