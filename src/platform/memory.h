#pragma once

#include <cstddef>

namespace varnok {

// The most bytes of file text the program takes into memory: half the
// physical memory, less where a resource limit of the process is lower. A
// file beyond it is refused before anything is allocated for it; the rest of
// memory is what the program itself needs to work on such a text.
std::size_t memoryForFiles();

} // namespace varnok
