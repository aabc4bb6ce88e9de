#pragma once

#include <cstddef>

namespace varnok {

// Asks the system to back a large buffer with huge pages where it can: a
// buffer of a hundred megabytes otherwise costs tens of thousands of page
// faults as it is first written. Small buffers and other systems: nothing.
void adviseLargeBuffer(const void *data, std::size_t size);

// The most bytes of file text the program takes into memory: half the
// physical memory, less where a resource limit of the process is lower. A
// file beyond it is refused before anything is allocated for it; the rest of
// memory is what the program itself needs to work on such a text.
std::size_t memoryForFiles();

} // namespace varnok
