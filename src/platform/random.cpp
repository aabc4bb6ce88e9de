#include "platform/random.h"

#include <algorithm>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

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
    // A word is made from itself, the next (not yet made anew) and the one
    // kShift further on, which until kWords - kShift is an old word and
    // from there on one made kWords - kShift before: four neighbours never
    // depend on each other.
    int i = 0;
#ifdef __SSE2__
    const auto mixedFour = [this](int at, int far) {
        const auto load = [this](int j) { return _mm_loadu_si128(reinterpret_cast<const __m128i *>(words_ + j)); };
        const __m128i y = _mm_or_si128(_mm_and_si128(load(at), _mm_set1_epi32(static_cast<int>(0x80000000u))),
                                       _mm_and_si128(load(at + 1), _mm_set1_epi32(0x7fffffff)));
        const __m128i odd = _mm_cmpeq_epi32(_mm_and_si128(y, _mm_set1_epi32(1)), _mm_set1_epi32(1));
        const __m128i mixed =
            _mm_xor_si128(load(far), _mm_xor_si128(_mm_srli_epi32(y, 1),
                                                   _mm_and_si128(odd, _mm_set1_epi32(static_cast<int>(0x9908b0dfu)))));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(words_ + at), mixed);
    };
    for (; i + 4 <= kWords - kShift; i += 4)
        mixedFour(i, i + kShift);
#endif
    for (; i < kWords - kShift; ++i)
        mixed(i, i + 1, i + kShift);
#ifdef __SSE2__
    static_assert((kShift - 1) % 4 == 0, "the words from kWords - kShift to the last come in fours");
    for (; i < kWords - 1; i += 4)
        mixedFour(i, i + kShift - kWords);
#else
    for (; i < kWords - 1; ++i)
        mixed(i, i + 1, i + kShift - kWords);
#endif
    mixed(kWords - 1, 0, kShift - 1);

#ifdef __SSE2__
    static_assert(kWords % 4 == 0);
    for (int t = 0; t < kWords; t += 4) {
        __m128i z = _mm_loadu_si128(reinterpret_cast<const __m128i *>(words_ + t));
        z = _mm_xor_si128(z, _mm_srli_epi32(z, 11));
        z = _mm_xor_si128(z, _mm_and_si128(_mm_slli_epi32(z, 7), _mm_set1_epi32(static_cast<int>(0x9d2c5680u))));
        z = _mm_xor_si128(z, _mm_and_si128(_mm_slli_epi32(z, 15), _mm_set1_epi32(static_cast<int>(0xefc60000u))));
        z = _mm_xor_si128(z, _mm_srli_epi32(z, 18));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(drawn_ + t), z);
    }
#else
    for (int t = 0; t < kWords; ++t) {
        std::uint32_t z = words_[t];
        z ^= z >> 11;
        z ^= (z << 7) & 0x9d2c5680u;
        z ^= (z << 15) & 0xefc60000u;
        drawn_[t] = z ^ (z >> 18);
    }
#endif
    used_ = 0;
}

int SeededRandom::next(int n)
{
    if (n <= 1)
        return 0;
    const auto bound = static_cast<std::uint32_t>(n);
    if (bound != bound_) {
        bound_ = bound;
        threshold_ = thresholdFor(bound);
    }
    return below(bound, threshold_);
}

void SeededRandom::nextMany(int n, int *out, std::size_t count)
{
    if (n <= 1) {
        std::fill(out, out + count, 0);
        return;
    }
    const auto bound = static_cast<std::uint32_t>(n);
    const std::uint32_t threshold = thresholdFor(bound);
    // The same as below() for each, with the place in the words kept in a
    // register: out might be any memory as far as the compiler knows, so
    // after each draw it would read the place back from this object.
    for (std::size_t i = 0; i < count;) {
        if (used_ == kWords)
            twist();
        int used = used_;
        for (; i < count && used < kWords; ++used) {
            const std::uint64_t product = std::uint64_t{drawn_[used]} * bound;
            // A word below the threshold is passed over for the next.
            if (static_cast<std::uint32_t>(product) >= threshold)
                out[i++] = static_cast<int>(product >> 32);
        }
        used_ = used;
    }
}

} // namespace varnok
