#include "platform/random.h"

namespace varnok {

int SeededRandom::next(int n)
{
    if (n <= 1)
        return 0;
    std::uniform_int_distribution<int> pick(0, n - 1);
    return pick(engine_);
}

} // namespace varnok
