#include <gtest/gtest.h>

#include "generator/shuffle.h"
#include "slow_generator.h"
#include "test_randoms.h"

namespace varnok {
namespace {

Lines randomizedLines(const Lines &lines, Random &random)
{
    std::vector<std::string_view> shuffled(lines.begin(), lines.end());
    shuffleLines(shuffled, random);
    return Lines(shuffled.begin(), shuffled.end());
}

TEST(Shuffle, OrdersByKeyThenByTextWithoutCase)
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
        testing::ListedRandom random(c.keys);
        EXPECT_EQ(randomizedLines(c.lines, random), c.expected) << c.what;
        EXPECT_EQ(random.bounds, std::vector<int>(c.lines.size(), kShuffleKeyRange)) << c.what;
    }
}

TEST(Shuffle, LinesSharingTheirFirstEightBytesGoByTheRest)
{
    // One key for all: bytes past the eighth, their case, a NUL and the
    // lengths decide, as they do when the whole texts are compared.
    const Lines lines = {
        "abcdefghxyz", "ABCDEFGHxyz0", "abcdefghXyz1", "abcdefghx",  "abcdefghxy", std::string("abcdefghxy\0", 11),
        "abcdefgh~",   "abcdefgh",     "abcdefghxyZ9", "ABCDEFGHXYZ"};
    const Lines expected = {"abcdefgh",     "abcdefghx",   "abcdefghxy",   std::string("abcdefghxy\0", 11),
                            "ABCDEFGHXYZ",  "abcdefghxyz", "ABCDEFGHxyz0", "abcdefghXyz1",
                            "abcdefghxyZ9", "abcdefgh~"};
    testing::ListedRandom random({});
    EXPECT_EQ(randomizedLines(lines, random), expected);
}

// Hundreds of groups of lines that agree in more than their first eleven
// bytes, spread over few keys: every group is put in order by its texts.
TEST(Shuffle, ManyGroupsOfLinesWithLongSharedBeginnings)
{
    SeededRandom texts(7);
    Lines lines;
    for (int i = 0; i < 3000; ++i) {
        std::string line = std::to_string(i % 150) + " is the number this sentence says ";
        for (int k = texts.next(4); k >= 0; --k)
            line += static_cast<char>("aAbB. "[texts.next(6)]);
        lines.push_back(line);
    }
    testing::CrowdedKeys fastRandom(3);
    testing::CrowdedKeys slowRandom(3);
    Lines slow = lines;
    slow::randomizeStrings(slow, slowRandom);
    EXPECT_EQ(randomizedLines(lines, fastRandom), slow);

    // A byte that goes with each line goes where its line goes.
    testing::CrowdedKeys tagRandom(3);
    std::vector<std::string_view> shuffled(lines.begin(), lines.end());
    std::vector<char> tags;
    for (const auto &line : lines)
        tags.push_back(line.back());
    shuffleLines(shuffled, tags, tagRandom);
    ASSERT_EQ(Lines(shuffled.begin(), shuffled.end()), slow);
    for (std::size_t i = 0; i < shuffled.size(); ++i)
        ASSERT_EQ(tags[i], shuffled[i].back()) << i;
}

TEST(Shuffle, SameAsSortingPrefixedEntries)
{
    SeededRandom texts(99);
    // Letters in both cases, bytes between the two cases of ASCII letters,
    // bytes above 127, NUL, and long shared beginnings.
    static const std::string words[] = {"a", "A",  "b",        "B",        ":",       " ",
                                        "",  "ab", "Ab",       "\xe9",     "\xc9",    "~",
                                        "[", "_",  "abcdefgh", "ABCDEFGH", "abcdefg", std::string(1, '\0')};
    // The last round is long enough to be sorted in parts, one per core.
    for (int round = 0; round <= 400; ++round) {
        Lines lines;
        const int count = round < 400 ? texts.next(60) : 100000;
        for (int i = 0; i < count; ++i) {
            std::string line;
            const int length = texts.next(6);
            for (int k = 0; k < length; ++k)
                line += words[texts.next(sizeof words / sizeof words[0])];
            lines.push_back(line);
        }
        // Crowded keys make lines share keys, so that their text decides.
        const auto check = [&](auto fastRandom, auto slowRandom) {
            Lines slow = lines;
            slow::randomizeStrings(slow, slowRandom);
            ASSERT_EQ(randomizedLines(lines, fastRandom), slow) << "round " << round;
            ASSERT_EQ(fastRandom.draws, slowRandom.draws) << "round " << round;
        };
        if (round % 2 == 0)
            check(testing::CrowdedKeys(round), testing::CrowdedKeys(round));
        else
            check(testing::RecordingRandom(round), testing::RecordingRandom(round));
    }
}

} // namespace
} // namespace varnok
