#include "TextBuffer.h"

#include "largebuffer.h"
#include "memocodec.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace {

// A chunk is cut at the first stable boundary from kTarget bytes on; a last
// piece shorter than kMin joins the chunk before it. Every chunk but a lone
// one therefore has at least kMin bytes, which keeps the bytes a boundary's
// stability depends on inside the chunks on either side of an edit.
constexpr std::size_t kTarget = 4096;
constexpr std::size_t kMin = 1024;

using memocodec::IsContinuation;

// Bytes appended to a builder at a time: the bytes a builder holds outside
// its chunks stay this few.
constexpr std::size_t kSlice = std::size_t{64} << 10;

// Blocks of chunk bytes: the first of a text of unknown size, and the
// largest, in huge pages.
constexpr std::uint64_t kBlockMin = std::uint64_t{16} << 10;
constexpr std::uint64_t kBlockMax = std::uint64_t{32} << 20;

// Whether no character spans the place before byte i of bytes; the places
// before the first byte and after the last are taken to be stable.
bool Stable(std::string_view bytes, std::size_t i) {
    if (i == 0 || i >= bytes.size())
        return true;
    const unsigned char byte = static_cast<unsigned char>(bytes[i]);
    if (byte == '\n')
        return false;
    if (!IsContinuation(byte))
        return true;
    return i >= 3 && IsContinuation(static_cast<unsigned char>(bytes[i - 1])) &&
           IsContinuation(static_cast<unsigned char>(bytes[i - 2])) &&
           IsContinuation(static_cast<unsigned char>(bytes[i - 3]));
}

// The n-th LF (0-based) of data.
std::size_t NthLineFeed(std::string_view data, std::uint64_t n) {
    std::size_t at = data.find('\n');
    for (; n > 0; --n)
        at = data.find('\n', at + 1);
    return at;
}

} // namespace

TextBuffer::TextBuffer() {
    Assign(std::string_view());
}

bool TextBuffer::StableBoundary(std::string_view bytes, std::size_t at) {
    return Stable(bytes, at);
}

TextBuffer::BlockHold::BlockHold(Block* block) : block_(block) {
    ++block_->holds;
}

TextBuffer::BlockHold& TextBuffer::BlockHold::operator=(BlockHold&& other) noexcept {
    if (this != &other) {
        Release();
        block_ = std::exchange(other.block_, nullptr);
    }
    return *this;
}

void TextBuffer::BlockHold::Release() noexcept {
    if (block_ && --block_->holds == 0)
        delete block_;
    block_ = nullptr;
}

TextBuffer::Chunk TextBuffer::Builder::Store(std::string_view bytes) {
    if (!block_ || block_->bytes.capacity() - block_->bytes.size() < bytes.size()) {
        // Sized for what is still expected, else growing with the text.
        const std::uint64_t left = expected_ > stored_ ? expected_ - stored_ : 0;
        const std::uint64_t grown = block_ ? 2 * block_->bytes.capacity() : kBlockMin;
        const std::size_t capacity = std::max<std::size_t>(
            bytes.size(), static_cast<std::size_t>(std::min(left > 0 ? left : grown, kBlockMax)));
        block_ = new Block;
        hold_ = BlockHold(block_);
        ReserveLarge(block_->bytes, capacity);
    }
    const std::size_t at = block_->bytes.size();
    block_->bytes.append(bytes);
    stored_ += bytes.size();
    Chunk chunk;
    chunk.data = std::string_view(block_->bytes).substr(at);
    chunk.sum.bytes = bytes.size();
    chunk.sum.units = memocodec::CountMemoUnits(bytes);
    chunk.sum.breaks = static_cast<std::uint64_t>(std::count(bytes.begin(), bytes.end(), '\n'));
    chunk.hold = BlockHold(block_);
    return chunk;
}

