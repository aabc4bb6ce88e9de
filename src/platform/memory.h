#pragma once

#include <cstddef>

namespace varnok {

// The most bytes of file text the program takes into memory: half the
// physical memory, less where a resource limit of the process is lower. A
// file beyond it is refused before anything is allocated for it; the rest of
// memory is what the program itself needs to work on such a text. Measured
// at the first call; the limits are the ones the program started with.
std::size_t memoryForFiles();

// Has the system give the whole pages within [start, start + bytes) their
// memory now, as the first write to each would, without changing a byte:
// another thread can then write there without stopping at every page.
// Nothing where the system cannot.
void prefault(char *start, std::size_t bytes);

} // namespace varnok
