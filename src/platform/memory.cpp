#include "platform/memory.h"

#include <algorithm>
#include <cstdint>
#include <sys/mman.h>
#include <sys/resource.h>
#include <unistd.h>

namespace varnok {

namespace {

std::size_t measuredRoom()
{
    std::uint64_t limit = UINT64_MAX;
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    if (pages > 0 && pageSize > 0)
        limit = static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(pageSize);
    for (const int resource : {RLIMIT_AS, RLIMIT_DATA}) {
        struct rlimit r {};
        if (::getrlimit(resource, &r) == 0 && r.rlim_cur != RLIM_INFINITY)
            limit = std::min<std::uint64_t>(limit, r.rlim_cur);
    }
    return static_cast<std::size_t>(std::min<std::uint64_t>(limit / 2, SIZE_MAX));
}

} // namespace

std::size_t memoryForFiles()
{
    // Asked of the system once: it is checked for every file read, and a
    // Generate reads thousands.
    static const std::size_t room = measuredRoom();
    return room;
}

void prefault(char *start, std::size_t bytes)
{
#ifdef MADV_POPULATE_WRITE
    const auto pageSize = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
    const auto from = (reinterpret_cast<std::uintptr_t>(start) + pageSize - 1) & ~(pageSize - 1);
    const auto to = (reinterpret_cast<std::uintptr_t>(start) + bytes) & ~(pageSize - 1);
    if (from < to)
        ::madvise(reinterpret_cast<void *>(from), to - from, MADV_POPULATE_WRITE);
#else
    (void)start;
    (void)bytes;
#endif
}

} // namespace varnok