void TextBuffer::Builder::Append(std::string_view bytes) {
    size_ += bytes.size();
    while (!bytes.empty()) {
        const std::size_t n = std::min(bytes.size(), kSlice);
        pending_.append(bytes.substr(0, n));
        bytes.remove_prefix(n);
        Cut(false);
    }
}

// A chunk ends at the first stable boundary from kTarget bytes on, unless
// fewer than kMin bytes would follow that; the last one takes the rest.
void TextBuffer::Builder::Cut(bool atEnd) {
    const std::string_view bytes = pending_;
    std::size_t start = 0;
    while (start < bytes.size() || (atEnd && chunks_.empty())) {
        std::size_t end = start + kTarget;
        if (end + kMin >= bytes.size()) {
            if (!atEnd)
                break;
            end = bytes.size();
        } else {
            // At most three bytes on: well inside the kMin bytes known to follow.
            while (!Stable(bytes, end))
                ++end;
        }
        chunks_.push_back(Store(bytes.substr(start, end - start)));
        start = end;
    }
    pending_.erase(0, start);
}

std::vector<TextBuffer::Chunk> TextBuffer::Builder::Finish() && {
    Cut(true);
    return std::move(chunks_);
}

void TextBuffer::Assign(std::string_view bytes) {
    Builder built(bytes.size());
    built.Append(bytes);
    Assign(std::move(built));
}

void TextBuffer::Assign(Builder&& built) {
    chunks_.Assign(std::move(built).Finish());
}

TextBuffer::Tree::Found TextBuffer::ChunkAt(std::uint64_t offset) const {
    return chunks_.Find([](const Sum& s) { return s.bytes; }, offset);
}

void TextBuffer::Replace(std::uint64_t offset, std::uint64_t removed, std::string_view inserted) {
    if (offset > Size() || removed > Size() - offset)
        throw std::out_of_range("TextBuffer::Replace");
    // The chunks the edit touches and one untouched chunk on either side, so
    // that the rewritten stretch begins and ends at boundaries that stay stable.
    const Tree::Found first = ChunkAt(offset);
    const Tree::Found last = removed == 0 ? first : ChunkAt(offset + removed - 1);
    const std::size_t from = first.index > 0 ? first.index - 1 : 0;
    const std::size_t to = std::min(last.index + 2, chunks_.Size());
    const Tree::Found tail = chunks_.At(to - 1);
    const std::uint64_t start = chunks_.At(from).before.bytes;
    const std::uint64_t end = tail.before.bytes + tail.leaf->data.size();
    Builder stretch(end - start - removed + inserted.size());
    stretch.Append(Copy(start, offset - start));
    stretch.Append(inserted);
    stretch.Append(Copy(offset + removed, end - offset - removed));
    chunks_.Replace(from, to, std::move(stretch).Finish());
}

std::string TextBuffer::Copy(std::uint64_t offset, std::uint64_t length) const {
    std::string result;
    ReserveLarge(result, std::min(length, Size() - std::min(offset, Size())));
    ForEachPiece(offset, length, [&](std::string_view piece) {
        result.append(piece);
        return true;
    });
    return result;
}

void TextBuffer::ForEachPiece(std::uint64_t offset, std::uint64_t length,
                              const std::function<bool(std::string_view)>& piece) const {
    if (length == 0 || offset >= Size())
        return;
    const Tree::Found found = ChunkAt(offset);
    std::uint64_t position = found.before.bytes;
    const std::uint64_t end = offset + length;
    chunks_.VisitFrom(found.index, [&](std::size_t, const Chunk& chunk) {
        const std::uint64_t chunkEnd = position + chunk.data.size();
        const std::uint64_t a = std::max(position, offset);
        const std::uint64_t b = std::min(chunkEnd, end);
        position = chunkEnd;
        if (a < b &&
            !piece(std::string_view(chunk.data).substr(a - (chunkEnd - chunk.data.size()), b - a)))
            return false;
        return chunkEnd < end;
    });
}

