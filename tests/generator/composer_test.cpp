#include <gtest/gtest.h>

#include <map>
#include <type_traits>
#include <string>
#include <utility>

#include "generator/composer.h"
#include "generator/gatherer.h"
#include "generator/sentences.h"
#include "generator/shuffle.h"
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

// The sentences of the cut of a text in the order given by their indexes
// in text order.
CutText reordered(std::string text, const std::vector<std::size_t> &order)
{
    CutText cut = cutSentences(std::move(text));
    SentenceList sentences(order.size(), cut.text.text().size());
    sentences.visit([&](auto *starts) {
        for (std::size_t i = 0; i < order.size(); ++i)
            starts[i] = static_cast<std::remove_pointer_t<decltype(starts)>>(cut.sentences[order[i]]);
    });
    cut.sentences = std::move(sentences);
    return cut;
}

// The essay's bytes, checked to hold as many lines as expected.
std::string composed(CutText cut, const ParagraphLimits &limits, Random &random, std::size_t lines)
{
    const EssayText essay = composeParagraphs(std::move(cut), limits, random);
    EXPECT_EQ(essay.lineCount(), lines);
    return essay.bytes();
}

std::string composed(const Lines &sentences, const ParagraphLimits &limits, Random &random, std::size_t lines)
{
    std::string text;
    for (const auto &sentence : sentences)
        text += sentence;
    return composed(cutSentences(text), limits, random, lines);
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
        {6, 9, 0, 6}, {6, 9, 5, 6}, {6, 9, 6, 6}, {6, 9, 8, 8},
        {9, 3, 2, 9}, {1, 1, 0, 1}, {3, 3, 2, 3}, {1, 11, 10, 10},
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
        {"short last paragraph has no break",
         6,
         6,
         14,
         {paragraphOf(1, 6) + "\r\n", paragraphOf(7, 12) + "\r\n", paragraphOf(13, 14)}},
        {"complete paragraphs all get a break", 6, 6, 12, {paragraphOf(1, 6) + "\r\n", paragraphOf(7, 12) + "\r\n"}},
        {"minimum above maximum",
         9,
         3,
         20,
         {paragraphOf(1, 9) + "\r\n", paragraphOf(10, 18) + "\r\n", paragraphOf(19, 20)}},
        {"one sentence each",
         1,
         1,
         3,
         {paragraphOf(1, 1) + "\r\n", paragraphOf(2, 2) + "\r\n", paragraphOf(3, 3) + "\r\n"}},
    };
    for (const auto &c : cases) {
        SeededRandom random(1);
        EXPECT_EQ(composed(numberedSentences(c.sentences), {c.minimum, c.maximum}, random, c.expected.size()),
                  joinLines(c.expected))
            << c.what;
    }
}

// Shuffled, a sentence of the text's tail that ends in "!" or "?" can come
// before one that ends in ".".
TEST(ComposeParagraphs, RegroupsSentencesAsIfCutAnew)
{
    const struct {
        const char *what;
        const char *text;
        std::vector<std::size_t> order;
        Lines expected;
    } cases[] = {
        {"a question runs on to the next full stop", "Fine. Go. Why?", {2, 0, 1}, {"Why?Fine.  Go.  "}},
        {"with no full stop left an exclamation ends it",
         "A. Yes! Hey? No?",
         {0, 2, 1, 3},
         {"A.  Hey?Yes!  No?  \r\n"}},
        {"questions run on to the last exclamation", "B! D! A? C? E?", {2, 0, 3, 1, 4}, {"A?B!  C?D!  E?  \r\n"}},
    };
    for (const auto &c : cases) {
        testing::ListedRandom random({3, 3, 3, 3});
        EXPECT_EQ(composed(reordered(c.text, c.order), {1, 4}, random, c.expected.size()), joinLines(c.expected))
            << c.what;
    }
}

TEST(ComposeParagraphs, DrawsATargetFirstAndAfterEveryCompleteParagraph)
{
    testing::ListedRandom random({2, 1, 3});
    EXPECT_EQ(composed(numberedSentences(4), {1, 5}, random, 3),
              joinLines({paragraphOf(1, 2) + "\r\n", paragraphOf(3, 3) + "\r\n", paragraphOf(4, 4)}));
    EXPECT_EQ(random.bounds, (std::vector<int>{5, 5, 5}));

    testing::ListedRandom none({});
    EXPECT_EQ(composed(reordered("S1.", {}), {3, 3}, none, 0), "");
    EXPECT_EQ(none.bounds, std::vector<int>{3});
}

// Sentences as the cut gives them, in their order or shuffled, against
// joining and cutting them anew the long way.
TEST(ComposeParagraphs, SameAsTheReferenceOnCutSentences)
{
    SeededRandom texts(31337);
    for (int round = 0; round < 3000; ++round) {
        std::string bytes;
        for (const auto &line : testing::randomGatheredLines(texts))
            bytes += line;
        Gatherer gatherer(EssayType::PlainText);
        gatherer.addFileBytes(bytes);
        const std::string text = gatherer.take().text;
        CutText cut = cutSentences(text);
        // Shuffled, the composer gets the sentences of most keys not yet
        // in order; the reference gets them all in order.
        CutText ordered = cutSentences(text);
        if (round % 2 != 0) {
            testing::CrowdedKeys shuffle(round), same(round);
            cut = shuffledSentences(std::move(cut.text), shuffle);
            ordered = shuffledSentences(std::move(ordered.text), same);
            sortGroups(ordered, 0, ordered.groups.size() - 1);
        }
        Lines sentences;
        for (std::size_t i = 0; i < ordered.size(); ++i)
            sentences.emplace_back(ordered.sentence(i));
        const ParagraphLimits limits{1 + texts.next(11), 1 + texts.next(11)};
        testing::RecordingRandom fastRandom(round), slowRandom(round);
        const EssayText essay = composeParagraphs(std::move(cut), limits, fastRandom);
        const Lines slow = slow::composeParagraphs(sentences, limits.minimum, limits.maximum, slowRandom);
        ASSERT_EQ(essay.bytes(), joinLines(slow)) << "round " << round;
        ASSERT_EQ(essay.lineCount(), slow.size()) << "round " << round;
        ASSERT_EQ(fastRandom.draws, slowRandom.draws) << "round " << round;
    }
}

} // namespace
} // namespace varnok
