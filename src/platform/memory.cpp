#include "platform/memory.h"

#include <algorithm>
#include <cstdint>
#include <sys/resource.h>
#include <unistd.h>

namespace varnok {

std::size_t memoryForFiles()
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

} // namespace varnok