unsigned char TextBuffer::ByteAt(std::uint64_t offset) const {
    const Tree::Found found = ChunkAt(offset);
    return static_cast<unsigned char>(found.leaf->data.at(offset - found.before.bytes));
}

// Characters never span chunks, so one is read in the chunk it starts in.
memocodec::MemoChar TextBuffer::CharAt(std::uint64_t offset) const {
    const Tree::Found found = ChunkAt(offset);
    const auto* data = reinterpret_cast<const unsigned char*>(found.leaf->data.data());
    const std::size_t at = offset - found.before.bytes;
    return memocodec::ReadMemoChar(data + at, data + found.leaf->data.size());
}

std::uint64_t TextBuffer::NextChar(std::uint64_t offset) const {
    if (offset >= Size())
        return Size();
    return offset + static_cast<std::uint64_t>(CharAt(offset).bytes);
}

std::uint64_t TextBuffer::PreviousChar(std::uint64_t offset) const {
    if (offset == 0)
        return 0;
    // Characters never span chunks, so the one before offset starts in the
    // chunk that holds its last byte.
    const Tree::Found found = ChunkAt(offset - 1);
    const auto* data = reinterpret_cast<const unsigned char*>(found.leaf->data.data());
    const auto* const end = data + found.leaf->data.size();
    const std::size_t at = offset - found.before.bytes;
    const unsigned char last = data[at - 1];
    if (last == '\n' && at >= 2 && data[at - 2] == '\r')
        return offset - 2;
    if (IsContinuation(last)) {
        for (std::size_t back = 2; back <= 4 && back <= at; ++back) {
            if (IsContinuation(data[at - back]))
                continue;
            const memocodec::MemoChar c = memocodec::ReadMemoChar(data + at - back, end);
            if (static_cast<std::size_t>(c.bytes) == back)
                return offset - back;
            break;
        }
    }
    return offset - 1;
}

std::uint64_t TextBuffer::CharStart(std::uint64_t offset) const {
    if (offset >= Size())
        return Size();
    const Tree::Found found = ChunkAt(offset);
    const auto* const data = reinterpret_cast<const unsigned char*>(found.leaf->data.data());
    const auto* const end = data + found.leaf->data.size();
    const std::size_t at = offset - found.before.bytes;
    std::size_t start = 0;
    for (std::size_t next = 0; next <= at;
         next += static_cast<std::size_t>(memocodec::ReadMemoChar(data + next, end).bytes))
        start = next;
    return found.before.bytes + start;
}

std::uint64_t TextBuffer::LineStart(std::uint64_t offset) const {
    offset = std::min(offset, Size());
    if (offset == 0)
        return 0;
    const Tree::Found here = ChunkAt(offset - 1);
    const std::string_view data = here.leaf->data;
    const std::size_t at = offset - here.before.bytes;
    const std::size_t local = data.substr(0, at).rfind('\n');
    if (local != std::string_view::npos)
        return here.before.bytes + local + 1;
    if (here.before.breaks == 0)
        return 0;
    const Tree::Found previous =
        chunks_.Find([](const Sum& s) { return s.breaks; }, here.before.breaks - 1);
    return previous.before.bytes + previous.leaf->data.rfind('\n') + 1;
}

std::uint64_t TextBuffer::LineEnd(std::uint64_t offset) const {
    if (offset >= Size())
        return Size();
    const Tree::Found here = ChunkAt(offset);
    const std::string_view data = here.leaf->data;
    const std::size_t at = offset - here.before.bytes;
    const std::size_t local = data.find('\r', at);
    if (local != std::string_view::npos)
        return here.before.bytes + local;
    const std::uint64_t breaksThrough = here.before.breaks + here.leaf->sum.breaks;
    if (breaksThrough == LineBreaks())
        return Size();
    const Tree::Found next = chunks_.Find([](const Sum& s) { return s.breaks; }, breaksThrough);
    const std::size_t lf = NthLineFeed(next.leaf->data, breaksThrough - next.before.breaks);
    // The CR of the break is in the same chunk: no chunk begins with a LF.
    return next.before.bytes + lf - 1;
}

