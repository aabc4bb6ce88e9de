#include <gtest/gtest.h>

#include <string>

#include "generator/sentences.h"
#include "slow_generator.h"
#include "test_randoms.h"

namespace varnok {
namespace {

TEST(SentenceSplitPoint, FullStopWinsThenExclamationThenQuestion)
{
    const struct {
        const char *text;
        std::size_t point;
    } cases[] = {
        {"", 0},
        {"no terminator", 0},
        {"One. Two", 4},
        {"Why? Because. Yes!", 13},
        {"Wow! Fine?", 4},
        {"Huh? What?", 4},
        {"Hey? Yes! No", 9},
        {".", 1},
        {"?", 1},
    };
    for (const auto &c : cases)
        EXPECT_EQ(splitPoint(c.text), c.point) << c.text;
}

TEST(SentenceLineBreakPairs, RemovedLikeRepeatedlyDeletingTheFirstPair)
{
    const struct {
        std::string text;
        std::string expected;
    } cases[] = {
        {"", ""},
        {"I was angry\r\nabout it.\r\n", "I was angryabout it."},
        {"\r\r\n\n", ""},
        {"a\r\r\r\n\n\nb", "ab"},
        {"\r\r\n", "\r"},
        {"\r\n\n", "\n"},
        {"\n\r", "\n\r"},
        {"x\ry\nz", "x\ry\nz"},
        {"\r\r\n\r\n\n", ""},
        {"\r\r\nx\n", "\rx\n"},
    };
    for (const auto &c : cases) {
        std::string text = c.text;
        removeLineBreakPairs(text);
        EXPECT_EQ(text, c.expected);
        EXPECT_EQ(slow::joinAndClean({c.text}), c.expected) << "the yardstick itself";
    }
}

TEST(SentenceCut, DescribedCases)
{
    const struct {
        Lines gathered;
        Lines sentences;
    } cases[] = {
        {{"One. Two"}, {"One."}},
        {{"No terminator here"}, {"No terminator here."}},
        {{}, {"."}},
        {{"", "\r\n", "   "}, {"."}},
        {{"Wait... what."}, {"Wait.", ".", ".", "what."}},
        {{"  Hello.   World!"}, {"Hello.", "World!"}},
        {{"It is 3.5 metres."}, {"It is 3.", "5 metres."}},
        {{"Why? Because. Yes!"}, {"Why? Because.", "Yes!"}},
        {{"Why? Not! Now?"}, {"Why? Not!", "Now?"}},
        {{"Wow! Fine. Ok!"}, {"Wow! Fine.", "Ok!"}},
        {{"I was angry\r\n", "about it.\r\n"}, {"I was angryabout it."}},
        {{"Tabs stay.\t Here."}, {"Tabs stay.", "\t Here."}},
        {{"Double  blanks  stay.  "}, {"Double  blanks  stay."}},
        {{"Line one.\r\n", "\r\n", "Line two!\r\n"}, {"Line one.", "Line two!"}},
        {{"lone\rcr and\nlf."}, {"lone\rcr and\nlf."}},
        {{"\r", "\n", "End."}, {"End."}},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(cutSentences(c.gathered), c.sentences);
        EXPECT_EQ(slow::cutSentences(c.gathered), c.sentences) << "the yardstick itself";
    }
}

TEST(SentenceCut, SameAsCuttingFromTheFrontOnRandomTexts)
{
    SeededRandom random(20261207);
    for (int round = 0; round < 3000; ++round) {
        const Lines gathered = testing::randomGatheredLines(random);
        const Lines expected = slow::cutSentences(gathered);
        ASSERT_EQ(cutSentences(gathered), expected) << "round " << round;
    }
}

TEST(SentenceScanner, RestIsWhatFollowsTheLastSentence)
{
    const std::string text = "One.  Two!  tail";
    SentenceScanner scanner(text);
    EXPECT_EQ(scanner.next(), "One.");
    EXPECT_EQ(scanner.rest(), "Two!  tail");
    EXPECT_EQ(scanner.next(), "Two!");
    EXPECT_EQ(scanner.next(), "");
    EXPECT_EQ(scanner.rest(), "tail");
}

} // namespace
} // namespace varnok
