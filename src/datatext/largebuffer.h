// Output buffers of tens of megabytes.
#pragma once

#include <cstddef>
#include <string>

// Reserves room for size bytes in text, in 2 MiB pages where the kernel
// allows. Fresh memory in 4 KiB pages costs one page fault per page, which
// on virtual machines takes longer than writing the data itself.
void ReserveLarge(std::string& text, std::size_t size);