std::uint64_t TextBuffer::BreaksBefore(std::uint64_t offset) const {
    offset = std::min(offset, Size());
    const Tree::Found found = ChunkAt(offset);
    const std::string_view data = found.leaf->data;
    const std::size_t at = offset - found.before.bytes;
    return found.before.breaks +
           static_cast<std::uint64_t>(std::count(data.begin(), data.begin() + at, '\n'));
}

std::uint64_t TextBuffer::UnitsBefore(std::uint64_t offset) const {
    offset = std::min(offset, Size());
    const Tree::Found found = ChunkAt(offset);
    const std::size_t at = offset - found.before.bytes;
    return found.before.units +
           memocodec::CountMemoUnits(std::string_view(found.leaf->data).substr(0, at));
}

namespace {

// The first character boundary in data at which count(characters before)
// reaches target, where count starts at counted; data.size() if none does.
template <class Count>
std::size_t BoundaryReaching(std::string_view data, std::uint64_t counted, std::uint64_t target,
                             Count count) {
    const auto* const begin = reinterpret_cast<const unsigned char*>(data.data());
    const auto* const end = begin + data.size();
    const auto* p = begin;
    while (p < end && counted < target) {
        const memocodec::MemoChar c = memocodec::ReadMemoChar(p, end);
        counted += count(c);
        p += c.bytes;
    }
    return static_cast<std::size_t>(p - begin);
}

} // namespace

std::uint64_t TextBuffer::OffsetOfUnit(std::uint64_t units) const {
    if (units >= Units())
        return Size();
    const Tree::Found found = chunks_.Find([](const Sum& s) { return s.units; }, units);
    return found.before.bytes +
           BoundaryReaching(found.leaf->data, found.before.units, units,
                            [](const memocodec::MemoChar& c) { return c.units; });
}

std::vector<std::uint64_t>
TextBuffer::OffsetsOfUnits(const std::vector<std::uint64_t>& units) const {
    std::vector<std::uint64_t> offsets;
    offsets.reserve(units.size());
    const auto byUnits = [](const Sum& s) { return s.units; };
    auto next = units.begin();
    while (next != units.end() && *next < Units()) {
        // One walk through each chunk that holds a wanted position.
        const Tree::Found found = chunks_.Find(byUnits, *next);
        const auto* const data = reinterpret_cast<const unsigned char*>(found.leaf->data.data());
        const auto* const end = data + found.leaf->data.size();
        const std::uint64_t chunkEnd = found.before.units + found.leaf->sum.units;
        std::uint64_t unit = found.before.units;
        const auto* p = data;
        for (; next != units.end() && *next < chunkEnd; ++next) {
            while (unit < *next) {
                const memocodec::MemoChar c = memocodec::ReadMemoChar(p, end);
                unit += static_cast<std::uint64_t>(c.units);
                p += c.bytes;
            }
            if (unit == *next)
                offsets.push_back(found.before.bytes + static_cast<std::uint64_t>(p - data));
        }
    }
    return offsets;
}

std::uint64_t TextBuffer::OffsetOfTextPosition(std::uint64_t position) const {
    const auto measure = [](const Sum& s) { return s.units + s.breaks; };
    if (position >= measure(chunks_.Total()))
        return Size();
    const Tree::Found found = chunks_.Find(measure, position);
    return found.before.bytes + BoundaryReaching(found.leaf->data, measure(found.before), position,
                                                 [](const memocodec::MemoChar& c) {
                                                     return c.code == U'\n' ? 2 : c.units;
                                                 });
}

std::vector<std::size_t> TextBuffer::ChunkSizes() const {
    std::vector<std::size_t> sizes;
    chunks_.VisitFrom(0, [&](std::size_t, const Chunk& chunk) {
        sizes.push_back(chunk.data.size());
        return true;
    });
    return sizes;
}
