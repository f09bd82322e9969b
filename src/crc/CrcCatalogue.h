// The public catalogue of parametrised CRC-16 and CRC-32 algorithms, and how
// each maps onto the engine's three options.
#pragma once

#include "CrcParams.h"

#include <cstdint>
#include <span>
#include <string_view>

// One algorithm as the catalogue states it: init, xorout and check in the
// catalogue's own (unreflected) terms, check over the ASCII "123456789".
struct CatalogueEntry {
    std::string_view name;
    int width;
    std::uint32_t poly;
    std::uint32_t init;
    bool refin;
    bool refout;
    std::uint32_t xorout;
    std::uint32_t check;
    std::string_view aliases; // other names, separated by ", "; may be empty
};

// Every entry has refin == refout, the only kind the three options express.
std::span<const CatalogueEntry> CrcCatalogue();

// The entry called name or one of its aliases, ignoring ASCII case; nullptr if none.
const CatalogueEntry* FindCatalogueEntry(std::string_view name);

// The engine parameters that compute entry. A reflected algorithm runs in the
// reflected register: the normal polynomial reversed by the engine, both
// steps least-significant-bit first, and the init reflected into the register.
CrcParams ToCrcParams(const CatalogueEntry& entry);
