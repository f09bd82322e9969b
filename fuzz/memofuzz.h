// What the memo's fuzzers share: texts in memo form made from the input,
// edits of whole characters, and the character boundaries of a text.
#pragma once

#include "TextBuffer.h"
#include "memocodec.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

inline void Check(bool condition) {
    if (!condition)
        std::abort();
}

// Character boundaries of a memo text, from 0 to its size.
inline std::vector<std::size_t> MemoBoundaries(const std::string& text) {
    const auto* const data = reinterpret_cast<const unsigned char*>(text.data());
    const auto* const end = data + text.size();
    std::vector<std::size_t> at{0};
    for (std::size_t i = 0; i < text.size();) {
        i += static_cast<std::size_t>(memocodec::ReadMemoChar(data + i, end).bytes);
        at.push_back(i);
    }
    return at;
}

// The character boundary at or before offset, read from the stable boundary
// before it (from where the text reads as it does from its start).
inline std::size_t CharStartIn(const std::string& text, std::size_t offset) {
    const auto* const data = reinterpret_cast<const unsigned char*>(text.data());
    const auto* const end = data + text.size();
    std::size_t at = offset;
    while (!TextBuffer::StableBoundary(text, at))
        --at;
    while (at < text.size()) {
        const auto bytes = static_cast<std::size_t>(memocodec::ReadMemoChar(data + at, end).bytes);
        if (at + bytes > offset)
            break;
        at += bytes;
    }
    return at;
}

// Text as the memo takes it: up to a 00 byte, with CR LF line breaks. Short
// pieces, now and then repeated, so that texts reach many chunks.
inline std::string MemoTextFrom(FuzzedDataProvider& input, std::size_t room) {
    std::string piece = memocodec::MemoTextOf(input.ConsumeRandomLengthString(24));
    const int times = input.ConsumeBool() ? input.ConsumeIntegralInRange(1, 1000) : 1;
    std::string text;
    for (int i = 0; i < times && text.size() + piece.size() <= room; ++i)
        text += piece;
    return text;
}

// An edit of whole characters of text: [from, to) replaced by inserted.
struct CharEdit {
    std::size_t from;
    std::size_t to;
    std::string inserted;
};

inline CharEdit CharEditFrom(FuzzedDataProvider& input, const std::string& text,
                             std::size_t capacity) {
    const std::size_t from =
        CharStartIn(text, input.ConsumeIntegralInRange<std::size_t>(0, text.size()));
    const std::size_t reach = input.ConsumeBool() ? 8 : text.size() - from;
    const std::size_t to = CharStartIn(text, from + input.ConsumeIntegralInRange<std::size_t>(
                                                        0, std::min(reach, text.size() - from)));
    CharEdit edit{from, to, {}};
    const std::size_t kept = text.size() - (to - from);
    if (input.ConsumeBool())
        edit.inserted = MemoTextFrom(input, capacity - std::min(capacity, kept));
    return edit;
}
