#include "platform/memory.h"

#include <cstdint>
#include <sys/mman.h>

namespace varnok {

void adviseLargeBuffer(const void *data, std::size_t size)
{
#ifdef MADV_HUGEPAGE
    constexpr std::uintptr_t hugePage = std::uintptr_t{2} << 20;
    if (!data || size < 4 * hugePage)
        return;
    // Only whole huge pages inside the buffer are affected.
    const auto begin = (reinterpret_cast<std::uintptr_t>(data) + hugePage - 1) & ~(hugePage - 1);
    const auto end = (reinterpret_cast<std::uintptr_t>(data) + size) & ~(hugePage - 1);
    if (end > begin)
        ::madvise(reinterpret_cast<void *>(begin), end - begin, MADV_HUGEPAGE);
#else
    (void)data;
    (void)size;
#endif
}

} // namespace varnok
