#include <gtest/gtest.h>

#include "generator/generation.h"
#include "slow_generator.h"
#include "test_randoms.h"

namespace varnok {
namespace {

TEST(GenerateEssayLines, WithoutSentencesTheLinesStayAsGathered)
{
    const Lines gathered = {"b. a.\r\n", "", "c!\r\n"};
    for (const bool randomize : {false, true}) {
        testing::ListedRandom random({});
        EXPECT_EQ(generateEssayLines(gathered, {false, randomize, {1, 1}}, random), gathered);
        EXPECT_TRUE(random.bounds.empty()) << "nothing is drawn";
    }
}

TEST(GenerateEssayLines, CutShuffleAndCompose)
{
    // Keys 5, 1, 3 put the sentences in the order Two, Three, One.
    testing::ListedRandom random({5, 1, 3, 0});
    const Lines result = generateEssayLines({"One. Two.\r\n", "Three."}, {true, true, {2, 2}}, random);
    EXPECT_EQ(result, (Lines{"Two.  Three.  \r\n", "One.  "}));
    EXPECT_EQ(random.bounds, (std::vector<int>{10000, 10000, 10000, 2, 2}));

    testing::ListedRandom keepOrder({});
    EXPECT_EQ(generateEssayLines({"One. Two.\r\n", "Three."}, {true, false, {3, 3}}, keepOrder),
              (Lines{"One.  Two.  Three.  \r\n"}));
}

TEST(GenerateEssayLines, TextWithoutTerminatorBecomesOneSentence)
{
    testing::ListedRandom random({});
    EXPECT_EQ(generateEssayLines({"no end\r\n", " here"}, {true, true, {1, 1}}, random), (Lines{"no end here.  \r\n"}));
    EXPECT_EQ(random.bounds, (std::vector<int>{10000, 1, 1}));
}

TEST(GenerateEssayLines, SameAsTheStepsDoneTheLongWay)
{
    SeededRandom texts(555);
    for (int round = 0; round < 2000; ++round) {
        const Lines gathered = testing::randomGatheredLines(texts);
        const bool randomize = round % 3 != 0;
        const int minimum = 1 + texts.next(11);
        const int maximum = 1 + texts.next(11);
        testing::RecordingRandom fastRandom(round), slowRandom(round);
        const Lines fast = generateEssayLines(gathered, {true, randomize, {minimum, maximum}}, fastRandom);
        const Lines slow = slow::generate(gathered, true, randomize, minimum, maximum, slowRandom);
        ASSERT_EQ(fast, slow) << "round " << round;
        ASSERT_EQ(fastRandom.draws, slowRandom.draws) << "round " << round;

        // The same lines handed over through a gatherer of plain text.
        Gatherer gatherer(EssayType::PlainText);
        gatherer.addFile(gathered);
        testing::RecordingRandom viaGatherer(round);
        ASSERT_EQ(generateEssayLines(std::move(gatherer), {true, randomize, {minimum, maximum}}, viaGatherer), slow)
            << "round " << round;
        ASSERT_EQ(viaGatherer.draws, slowRandom.draws) << "round " << round;
    }
}

TEST(GenerateEssayLines, FromAGathererWithoutSentencesGivesItsLines)
{
    Gatherer gatherer(EssayType::EssayResponses);
    gatherer.addFile({"EXPLAIN YOURSELF", "b. a.", "", "c!"});
    testing::ListedRandom random({});
    EXPECT_EQ(generateEssayLines(std::move(gatherer), {false, true, {1, 1}}, random), (Lines{"b. a.\r\n", "c!\r\n"}));
    EXPECT_TRUE(random.bounds.empty());
}

} // namespace
} // namespace varnok
