#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "generator/gatherer.h"
#include "generator/sentences.h"
#include "slow_generator.h"
#include "test_randoms.h"

namespace varnok {
namespace {

Lines sentencesOf(std::string text)
{
    const CutText cut = cutSentences(std::move(text));
    Lines sentences;
    for (std::size_t i = 0; i < cut.size(); ++i)
        sentences.emplace_back(cut.sentence(i));
    return sentences;
}

TEST(SentenceCut, FullStopWinsThenExclamationThenQuestion)
{
    const struct {
        const char *text;
        Lines sentences;
    } cases[] = {
        {"One. Two", {"One."}},
        {"No terminator here", {"No terminator here."}},
        {"", {"."}},
        {"   ", {"."}},
        {"Wait... what.", {"Wait.", ".", ".", "what."}},
        {"  Hello.   World!", {"Hello.", "World!"}},
        {"It is 3.5 metres.", {"It is 3.", "5 metres."}},
        {"Why? Because. Yes!", {"Why? Because.", "Yes!"}},
        {"Why? Not! Now?", {"Why? Not!", "Now?"}},
        {"Huh? What?", {"Huh?", "What?"}},
        {"Wow! Fine. Ok!", {"Wow! Fine.", "Ok!"}},
        {"Tabs stay.\t Here.", {"Tabs stay.", "\t Here."}},
        {"Double  blanks  stay.  ", {"Double  blanks  stay."}},
        {"Line one.Line two!", {"Line one.", "Line two!"}},
        {"?", {"?"}},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(sentencesOf(c.text), c.sentences) << '"' << c.text << '"';
        EXPECT_EQ(slow::cutSentences({c.text}), c.sentences) << "the reference itself: " << c.text;
    }
}

TEST(SentenceCut, SameAsTheReferenceOnGatheredFiles)
{
    SeededRandom random(20261207);
    for (int round = 0; round < 3000; ++round) {
        const bool essayResponses = round % 2 == 0;
        Gatherer gatherer(essayResponses ? EssayType::EssayResponses : EssayType::PlainText);
        std::vector<Lines> files;
        std::string bytes = testing::randomFileBytes(random);
        for (const auto &line : testing::randomGatheredLines(random))
            bytes += line;
        gatherer.addFileBytes(bytes);
        files.push_back(splitLines(bytes));
        ASSERT_EQ(sentencesOf(gatherer.take().text), slow::cutSentences(slow::gather(files, essayResponses)))
            << "round " << round << ": " << ::testing::PrintToString(bytes);
    }
}

} // namespace
} // namespace varnok
