#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <vector>

#include "platform/random.h"

namespace varnok {
namespace {

// Many draws at once are the draws one at a time would give, and leave the
// generator where those would.
TEST(SeededRandom, ManyDrawsAtOnceAreTheSingleDraws)
{
    const struct {
        int bound;
        std::size_t count;
    } cases[] = {{10000, 5000}, {2, 100}, {1, 10}, {0, 3}, {7, 0}};
    for (const auto &c : cases) {
        SeededRandom single(42), many(42);
        std::vector<int> expected;
        for (std::size_t i = 0; i < c.count; ++i)
            expected.push_back(single.next(c.bound));
        std::vector<int> drawn(c.count, -1);
        many.nextMany(c.bound, drawn.data(), drawn.size());
        EXPECT_EQ(drawn, expected) << c.bound;
        EXPECT_EQ(many.next(1000), single.next(1000)) << c.bound;
    }
}

// A seed gives the numbers the standard twister and distribution give it,
// across the twister's regeneration of its words, with bounds whose draws
// are retried often (just over a power of two) or never (a power of two).
TEST(SeededRandom, DrawsAreThoseOfTheStandardTwisterAndDistribution)
{
    const struct {
        std::uint32_t seed;
        int bound;
    } cases[] = {{0, 2}, {1, 10000}, {42, 3}, {0xffffffffu, INT_MAX}, {7, (1 << 30) + 1}, {5489, 1 << 16}};
    for (const auto &c : cases) {
        std::mt19937 engine(c.seed);
        std::uniform_int_distribution<int> pick(0, c.bound - 1);
        SeededRandom random(c.seed);
        std::vector<int> many(700);
        for (int round = 0; round < 3; ++round) {
            random.nextMany(c.bound, many.data(), many.size());
            for (std::size_t i = 0; i < many.size(); ++i)
                ASSERT_EQ(many[i], pick(engine)) << c.seed << " " << c.bound << " " << round << " " << i;
            ASSERT_EQ(random.next(c.bound), pick(engine)) << c.seed << " " << c.bound << " " << round;
        }
    }
}

} // namespace
} // namespace varnok
