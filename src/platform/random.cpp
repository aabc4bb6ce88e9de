#include "platform/random.h"

#include <algorithm>

namespace varnok {

namespace {

// The least low word a product may have: 2^32 mod n. Below it, some numbers
// would come up once more often than the rest.
std::uint32_t thresholdFor(std::uint32_t n)
{
    return (0u - n) % n;
}

} // namespace

SeededRandom::SeededRandom(std::uint32_t seed)
{
    words_[0] = seed;
    for (int i = 1; i < kWords; ++i)
        words_[i] = 1812433253u * (words_[i - 1] ^ (words_[i - 1] >> 30)) + static_cast<std::uint32_t>(i);
}

void SeededRandom::twist()
{
    constexpr int kShift = 397;
    const auto mixed = [this](int i, int next, int far) {
        const std::uint32_t y = (words_[i] & 0x80000000u) | (words_[next] & 0x7fffffffu);
        words_[i] = words_[far] ^ (y >> 1) ^ ((y & 1u) ? 0x9908b0dfu : 0u);
    };
    int i = 0;
    for (; i < kWords - kShift; ++i)
        mixed(i, i + 1, i + kShift);
    for (; i < kWords - 1; ++i)
        mixed(i, i + 1, i + kShift - kWords);
    mixed(kWords - 1, 0, kShift - 1);
    used_ = 0;
}

int SeededRandom::next(int n)
{
    if (n <= 1)
        return 0;
    const auto bound = static_cast<std::uint32_t>(n);
    return below(bound, thresholdFor(bound));
}

void SeededRandom::nextMany(int n, int *out, std::size_t count)
{
    if (n <= 1) {
        std::fill(out, out + count, 0);
        return;
    }
    const auto bound = static_cast<std::uint32_t>(n);
    const std::uint32_t threshold = thresholdFor(bound);
    for (std::size_t i = 0; i < count; ++i)
        out[i] = below(bound, threshold);
}

} // namespace varnok
