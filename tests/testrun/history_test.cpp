#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

#include "support/fakeui.h"
#include "testrun/history.h"
#include "support/unprivileged.h"

namespace varnok {
namespace {

using testing::Harness;
using Log = std::vector<std::string>;

void listAndSelect(Harness &h, const std::vector<std::string> &selected)
{
    h.state.lies.reread(h.state.lieFolder);
    for (const auto &name : selected) {
        bool found = false;
        for (int i = 0; i < h.state.lies.count(); ++i) {
            if (h.state.lies.name(i) == name) {
                h.state.lies.setSelected(i, true);
                found = true;
            }
        }
        ASSERT_TRUE(found) << name << " is not listed";
    }
}

// An essay as the review leaves it after three tests, with the user's own
// lines among the blocks.
const char kMoneyEssay[] =
    "Money is evil.\r\n"
    "\r\n"
    "2026-01-03 0905am  RESPONSE: 3\r\n"
    "\r\n"
    "EXPLAIN YOURSELF\r\n"
    "It scares me; my response: low.\r\n"
    "\r\n"
    "2026-02-10 1200pm  RESPONSE: 22\r\n"
    "\r\n"
    "EXPLAIN YOURSELF\r\n"
    "Not a RESPONSE at all.\r\n"
    "\r\n"
    "2026-03-01 1207am  RESPONSE: 13 \r\n"
    "\r\n"
    "EXPLAIN YOURSELF\r\n"
    "\tI typed RESPONSE:maybe myself\r\n";

TEST(LieHistory, ShowsEachSelectedLieWithItsResponseLines)
{
    Harness h;
    h.folder.write("Money.lie", "Money is evil.\r\n");
    h.folder.write("Money.ess", kMoneyEssay);
    // Named after the Lie but under another base name: never found.
    h.folder.write("Money more.ess", "2026-04-01 0101am  RESPONSE: 9\r\n");
    h.folder.write("Other.lie", "Not selected.\r\n");
    h.folder.write("Other.ess", "2026-04-01 0101am  RESPONSE: 7\r\n");
    h.folder.write("Work.lie", "Work is good.\rWork is a duty.");
    listAndSelect(h, {"Work.lie", "Money.lie"});
    h.state.page = Page::Lies;

    const auto entries = bLiesHistoryClick(h.ctx);

    EXPECT_EQ(h.ui.memo,
              "\n\nLie History:\n"
              "Money is evil.\n"
              "\n"
              "2026-01-03 0905am  RESPONSE: 3\n"
              "2026-02-10 1200pm  RESPONSE: 22\n"
              "2026-03-01 1207am  RESPONSE: 13 \n"
              "\tI typed RESPONSE:maybe myself\n"
              "\n\nLie History:\n"
              "Work is good.\n"
              "Work is a duty.\n"
              "\n");
    EXPECT_TRUE(h.ui.memoVisible);
    EXPECT_EQ(h.ui.log, Log{"page: Start Here"});
    EXPECT_EQ(h.folder.names(),
              (Log{"Money more.ess", "Money.ess", "Money.lie", "Other.ess", "Other.lie", "Work.lie"}));
    EXPECT_EQ(h.state.lies.selectedCount(), 2) << "the selection stays";

    // What the chart gets: the same reading, in list order, essay lines whole.
    ASSERT_TRUE(entries.has_value());
    ASSERT_EQ(entries->size(), 2u);
    EXPECT_EQ((*entries)[0].lieName, "Money.lie");
    EXPECT_EQ((*entries)[0].lieLines, Log{"Money is evil."});
    EXPECT_EQ((*entries)[0].essayLines, splitLines(kMoneyEssay));
    EXPECT_EQ((*entries)[1].lieName, "Work.lie");
    EXPECT_EQ((*entries)[1].lieLines, (Log{"Work is good.", "Work is a duty."}));
    EXPECT_TRUE((*entries)[1].essayLines.empty());
}

TEST(LieHistory, EssayIsFoundByItsNameWithoutRegardToCase)
{
    struct Case {
        std::string lie;
        std::string essay;
        bool found;
    };
    const Case cases[] = {
        {"a.b.lie", "a.b.ess", true},          {"a.b.lie", "a.ess", false},           {"Money.lie", "MONEY.ESS", true},
        {"Money.lie", "Money.lie.ess", false}, {"Money.lie", "Money.ess.txt", false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.essay);
        Harness h;
        h.folder.write(c.lie, "L\r\n");
        h.folder.write(c.essay, "2026-01-03 0905am  RESPONSE: 3\r\n");
        listAndSelect(h, {c.lie});
        bLiesHistoryClick(h.ctx);
        EXPECT_EQ(h.ui.memo,
                  std::string("\n\nLie History:\nL\n\n") + (c.found ? "2026-01-03 0905am  RESPONSE: 3\n" : ""));
    }
}

TEST(LieHistory, EmptyLieFileGivesTheHeadingAndOneEmptyLine)
{
    Harness h;
    h.folder.write("Empty.lie", "");
    listAndSelect(h, {"Empty.lie"});
    bLiesHistoryClick(h.ctx);
    EXPECT_EQ(h.ui.memo, "\n\nLie History:\n\n");
}

TEST(LieHistory, NothingSelectedShowsAnEmptyText)
{
    Harness h;
    h.folder.write("a.lie", "a\r\n");
    listAndSelect(h, {});
    h.ui.memo = "older text";
    const auto entries = bLiesHistoryClick(h.ctx);
    EXPECT_EQ(h.ui.memo, "");
    EXPECT_TRUE(h.ui.memoVisible);
    EXPECT_EQ(h.ui.log, Log{"page: Start Here"});
    ASSERT_TRUE(entries.has_value());
    EXPECT_TRUE(entries->empty());
}

TEST(LieHistory, RunningTestKeepsItsState)
{
    Harness h;
    h.folder.write("Money.lie", "Money is evil.\r\n");
    h.folder.write("Money.ess", kMoneyEssay);
    listAndSelect(h, {"Money.lie"});
    h.ui.setTestRunning(true);
    h.ui.log.clear();
    h.ui.memo = "Money is evil.";
    h.ui.memoVisible = true;
    h.ui.scale = 17;
    TestRun &run = h.state.run;
    run.running = true;
    run.testSummary = {"Evening", "", "Money is evil.", ""};
    run.testAnswers = {{"Money.lie", 4}};
    run.testFileName = "Evening";
    run.currentLieIndex = 0;
    run.scaleMoved = true;
    const TestRun before = run;

    bLiesHistoryClick(h.ctx);

    EXPECT_EQ(h.ui.memo.substr(0, 30), "\n\nLie History:\nMoney is evil.\n");
    EXPECT_EQ(h.ui.log, Log{"page: Start Here"});
    EXPECT_TRUE(h.ui.testRunning);
    EXPECT_EQ(h.ui.scale, 17);
    EXPECT_TRUE(run.running);
    EXPECT_EQ(run.testSummary, before.testSummary);
    EXPECT_EQ(run.testAnswers, before.testAnswers);
    EXPECT_EQ(run.testFileName, before.testFileName);
    EXPECT_EQ(run.currentLieIndex, before.currentLieIndex);
    EXPECT_EQ(run.scaleMoved, before.scaleMoved);
    EXPECT_EQ(run.awaitingFirstLie, before.awaitingFirstLie);
    EXPECT_EQ(h.folder.read("Money.ess"), kMoneyEssay) << "nothing is written";
}

TEST(LieHistory, LieThatCannotBeReadLeavesTextAndPageAsTheyWere)
{
    // The unreadable Lie first, and after a readable one: no partial text either way.
    for (const bool goneFirst : {true, false}) {
        Harness h;
        h.folder.write("a.lie", "a\r\n");
        h.folder.write("x.lie", "x\r\n");
        h.folder.write("z.lie", "z\r\n");
        listAndSelect(h, {"a.lie", goneFirst ? "a.lie" : "z.lie", "x.lie"});
        ASSERT_EQ(::unlink(h.folder.file(goneFirst ? "a.lie" : "x.lie").c_str()), 0);
        h.ui.memo = "before";
        h.ui.memoVisible = false;
        const auto entries = bLiesHistoryClick(h.ctx);
        EXPECT_EQ(h.ui.log, Log{std::string("error: Cannot open file ") + (goneFirst ? "a.lie." : "x.lie.")});
        EXPECT_EQ(h.ui.memo, "before");
        EXPECT_FALSE(h.ui.memoVisible);
        EXPECT_FALSE(entries.has_value());
    }
}

TEST(LieHistory, CancelWhileReadingLeavesTextAndPageAsTheyWere)
{
    // A report per Lie as its reading starts: cancel at the first, the
    // middle and the last one.
    for (const int at : {1, 2, 3}) {
        SCOPED_TRACE(at);
        Harness h;
        for (const char *name : {"a", "b", "c"}) {
            h.folder.write(std::string(name) + ".lie", std::string(name) + "\r\n");
            h.folder.write(std::string(name) + ".ess", kMoneyEssay);
        }
        listAndSelect(h, {"a.lie", "b.lie", "c.lie"});
        h.ui.memo = "before";
        h.ui.memoVisible = false;
        h.ui.cancelAtReport(at);
        const auto entries = bLiesHistoryClick(h.ctx);
        EXPECT_FALSE(entries.has_value());
        EXPECT_EQ(h.ui.jobs, (Log{kReadingHistoryCaption, "cancelled"}));
        EXPECT_EQ(h.ui.reports.size(), static_cast<std::size_t>(at));
        EXPECT_TRUE(h.ui.log.empty()) << "no page change, no message";
        EXPECT_EQ(h.ui.memo, "before");
        EXPECT_FALSE(h.ui.memoVisible);
    }
}

TEST(LieHistory, EssayThatCannotBeReadIsReported)
{
    if (!testing::canRunUnprivileged())
        GTEST_SKIP() << "running as root without the right to become another user";
    Harness h;
    h.folder.write("a.lie", "a\r\n");
    h.folder.write("a.ess", "x\r\n");
    ASSERT_EQ(::chmod(h.folder.file("a.ess").c_str(), 0200), 0);
    EXPECT_EQ(testing::checkUnprivileged(h.folder.path(),
                                         [&] {
                                             listAndSelect(h, {"a.lie"});
                                             h.ui.memo = "before";
                                             bLiesHistoryClick(h.ctx);
                                             EXPECT_EQ(h.ui.messages,
                                                       Log{"Cannot open file " + h.folder.file("a.ess") + "."});
                                             EXPECT_EQ(h.ui.memo, "before");
                                         }),
              "");
}

// How long this takes is for bench/bench_history to watch.
TEST(LieHistory, ThousandLiesWithFiftyResponsesEach)
{
    Harness h;
    for (int i = 0; i < 1000; ++i) {
        const std::string base = h.folder.file("Lie " + std::to_string(i));
        std::ofstream(base + ".lie", std::ios::binary) << "Statement number " << i << "\r\n";
        std::ofstream essay(base + ".ess", std::ios::binary);
        essay << "Statement number " << i << "\r\n";
        for (int r = 0; r < 50; ++r)
            essay << "\r\n2026-01-03 0905am  RESPONSE: " << (r % 25 + 1)
                  << "\r\n\r\nEXPLAIN YOURSELF\r\nwhat I felt that day\r\n";
    }
    h.state.lies.reread(h.state.lieFolder);
    h.state.lies.selectAll();
    const auto entries = bLiesHistoryClick(h.ctx);
    ASSERT_TRUE(entries.has_value());
    EXPECT_EQ(entries->size(), 1000u);
    std::size_t responseLines = 0;
    for (std::size_t at = h.ui.memo.find("RESPONSE:"); at != std::string::npos;
         at = h.ui.memo.find("RESPONSE:", at + 1))
        ++responseLines;
    EXPECT_EQ(responseLines, 50000u);
}

} // namespace
} // namespace varnok
