#include <gtest/gtest.h>

#include <cctype>

#include "core/text.h"

namespace varnok {
namespace {

TEST(DateStamp, TwelveHourClockWithoutSeparatorAndATrailingBlank)
{
    struct Case {
        DateTime t;
        const char *stamp;
    };
    const Case cases[] = {
        {{2026, 12, 7, 17, 27, 0, 0}, "2026-12-07 0527pm "}, {{2026, 1, 2, 0, 5, 0, 0}, "2026-01-02 1205am "},
        {{2026, 1, 2, 12, 0, 0, 0}, "2026-01-02 1200pm "},   {{2026, 1, 2, 11, 59, 59, 999}, "2026-01-02 1159am "},
        {{2026, 1, 2, 23, 1, 0, 0}, "2026-01-02 1101pm "},
    };
    for (const auto &c : cases)
        EXPECT_EQ(dateStamp(c.t), c.stamp);
}

TEST(WholeNumber, BlanksSignAndDollarHex)
{
    struct Case {
        const char *text;
        std::optional<int> value;
    };
    const Case cases[] = {
        {"13", 13},
        {"  13", 13},
        {"-4", -4},
        {"+4", 4},
        {"$1F", 31},
        {"  $a", 10},
        {"-$10", std::nullopt},
        {"+$A", std::nullopt},
        {"-$5", std::nullopt},
        {"$-5", std::nullopt},
        {"$", std::nullopt},
        {"13 ", std::nullopt},
        {"1 3", std::nullopt},
        {"", std::nullopt},
        {"  ", std::nullopt},
        {"-", std::nullopt},
        {"0x10", std::nullopt},
        {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {"2147483648", std::nullopt},
        {"99999999999999999999", std::nullopt},
        {"$FFFFFFFF", -1},
        {"\t5", std::nullopt},
    };
    for (const auto &c : cases)
        EXPECT_EQ(parseWholeNumber(c.text), c.value) << '"' << c.text << '"';
}

// Every hexadecimal digit in either case, one at a time, so that a reader
// refusing any single one shows.
TEST(WholeNumber, EveryHexDigitInEitherCase)
{
    const std::string digits = "0123456789abcdef";
    for (int value = 0; value < 16; ++value) {
        const char lower = digits[static_cast<std::size_t>(value)];
        for (const char digit : {lower, static_cast<char>(std::toupper(lower))}) {
            SCOPED_TRACE(digit);
            EXPECT_EQ(parseWholeNumber(std::string("$") + digit), value);
            EXPECT_EQ(parseWholeNumber(std::string("$1") + digit + "0"), 256 + value * 16);
        }
    }
    EXPECT_EQ(parseWholeNumber("$ff"), 255);
    EXPECT_EQ(parseWholeNumber("$fg"), std::nullopt);
    EXPECT_EQ(parseWholeNumber("f"), std::nullopt);
}

TEST(ErrorReport, FullStopAfterLettersAndDigitsOnly)
{
    EXPECT_EQ(errorReportText("Cannot open file x.lie"), "Cannot open file x.lie.");
    EXPECT_EQ(errorReportText("Cannot open file 7"), "Cannot open file 7.");
    EXPECT_EQ(errorReportText("Done."), "Done.");
    EXPECT_EQ(errorReportText("Why?"), "Why?.");
    EXPECT_EQ(errorReportText("a-"), "a-");
}

TEST(FirstChars, CountsCharactersOfUtf8AndBytesOfAnythingElse)
{
    EXPECT_EQ(firstChars("abcdef", 3), "abc");
    EXPECT_EQ(firstChars("ab", 3), "ab");
    EXPECT_EQ(firstChars("\xc3\xa9\xc3\xa9\xc3\xa9", 2), "\xc3\xa9\xc3\xa9");
    EXPECT_EQ(firstChars("\xe9\xe9\xe9", 2), "\xe9\xe9");
}

} // namespace
} // namespace varnok

namespace varnok {

TEST(ValidUtf8, AnyFaultIsFoundWhereverItStandsInTheText)
{
    struct Case {
        const char *what;
        std::string piece;
        bool valid;
    };
    const Case cases[] = {
        {"two bytes", "\xc3\xa9", true},
        {"three bytes", "\xe2\x82\xac", true},
        {"four bytes", "\xf0\x9f\x98\x80", true},
        {"a lone continuation byte", "\x80", false},
        {"a Latin-1 letter", "\xe9", false},
        {"a sequence cut short", "\xe2\x82", false},
        {"an overlong form", "\xc0\xaf", false},
        {"a surrogate", "\xed\xa0\x80", false},
        {"past the last character", "\xf4\x90\x80\x80", false},
    };
    for (const auto &c : cases) {
        // Before, across and after the eight-byte words of plain text the
        // check skips, and at the very end.
        for (std::size_t before = 0; before < 20; ++before) {
            SCOPED_TRACE(std::string(c.what) + " after " + std::to_string(before));
            const std::string ascii(before, 'a');
            EXPECT_EQ(isValidUtf8(ascii + c.piece + "tail of plain text"), c.valid);
            EXPECT_EQ(isValidUtf8(ascii + c.piece), c.valid);
        }
    }
    EXPECT_TRUE(isValidUtf8(""));
    EXPECT_TRUE(isValidUtf8(std::string(1000, 'x')));
}

} // namespace varnok
