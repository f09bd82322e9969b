#include "WordMotion.h"

#include "memocodec.h"

namespace {

enum class Kind { Blank, Punctuation, Word, Break };

// Blanks as Unicode has them; punctuation as the ASCII signs other than the
// underscore, which joins words.
Kind KindOf(char32_t c) {
    if (c == U'\n')
        return Kind::Break;
    if (c == U' ' || (c >= 0x09 && c <= 0x0D) || c == 0x85 || c == 0xA0 || c == 0x1680 ||
        (c >= 0x2000 && c <= 0x200A) || c == 0x202F || c == 0x205F || c == 0x3000)
        return Kind::Blank;
    if (c < 0x80 && c > 0x20 && c != U'_' && !(c >= U'0' && c <= U'9') &&
        !((c | 0x20) >= U'a' && (c | 0x20) <= U'z'))
        return Kind::Punctuation;
    return Kind::Word;
}

Kind KindAt(const TextBuffer& text, std::uint64_t offset) {
    return KindOf(text.CharAt(offset).code);
}

// Steps forward over characters of kind, up to the reach.
std::uint64_t SkipForward(const TextBuffer& text, std::uint64_t offset, Kind kind,
                          std::uint64_t limit) {
    while (offset < limit) {
        const memocodec::MemoChar c = text.CharAt(offset);
        if (KindOf(c.code) != kind)
            break;
        offset += static_cast<std::uint64_t>(c.bytes);
    }
    return offset;
}

std::uint64_t SkipBackward(const TextBuffer& text, std::uint64_t offset, Kind kind,
                           std::uint64_t limit) {
    while (offset > limit) {
        const std::uint64_t previous = text.PreviousChar(offset);
        if (KindAt(text, previous) != kind)
            break;
        offset = previous;
    }
    return offset;
}

std::uint64_t ForwardLimit(const TextBuffer& text, std::uint64_t offset) {
    return offset + kWordReach < text.Size() ? offset + kWordReach : text.Size();
}

std::uint64_t BackwardLimit(std::uint64_t offset) {
    return offset > kWordReach ? offset - kWordReach : 0;
}

} // namespace

std::uint64_t NextWord(const TextBuffer& text, std::uint64_t offset) {
    if (offset >= text.Size())
        return text.Size();
    const std::uint64_t limit = ForwardLimit(text, offset);
    const Kind kind = KindAt(text, offset);
    if (kind == Kind::Break)
        return text.NextChar(offset);
    if (kind != Kind::Blank)
        offset = SkipForward(text, offset, kind, limit);
    return SkipForward(text, offset, Kind::Blank, limit);
}

std::uint64_t PreviousWord(const TextBuffer& text, std::uint64_t offset) {
    if (offset == 0)
        return 0;
    // From a line's start to the end of the line before; else not past the start.
    std::uint64_t previous = text.PreviousChar(offset);
    if (KindAt(text, previous) == Kind::Break)
        return previous;
    const std::uint64_t limit = BackwardLimit(offset);
    offset = SkipBackward(text, offset, Kind::Blank, limit);
    if (offset == 0)
        return 0;
    previous = text.PreviousChar(offset);
    const Kind kind = KindAt(text, previous);
    return kind == Kind::Break ? offset : SkipBackward(text, offset, kind, limit);
}

std::pair<std::uint64_t, std::uint64_t> WordAround(const TextBuffer& text, std::uint64_t offset) {
    if (offset >= text.Size() || KindAt(text, offset) == Kind::Break) {
        if (offset == 0 || KindAt(text, text.PreviousChar(offset)) == Kind::Break)
            return {offset, offset};
        offset = text.PreviousChar(offset);
    }
    const Kind kind = KindAt(text, offset);
    return {SkipBackward(text, offset, kind, BackwardLimit(offset)),
            SkipForward(text, offset, kind, ForwardLimit(text, offset))};
}
