#include <gtest/gtest.h>

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

} // namespace
} // namespace varnok
