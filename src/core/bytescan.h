#pragma once

#include <cstddef>
#include <cstdint>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace varnok {

// How many bytes placesOf looks at.
inline constexpr std::size_t kPlacesBytes = 64;

// Bit i set where bytes[i] is a or b, for i below kPlacesBytes. Looking for
// the next of a frequent byte with one search each costs more than finding
// all its places in a block at once and keeping them for the next ones.
inline std::uint64_t placesOf(const char *bytes, char a, char b)
{
    std::uint64_t places = 0;
#ifdef __SSE2__
    const __m128i first = _mm_set1_epi8(a);
    const __m128i second = _mm_set1_epi8(b);
    for (int i = 0; i < 4; ++i) {
        const __m128i part = _mm_loadu_si128(reinterpret_cast<const __m128i *>(bytes + 16 * i));
        const __m128i found = _mm_or_si128(_mm_cmpeq_epi8(part, first), _mm_cmpeq_epi8(part, second));
        places |= static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(found))) << (16 * i);
    }
#else
    for (std::size_t i = 0; i < kPlacesBytes; ++i)
        places |= static_cast<std::uint64_t>(bytes[i] == a || bytes[i] == b) << i;
#endif
    return places;
}

} // namespace varnok
