#include <gtest/gtest.h>

#include "documents/documents.h"
#include "generator/essaywriter.h"
#include "generator/generate.h"
#include "platform/files.h"
#include "support/fakeui.h"

namespace varnok {
namespace {

using testing::Harness;

// Two essays as the review leaves them, with one line of explanation each.
void writeEssays(Harness &h)
{
    h.folder.write("A.ess", "Alpha\r\n\r\n2026-12-01 0900am  RESPONSE: 3\r\n\r\nEXPLAIN YOURSELF\r\nFirst. Second.\r\n");
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
    Harness h;
    writeEssays(h);
    ::unlink(h.folder.file("B.ess").c_str());
    h.ui.answerEssayType(EssayType::EssayResponses);
    bFunEssayClick(h.ctx);
    EXPECT_EQ(h.ui.messages, std::vector<std::string>{"Cannot open file B.ess."});

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

} // namespace
} // namespace varnok
