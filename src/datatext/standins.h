// Characters of the text view that stand for other bytes than their own: a
// full stop for a 00 byte, and a line break (which the memo holds as CR LF)
// for a lone 0D or a lone 0A.
//
// They are kept as HexViewToText gives them and TextToHexView takes them:
// ascending byte offsets into the memo text, a line break's at the half that
// stands for the byte. The list follows the user's edits, so that a stand-in
// keeps standing for its byte while text moves around it; one the user edits
// stands for its own bytes again.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

class StandInList {
public:
    void Clear() { offsets_.clear(); }
    void Assign(std::vector<std::size_t> offsets) { offsets_ = std::move(offsets); }
    const std::vector<std::size_t>& Offsets() const { return offsets_; }

    // The memo text changed at offset: removed bytes went, added ones came in
    // their place. Stand-ins that went are forgotten; later ones move along.
    void TextChanged(std::uint64_t offset, std::uint64_t removed, std::uint64_t added);

private:
    std::vector<std::size_t> offsets_;
};
