// Where the text view shows a 00 byte as a full stop.
//
// Positions are 1-based numbers of characters as the memo counts them, a line
// break being one character. The list follows the user's edits, so that a full
// stop standing for 00 keeps standing for it while text moves around it.
#pragma once

#include <cstdint>
#include <vector>

class NullPositionList {
public:
    void Clear() { positions_.clear(); }
    // positions: ascending.
    void Assign(std::vector<std::int32_t> positions);
    const std::vector<std::int32_t>& Positions() const { return positions_; }

    bool IsNullPosition(std::int32_t position) const;

    // The text changed at 0-based offset at: removed characters went, added came in
    // their place. Full stops that went are no longer 00; later ones move along.
    void TextChanged(std::int32_t at, std::int32_t removed, std::int32_t added);

private:
    // A 32-bit count: any number of 00 bytes a memo can hold round-trips.
    std::vector<std::int32_t> positions_;
};
