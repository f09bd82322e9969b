#include "TextBuffer.h"
#include "memocodec.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <string>
#include <vector>

namespace {

// Bytes rich in what makes characters hard to find: UTF-8 lead and
// continuation bytes, line breaks, and runs of each.
std::string RandomBytes(std::mt19937& rng, std::size_t length) {
    static const char* const kPieces[] = {
        "a",    " ",    "\r\n", "\xC3\xA9",     "\xE4\xB8\xAD", "\xF0\x9F\x98\x80",
        "\x80", "\xBF", "\xC3", "\xE2\x80\xA8", "\xF4",         "\xED\xA0\x80"};
    std::string bytes;
    while (bytes.size() < length) {
        const auto pick = rng() % 16;
        if (pick < 12)
            bytes += kPieces[pick];
        else if (pick < 14)
            bytes.append(rng() % 9, static_cast<char>(0x80 + rng() % 64));
        else
            bytes += static_cast<char>(rng() % 256 == '\n' ? 'x' : rng() % 256);
    }
    // A lone CR or LF reads as a break of its own; the memo holds none.
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r'))
            text += '\r';
        text += bytes[i];
        if (bytes[i] == '\r' && (i + 1 == bytes.size() || bytes[i + 1] != '\n'))
            text += '\n';
    }
    return text;
}

// The character boundaries of a text, by decoding it from its start.
std::vector<std::size_t> Boundaries(const std::string& text) {
    std::vector<std::size_t> at{0};
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const auto* const end = p + text.size();
    for (std::size_t offset = 0; offset < text.size();) {
        offset += static_cast<std::size_t>(memocodec::ReadMemoChar(p + offset, end).bytes);
        at.push_back(offset);
    }
    return at;
}

std::size_t Utf16Length(std::string_view bytes) {
    std::u16string units(bytes.size(), u'\0');
    return static_cast<std::size_t>(memocodec::DecodeInto(bytes, units.data(), true) -
                                    units.data());
}

std::size_t Breaks(std::string_view bytes) {
    return static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n'));
}

// Every query of the buffer against the plain string.
void ExpectSameAs(const TextBuffer& buffer, const std::string& model, std::mt19937& rng) {
    ASSERT_EQ(buffer.Size(), model.size());
    ASSERT_EQ(buffer.Text(), model);
    ASSERT_EQ(buffer.Units(), Utf16Length(model));
    ASSERT_EQ(buffer.LineBreaks(), Breaks(model));

    std::size_t start = 0;
    for (const std::size_t size : buffer.ChunkSizes()) {
        start += size;
        ASSERT_TRUE(TextBuffer::StableBoundary(model, start)) << start;
    }
    const std::vector<std::size_t> at = Boundaries(model);
    // Ascending positions, some inside characters or past the end, against
    // the units before every boundary.
    std::vector<std::uint64_t> wanted;
    std::vector<std::uint64_t> found;
    for (std::uint64_t unit = rng() % 50; unit < buffer.Units() + 3; unit += 1 + rng() % 700)
        wanted.push_back(unit);
    auto w = wanted.begin();
    std::size_t units = 0;
    for (std::size_t i = 0; i + 1 < at.size(); ++i) {
        while (w != wanted.end() && *w < units)
            ++w;
        if (w != wanted.end() && *w == units)
            found.push_back(at[i]);
        units += Utf16Length(std::string_view(model).substr(at[i], at[i + 1] - at[i]));
    }
    ASSERT_EQ(buffer.OffsetsOfUnits(wanted), found);
    for (int probe = 0; probe < 12; ++probe) {
        const std::size_t i = rng() % at.size();
        const std::size_t offset = at[i];
        ASSERT_EQ(buffer.NextChar(offset), i + 1 < at.size() ? at[i + 1] : model.size());
        ASSERT_EQ(buffer.PreviousChar(offset), i > 0 ? at[i - 1] : 0);
        const std::size_t units = Utf16Length(std::string_view(model).substr(0, offset));
        ASSERT_EQ(buffer.UnitsBefore(offset), units);
        ASSERT_EQ(buffer.OffsetOfUnit(units), offset);
        ASSERT_EQ(buffer.OffsetOfTextPosition(units + Breaks(model.substr(0, offset))), offset);
        const std::size_t lf = model.rfind('\n', offset == 0 ? 0 : offset - 1);
        ASSERT_EQ(buffer.LineStart(offset), offset == 0 || lf == std::string::npos ? 0 : lf + 1);
        const std::size_t cr = model.find('\r', offset);
        ASSERT_EQ(buffer.LineEnd(offset), cr == std::string::npos ? model.size() : cr);
        const std::size_t length = rng() % 9000;
        ASSERT_EQ(buffer.Copy(offset, length), model.substr(offset, length));
    }
}

} // namespace

// Decoding a text whole, or in two parts cut at a stable boundary, gives the
// same characters: the property that lets chunks count their units alone.
TEST(TextBuffer, StableBoundariesSplitNoCharacter) {
    std::mt19937 rng(7);
    for (int round = 0; round < 3000; ++round) {
        const std::string text = RandomBytes(rng, rng() % 24);
        const std::vector<std::size_t> at = Boundaries(text);
        for (std::size_t cut = 0; cut <= text.size(); ++cut) {
            if (!TextBuffer::StableBoundary(text, cut))
                continue;
            ASSERT_TRUE(std::binary_search(at.begin(), at.end(), cut));
            const std::vector<std::size_t> tail = Boundaries(text.substr(cut));
            for (const std::size_t b : tail)
                ASSERT_TRUE(std::binary_search(at.begin(), at.end(), cut + b)) << cut;
        }
    }
}

