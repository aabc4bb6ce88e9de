#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "generator/gatherer.h"
#include "generator/sentences.h"
#include "generator/shuffle.h"
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

// Where sentences start is found 64 bytes at a time: ends and runs of blanks
// at and across the edges of those blocks, in each of the three kinds of
// sentence, and walks begun at every sentence, agree with the reference.
TEST(SentenceCut, StartsFoundAcrossTheEdgesOfBlocks)
{
    for (const std::size_t lead : {0, 1, 30, 61, 62, 63, 64, 65, 126, 127, 128, 129})
        for (const std::size_t blanks : {0, 1, 2, 62, 63, 64, 65, 129}) {
            const std::string gap(blanks, ' ');
            std::string text = gap + std::string(lead, 'a') + "." + gap + ". x!" + gap + "y." + gap + "z!" + gap +
                               "w?" + std::string(lead, 'q') + "?" + gap + "tail";
            const CutText cut = cutSentences(text);
            Lines sentences;
            for (std::size_t i = 0; i < cut.size(); ++i)
                sentences.emplace_back(cut.sentence(i));
            ASSERT_EQ(sentences, slow::cutSentences({text})) << lead << " " << blanks;
            std::vector<std::size_t> all;
            cut.text.forEach(0, cut.size(), [&](std::size_t start) { all.push_back(start); });
            for (std::size_t first = 0; first < all.size(); ++first)
                for (std::size_t last = first + 1; last <= all.size(); ++last) {
                    std::vector<std::size_t> some;
                    cut.text.forEach(first, last, [&](std::size_t start) { some.push_back(start); });
                    ASSERT_EQ(some, std::vector<std::size_t>(all.begin() + static_cast<std::ptrdiff_t>(first),
                                                             all.begin() + static_cast<std::ptrdiff_t>(last)))
                        << lead << " " << blanks << " from " << first;
                }
        }
}

// A text of megabytes is counted and walked in parts on two threads: every
// sentence comes out once, also those that straddle where the parts meet,
// with the "!" and "?" inside sentences before the last "." left alone.
TEST(SentenceCut, ATextOfMegabytesCutInPartsAsAWhole)
{
    SeededRandom random(7);
    std::string text;
    Lines expected;
    const char *const words[] = {"a", "word", "longer words", "x?y", "no!", "and so on"};
    const auto sentence = [&](char end) {
        std::string s;
        for (int n = 1 + random.next(12); n > 0; --n)
            s += std::string(words[random.next(6)]).substr(0, end == '.' ? std::string::npos : 1) + " ";
        s.back() = end;
        text += std::string(static_cast<std::size_t>(random.next(3)), ' ') + s;
        expected.push_back(s);
    };
    while (text.size() < (std::size_t{9} << 19))
        sentence('.');
    for (const char end : {'!', '?'})
        for (int i = 0; i < 50; ++i)
            sentence(end);
    ASSERT_EQ(sentencesOf(text), expected);
    CutText shuffled = shuffledSentences(SentenceText(text), random);
    sortGroups(shuffled, 0, shuffled.groups.size() - 1);
    Lines out;
    for (std::size_t i = 0; i < shuffled.size(); ++i)
        out.emplace_back(shuffled.sentence(i));
    std::sort(out.begin(), out.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(out, expected);
}

} // namespace
} // namespace varnok
