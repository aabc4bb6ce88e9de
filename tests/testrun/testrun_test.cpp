#include <gtest/gtest.h>

#include <algorithm>
#include <sys/stat.h>

#include "core/text.h"
#include "platform/files.h"
#include "testrun/review.h"
#include "testrun/testdrive.h"

namespace varnok::testing {
namespace {

bool logHas(const FakeUi &ui, const std::string &entry)
{
    return std::find(ui.log.begin(), ui.log.end(), entry) != ui.log.end();
}

// Lies A to E in a fresh folder, listed.
struct FiveLies : TestDrive {
    FiveLies()
    {
        for (const char *name : {"A", "B", "C", "D", "E"})
            lie(std::string(name) + ".lie", std::string("Lie ") + name);
        reread();
    }
};

TEST(TestRunStart, EmptyLieListSaysSoAndShowsTheLiesPage)
{
    TestDrive d;
    d.reread();
    bAskStartClick(d.h.ctx);
    EXPECT_EQ(d.h.ui.log, (std::vector<std::string>{"list: Lies", "list: Essays", "list: Tests",
                                                    "message: No Lies found", "page: Lies"}));
    EXPECT_FALSE(d.h.state.run.running);
    EXPECT_FALSE(d.h.ui.testRunning);
}

TEST(TestRunStart, NoSampleStartsNothingAndKeepsTheSelection)
{
    struct Case {
        const char *what;
        TestChoice choice;
        bool asksSize;
        std::optional<std::string> size;
    };
    const Case cases[] = {
        {"dialog cancelled", TestChoice::Cancel, false, std::nullopt},
        {"sample of 0", TestChoice::Sample, true, "0"},
        {"sample not a number", TestChoice::Sample, true, "three"},
        {"sample with trailing text", TestChoice::Sample, true, "3 "},
        {"sample box cancelled", TestChoice::Sample, true, std::nullopt},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        FiveLies d;
        d.h.state.lies.setSelected(1, true);
        d.h.state.lies.setSelected(3, true);
        d.h.ui.log.clear();
        d.h.ui.answerTestParams(c.choice);
        if (c.asksSize)
            d.h.ui.answerInput(c.size);
        bAskStartClick(d.h.ctx);

        std::vector<std::string> expected{"test params"};
        if (c.asksSize)
            expected.push_back("input: Test Sample | Enter sample size | 5");
        EXPECT_EQ(d.h.ui.log, expected);
        EXPECT_EQ(d.selectedPositions(), (std::vector<int>{1, 3}));
        EXPECT_FALSE(d.h.state.run.running);
        EXPECT_TRUE(d.h.random.draws.empty());
        EXPECT_TRUE(d.h.ui.inputs.empty());
    }
}

TEST(TestRunStart, PutsThePageIntoTheRunningStateAndAsksTheNameWithTheStampProposed)
{
    FiveLies d;
    d.h.ui.log.clear();
    d.h.ui.scale = 17;
    d.startFull("Evening");

    EXPECT_EQ(d.h.ui.log, (std::vector<std::string>{"test params", "list: Lies", "running", "status: Test in progress",
                                                    "input: Test | Enter Test Name | 2026-12-07 0527pm Test Results"}));
    const TestRun &run = d.h.state.run;
    EXPECT_TRUE(run.running);
    EXPECT_EQ(run.testStartTime, (DateTime{2026, 12, 7, 17, 27, 0, 0}));
    EXPECT_EQ(run.testFileName, "Evening.tst");
    EXPECT_EQ(run.currentLieIndex, 0);
    EXPECT_FALSE(run.awaitingFirstLie);
    EXPECT_FALSE(run.scaleMoved);
    EXPECT_EQ(run.testSummary, (Lines{"Evening", "", "Lie A", ""}));
    // The first Lie is on display, the scale at 1 with the keyboard focus.
    EXPECT_EQ(d.h.ui.memo, "Lie A\n");
    EXPECT_TRUE(d.h.ui.memoVisible);
    EXPECT_EQ(d.h.ui.scale, 1);
    EXPECT_TRUE(d.h.ui.scaleFocused);
    EXPECT_EQ(d.selectedPositions(), (std::vector<int>{0, 1, 2, 3, 4}));
}

TEST(TestRunStart, TestsPageNewSwitchesToStartHereFirst)
{
    FiveLies d;
    d.h.ui.log.clear();
    d.h.ui.answerTestParams(TestChoice::Cancel);
    bTestsNewClick(d.h.ctx);
    EXPECT_EQ(d.h.ui.log, (std::vector<std::string>{"page: Start Here", "test params"}));
}

TEST(TestRunStart, NewDuringARunReplacesItOnlyWhenASampleIsChosen)
{
    FiveLies d;
    d.startFull("First");
    d.answer(7);

    // Cancelled: the running run goes on where it was.
    d.h.ui.answerTestParams(TestChoice::Cancel);
    bTestsNewClick(d.h.ctx);
    EXPECT_TRUE(d.h.state.run.running);
    EXPECT_EQ(d.h.state.run.currentLieIndex, 1);
    EXPECT_EQ(d.h.state.run.testAnswers, (std::vector<TestAnswer>{{"A.lie", 7}}));

    // A full test: the first run is dropped without a summary.
    d.h.ui.answerTestParams(TestChoice::Full);
    d.h.ui.answerInput("Second");
    bTestsNewClick(d.h.ctx);
    EXPECT_EQ(d.h.state.run.currentLieIndex, 0);
    EXPECT_TRUE(d.h.state.run.testAnswers.empty());
    EXPECT_EQ(d.h.state.run.testSummary, (Lines{"Second", "", "Lie A", ""}));
    bAskStopClick(d.h.ctx);
    EXPECT_TRUE(d.exists("Second.tst"));
    EXPECT_FALSE(d.exists("First.tst"));
}

TEST(TestRunStart, CancelAtTheNamePromptReturnsToIdleAsIfNoTestHadStarted)
{
    FiveLies d;
    d.startFull("Evening");
    bAskStopClick(d.h.ctx);
    ASSERT_TRUE(d.exists("Evening.tst"));
    d.h.folder.write("Evening.tst", "kept\r\n");

    d.h.state.lies.setSelected(2, true);
    d.h.ui.answerTestParams(TestChoice::Sample);
    d.h.ui.answerInput("2");
    d.h.ui.answerInput(std::nullopt);
    d.h.random.script = {0, 4};
    bAskStartClick(d.h.ctx);

    const TestRun &run = d.h.state.run;
    EXPECT_FALSE(run.running);
    EXPECT_FALSE(d.h.ui.testRunning);
    EXPECT_EQ(d.h.ui.status, "");
    EXPECT_TRUE(run.testFileName.empty());
    EXPECT_TRUE(run.testSummary.empty());
    EXPECT_EQ(d.selectedPositions(), (std::vector<int>{2}));

    // Nothing left that Next or Stop could carry on or store.
    d.h.ui.messages.clear();
    bAskNextClick(d.h.ctx);
    bAskStopClick(d.h.ctx);
    EXPECT_TRUE(d.h.ui.messages.empty());
    EXPECT_EQ(d.read("Evening.tst"), "kept\r\n");
    EXPECT_EQ(d.h.folder.names(),
              (std::vector<std::string>{"A.lie", "B.lie", "C.lie", "D.lie", "E.lie", "Evening.tst"}));
}

TEST(TestRunStart, UseSelectedLiesTestsExactlyTheSelection)
{
    FiveLies d;
    d.h.state.lies.setSelected(1, true);
    d.h.state.lies.setSelected(3, true);
    d.h.ui.answerTestParams(TestChoice::UseSelected);
    d.h.ui.answerInput("Chosen");
    bAskStartClick(d.h.ctx);

    EXPECT_TRUE(d.h.state.retainLies);
    EXPECT_TRUE(d.h.random.draws.empty());
    EXPECT_EQ(d.selectedPositions(), (std::vector<int>{1, 3}));
    EXPECT_EQ(d.h.ui.memo, "Lie B\n");
    d.answer(8);
    EXPECT_EQ(d.h.ui.memo, "Lie D\n");
    d.answer(8);
    EXPECT_FALSE(d.h.state.run.running);
    EXPECT_EQ(answeredLies(d.h.state.run), (std::vector<std::string>{"B.lie", "D.lie"}));
}

TEST(TestRunStart, UseSelectedLiesWithNoneSelectedStartsNothing)
{
    FiveLies d;
    d.h.ui.log.clear();
    d.h.ui.answerTestParams(TestChoice::UseSelected);
    bAskStartClick(d.h.ctx);
    EXPECT_EQ(d.h.ui.log, (std::vector<std::string>{"test params", "message: No Lies selected"}));
    EXPECT_FALSE(d.h.state.run.running);
    // The option stays on for later samples all the same.
    EXPECT_TRUE(d.h.state.retainLies);
}

TEST(TestRunStart, ANameLongerThanFiftyCharactersStandsWholeInTheSummary)
{
    FiveLies d;
    const std::string name = "Sunday: a long evening of questions? Yes, and more of them than I thought";
    d.startFull(name);
    bAskStopClick(d.h.ctx);
    // The first 50 characters, cleaned of the colon and question mark.
    const std::string fileName = "Sunday a long evening of questions Yes, and more.tst";
    ASSERT_TRUE(d.exists(fileName));
    EXPECT_EQ(d.read(fileName), name + "\r\n\r\nLie A\r\n\r\n" + kNoTime);
}

TEST(TestRunNext, WithoutTouchingTheScaleAsksForAnAnswerAndRecordsNothing)
{
    FiveLies d;
    d.startFull("Evening");
    d.h.ui.scale = 9; // moved by the program, not by the person
    d.h.ui.log.clear();
    d.h.ui.scaleFocused = false; // the mouse took it to the button
    bAskNextClick(d.h.ctx);
    EXPECT_EQ(d.h.ui.log,
              (std::vector<std::string>{"message: Please indicate the strength of your reaction on the scale."}));
    EXPECT_TRUE(d.h.ui.scaleFocused);
    EXPECT_EQ(d.h.state.run.currentLieIndex, 0);
    EXPECT_EQ(d.h.state.run.testSummary, (Lines{"Evening", "", "Lie A", ""}));
    EXPECT_TRUE(d.h.state.run.testAnswers.empty());
}

TEST(TestRunNext, AnAnswerOfOneCountsAfterTheScaleWasOperated)
{
    FiveLies d;
    d.startFull("Evening");
    d.answer(1);
    d.answer(25);
    const TestRun &run = d.h.state.run;
    EXPECT_EQ(run.testAnswers, (std::vector<TestAnswer>{{"A.lie", 1}, {"B.lie", 25}}));
    EXPECT_EQ(run.testSummary, (Lines{"Evening", "", "Lie A", "", "", "RESPONSE: 1", "", "Lie B", "", "",
                                      "RESPONSE: 25", "", "Lie C", ""}));
    // Each new Lie puts the scale back to 1 and waits for the person again.
    EXPECT_EQ(d.h.ui.scale, 1);
    EXPECT_FALSE(run.scaleMoved);
}

TEST(TestRunNext, CopiesEveryLineOfTheLieFileIntoTheSummary)
{
    TestDrive d;
    d.h.folder.write("Multi.lie", "First line\rSecond line\nThird line\r\n");
    d.h.folder.write("Nul.lie", std::string("Before\0after\r\n", 14));
    d.reread();
    d.startFull("Lines");
    EXPECT_EQ(d.h.ui.memo, "First line\nSecond line\nThird line\n");
    d.answer(8);
    EXPECT_EQ(d.h.ui.memo, "Before");
    EXPECT_EQ(d.h.state.run.testSummary,
              (Lines{"Lines", "", "First line", "Second line", "Third line", "", "", "RESPONSE: 8", "", "Before", ""}));
}

TEST(TestRunNext, AnUnreadableLieIsPassedOverWithoutABoxAndNamedAtTheEnd)
{
    FiveLies d;
    // Removed by another program after the list was read.
    ASSERT_TRUE(removeFile(d.h.folder.file("B.lie")));
    ASSERT_TRUE(removeFile(d.h.folder.file("E.lie")));
    ASSERT_EQ(::mkdir(d.h.folder.file("E.lie").c_str(), 0700), 0);
    d.commitNextEdit(); // 12 is 10 away from no response at all
    d.startFull("Gaps");
    d.answer(12);
    EXPECT_EQ(d.h.ui.messages, (std::vector<std::string>{}));
    EXPECT_EQ(d.h.ui.memo, "Lie C\n");
    EXPECT_EQ(d.h.state.run.currentLieIndex, 2);
    d.answer(8);
    d.answer(7);
    // E is gone as well: the run ends after D.
    EXPECT_EQ(d.h.ui.messages, (std::vector<std::string>{formatMessage(kLiesUnreadInTest, "B.lie, E.lie")}));
    EXPECT_FALSE(d.h.state.run.running);
    EXPECT_EQ(answeredLies(d.h.state.run), (std::vector<std::string>{"A.lie", "C.lie", "D.lie"}));
    EXPECT_EQ(d.read("Gaps.tst"), std::string("Gaps\r\n\r\n") + "Lie A\r\n\r\n\r\nRESPONSE: 12\r\n\r\n" +
                                      "Lie C\r\n\r\n\r\nRESPONSE: 8\r\n\r\n" + "Lie D\r\n\r\n\r\nRESPONSE: 7\r\n\r\n" +
                                      kNoTime);
}

TEST(TestRunPosition, CountsTheChosenLiesAndClearsAtTheEnd)
{
    // B is chosen but unreadable: it still takes its number, so the last Lie
    // is "3 of 3" and the person never sees a count that stops short.
    FiveLies d;
    ASSERT_TRUE(removeFile(d.h.folder.file("B.lie")));
    d.h.ui.answerTestParams(TestChoice::Sample);
    d.h.ui.answerInput("3");
    d.h.ui.answerInput("Three");
    d.h.random.script = {1, 3, 4};
    bAskStartClick(d.h.ctx);
    EXPECT_EQ(d.h.ui.testPositions, (std::vector<std::string>{"Lie 1 of 3", "Lie 2 of 3"}));
    d.answer(7);
    EXPECT_EQ(d.h.ui.testPositions.back(), "Lie 3 of 3");
    d.answer(7);
    EXPECT_FALSE(d.h.state.run.running);
    EXPECT_EQ(d.h.ui.testPositions.back(), "");

    // A second run counts from one again; Stop clears the count too.
    d.startFull("Again");
    EXPECT_EQ(d.h.ui.testPositions.back(), "Lie 1 of 4");
    bAskStopClick(d.h.ctx);
    EXPECT_EQ(d.h.ui.testPositions.back(), "");
}

TEST(TestRunPosition, TheScaleShowsTheLimitsTheReviewWillUse)
{
    struct Case {
        const char *weak;
        const char *strong;
        std::pair<int, int> marked;
    };
    // Texts that are not whole numbers fall back as in the review: 5 and 25.
    const Case cases[] = {{"05", "20", {5, 20}}, {"3", "22", {3, 22}}, {"", "x", {5, 25}}};
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.weak) + "/" + c.strong);
        FiveLies d;
        d.h.state.options.weak = c.weak;
        d.h.state.options.strong = c.strong;
        d.startFull("Limits");
        EXPECT_EQ(d.h.ui.scaleLimits, c.marked);
    }
}

