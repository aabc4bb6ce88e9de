#include <gtest/gtest.h>

#include <type_traits>

#include "generator/shuffle.h"
#include "slow_generator.h"
#include "test_randoms.h"

namespace varnok {
namespace {

Lines sentencesOf(const CutText &cut)
{
    Lines sentences;
    for (std::size_t i = 0; i < cut.size(); ++i)
        sentences.emplace_back(cut.sentence(i));
    return sentences;
}

// Every group put in order at once, or one group at a time as the essay's
// writing does.
Lines shuffledOf(const std::string &text, Random &random, bool byGroup = false)
{
    CutText cut = shuffledSentences(SentenceText(text), random);
    if (!byGroup) {
        sortGroups(cut, 0, cut.groups.size() - 1);
        return sentencesOf(cut);
    }
    Lines sentences;
    GroupSorter sorter(cut.text);
    cut.sentences.visit([&](const auto *order) {
        for (std::size_t g = 0; g + 1 < cut.groups.size(); ++g) {
            std::vector<std::remove_const_t<std::remove_pointer_t<decltype(order)>>> sorted(cut.groups[g + 1] -
                                                                                            cut.groups[g]);
            sorter.sort(order + cut.groups[g], order + cut.groups[g + 1], order + cut.size(), sorted.data());
            for (const auto start : sorted)
                sentences.emplace_back(cut.text.sentenceAt(start));
        }
    });
    return sentences;
}

// The text's sentences put in order by the reference: the fast shuffle must
// give the same sentences with the same draws, sorted either way.
void expectSameAsTheReference(const std::string &text, Random &fastRandom, Random &slowRandom, const char *what,
                              bool byGroup = false)
{
    Lines slow = sentencesOf(cutSentences(text));
    slow::randomizeStrings(slow, slowRandom);
    ASSERT_EQ(shuffledOf(text, fastRandom, byGroup), slow) << what;
}

TEST(Shuffle, OrdersByKeyThenByTextWithoutCase)
{
    const struct {
        const char *what;
        const char *text;
        std::vector<int> keys;
        Lines expected;
    } cases[] = {
        {"keys compare as numbers", "a. b. c. d.", {9999, 10, 100, 5}, {"d.", "b.", "c.", "a."}},
        {"equal keys fall back on the text, case ignored", "b. c. A. B2.", {42, 7, 42, 42}, {"c.", "A.", "b.", "B2."}},
        {"a colon inside a sentence is kept", "x:y. ::. z.", {3, 2, 1}, {"z.", "::.", "x:y."}},
        {"duplicates stay", "same. same. Same.", {0, 0, 0}, {"Same.", "same.", "same."}},
        {"sentences of every terminator", "b? a! c. d! e?", {1, 1, 0}, {"e?", "b? a! c.", "d!"}},
        {"one sentence is unchanged", "only: sentence.", {1234}, {"only: sentence."}},
        {"no sentence but the one a text without terminator becomes", "", {}, {"."}},
    };
    for (const auto &c : cases) {
        testing::ListedRandom random(c.keys);
        EXPECT_EQ(shuffledOf(c.text, random), c.expected) << c.what;
        EXPECT_EQ(random.bounds, std::vector<int>(c.expected.size(), kShuffleKeyRange)) << c.what;
    }
}

TEST(Shuffle, SentencesSharingTheirFirstEightBytesGoByTheRest)
{
    // One key for all: bytes past the eighth, their case, a NUL and the
    // lengths decide, as they do when the whole texts are compared.
    const std::string text(
        "abcdefghxyz.ABCDEFGHxyz0.abcdefghXyz1.abcdefghx.abcdefghxy.abcdefghxy\0."
        "abcdefgh~.abcdefgh.abcdefghxyZ9.ABCDEFGHXYZ.abcdefg.ABCDEFG.",
        131);
    const Lines expected = {
        "ABCDEFG.",      "abcdefg.",     "abcdefgh.",    "abcdefghx.",    std::string("abcdefghxy\0.", 12),
        "abcdefghxy.",   "ABCDEFGHXYZ.", "abcdefghxyz.", "ABCDEFGHxyz0.", "abcdefghXyz1.",
        "abcdefghxyZ9.", "abcdefgh~."};
    testing::ListedRandom random({});
    EXPECT_EQ(shuffledOf(text, random), expected);
    testing::ListedRandom slowRandom({});
    expectSameAsTheReference(text, random, slowRandom, "the reference");
}

// Hundreds of groups of sentences that agree in more than their first eleven
// bytes, spread over few keys: every group is put in order by its texts.
TEST(Shuffle, ManyGroupsOfSentencesWithLongSharedBeginnings)
{
    SeededRandom texts(7);
    std::string text;
    for (int i = 0; i < 3000; ++i) {
        text += std::to_string(i % 150) + " is the number this sentence says ";
        for (int k = texts.next(4); k >= 0; --k)
            text += "aAbB. !?"[texts.next(8)];
        text += ". ";
    }
    for (const bool byGroup : {false, true}) {
        testing::CrowdedKeys fastRandom(3);
        testing::CrowdedKeys slowRandom(3);
        expectSameAsTheReference(text, fastRandom, slowRandom, "crowded keys", byGroup);
    }
}

TEST(Shuffle, SameAsSortingPrefixedEntries)
{
    SeededRandom texts(99);
    // Letters in both cases, bytes between the two cases of ASCII letters,
    // bytes above 127, NUL, and long shared beginnings.
    static const std::string words[] = {
        "a", "A", "b", ":", " ", "",  "ab",       "Ab",       "\xe9",    "\xc9",
        "~", "[", "_", ".", "!", "?", "abcdefgh", "ABCDEFGH", "abcdefg", std::string(1, '\0')};
    // The last round is long enough to be shuffled in parts, one per core.
    for (int round = 0; round <= 400; ++round) {
        std::string text;
        const int count = round < 400 ? texts.next(60) : 100000;
        for (int i = 0; i < count; ++i)
            text += words[texts.next(sizeof words / sizeof words[0])];
        const std::string what = "round " + std::to_string(round);
        // Crowded keys make sentences share keys, so that their text decides.
        const auto check = [&](auto fastRandom, auto slowRandom) {
            expectSameAsTheReference(text, fastRandom, slowRandom, what.c_str(), round % 3 == 0);
            ASSERT_EQ(fastRandom.draws, slowRandom.draws) << what;
        };
        if (round % 2 == 0)
            check(testing::CrowdedKeys(round), testing::CrowdedKeys(round));
        else
            check(testing::RecordingRandom(round), testing::RecordingRandom(round));
        if (::testing::Test::HasFatalFailure())
            return;
    }
}

} // namespace
} // namespace varnok
