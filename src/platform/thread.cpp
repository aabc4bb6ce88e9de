#include "platform/thread.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace varnok {

#if defined(__x86_64__) || defined(__i386__)

namespace {

// Built for processors with AVX alone, so that nothing else may run it.
__attribute__((target("avx"))) void zeroUpper()
{
    _mm256_zeroupper();
}

} // namespace

void clearUpperVectorState()
{
    static const bool avx = __builtin_cpu_supports("avx");
    if (avx)
        zeroUpper();
}

#else

void clearUpperVectorState()
{
}

#endif

} // namespace varnok