TEST(TestRunStop, RightAfterTheFirstLieStoresItsTextAndNoAnswer)
{
    FiveLies d;
    d.startFull("Short");
    d.h.ui.scale = 22;
    TrackBar1Change(d.h.ctx); // moved, but Stop records nothing
    d.commitNextEdit();
    bAskStopClick(d.h.ctx);
    EXPECT_EQ(d.read("Short.tst"), std::string("Short\r\n\r\nLie A\r\n\r\n") + kNoTime);
    EXPECT_TRUE(d.h.state.run.testAnswers.empty());
    EXPECT_FALSE(d.exists("A.ess"));
    EXPECT_EQ(d.h.ui.waitActions.size(), 1u); // no editor was opened
    EXPECT_FALSE(d.h.ui.testRunning);
    EXPECT_FALSE(d.h.ui.memoVisible);
}

TEST(TestRunSample, NegativeSizeEndsTheRunAtOnce)
{
    FiveLies d;
    d.h.ui.answerTestParams(TestChoice::Sample);
    d.h.ui.answerInput("-2");
    d.h.ui.answerInput("Nothing");
    bAskStartClick(d.h.ctx);
    EXPECT_FALSE(d.h.state.run.running);
    EXPECT_EQ(d.read("Nothing.tst"), std::string("Nothing\r\n\r\n") + kNoTime);
    EXPECT_TRUE(d.h.random.draws.empty());
}

