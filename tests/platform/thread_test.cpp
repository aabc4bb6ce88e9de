#include <gtest/gtest.h>

#include <thread>

#include "platform/thread.h"

#if defined(__x86_64__)
#include <cpuid.h>
#include <immintrin.h>
#endif

namespace varnok {
namespace {

#if defined(__x86_64__)

// Whether this processor says which parts of the register state are in use.
bool stateInUseKnown()
{
    unsigned a = 0, b = 0, c = 0, d = 0;
    return __builtin_cpu_supports("avx") && __get_cpuid_count(0xd, 1, &a, &b, &c, &d) && (a & 4) != 0;
}

__attribute__((target("xsave"))) bool upperHalvesInUse()
{
    return (_xgetbv(1) & 4) != 0;
}

// Not built for AVX, so that the compiler adds no instruction that clears
// the halves again on the way out.
void putUpperHalvesInUse()
{
    asm volatile("vpcmpeqd %%ymm0, %%ymm0, %%ymm0" ::: "xmm0");
}

// A thread made by one whose upper vector halves are in use inherits them;
// one the program starts does not.
TEST(StartThread, TheNewThreadBeginsWithTheUpperVectorHalvesUnused)
{
    if (!stateInUseKnown())
        GTEST_SKIP() << "the processor does not tell which register state is in use";
    const auto inUseInNewThread = [](bool started) {
        bool inUse = false;
        putUpperHalvesInUse();
        const auto check = [&inUse] { inUse = upperHalvesInUse(); };
        std::thread thread = started ? startThread(check) : std::thread(check);
        thread.join();
        return inUse;
    };
    if (!inUseInNewThread(false))
        GTEST_SKIP() << "here a new thread does not inherit the state";
    EXPECT_FALSE(inUseInNewThread(true));
}

#endif

} // namespace
} // namespace varnok
