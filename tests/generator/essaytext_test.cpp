#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "generator/essaytext.h"

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
