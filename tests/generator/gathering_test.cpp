#include <gtest/gtest.h>

#include "generator/gathering.h"

namespace varnok {
namespace {

// An essay as the review writes it: the Lie, then per test an empty line, the
// response line, an empty line, "EXPLAIN YOURSELF" and what the user wrote.
const Lines kTwoBlockEssay = {
    "Money is evil.",
    "",
    "2026-12-07 0527pm  RESPONSE: 3",
    "",
    "EXPLAIN YOURSELF",
    "I never had any.",
    "",
    "It comes and goes.",
    "",
    "2026-12-08 0101am  RESPONSE: 22",
    "",
    "EXPLAIN YOURSELF",
    "Now I have some.",
};

TEST(Gatherer, EssayResponsesAreTheUsersLinesOnly)
{
    const struct {
        const char *what;
        Lines file;
        Lines gathered;
    } cases[] = {
        {"two blocks, user lines of both",
         kTwoBlockEssay,
         {"I never had any.\r\n", "It comes and goes.\r\n", "Now I have some.\r\n"}},
        {"no keyword line", {"Money is evil.", "Some text.", "RESPONSE"}, {}},
        {"an empty file", {}, {}},
        {"keyword inside a longer line starts collecting but is not taken",
         {"before", "-- EXPLAIN YOURSELF --", "after"},
         {"after\r\n"}},
        {"the word in capitals anywhere excludes, lower case does not",
         {"EXPLAIN YOURSELF", "MY RESPONSE IS", "myRESPONSEs", "my response is", "Response"},
         {"my response is\r\n", "Response\r\n"}},
        {"the keyword in lower case does not start collecting",
         {"explain yourself", "not taken"},
         {}},
        {"a line of blanks is not empty",
         {"EXPLAIN YOURSELF", "   ", ""},
         {"   \r\n"}},
        {"a later keyword line is left out, collecting goes on",
         {"EXPLAIN YOURSELF", "one", "EXPLAIN YOURSELF again", "two"},
         {"one\r\n", "two\r\n"}},
        {"lines keep their bytes",
         {"EXPLAIN YOURSELF", "\ttab\x01\xff end  "},
         {"\ttab\x01\xff end  \r\n"}},
    };
    for (const auto &c : cases) {
        Gatherer gatherer(EssayType::EssayResponses);
        gatherer.addFile(c.file);
        EXPECT_EQ(gatherer.lines(), c.gathered) << c.what;
        EXPECT_EQ(gatherer.lineCount(), c.gathered.size()) << c.what;
    }
}

TEST(Gatherer, CollectingStartsAfreshForEveryFile)
{
    Gatherer gatherer(EssayType::EssayResponses);
    gatherer.addFile({"EXPLAIN YOURSELF", "first file"});
    // Without its own keyword line the second file gives nothing, although
    // the first one ended while collecting.
    gatherer.addFile({"second file"});
    gatherer.addFile({"x", "EXPLAIN YOURSELF", "third file"});
    EXPECT_EQ(gatherer.lines(), (Lines{"first file\r\n", "third file\r\n"}));
    EXPECT_EQ(gatherer.takeJoined(), "first file\r\nthird file\r\n");
    EXPECT_TRUE(gatherer.empty());
    EXPECT_EQ(gatherer.lines(), Lines{});
}

TEST(Gatherer, PlainTextIsEveryLineUnchangedInFileOrder)
{
    Gatherer gatherer(EssayType::PlainText);
    gatherer.addFile({"a", "", "RESPONSE", "EXPLAIN YOURSELF"});
    gatherer.addFile({});
    gatherer.addFile({"  b  ", ""});
    EXPECT_EQ(gatherer.lines(), (Lines{"a", "", "RESPONSE", "EXPLAIN YOURSELF", "  b  ", ""}));
    EXPECT_EQ(gatherer.takeJoined(), "aRESPONSEEXPLAIN YOURSELF  b  ");

    Gatherer onlyEmpty(EssayType::PlainText);
    onlyEmpty.addFile({""});
    EXPECT_FALSE(onlyEmpty.empty()) << "an empty line is a gathered line";
}

} // namespace
} // namespace varnok
