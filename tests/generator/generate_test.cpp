#include <algorithm>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <utility>

#include "documents/documents.h"
#include "generator/generate.h"
#include "platform/files.h"
#include "slow_generator.h"
#include "support/fakeui.h"
#include "test_randoms.h"

namespace varnok {
namespace {

using testing::Harness;

// Two essays as the review leaves them, with one line of explanation each.
void writeEssays(Harness &h)
{
    h.folder.write("A.ess",
                   "Alpha\r\n\r\n2026-12-01 0900am  RESPONSE: 3\r\n\r\nEXPLAIN YOURSELF\r\nFirst. Second.\r\n");
    h.folder.write("B.ess", "Beta\r\n\r\nEXPLAIN YOURSELF\r\nThird. Fourth. Fifth.\r\n");
    rereadLists(h.ctx);
    h.state.essays.selectAll();
}

TEST(Generate, NothingHappensWithoutFilesOrWithoutASelection)
{
    Harness h;
    bFunEssayClick(h.ctx);
    EXPECT_TRUE(h.ui.log.empty());

    writeEssays(h);
    h.state.essays.clearSelection();
    h.ui.log.clear();
    h.ui.answerEssayType(EssayType::EssayResponses);
    bFunEssayClick(h.ctx);
    EXPECT_EQ(h.ui.log, std::vector<std::string>{"essay type"});

    h.state.essays.selectAll();
    h.ui.log.clear();
    h.ui.answerEssayType(std::nullopt);
    bFunEssayClick(h.ctx);
    EXPECT_EQ(h.ui.log, std::vector<std::string>{"essay type"});
    EXPECT_EQ(h.folder.names(), (std::vector<std::string>{"A.ess", "B.ess"}));
}

TEST(Generate, WritesTheCountAskedForUnderADatedName)
{
    struct Case {
        std::optional<std::string> answer;
        const char *file; // nullptr: nothing written
        std::size_t lines;
    };
    // Five sentences in paragraphs of three: two paragraph lines.
    const Case cases[] = {
        {std::string("0"), "2026-12-07 0527pm 0Essay.gen", 0},
        {std::string("1"), "2026-12-07 0527pm 1Essay.gen", 2},
        {std::string("9"), "2026-12-07 0527pm 9Essay.gen", 3},
        {std::string("many"), "2026-12-07 0527pm 2Essay.gen", 3},
        {std::string(" +2"), "2026-12-07 0527pm 2Essay.gen", 3},
        {std::string("-1"), nullptr, 0},
        {std::nullopt, nullptr, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.answer.value_or("<cancel>"));
        Harness h;
        writeEssays(h);
        h.ui.log.clear();
        h.ui.answerEssayType(EssayType::EssayResponses);
        h.ui.answerInput(c.answer);
        bFunEssayClick(h.ctx);
        EXPECT_EQ(h.ui.log[1], "input: How many lines? | Enter number of lines to generate | 2");
        if (!c.file) {
            EXPECT_EQ(h.folder.names().size(), 2u);
            continue;
        }
        ASSERT_TRUE(h.folder.exists(c.file));
        // The first paragraph carries its own line break, so it takes two lines of the file.
        EXPECT_EQ(splitLines(h.folder.read(c.file)).size(), c.lines);
        EXPECT_EQ(h.state.essays.count(), 3);
    }
}

TEST(Generate, ANegativeCountIsRefusedWithAMessage)
{
    Harness h;
    writeEssays(h);
    h.ui.answerEssayType(EssayType::EssayResponses);
    h.ui.answerInput(std::string("-5"));
    bFunEssayClick(h.ctx);
    EXPECT_EQ(h.ui.messages, std::vector<std::string>{std::string(kNegativeLineCountMessage)});
    EXPECT_EQ(h.folder.names(), (std::vector<std::string>{"A.ess", "B.ess"}));
}

TEST(Generate, TwoEssaysInOneMinuteReplaceEachOther)
{
    Harness h;
    writeEssays(h);
    h.state.options.sentenceParse = false;
    for (int round = 0; round < 2; ++round) {
        h.state.essays.selectAll();
        h.ui.answerEssayType(EssayType::PlainText);
        h.ui.answerInput(std::string("3"));
        bFunEssayClick(h.ctx);
    }
    EXPECT_EQ(h.folder.names(), (std::vector<std::string>{"2026-12-07 0527pm 3Essay.gen", "A.ess", "B.ess"}));
    // Plain text, not cut: the first three lines of A as they are.
    EXPECT_EQ(h.folder.read("2026-12-07 0527pm 3Essay.gen"), "Alpha\r\n\r\n2026-12-01 0900am  RESPONSE: 3\r\n");
}

TEST(Generate, AnEssayNamedInOtherLetterCaseIsReplaced)
{
    Harness h;
    // Selected too, but without "EXPLAIN YOURSELF" it adds nothing.
    h.folder.write("2026-12-07 0527PM 2ESSAY.GEN", "old");
    writeEssays(h);
    h.state.options.sentenceParse = false;
    h.ui.answerEssayType(EssayType::EssayResponses);
    h.ui.answerInput(std::string("2"));
    bFunEssayClick(h.ctx);
    EXPECT_EQ(h.folder.names(), (std::vector<std::string>{"2026-12-07 0527PM 2ESSAY.GEN", "A.ess", "B.ess"}));
    EXPECT_EQ(h.folder.read("2026-12-07 0527PM 2ESSAY.GEN"), "First. Second.\r\n\r\nThird. Fourth. Fifth.\r\n\r\n");
}

TEST(Generate, WithoutSentencesEveryGatheredLineIsFollowedByAnEmptyOne)
{
    Harness h;
    writeEssays(h);
    h.state.options.sentenceParse = false;
    h.ui.answerEssayType(EssayType::EssayResponses);
    h.ui.answerInput(std::string("2"));
    bFunEssayClick(h.ctx);
    EXPECT_EQ(h.folder.read("2026-12-07 0527pm 2Essay.gen"), "First. Second.\r\n\r\nThird. Fourth. Fifth.\r\n\r\n");
}

TEST(Generate, AnUnreadableFileOrAnUnwritableFolderEndsTheCommand)
{
    // A selected essay changed after the list was read: gone, in other letter
    // case (still read), a dangling link, a folder.
    const struct {
        const char *what;
        std::function<void(testing::TempFolder &)> change;
        std::vector<std::string> messages;
    } changes[] = {
        {"gone", [](auto &f) { ::unlink(f.file("B.ess").c_str()); }, {"Cannot open file B.ess."}},
        {"letter case", [](auto &f) { ::rename(f.file("B.ess").c_str(), f.file("b.ESS").c_str()); }, {}},
        {"dangling link",
         [](auto &f) { ::unlink(f.file("B.ess").c_str()), ::symlink("nowhere.ess", f.file("B.ess").c_str()); },
         {"Cannot open file B.ess."}},
        {"folder",
         [](auto &f) { ::unlink(f.file("B.ess").c_str()), createFolders(f.file("B.ess")); },
         {"Cannot open file B.ess."}},
    };
    for (const auto &c : changes) {
        SCOPED_TRACE(c.what);
        Harness h;
        writeEssays(h);
        c.change(h.folder);
        h.ui.answerEssayType(EssayType::EssayResponses);
        h.ui.answerInput(std::string("9"));
        bFunEssayClick(h.ctx);
        EXPECT_EQ(h.ui.messages, c.messages);
        if (c.messages.empty()) {
            EXPECT_NE(h.folder.read("2026-12-07 0527pm 9Essay.gen").find("Fourth."), std::string::npos);
        }
    }

    Harness g;
    writeEssays(g);
    // A folder standing where the essay would go: the write fails, also for root.
    ASSERT_TRUE(createFolders(g.folder.file("2026-12-07 0527pm 2Essay.gen")));
    g.ui.answerEssayType(EssayType::EssayResponses);
    g.ui.answerInput(std::string("2"));
    g.ui.log.clear();
    bFunEssayClick(g.ctx);
    EXPECT_EQ(g.ui.messages,
              std::vector<std::string>{"Cannot create file " + g.folder.file("2026-12-07 0527pm 2Essay.gen.")});
    EXPECT_EQ(std::count(g.ui.log.begin(), g.ui.log.end(), "list: Essays"), 0);
}

TEST(Generate, RunsAsLongJobsAndCancelAnywhereWritesNothing)
{
    // A full run: the reading and generating, then the writing, each a long
    // job whose progress only grows.
    Harness full;
    writeEssays(full);
    full.ui.answerEssayType(EssayType::EssayResponses);
    full.ui.answerInput(std::string("2"));
    bFunEssayClick(full.ctx);
    ASSERT_TRUE(full.folder.exists("2026-12-07 0527pm 2Essay.gen"));
    EXPECT_EQ(full.ui.jobs,
              (std::vector<std::string>{std::string(kGeneratingCaption), std::string(kWritingEssayCaption)}));
    const std::vector<double> &reports = full.ui.reports;
    ASSERT_GE(reports.size(), 5u);
    EXPECT_EQ(reports.front(), 0.0);
    EXPECT_EQ(reports.back(), 1.0);
    const auto writing = std::find(reports.begin() + 1, reports.end(), 0.0);
    ASSERT_NE(writing, reports.end()) << "the writing starts again from nothing";
    EXPECT_TRUE(std::is_sorted(reports.begin(), writing));
    EXPECT_TRUE(std::is_sorted(writing, reports.end()));
    const auto writingStarts = static_cast<int>(writing - reports.begin()) + 1;

    // Cancel at any report but the one after the write: no essay, no
    // temporary file. The count is asked only once the essay is made, and
    // after it the lists are read again, as after any answer to it.
    for (int at = 1; at < static_cast<int>(reports.size()); ++at) {
        SCOPED_TRACE(at);
        Harness h;
        writeEssays(h);
        h.ui.answerEssayType(EssayType::EssayResponses);
        h.ui.answerInput(std::string("2"));
        h.ui.cancelAtReport(at);
        h.ui.log.clear();
        bFunEssayClick(h.ctx);
        EXPECT_EQ(h.folder.names(), (std::vector<std::string>{"A.ess", "B.ess"}));
        EXPECT_EQ(h.ui.jobs.back(), "cancelled");
        EXPECT_EQ(h.ui.inputs.empty(), at >= writingStarts);
        EXPECT_EQ(std::count(h.ui.log.begin(), h.ui.log.end(), "list: Essays"), at >= writingStarts ? 1 : 0);
        EXPECT_TRUE(h.ui.messages.empty());
    }
}

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
    // Sentences in paragraphs of two: two complete ones and a last, short
    // one; lines: a paragraph's worth of text, an empty line, a third.
    const struct {
        int n;
        const char *sentences;
        const char *lines;
        std::size_t count;
    } cases[] = {
        {-1, "A.  B.  \r\n\r\nC.  D.  \r\n\r\nE.  \r\n", "a. b.\r\n\r\n\r\n\r\nc\r\n\r\n", 3},
        {0, "", "", 0},
        {1, "A.  B.  \r\n\r\n", "a. b.\r\n\r\n", 1},
        {2, "A.  B.  \r\n\r\nC.  D.  \r\n\r\n", "a. b.\r\n\r\n\r\n\r\n", 2},
        {3, "A.  B.  \r\n\r\nC.  D.  \r\n\r\nE.  \r\n", "a. b.\r\n\r\n\r\n\r\nc\r\n\r\n", 3},
        {10, "A.  B.  \r\n\r\nC.  D.  \r\n\r\nE.  \r\n", "a. b.\r\n\r\n\r\n\r\nc\r\n\r\n", 3},
    };
    for (const auto &c : cases) {
        SeededRandom random(1);
        EssayText sentences = composeParagraphs(cutSentences("A. B. C. D. E."), {2, 2}, random);
        EssayText lines("a. b.c", {5, 5, 6}, EssayText::Tail::Break);
        for (EssayText *essay : {&sentences, &lines})
            essay->keepFirstLines(c.n);
        EXPECT_EQ(sentences.bytes(), c.sentences) << c.n;
        EXPECT_EQ(sentences.lineCount(), c.count) << c.n;
        EXPECT_EQ(lines.bytes(), c.lines) << c.n;
        EXPECT_EQ(lines.lineCount(), c.count) << c.n;
    }
}

TEST(GeneratedEssayName, DateStampCountAndSuffix)
{
    EXPECT_EQ(generatedEssayName(DateTime{2026, 12, 7, 17, 30, 5, 120}, 25), "2026-12-07 0530pm 25Essay.gen");
    EXPECT_EQ(generatedEssayName(DateTime{2027, 1, 2, 0, 5, 0, 0}, 0), "2027-01-02 1205am 0Essay.gen");
    EXPECT_EQ(generatedEssayName(DateTime{2027, 1, 2, 12, 0, 0, 0}, 1000), "2027-01-02 1200pm 1000Essay.gen");
}

std::string essayOf(const std::vector<std::string> &files, EssayType type, const GenerationOptions &options,
                    Random &random)
{
    Gatherer gatherer(type);
    for (const auto &bytes : files)
        gatherer.addFileBytes(bytes);
    return generateEssayText(std::move(gatherer), options, random).bytes();
}

TEST(GenerateEssayText, DescribedCases)
{
    const struct {
        const char *what;
        std::vector<std::string> files;
        EssayType type;
        GenerationOptions options;
        std::vector<int> draws;
        const char *essay;
        std::vector<int> bounds;
    } cases[] = {
        {"without sentences essay responses are followed by an empty line",
         {"EXPLAIN YOURSELF\r\nb. a.\r\n\r\nc!"},
         EssayType::EssayResponses,
         {false, true, {1, 1}},
         {},
         "b. a.\r\n\r\nc!\r\n\r\n",
         {}},
        {"without sentences plain lines stay as they are, never shuffled",
         {"b. a.\r\n\r\n", "c!"},
         EssayType::PlainText,
         {false, true, {1, 1}},
         {},
         "b. a.\r\n\r\nc!\r\n",
         {}},
        {"keys 5, 1, 3 put the sentences in the order Two, Three, One",
         {"EXPLAIN YOURSELF\r\nOne. Two.\r\nThree."},
         EssayType::EssayResponses,
         {true, true, {2, 2}},
         {5, 1, 3, 0},
         "Two.  Three.  \r\n\r\nOne.  \r\n",
         {10000, 10000, 10000, 2, 2}},
        {"kept in order, across lines and files",
         {"One. Tw", "o.\r\nThree."},
         EssayType::PlainText,
         {true, false, {3, 3}},
         {},
         "One.  Two.  Three.  \r\n\r\n",
         {3, 3}},
        {"a text without terminator becomes one sentence",
         {"no end\r\n", " here"},
         EssayType::PlainText,
         {true, true, {1, 1}},
         {},
         "no end here.  \r\n\r\n",
         {10000, 1, 1}},
    };
    for (const auto &c : cases) {
        testing::ListedRandom random(c.draws);
        EXPECT_EQ(essayOf(c.files, c.type, c.options, random), c.essay) << c.what;
        EXPECT_EQ(random.bounds, c.bounds) << c.what;
    }
}

// From files' bytes to the essay's bytes, against reading the files as lines
// and doing every step the long way: the same draws, byte for byte the same
// essay.
TEST(GenerateEssayText, SameBytesAsTheReference)
{
    const struct {
        std::uint32_t seed;
        EssayType type;
        bool sentenceParse, randomize;
        bool crowdedKeys; // sentences often share a key, so their text decides
    } cases[] = {
        {4242, EssayType::EssayResponses, true, true, true},   {4243, EssayType::EssayResponses, true, true, false},
        {4244, EssayType::EssayResponses, true, false, false}, {4245, EssayType::EssayResponses, false, true, false},
        {808, EssayType::PlainText, true, true, true},         {809, EssayType::PlainText, true, false, false},
        {810, EssayType::PlainText, false, false, false},
    };
    for (const auto &c : cases) {
        SeededRandom texts(c.seed);
        for (int round = 0; round < 500; ++round) {
            std::vector<std::string> files;
            const int fileCount = 1 + texts.next(4);
            for (int f = 0; f < fileCount; ++f) {
                // Prose between the keyword lines, so that there are
                // sentences to cut across lines and files.
                std::string bytes = testing::randomFileBytes(texts);
                for (const auto &line : testing::randomGatheredLines(texts))
                    bytes += line + (texts.next(2) == 0 ? "\r\n" : "\n");
                files.push_back(bytes);
            }
            const GenerationOptions options{c.sentenceParse, c.randomize, {1 + texts.next(11), 1 + texts.next(11)}};
            const auto check = [&](auto fastRandom, auto slowRandom) {
                const std::string slow =
                    slow::essayBytes(files, c.type == EssayType::EssayResponses, options.sentenceParse,
                                     options.randomize, options.limits.minimum, options.limits.maximum, slowRandom);
                ASSERT_EQ(essayOf(files, c.type, options, fastRandom), slow) << "seed " << c.seed << " round " << round;
                ASSERT_EQ(fastRandom.draws, slowRandom.draws) << "seed " << c.seed << " round " << round;
            };
            if (c.crowdedKeys)
                check(testing::CrowdedKeys(round), testing::CrowdedKeys(round));
            else
                check(testing::RecordingRandom(round), testing::RecordingRandom(round));
            if (::testing::Test::HasFatalFailure())
                return;
        }
    }
}

} // namespace
} // namespace varnok
