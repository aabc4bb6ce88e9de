#include <gtest/gtest.h>

#include "generator/gathering.h"
#include "generator/sentences.h"
#include "test_randoms.h"

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

TEST(Gatherer, FileBytesGiveWhatTheirLinesGive)
{
    // Hand-picked texts first: every rule of splitting and of taking lines.
    const std::vector<std::string> picked = {
        "",
        "EXPLAIN YOURSELF",
        "EXPLAIN YOURSELF\r\n",
        "x\r\nEXPLAIN YOURSELF\r\none\r\n\r\ntwo",
        "EXPLAIN YOURSELF\rCR\rline\r\r",
        "EXPLAIN YOURSELF\nLF\n\nline\n",
        "EXPLAIN YOURSELF\n\rLF CR\n\r",
        "EXPLAIN YOURSELF\r\nkept\r\nNUL ends \0the text\r\nlost",
        "\0EXPLAIN YOURSELF\r\nafter a NUL",
        "EXPLAIN YOURSELF\r\nRESPONSE\r\nmy RESPONSE\r\nresponse\r\nRESPONSEEXPLAIN YOURSELF\r\nlast",
        "EXPLAIN YOUR\r\nSELF\r\nnot collecting",
        "  EXPLAIN YOURSELF  \r\n   \r\n\tx",
        "EXPLAIN YOURSELF\r\nRESP\r\nONSE",
        "\r\n\r\n\r\n",
    };
    for (const EssayType type : {EssayType::EssayResponses, EssayType::PlainText}) {
        for (const auto &bytes : picked) {
            Gatherer fromLines(type), fromBytes(type);
            fromLines.addFile(splitLines(bytes));
            fromBytes.addFileBytes(bytes);
            EXPECT_EQ(fromBytes.lines(), fromLines.lines()) << ::testing::PrintToString(bytes);
        }
    }

    // Then thousands of random files, several to one gatherer, so that
    // collecting has to start afresh with each.
    SeededRandom random(2024);
    for (int round = 0; round < 3000; ++round) {
        const EssayType type = round % 2 == 0 ? EssayType::EssayResponses : EssayType::PlainText;
        Gatherer fromLines(type), fromBytes(type);
        std::string described;
        const int files = 1 + random.next(3);
        for (int f = 0; f < files; ++f) {
            const std::string bytes = varnok::testing::randomFileBytes(random);
            fromLines.addFile(splitLines(bytes));
            fromBytes.addFileBytes(bytes);
            described += ::testing::PrintToString(bytes) + " ";
        }
        ASSERT_EQ(fromBytes.lines(), fromLines.lines()) << "round " << round << ": " << described;
        ASSERT_EQ(fromBytes.lineCount(), fromLines.lineCount());
        for (std::size_t i = 0; i < fromBytes.lineCount(); ++i)
            ASSERT_EQ(fromBytes.lineText(i), fromLines.lineText(i));
        if (round % 4 < 2) {
            ASSERT_EQ(fromBytes.takeJoined(), fromLines.takeJoined()) << "round " << round;
        } else {
            std::string prepared = fromLines.takeJoined();
            prepareForCutting(prepared);
            ASSERT_EQ(fromBytes.takePrepared(), prepared) << "round " << round << ": " << described;
        }
        ASSERT_TRUE(fromBytes.empty());
    }
}

TEST(Gatherer, PreparedTextIsTheJoinedLinesPreparedForCutting)
{
    // Lines handed over as strings may hold CR and LF of their own, which
    // can pair up with the CR LF essay responses add.
    SeededRandom random(31);
    for (int round = 0; round < 1000; ++round) {
        const EssayType type = round % 2 == 0 ? EssayType::EssayResponses : EssayType::PlainText;
        Lines file = varnok::testing::randomGatheredLines(random);
        if (type == EssayType::EssayResponses)
            file.insert(file.begin(), "EXPLAIN YOURSELF");
        Gatherer joined(type), prepared(type);
        joined.addFile(file);
        prepared.addFile(file);
        std::string expected = joined.takeJoined();
        prepareForCutting(expected);
        ASSERT_EQ(prepared.takePrepared(), expected) << "round " << round;
        ASSERT_TRUE(prepared.empty());
    }
}

} // namespace
} // namespace varnok
