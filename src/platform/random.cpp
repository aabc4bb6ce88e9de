#include "platform/random.h"

#include <algorithm>

namespace varnok {

int SeededRandom::next(int n)
{
    if (n <= 1)
        return 0;
    std::uniform_int_distribution<int> pick(0, n - 1);
    return pick(engine_);
}

void SeededRandom::nextMany(int n, int *out, std::size_t count)
{
    if (n <= 1) {
        std::fill(out, out + count, 0);
        return;
    }
    // The distribution keeps nothing between draws: one serves them all.
    std::uniform_int_distribution<int> pick(0, n - 1);
    for (std::size_t i = 0; i < count; ++i)
        out[i] = pick(engine_);
}

} // namespace varnok
