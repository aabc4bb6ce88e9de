#pragma once

#include <cstddef>

namespace varnok {

// Asks the system to back a large buffer with huge pages where it can: a
// buffer of a hundred megabytes otherwise costs tens of thousands of page
// faults as it is first written. Small buffers and other systems: nothing.
void adviseLargeBuffer(const void *data, std::size_t size);

} // namespace varnok
