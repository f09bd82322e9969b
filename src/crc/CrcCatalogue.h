// The public catalogue of parametrised CRC algorithms: every model with its
// published check and residue, and the other names it goes by.
#pragma once

#include "CrcModel.h"

#include <span>
#include <string_view>

struct CatalogueEntry {
    std::string_view name;
    CrcModel model;
    CrcWord check;            // as published: the CRC of the ASCII "123456789"
    CrcWord residue;          // as published
    std::string_view aliases; // other names, separated by ", "; may be empty
};

// Sorted by width, then name.
std::span<const CatalogueEntry> CrcCatalogue();

// The entry called name or one of its aliases, ignoring ASCII case; nullptr if none.
const CatalogueEntry* FindCatalogueEntry(std::string_view name);

// The engine parameters that compute entry.
inline CrcParams ToCrcParams(const CatalogueEntry& entry) {
    return ToCrcParams(entry.model);
}
