#include <gtest/gtest.h>

#include <map>
#include <string>

#include "generator/composer.h"
#include "slow_generator.h"
#include "test_randoms.h"

namespace varnok {
namespace {

Lines numberedSentences(int count)
{
    Lines sentences;
    for (int i = 1; i <= count; ++i)
        sentences.push_back("S" + std::to_string(i) + ".");
    return sentences;
}

std::string paragraphOf(int first, int last)
{
    std::string text;
    for (int i = first; i <= last; ++i)
        text += "S" + std::to_string(i) + ".  ";
    return text;
}

TEST(ParagraphTarget, RaisedToTheMinimum)
{
    const struct {
        int minimum, maximum, drawn, target;
    } cases[] = {
        {6, 9, 0, 6}, {6, 9, 5, 6}, {6, 9, 6, 6}, {6, 9, 8, 8}, {9, 3, 2, 9}, {1, 1, 0, 1}, {3, 3, 2, 3}, {1, 11, 10, 10},
    };
    for (const auto &c : cases) {
        testing::ListedRandom random({c.drawn});
        EXPECT_EQ(drawParagraphTarget({c.minimum, c.maximum}, random), c.target) << c.minimum << " " << c.maximum;
        EXPECT_EQ(random.bounds, std::vector<int>{c.maximum});
    }
}

TEST(ParagraphTarget, DistributionForSixToNine)
{
    SeededRandom random(4242);
    std::map<int, int> seen;
    const int draws = 90000;
    for (int i = 0; i < draws; ++i)
        ++seen[drawParagraphTarget({6, 9}, random)];
    EXPECT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen.count(9), 0u);
    EXPECT_NEAR(seen[6] / double(draws), 7.0 / 9, 0.02);
    EXPECT_NEAR(seen[7] / double(draws), 1.0 / 9, 0.02);
    EXPECT_NEAR(seen[8] / double(draws), 1.0 / 9, 0.02);
}

TEST(ComposeParagraphs, ParagraphSizesAndLineBreaks)
{
    const struct {
        const char *what;
        int minimum, maximum, sentences;
        Lines expected;
    } cases[] = {
        {"short last paragraph has no break", 6, 6, 14,
         {paragraphOf(1, 6) + "\r\n", paragraphOf(7, 12) + "\r\n", paragraphOf(13, 14)}},
        {"complete paragraphs all get a break", 6, 6, 12, {paragraphOf(1, 6) + "\r\n", paragraphOf(7, 12) + "\r\n"}},
        {"minimum above maximum", 9, 3, 20,
         {paragraphOf(1, 9) + "\r\n", paragraphOf(10, 18) + "\r\n", paragraphOf(19, 20)}},
        {"one sentence each", 1, 1, 3, {paragraphOf(1, 1) + "\r\n", paragraphOf(2, 2) + "\r\n", paragraphOf(3, 3) + "\r\n"}},
        {"no sentences", 3, 3, 0, {}},
    };
    for (const auto &c : cases) {
        SeededRandom random(1);
        EXPECT_EQ(composeParagraphs(numberedSentences(c.sentences), {c.minimum, c.maximum}, random), c.expected)
            << c.what;
    }
}

TEST(ComposeParagraphs, CutsTheJoinedSentencesAnew)
{
    const struct {
        const char *what;
        Lines sentences;
        Lines expected;
    } cases[] = {
        {"a question runs on to the next full stop", {"Why?", "Fine.", "Go."}, {"Why?Fine.  Go.  "}},
        {"with no full stop left an exclamation ends it", {"A.", "Hey?", "Yes!", "No?"}, {"A.  Hey?Yes!  No?  \r\n"}},
        {"no terminator at all gives nothing", {"loose", "words"}, {}},
        {"line breaks and leading blanks are removed", {"  One.\r\n", " Two.\r", "\nThree."}, {"One.  Two.  Three.  \r\n"}},
    };
    for (const auto &c : cases) {
        testing::ListedRandom random({3, 3, 3, 3});
        EXPECT_EQ(composeParagraphs(c.sentences, {1, 4}, random), c.expected) << c.what;
    }
}

TEST(ComposeParagraphs, DrawsATargetFirstAndAfterEveryCompleteParagraph)
{
    testing::ListedRandom random({2, 1, 3});
    const Lines result = composeParagraphs(numberedSentences(4), {1, 5}, random);
    EXPECT_EQ(result, (Lines{paragraphOf(1, 2) + "\r\n", paragraphOf(3, 3) + "\r\n", paragraphOf(4, 4)}));
    EXPECT_EQ(random.bounds, (std::vector<int>{5, 5, 5}));

    testing::ListedRandom none({});
    EXPECT_TRUE(composeParagraphs({}, {3, 3}, none).empty());
    EXPECT_EQ(none.bounds, std::vector<int>{3});
}

TEST(ComposeParagraphs, SameAsCuttingFromTheFrontOnRandomTexts)
{
    SeededRandom texts(31337);
    for (int round = 0; round < 3000; ++round) {
        const Lines sentences = testing::randomGatheredLines(texts);
        const int minimum = 1 + texts.next(11);
        const int maximum = 1 + texts.next(11);
        testing::RecordingRandom fastRandom(round), slowRandom(round);
        const Lines fast = composeParagraphs(sentences, {minimum, maximum}, fastRandom);
        const Lines slow = slow::composeParagraphs(sentences, minimum, maximum, slowRandom);
        ASSERT_EQ(fast, slow) << "round " << round;
        ASSERT_EQ(fastRandom.draws, slowRandom.draws) << "round " << round;
    }
}

} // namespace
} // namespace varnok
