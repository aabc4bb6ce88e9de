#include <gtest/gtest.h>

#include <algorithm>

#include "generator/shuffle.h"
#include "slow_generator.h"
#include "test_randoms.h"

namespace varnok {
namespace {

TEST(RandomizeStrings, OrdersByKeyThenByTextWithoutCase)
{
    const struct {
        const char *what;
        Lines lines;
        std::vector<int> keys;
        Lines expected;
    } cases[] = {
        {"keys compare as numbers", {"a", "b", "c", "d"}, {9999, 10, 100, 5}, {"d", "b", "c", "a"}},
        {"equal keys fall back on the text, case ignored",
         {"b", "c", "A", "B2"},
         {42, 7, 42, 42},
         {"c", "A", "b", "B2"}},
        {"a colon inside a line is kept", {"x:y", "::", "z"}, {3, 2, 1}, {"z", "::", "x:y"}},
        {"duplicates stay", {"same", "same", "Same"}, {0, 0, 0}, {"Same", "same", "same"}},
        {"one line is unchanged", {"only: line"}, {1234}, {"only: line"}},
        {"no lines", {}, {}, {}},
    };
    for (const auto &c : cases) {
        Lines lines = c.lines;
        testing::ListedRandom random(c.keys);
        RandomizeStrings(lines, random);
        EXPECT_EQ(lines, c.expected) << c.what;
        EXPECT_EQ(random.bounds, std::vector<int>(c.lines.size(), kShuffleKeyRange)) << c.what;
    }
}

TEST(RandomizeStrings, KeepsEveryLine)
{
    SeededRandom random(7);
    Lines lines;
    for (int i = 0; i < 5000; ++i)
        lines.push_back("line " + std::to_string(i % 700));
    Lines shuffled = lines;
    RandomizeStrings(shuffled, random);
    EXPECT_NE(shuffled, lines);
    std::sort(shuffled.begin(), shuffled.end());
    std::sort(lines.begin(), lines.end());
    EXPECT_EQ(shuffled, lines);
}

TEST(RandomizeStrings, SameAsSortingPrefixedEntries)
{
    SeededRandom texts(99);
    // Letters in both cases, bytes between the two cases of ASCII letters,
    // bytes above 127, NUL, and long shared beginnings.
    static const std::string words[] = {"a",  "A",  "b",         "B",         ":",         " ",
                                        "",   "ab", "Ab",        "\xe9",      "\xc9",      "~",
                                        "[",  "_",  "abcdefgh",  "ABCDEFGH",  "abcdefg",   std::string(1, '\0')};
    for (int round = 0; round < 400; ++round) {
        Lines lines;
        const int count = texts.next(60);
        for (int i = 0; i < count; ++i) {
            std::string line;
            const int length = texts.next(6);
            for (int k = 0; k < length; ++k)
                line += words[texts.next(sizeof words / sizeof words[0])];
            lines.push_back(line);
        }
        Lines fast = lines;
        Lines slow = lines;
        if (round % 2 == 0) {
            testing::CrowdedKeys fastRandom(round), slowRandom(round), viewRandom(round);
            RandomizeStrings(fast, fastRandom);
            slow::randomizeStrings(slow, slowRandom);
            // The same order given as views of the lines.
            const std::vector<std::string_view> views = randomized({lines.begin(), lines.end()}, viewRandom);
            ASSERT_EQ(Lines(views.begin(), views.end()), slow) << "round " << round;
        } else {
            testing::RecordingRandom fastRandom(round), slowRandom(round);
            RandomizeStrings(fast, fastRandom);
            slow::randomizeStrings(slow, slowRandom);
            ASSERT_EQ(fastRandom.draws, slowRandom.draws);
        }
        ASSERT_EQ(fast, slow) << "round " << round;
    }
}

} // namespace
} // namespace varnok
