#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "generator/composer.h"
#include "generator/essaytext.h"
#include "generator/shuffle.h"

namespace varnok {
namespace {

// An essay of one line per piece, each piece followed by a gap.
EssayText essayOf(const std::vector<std::string> &pieces, std::string &expected)
{
    std::string text;
    std::vector<std::size_t> ends;
    for (const auto &piece : pieces) {
        text += piece;
        ends.push_back(text.size());
        expected += piece + "  \r\n";
    }
    return EssayText(std::move(text), std::move(ends), EssayText::Tail::Gap);
}

// However large its pieces, the essay arrives whole and in order, and in
// few handovers rather than one per piece.
TEST(EssayText, ProducesItsBytesInFewLargeHandovers)
{
    const std::string big((1 << 20) + 5, 'b');
    const struct {
        const char *what;
        std::vector<std::string> pieces;
        int atMostHandovers;
    } cases[] = {
        {"nothing", {}, 0},
        {"a few small pieces", {"One.", "Two!", "Three?"}, 1},
        {"small pieces past two megabytes", std::vector<std::string>(200000, "Sentence."), 3},
        {"a piece larger than a megabyte between small ones", {"a.", big, "c."}, 3},
    };
    for (const auto &c : cases) {
        std::string expected;
        const EssayText essay = essayOf(c.pieces, expected);
        std::string produced;
        int handovers = 0;
        essay.produce([&](std::string_view bytes) {
            produced += bytes;
            ++handovers;
            return true;
        });
        EXPECT_TRUE(produced == expected) << c.what;
        EXPECT_LE(handovers, c.atMostHandovers) << c.what;
        EXPECT_TRUE(essay.bytes() == expected) << c.what;
    }
}

TEST(EssayText, StopsOnceTheWriterFails)
{
    std::string expected;
    const EssayText essay = essayOf(std::vector<std::string>(200000, "Sentence."), expected);
    int handovers = 0;
    essay.produce([&](std::string_view) { return ++handovers < 2; });
    EXPECT_EQ(handovers, 2);
}

} // namespace
} // namespace varnok

namespace varnok {
namespace {

// Sentences are found and copied in blocks of 64 bytes where the text
// reaches that far: a sentence of about that length, last in the text or
// followed by fewer than 64 bytes, comes out whole in either order.
TEST(EssayText, SentencesAroundTheCopyBlockComeOutWhole)
{
    for (const std::size_t length : {1, 62, 63, 64, 65, 66, 127, 129}) {
        for (const std::size_t after : {0, 1, 63, 64, 200}) {
            for (const bool randomize : {false, true}) {
                // Shuffled, a "!" sentence would join those after it.
                std::string text;
                for (int i = 0; text.size() < 300; ++i)
                    text += std::string(length - 1, static_cast<char>('a' + i % 26)) + ". ";
                text += std::string(after, 'z') + (after == 0 ? "" : randomize ? "." : "!");
                SCOPED_TRACE(::testing::Message() << length << " then " << after << (randomize ? " shuffled" : ""));
                SeededRandom random(3);
                CutText cut;
                if (randomize) {
                    cut = shuffledSentences(SentenceText(text), random);
                    sortGroups(cut, 0, cut.groups.size() - 1);
                } else {
                    cut.text = SentenceText(text);
                    cut.sentences = inTextOrder(cut.text);
                }
                // A paragraph of one sentence each: a line, and an empty one.
                std::string expected;
                for (std::size_t k = 0; k < cut.size(); ++k)
                    expected += std::string(cut.sentence(k)) + "  \r\n\r\n";
                EXPECT_EQ(composeParagraphs(std::move(cut), {1, 1}, random).bytes(), expected);
            }
        }
    }
}

// An essay of more sentences than one thread writes alone: written in chunks
// by two threads, with paragraph sizes drawn many at once, it is still every
// sentence in the shuffled order, grouped as the targets drawn one at a time
// say, also when only some lines are kept.
TEST(EssayText, LargeShuffledEssaysArriveWholeInOrder)
{
    SeededRandom words(5);
    std::string text;
    for (int i = 0; i < 140000; ++i)
        text += "w" + std::to_string(words.next(50000)) + (i % 3 ? ". " : " and more.");
    const struct {
        ParagraphLimits limits;
        std::vector<int> kept;
    } cases[] = {
        {{3, 3}, {-1, 0, 1, 20000, 46000, 46666, 46667}},
        {{1, 11}, {-1, 12345}},
        {{2, 7}, {-1}},
    };
    for (const auto &c : cases) {
        // Every sentence ends in ".", so each ends a composed sentence.
        SeededRandom keys(9);
        CutText ordered = shuffledSentences(SentenceText(text), keys);
        sortGroups(ordered, 0, ordered.groups.size() - 1);
        Lines lines;
        std::string line;
        int placed = 0;
        int target = std::max(drawParagraphTarget(c.limits, keys), 1);
        for (std::size_t i = 0; i < ordered.size(); ++i) {
            line += std::string(ordered.sentence(i)) + "  ";
            if (++placed == target) {
                lines.push_back(line + "\r\n");
                line.clear();
                placed = 0;
                target = std::max(drawParagraphTarget(c.limits, keys), 1);
            }
        }
        if (!line.empty())
            lines.push_back(line);
        for (const int kept : c.kept) {
            SeededRandom random(9);
            EssayText essay = composeParagraphs(shuffledSentences(SentenceText(text), random), c.limits, random);
            ASSERT_EQ(essay.lineCount(), lines.size()) << c.limits.maximum;
            essay.keepFirstLines(kept);
            const std::size_t expected = kept < 0 ? lines.size() : std::min<std::size_t>(kept, lines.size());
            EXPECT_TRUE(essay.bytes() == joinLines(Lines(lines.begin(), lines.begin() + expected)))
                << c.limits.maximum << " " << kept;
            // The share of lines written, told after each block, only grows.
            std::vector<double> shares;
            essay.produceBlocks([](std::string &) { return true; }, [&](double share) { shares.push_back(share); });
            EXPECT_TRUE(std::is_sorted(shares.begin(), shares.end())) << kept;
            EXPECT_TRUE(shares.empty() || (shares.front() > 0 && shares.back() <= 1)) << kept;
            if (c.limits.maximum == 3) {
                EXPECT_EQ(shares.size() > 10, expected > 40000) << kept;
            }
        }
    }
}

} // namespace
} // namespace varnok
