// The memo's text as bytes, in chunks of a few kilobytes held in a balanced
// tree that sums, for every subtree, its bytes, its line breaks and its
// UTF-16 units (the memo's character positions). An edit rewrites the chunks
// around it only, so it costs the same at any size; offsets, line starts and
// character positions are found in logarithmic time.
//
// Chunks end only where no character can span the boundary whatever the
// bytes around it (see StableBoundary), so a chunk decodes on its own and its
// unit count stays true when its neighbours change.
#pragma once

#include "SumTree.h"
#include "memocodec.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class TextBuffer {
    struct Chunk;
    struct Block;

    // A chunk's hold on the block its bytes are in: the block goes with the
    // last hold on it.
    class BlockHold {
    public:
        BlockHold() = default;
        explicit BlockHold(Block* block);
        BlockHold(BlockHold&& other) noexcept : block_(std::exchange(other.block_, nullptr)) {}
        BlockHold& operator=(BlockHold&& other) noexcept;
        ~BlockHold() { Release(); }

    private:
        void Release() noexcept;
        Block* block_ = nullptr;
    };

public:
    // A text made piece by piece, for one too large to hold twice: the bytes
    // go into chunks as they come, cut as the whole text would be.
    class Builder {
    public:
        // expectedSize, if known, sizes the blocks the bytes are kept in.
        explicit Builder(std::uint64_t expectedSize = 0) : expected_(expectedSize) {}
        void Append(std::string_view bytes);
        std::uint64_t Size() const { return size_; }

    private:
        friend class TextBuffer;
        // Cuts chunks off the bytes not yet in one, as far as the bytes after
        // them show where; all of them at the end.
        void Cut(bool atEnd);
        // The bytes of a chunk, copied into the current block or a new one.
        Chunk Store(std::string_view bytes);
        std::vector<Chunk> Finish() &&;

        std::vector<Chunk> chunks_;
        std::string pending_;
        std::uint64_t size_ = 0;
        std::uint64_t expected_;
        std::uint64_t stored_ = 0;
        Block* block_ = nullptr;
        BlockHold hold_; // on block_, while it takes bytes
    };

    TextBuffer();

    // Replaces the whole text with bytes, taken as they are.
    void Assign(std::string_view bytes);
    void Assign(Builder&& built);
    // Replaces removed bytes from offset with inserted ones.
    void Replace(std::uint64_t offset, std::uint64_t removed, std::string_view inserted);

    std::uint64_t Size() const { return chunks_.Total().bytes; }
    std::uint64_t Units() const { return chunks_.Total().units; }
    std::uint64_t LineBreaks() const { return chunks_.Total().breaks; }

    std::string Copy(std::uint64_t offset, std::uint64_t length) const;
    std::string Text() const { return Copy(0, Size()); }
    // Calls piece(bytes) for the contiguous stretches of [offset, offset + length).
    void ForEachPiece(std::uint64_t offset, std::uint64_t length,
                      const std::function<bool(std::string_view)>& piece) const;
    unsigned char ByteAt(std::uint64_t offset) const;

    // The character at offset, a character boundary before Size().
    memocodec::MemoChar CharAt(std::uint64_t offset) const;
    // Character boundaries, in bytes: the memo's characters (a CR LF is one).
    std::uint64_t NextChar(std::uint64_t offset) const;
    std::uint64_t PreviousChar(std::uint64_t offset) const;
    // The last character boundary at or before any offset.
    std::uint64_t CharStart(std::uint64_t offset) const;

    // The offset just after the last line break at or before offset (0 if none),
    // and that of the next line break at or after offset (Size() if none).
    std::uint64_t LineStart(std::uint64_t offset) const;
    std::uint64_t LineEnd(std::uint64_t offset) const;
    // Line breaks before offset.
    std::uint64_t BreaksBefore(std::uint64_t offset) const;

    // UTF-16 units before a byte offset, which must be a character boundary;
    // and the first character boundary at or after a unit position (the end
    // for one beyond the text).
    std::uint64_t UnitsBefore(std::uint64_t offset) const;
    std::uint64_t OffsetOfUnit(std::uint64_t units) const;
    // For ascending unit positions, the offsets of the characters that start
    // there; a position inside a character or beyond the text gives none.
    std::vector<std::uint64_t> OffsetsOfUnits(const std::vector<std::uint64_t>& units) const;
    // Positions that count a line break as two, as the memo text does.
    std::uint64_t OffsetOfTextPosition(std::uint64_t position) const;

    // A boundary no character spans in any context: none ends before a byte
    // that is not a continuation byte (a LF after a CR aside), nor runs past
    // three continuation bytes.
    static bool StableBoundary(std::string_view bytes, std::size_t at);

    // For tests: chunk sizes, every one a stable boundary apart.
    std::vector<std::size_t> ChunkSizes() const;

private:
    struct Sum {
        std::uint64_t bytes = 0;
        std::uint64_t units = 0;
        std::uint64_t breaks = 0;
        Sum operator+(const Sum& o) const {
            return {bytes + o.bytes, units + o.units, breaks + o.breaks};
        }
    };
    // Chunk bytes lie in blocks, many chunks to a block, so that a large
    // text takes few allocations, in huge pages. Bytes of chunks an edit
    // rewrote stay in their block until its last chunk goes.
    struct Block {
        std::string bytes; // never beyond its capacity, so that chunks stay put
        std::size_t holds = 0;
    };
    struct Chunk {
        std::string_view data;
        Sum sum;
        BlockHold hold;
        Sum Summary() const { return sum; }
    };
    using Tree = SumTree<Chunk, Sum>;

    Tree::Found ChunkAt(std::uint64_t offset) const;

    Tree chunks_;
};
