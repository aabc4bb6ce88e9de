#include <algorithm>
#include <gtest/gtest.h>

#include "support/fakeui.h"
#include "generator/gatherer.h"
#include "slow_generator.h"
#include "test_randoms.h"

namespace varnok {
namespace {

using namespace std::string_literals;

// Takes the gathered lines; with breaks, as the reference gathers them, each
// essay response with the CR LF that follows it in the essay.
Lines takeLines(Gatherer &gatherer, bool withBreaks = true)
{
    const bool breaks = withBreaks && gatherer.type() == EssayType::EssayResponses;
    const Gatherer::Taken taken = gatherer.take();
    Lines lines;
    std::size_t start = 0;
    for (const std::size_t end : taken.ends) {
        lines.push_back(taken.text.substr(start, end - start) + (breaks ? "\r\n" : ""));
        start = end;
    }
    EXPECT_EQ(start, taken.text.size()) << "the lines are the whole text";
    return lines;
}

// An essay as the review writes it: the Lie, then per test an empty line, the
// response line, an empty line, "EXPLAIN YOURSELF" and what the user wrote.
const char kTwoBlockEssay[] =
    "Money is evil.\r\n"
    "\r\n"
    "2026-12-07 0527pm  RESPONSE: 3\r\n"
    "\r\n"
    "EXPLAIN YOURSELF\r\n"
    "I never had any.\r\n"
    "\r\n"
    "It comes and goes.\r\n"
    "\r\n"
    "2026-12-08 0101am  RESPONSE: 22\r\n"
    "\r\n"
    "EXPLAIN YOURSELF\r\n"
    "Now I have some.\r\n";

TEST(Gatherer, EssayResponsesAreTheUsersLinesOnly)
{
    const struct {
        const char *what;
        std::string file;
        Lines gathered;
    } cases[] = {
        {"two blocks, user lines of both",
         kTwoBlockEssay,
         {"I never had any.", "It comes and goes.", "Now I have some."}},
        {"no keyword line", "Money is evil.\r\nSome text.\r\nRESPONSE\r\n", {}},
        {"an empty file", "", {}},
        {"keyword inside a longer line starts collecting but is not taken",
         "before\r\n-- EXPLAIN YOURSELF --\r\nafter",
         {"after"}},
        {"the word in capitals anywhere excludes, lower case does not",
         "EXPLAIN YOURSELF\r\nMY RESPONSE IS\r\nmyRESPONSEs\r\nmy response is\r\nResponse\r\n",
         {"my response is", "Response"}},
        {"the keyword in lower case does not start collecting", "explain yourself\r\nnot taken\r\n", {}},
        {"the keyword cut by a line break does not start collecting", "EXPLAIN YOUR\r\nSELF\r\nnot taken", {}},
        {"a line of blanks is not empty", "EXPLAIN YOURSELF\r\n   \r\n\r\n", {"   "}},
        {"a later keyword line is left out, collecting goes on",
         "EXPLAIN YOURSELF\r\none\r\nEXPLAIN YOURSELF again\r\ntwo",
         {"one", "two"}},
        {"lines keep their bytes", "EXPLAIN YOURSELF\r\n\ttab\x01\xff end  \r\n", {"\ttab\x01\xff end  "}},
        {"lone CR and LF end lines too", "EXPLAIN YOURSELF\rCR\rline\n\nLF\n\r", {"CR", "line", "LF"}},
        {"a NUL ends the text", "EXPLAIN YOURSELF\r\nkept\r\nNUL ends \0the text\r\nlost"s, {"kept", "NUL ends "}},
    };
    for (const auto &c : cases) {
        Gatherer gatherer(EssayType::EssayResponses);
        gatherer.addFileBytes(c.file);
        EXPECT_EQ(gatherer.lineCount(), c.gathered.size()) << c.what;
        EXPECT_EQ(takeLines(gatherer, false), c.gathered) << c.what;
    }
}

TEST(Gatherer, CollectingStartsAfreshForEveryFile)
{
    Gatherer gatherer(EssayType::EssayResponses);
    gatherer.addFileBytes("EXPLAIN YOURSELF\r\nfirst file");
    // Without its own keyword line the second file gives nothing, although
    // the first one ended while collecting.
    gatherer.addFileBytes("second file\r\n");
    gatherer.addFileBytes("x\r\nEXPLAIN YOURSELF\r\n  third file\r\n");
    EXPECT_EQ(takeLines(gatherer), (Lines{"first file\r\n", "  third file\r\n"}));
    EXPECT_TRUE(gatherer.empty());
}

TEST(Gatherer, PlainTextIsEveryLineUnchangedInFileOrder)
{
    Gatherer gatherer(EssayType::PlainText);
    gatherer.addFileBytes("a\r\n\r\nRESPONSE\r\nEXPLAIN YOURSELF\r\n");
    gatherer.addFileBytes("");
    gatherer.addFileBytes("  b  \n\n");
    EXPECT_EQ(takeLines(gatherer), (Lines{"a", "", "RESPONSE", "EXPLAIN YOURSELF", "  b  ", ""}));

    Gatherer onlyEmpty(EssayType::PlainText);
    onlyEmpty.addFileBytes("\r\n");
    EXPECT_FALSE(onlyEmpty.empty()) << "an empty line is a gathered line";
}

// Thousands of random files, several to one gatherer, so that collecting has
// to start afresh with each, against the reference reading them as lines.
TEST(Gatherer, SameAsTheReferenceOnRandomFiles)
{
    SeededRandom random(2024);
    for (int round = 0; round < 3000; ++round) {
        const bool essayResponses = round % 2 == 0;
        Gatherer gatherer(essayResponses ? EssayType::EssayResponses : EssayType::PlainText);
        std::vector<Lines> files;
        std::string described;
        const int count = 1 + random.next(3);
        for (int f = 0; f < count; ++f) {
            const std::string bytes = varnok::testing::randomFileBytes(random);
            gatherer.addFileBytes(bytes);
            files.push_back(splitLines(bytes));
            described += ::testing::PrintToString(bytes) + " ";
        }
        ASSERT_EQ(takeLines(gatherer), slow::gather(files, essayResponses)) << "round " << round << ": " << described;
        ASSERT_TRUE(gatherer.empty());
    }
}

// The files are read ahead in batches of about a megabyte, at most a few
// megabytes ahead: whatever the sizes and wherever a file cannot be read,
// every file before it is gathered once, in order, and that file is named.
TEST(Gatherer, FilesReadAheadInBatchesArriveInOrderUpToOneThatCannotBeRead)
{
    constexpr std::size_t kMB = std::size_t{1} << 20;
    const struct {
        const char *what;
        std::vector<std::size_t> sizes;
        std::size_t missing; // index of a file that is not there, or past the end
    } cases[] = {
        {"small files, all there", {10, 20, 30}, 3},
        {"the first missing", {10, 20}, 0},
        {"one missing after a batch of exactly a megabyte", {kMB / 2, kMB / 2, 10, 10}, 2},
        {"one missing in the middle of a batch", {100, kMB - 200, 50, 10}, 2},
        {"more than the reading may run ahead, the last missing", {3 * kMB, 3 * kMB, kMB / 4, 7, 7}, 4},
        {"files larger than a batch, all there", {2 * kMB + 1, 5, 2 * kMB}, 3},
    };
    for (const auto &c : cases) {
        testing::TempFolder folder;
        std::vector<std::string> paths;
        Lines expected;
        for (std::size_t i = 0; i < c.sizes.size(); ++i) {
            const std::string name = std::to_string(i) + ".ess";
            paths.push_back(folder.file(name));
            if (i == c.missing)
                continue;
            // One user line per file, named by the file, made as long as asked.
            std::string line = "file " + std::to_string(i) + " ";
            line.resize(std::max(line.size(), c.sizes[i]), 'x');
            folder.write(name, "EXPLAIN YOURSELF\r\n" + line);
            if (i < c.missing)
                expected.push_back(line + "\r\n");
        }
        Gatherer gatherer(EssayType::EssayResponses);
        std::vector<std::size_t> progress;
        const auto unread = gatherFiles(gatherer, paths, [&](std::size_t read) { progress.push_back(read); });
        EXPECT_EQ(unread ? unread->index : c.sizes.size(), std::min(c.missing, c.sizes.size())) << c.what;
        EXPECT_EQ(takeLines(gatherer), expected) << c.what;
        EXPECT_EQ(progress.size(), std::min(c.missing + 1, c.sizes.size())) << c.what;
        EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end())) << c.what;
    }
}

} // namespace
} // namespace varnok