TEST(TextBuffer, RandomEditsAgreeWithAString) {
    std::mt19937 rng(1);
    for (int round = 0; round < 6; ++round) {
        TextBuffer buffer;
        std::string model = RandomBytes(rng, rng() % 40000);
        buffer.Assign(model);
        ExpectSameAs(buffer, model, rng);
        for (int step = 0; step < 150; ++step) {
            const std::vector<std::size_t> at = Boundaries(model);
            const std::size_t a = at[rng() % at.size()];
            std::size_t b = at[rng() % at.size()];
            if (rng() % 4 != 0) // mostly short edits
                b = std::min(b, a + rng() % 40);
            const auto [from, to] = std::minmax(a, b);
            const std::size_t length = rng() % 3 == 0 ? rng() % 12000 : rng() % 4;
            const std::string inserted = RandomBytes(rng, length);
            buffer.Replace(from, to - from, inserted);
            model.replace(from, to - from, inserted);
            ExpectSameAs(buffer, model, rng);
        }
    }
}

// Edits exactly at a chunk's start whose bytes join the bytes before it into
// one character, or split one, across the old boundary: the chunks around
// are cut afresh, so that none ends inside a character.
TEST(TextBuffer, EditsAtAChunkStartKeepCharactersWhole) {
    static const char* const kPieces[] = {"\x80",     "\xAD",     "\xB8\xAD", "\x98\x80", "\xE4",
                                          "\xE4\xB8", "\xF0\x9F", "\xC3",     "\r\n",     "a"};
    std::mt19937 rng(13);
    TextBuffer buffer;
    std::string model = RandomBytes(rng, 20000);
    buffer.Assign(model);
    for (int step = 0; step < 200; ++step) {
        const std::vector<std::size_t> sizes = buffer.ChunkSizes();
        ASSERT_GT(sizes.size(), 2u);
        const std::size_t start = std::accumulate(
            sizes.begin(),
            sizes.begin() + 1 + static_cast<std::ptrdiff_t>(rng() % (sizes.size() - 1)),
            std::size_t{0});
        // Whole characters inserted at the start, or removed up to it or from it.
        const std::vector<std::size_t> at = Boundaries(model);
        const auto here =
            static_cast<std::size_t>(std::lower_bound(at.begin(), at.end(), start) - at.begin());
        ASSERT_EQ(at[here], start);
        const std::size_t count = 1 + rng() % 3;
        std::size_t from = start;
        std::size_t to = start;
        switch (rng() % 3) {
        case 0:
            from = at[here - std::min(here, count)];
            break;
        case 1:
            to = at[std::min(here + count, at.size() - 1)];
            break;
        default:
            break;
        }
        const std::string inserted = rng() % 4 ? kPieces[rng() % 10] : "";
        buffer.Replace(from, to - from, inserted);
        model.replace(from, to - from, inserted);
        ASSERT_NO_FATAL_FAILURE(ExpectSameAs(buffer, model, rng)) << step;
    }
}

TEST(TextBuffer, EmptyAndEdges) {
    TextBuffer buffer;
    EXPECT_EQ(buffer.Size(), 0u);
    EXPECT_EQ(buffer.Text(), "");
    EXPECT_EQ(buffer.NextChar(0), 0u);
    EXPECT_EQ(buffer.PreviousChar(0), 0u);
    EXPECT_EQ(buffer.LineStart(0), 0u);
    EXPECT_EQ(buffer.LineEnd(0), 0u);
    EXPECT_EQ(buffer.OffsetOfUnit(5), 0u);
    buffer.Replace(0, 0, "ab\r\n");
    EXPECT_EQ(buffer.LineStart(4), 4u);
    EXPECT_EQ(buffer.LineEnd(0), 2u);
    EXPECT_EQ(buffer.OffsetOfUnit(3), 4u);
    // A position on the LF of a break falls after it.
    EXPECT_EQ(buffer.OffsetOfTextPosition(3), 4u);
    EXPECT_THROW(buffer.Replace(3, 2, ""), std::out_of_range);
    buffer.Replace(0, 4, "");
    EXPECT_EQ(buffer.Size(), 0u);
    EXPECT_EQ(buffer.ChunkSizes().size(), 1u);
}

// A large text is cut into many chunks, none of them small, whatever it holds;
// built piece by piece, in pieces of any size, it is cut the same.
TEST(TextBuffer, LargeTextsAreChunked) {
    std::mt19937 rng(3);
    for (const std::string& text :
         {std::string(1 << 20, '\x80'), std::string(1 << 20, 'a'), RandomBytes(rng, 1 << 20)}) {
        TextBuffer buffer;
        buffer.Assign(text);
        const std::vector<std::size_t> sizes = buffer.ChunkSizes();
        EXPECT_GT(sizes.size(), 100u);
        EXPECT_GE(*std::min_element(sizes.begin(), sizes.end()), 1024u);
        EXPECT_LE(*std::max_element(sizes.begin(), sizes.end()), 8192u);
        EXPECT_EQ(buffer.Text(), text);

        TextBuffer::Builder builder;
        for (std::size_t at = 0; at < text.size();) {
            const std::size_t length = rng() % 3 ? rng() % 7000 : rng() % 200000;
            builder.Append(std::string_view(text).substr(at, length));
            at += length;
        }
        EXPECT_EQ(builder.Size(), text.size());
        TextBuffer built;
        built.Assign(std::move(builder));
        EXPECT_EQ(built.ChunkSizes(), sizes);
        EXPECT_EQ(built.Text(), text);
    }
}