TEST(TestRunSample, SizeEqualToOrLargerThanTheListTakesEveryLie)
{
    for (const char *size : {"5", "6", "$FF"}) {
        for (const bool retain : {false, true}) {
            SCOPED_TRACE(std::string(size) + (retain ? " retained" : ""));
            FiveLies d;
            d.h.state.retainLies = retain;
            d.h.state.lies.setSelected(4, true);
            d.h.ui.answerTestParams(TestChoice::Sample);
            d.h.ui.answerInput(size);
            d.h.ui.answerInput("All");
            bAskStartClick(d.h.ctx);
            EXPECT_EQ(d.selectedPositions(), (std::vector<int>{0, 1, 2, 3, 4}));
            EXPECT_EQ(d.h.ui.memo, "Lie A\n");
        }
    }
}

TEST(TestRunSample, LiesArePresentedInListOrderNotInTheOrderDrawn)
{
    FiveLies d;
    d.h.random.script = {3, 0};
    d.h.ui.answerTestParams(TestChoice::Sample);
    d.h.ui.answerInput("2");
    d.h.ui.answerInput("Two");
    bAskStartClick(d.h.ctx);
    EXPECT_EQ(d.h.ui.memo, "Lie A\n");
    d.answer(6);
    EXPECT_EQ(d.h.ui.memo, "Lie D\n");
    d.answer(6);
    EXPECT_EQ(answeredLies(d.h.state.run), (std::vector<std::string>{"A.lie", "D.lie"}));
}

