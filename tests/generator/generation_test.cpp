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

// The essay as written: every line with CR LF after it, the same bytes as
// joining the lines the long way gives.
TEST(GenerateEssayText, SameBytesAsTheStepsDoneTheLongWay)
{
    SeededRandom texts(808);
    for (int round = 0; round < 2000; ++round) {
        const Lines gathered = testing::randomGatheredLines(texts);
        const GenerationOptions options{round % 5 != 0, round % 3 != 0, {1 + texts.next(11), 1 + texts.next(11)}};
        // Crowded keys make sentences share keys, so that the order within a
        // key is exercised along with the regrouping after the shuffle.
        testing::CrowdedKeys fastRandom(round), slowRandom(round);
        const Lines slow = slow::generate(gathered, options.sentenceParse, options.randomize,
                                          options.limits.minimum, options.limits.maximum, slowRandom);
        Gatherer gatherer(EssayType::PlainText);
        gatherer.addFile(gathered);
        const EssayText essay = generateEssayText(std::move(gatherer), options, fastRandom);
        ASSERT_EQ(essay.bytes(), joinLines(slow)) << "round " << round;
        ASSERT_EQ(essay.lines(), slow) << "round " << round;
        ASSERT_EQ(essay.lineCount(), slow.size());
        ASSERT_EQ(fastRandom.draws, slowRandom.draws) << "round " << round;
    }
}

// From files' bytes to the essay's bytes, against reading the files as lines
// and doing every step the long way.
TEST(GenerateEssayText, FromFileBytesSameAsTheLongWay)
{
    SeededRandom texts(4242);
    for (int round = 0; round < 2000; ++round) {
        const bool essayResponses = round % 2 == 0;
        std::vector<std::string> files;
        const int fileCount = 1 + texts.next(4);
        for (int f = 0; f < fileCount; ++f) {
            // Prose between the keyword lines, so that there are sentences to
            // cut across lines and files.
            std::string bytes = testing::randomFileBytes(texts);
            for (const auto &line : testing::randomGatheredLines(texts))
                bytes += line + (texts.next(2) == 0 ? "\r\n" : "\n");
            files.push_back(bytes);
        }
        const GenerationOptions options{round % 7 != 0, round % 3 != 0, {1 + texts.next(11), 1 + texts.next(11)}};

        std::vector<Lines> fileLines;
        for (const auto &bytes : files)
            fileLines.push_back(splitLines(bytes));
        testing::CrowdedKeys slowRandom(round);
        const Lines slow = slow::generate(slow::gather(fileLines, essayResponses), options.sentenceParse,
                                          options.randomize, options.limits.minimum, options.limits.maximum,
                                          slowRandom);

        Gatherer gatherer(essayResponses ? EssayType::EssayResponses : EssayType::PlainText);
        for (const auto &bytes : files)
            gatherer.addFileBytes(bytes);
        testing::CrowdedKeys fastRandom(round);
        const EssayText essay = generateEssayText(std::move(gatherer), options, fastRandom);
        ASSERT_EQ(essay.bytes(), joinLines(slow)) << "round " << round;
        ASSERT_EQ(fastRandom.draws, slowRandom.draws) << "round " << round;
    }
}

TEST(GenerateEssayLines, FromAGathererWithoutSentencesGivesItsLines)
{
    Gatherer gatherer(EssayType::EssayResponses);
    gatherer.addFile({"EXPLAIN YOURSELF", "b. a.", "", "c!"});
    testing::ListedRandom random({});
    EXPECT_EQ(generateEssayLines(std::move(gatherer), {false, true, {1, 1}}, random), (Lines{"b. a.\r\n", "c!\r\n"}));
    EXPECT_TRUE(random.bounds.empty());

    Gatherer again(EssayType::EssayResponses);
    again.addFile({"EXPLAIN YOURSELF", "b. a.", "", "c!"});
    const EssayText essay = generateEssayText(std::move(again), {false, true, {1, 1}}, random);
    EXPECT_EQ(essay.bytes(), "b. a.\r\n\r\nc!\r\n\r\n");
    EXPECT_TRUE(again.empty());
}

} // namespace
} // namespace varnok
