#include "largebuffer.h"

#include <sys/mman.h>

#include <cstdint>

namespace {

constexpr std::uintptr_t kHugePage = std::uintptr_t{2} << 20;

} // namespace

void ReserveLarge(std::string& text, std::size_t size) {
    text.reserve(size);
    if (size < 2 * kHugePage)
        return;
    // Only whole huge pages inside the buffer; the kernel may still say no.
    const auto start = reinterpret_cast<std::uintptr_t>(text.data());
    const std::uintptr_t first = (start + kHugePage - 1) & ~(kHugePage - 1);
    const std::uintptr_t last = (start + size) & ~(kHugePage - 1);
    if (last > first)
        ::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
}