TEST(SelectLies, DrawsWithOrWithoutKeepingTheSelection)
{
    struct Case {
        const char *what;
        bool retain;
        int n;
        std::deque<int> script;
        std::vector<int> selected;
        std::size_t draws;
    };
    // Ten Lies, of which 1, 2, 4, 6 and 8 are selected before each case.
    const Case cases[] = {
        {"retain, sample of three keeps the first three", true, 3, {}, {1, 2, 4}, 0},
        {"retain, sample of five keeps all", true, 5, {}, {1, 2, 4, 6, 8}, 0},
        {"retain, sample of seven draws two more", true, 7, {2, 0, 8, 9}, {0, 1, 2, 4, 6, 8, 9}, 4},
        {"fresh, sample of three", false, 3, {7, 7, 1, 0}, {0, 1, 7}, 4},
        {"fresh, sample of seven", false, 7, {9, 8, 7, 6, 5, 4, 4, 3}, {3, 4, 5, 6, 7, 8, 9}, 8},
        {"retain, larger than the list", true, 12, {0, 3, 5, 7, 9}, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, 5},
        {"retain, negative", true, -1, {}, {}, 0},
        {"fresh, negative", false, -4, {}, {}, 0},
        {"retain, zero", true, 0, {}, {}, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        TestDrive d;
        d.h.state.lies.setNames(
            {"0.lie", "1.lie", "2.lie", "3.lie", "4.lie", "5.lie", "6.lie", "7.lie", "8.lie", "9.lie"});
        for (int i : {1, 2, 4, 6, 8})
            d.h.state.lies.setSelected(i, true);
        d.h.state.retainLies = c.retain;
        d.h.random.script = c.script;
        SelectLies(d.h.ctx, c.n);
        EXPECT_EQ(d.selectedPositions(), c.selected);
        EXPECT_EQ(d.h.random.draws.size(), c.draws);
        EXPECT_TRUE(logHas(d.h.ui, "list: Lies"));
    }
}

TEST(SelectLies, ASeededDrawNeverChoosesALieTwice)
{
    TestDrive d;
    std::vector<std::string> names;
    for (int i = 0; i < 40; ++i)
        names.push_back(std::to_string(100 + i) + ".lie");
    d.h.state.lies.setNames(names);
    SelectLies(d.h.ctx, 39);
    EXPECT_EQ(d.h.state.lies.selectedCount(), 39);
    EXPECT_GE(d.h.random.draws.size(), 39u);
    for (int drawn : d.h.random.draws) {
        EXPECT_GE(drawn, 0);
        EXPECT_LT(drawn, 40);
    }
}

// A conflict copy stays listed but is never asked; chosen by hand, it is left out with a note.
TEST(TestRunStart, AConflictCopyIsNeverAsked)
{
    const std::string copy = "A.sync-conflict-20261209-114603-ABCDEFG.lie";
    const std::string note = formatMessage(kConflictCopyLeftOut, copy);
    const std::tuple<TestChoice, std::vector<int>, std::vector<std::string>, std::vector<std::string>> cases[] = {
        {TestChoice::Full, {}, {"A.lie", "B.lie", "C.lie"}, {}},
        {TestChoice::Sample, {1}, {"A.lie", "B.lie"}, {}}, // of two, the first drawn where the copy stands
        {TestChoice::UseSelected, {1, 3}, {"C.lie"}, {note}},
        {TestChoice::UseSelected, {1}, {}, {note, kNoLiesSelected}},
    };
    for (const auto &[choice, selected, asked, messages] : cases) {
        TestDrive d;
        for (const std::string name : {"A.lie", copy.c_str(), "B.lie", "C.lie"})
            d.lie(name, "Lie " + name.substr(0, 1));
        d.reread();
        for (const int i : selected)
            d.h.state.lies.setSelected(i, true);
        d.h.random.script = {1, 0};
        d.h.ui.answerTestParams(choice);
        d.h.ui.answerInput(choice == TestChoice::Sample ? "2" : "Run");
        d.h.ui.answerInput("Run");
        bAskStartClick(d.h.ctx);
        EXPECT_EQ(d.h.state.run.testLieNames, asked);
        EXPECT_EQ(d.h.ui.messages, messages);
    }
}

TEST(TestRunSample, RetainedSampleThroughTheDialog)
{
    FiveLies d;
    d.h.state.retainLies = true;
    for (int i : {0, 2, 3})
        d.h.state.lies.setSelected(i, true);
    d.h.ui.answerTestParams(TestChoice::Sample);
    d.h.ui.answerInput("2");
    d.h.ui.answerInput("Kept");
    bAskStartClick(d.h.ctx);
    EXPECT_EQ(d.selectedPositions(), (std::vector<int>{0, 2}));
    EXPECT_TRUE(d.h.random.draws.empty());
}

} // namespace
} // namespace varnok::testing
