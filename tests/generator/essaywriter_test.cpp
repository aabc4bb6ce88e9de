#include <gtest/gtest.h>

#include "generator/essaywriter.h"

namespace varnok {
namespace {

TEST(EssayLineCount, AnswerReadAsWholeNumber)
{
    const struct {
        const char *answer;
        int lineCount;
        std::optional<int> expected;
    } cases[] = {
        {"25", 40, 25},
        {"0", 40, 0},
        {"  7", 40, 7},
        {"+7", 40, 7},
        {"100", 40, 100},
        {"", 40, 40},
        {"lots", 40, 40},
        {"7 ", 40, 40},
        {"3.5", 40, 40},
        {"99999999999", 40, 40},
        {"-1", 40, std::nullopt},
        {" -30", 40, std::nullopt},
        {"-0", 40, 0},
    };
    for (const auto &c : cases)
        EXPECT_EQ(parseLineCount(c.answer, c.lineCount), c.expected) << '"' << c.answer << '"';
}

TEST(EssayLineCount, KeepsAtMostTheNumberAskedFor)
{
    const struct {
        int n;
        Lines expected;
    } cases[] = {
        {0, {}},
        {2, {"a", "b"}},
        {3, {"a", "b", "c"}},
        {10, {"a", "b", "c"}},
    };
    for (const auto &c : cases) {
        Lines lines = {"a", "b", "c"};
        keepFirstLines(lines, c.n);
        EXPECT_EQ(lines, c.expected) << c.n;
    }
}

TEST(EssayText, KeepsAtMostTheNumberAskedForAsLinesDo)
{
    for (const int n : {-1, 0, 1, 2, 3, 10}) {
        EssayText essay;
        for (const std::string_view line : {"a.  \r\n", "", "c"}) {
            essay.append(line);
            essay.endLine();
        }
        Lines lines = {"a.  \r\n", "", "c"};
        essay.keepFirstLines(n);
        keepFirstLines(lines, n);
        EXPECT_EQ(essay.lines(), lines) << n;
        EXPECT_EQ(essay.lineCount(), lines.size()) << n;
        EXPECT_EQ(essay.bytes(), joinLines(lines)) << n;
    }
}

TEST(GeneratedEssayName, DateStampCountAndSuffix)
{
    EXPECT_EQ(generatedEssayName(DateTime{2026, 12, 7, 17, 30, 5, 120}, 25), "2026-12-07 0530pm 25Essay.gen");
    EXPECT_EQ(generatedEssayName(DateTime{2027, 1, 2, 0, 5, 0, 0}, 0), "2027-01-02 1205am 0Essay.gen");
    EXPECT_EQ(generatedEssayName(DateTime{2027, 1, 2, 12, 0, 0, 0}, 1000), "2027-01-02 1200pm 1000Essay.gen");
}

} // namespace
} // namespace varnok
