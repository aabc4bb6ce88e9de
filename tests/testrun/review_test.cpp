#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>

#include "core/text.h"
#include "platform/files.h"
#include "testrun/review.h"
#include "testrun/testdrive.h"

namespace varnok::testing {
namespace {

// The block the review appends for a run started at the harness's time.
std::string block(const std::string &response)
{
    return "\r\n2026-12-07 0527pm  RESPONSE: " + response + "\r\n\r\nEXPLAIN YOURSELF\r\n\r\n";
}

// How often the built-in editor waited for the person.
std::size_t editorWaits(const std::vector<std::string> &log)
{
    return static_cast<std::size_t>(std::count(log.begin(), log.end(), "wait"));
}

TEST(ReviewSummary, TheEveningExample)
{
    TestDrive d;
    d.lie("Money.lie", "Money is evil.");
    d.lie("Work.lie", "Work is good.");
    d.reread();
    d.startFull("Evening");
    d.moveClock(40 * 60);
    d.answer(13);
    d.moveClock(23 * 60 + 7, 400);
    d.commitNextEdit(); // 13 is 10 away from no stored response
    bAskStopClick(d.h.ctx);

    EXPECT_EQ(d.read("Evening.tst"),
              "Evening\r\n"
              "\r\n"
              "Money is evil.\r\n"
              "\r\n"
              "\r\n"
              "RESPONSE: 13\r\n"
              "\r\n"
              "Work is good.\r\n"
              "\r\n"
              "\r\n"
              "Test Time: 1  Hours  3  Minutes  7 Seconds\r\n");
    EXPECT_EQ(d.read("Money.ess"), "Money is evil.\r\n" + block("13"));
    EXPECT_FALSE(d.exists("Work.ess"));
    EXPECT_EQ(d.h.state.run.testEndTime, (DateTime{2026, 12, 7, 18, 30, 7, 400}));
    EXPECT_FALSE(d.h.state.run.running);
    EXPECT_FALSE(d.h.ui.testRunning);
    // The status line is set before the editor opens, which then puts its own texts there.
    const auto &log = d.h.ui.log;
    const auto completed = std::find(log.begin(), log.end(), "status: Test completed in 03  Minutes  07 Seconds");
    const auto editing = std::find(log.begin(), log.end(), "status: Editing: Money.ess");
    ASSERT_NE(completed, log.end());
    ASSERT_NE(editing, log.end());
    EXPECT_LT(completed, editing);
    // The lists are re-read after the last edit, so the new files show.
    EXPECT_EQ(std::vector<std::string>(log.end() - 3, log.end()),
              (std::vector<std::string>{"list: Lies", "list: Essays", "list: Tests"}));
    EXPECT_EQ(d.h.state.tests.names(), (std::vector<std::string>{"Evening.tst"}));
    EXPECT_EQ(d.h.state.essays.names(), (std::vector<std::string>{"Money.ess"}));
}

TEST(ReviewSummary, ElapsedTimeInTheStatusLineAndTheSummary)
{
    struct Case {
        const char *what;
        int seconds;
        int milliseconds;
        const char *status;
        const char *testTime;
    };
    const Case cases[] = {
        {"no time", 0, 0, "Test completed in 00  Minutes  00 Seconds", "Test Time: 0  Hours  0  Minutes  0 Seconds"},
        {"hours are not in the status", 3787, 0, "Test completed in 03  Minutes  07 Seconds",
         "Test Time: 1  Hours  3  Minutes  7 Seconds"},
        {"two-digit values", 11 * 3600 + 45 * 60 + 59, 0, "Test completed in 45  Minutes  59 Seconds",
         "Test Time: 11  Hours  45  Minutes  59 Seconds"},
        {"whole seconds only", 59, 999, "Test completed in 00  Minutes  59 Seconds",
         "Test Time: 0  Hours  0  Minutes  59 Seconds"},
        {"last millisecond of a day", 86399, 999, "Test completed in 59  Minutes  59 Seconds",
         "Test Time: 23  Hours  59  Minutes  59 Seconds"},
        {"a whole day is dropped", 86400, 0, "Test completed in 00  Minutes  00 Seconds",
         "Test Time: 0  Hours  0  Minutes  0 Seconds"},
        {"25 hours report one", 25 * 3600, 0, "Test completed in 00  Minutes  00 Seconds",
         "Test Time: 1  Hours  0  Minutes  0 Seconds"},
        {"clock put back", -90, 0, "Test completed in 01  Minutes  30 Seconds",
         "Test Time: 0  Hours  1  Minutes  30 Seconds"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        TestDrive d;
        d.lie("A.lie", "A");
        d.reread();
        d.startFull("Timed");
        d.moveClock(c.seconds, c.milliseconds);
        bAskStopClick(d.h.ctx);
        EXPECT_EQ(d.h.ui.status, c.status);
        EXPECT_EQ(d.read("Timed.tst"), std::string("Timed\r\n\r\nA\r\n\r\n\r\n") + c.testTime + "\r\n");
    }
}

// Another test's summary is never replaced: the first free name is taken.
TEST(ReviewSummary, NeverReplacesAnotherTestsSummary)
{
    const std::pair<std::vector<std::string>, const char *> cases[] = {
        {{}, "Evening.tst"},
        {{"evening.TST"}, "Evening (2).tst"},
        {{"Evening.tst", "EVENING (2).tst"}, "Evening (3).tst"}};
    for (const auto &[existing, written] : cases) {
        TestDrive d;
        d.lie("A.lie", "A");
        for (const auto &name : existing)
            d.h.folder.write(name, "another test\r\n");
        d.reread();
        d.startFull("Evening");
        bAskStopClick(d.h.ctx);
        EXPECT_EQ(d.read(written), std::string("Evening\r\n\r\nA\r\n\r\n") + kNoTime) << written;
        for (const auto &name : existing)
            EXPECT_EQ(d.read(name), "another test\r\n") << name;
    }
}

TEST(ReviewEssay, MoneyAfterTwoRuns)
{
    TestDrive d;
    d.lie("Money.lie", "Money is evil.");
    d.reread();

    d.startFull("First");
    d.writeInNextEdit("I hardly have any.");
    d.answer(3);

    d.h.clock.time = DateTime{2026, 12, 9, 8, 5, 30, 0};
    d.startFull("Second");
    d.moveClock(600); // the stamp is the run's start, not its end
    d.writeInNextEdit("It pays the rent.");
    d.answer(22);

    EXPECT_EQ(d.read("Money.ess"),
              "Money is evil.\r\n"
              "\r\n"
              "2026-12-07 0527pm  RESPONSE: 3\r\n"
              "\r\n"
              "EXPLAIN YOURSELF\r\n"
              "I hardly have any.\r\n"
              "\r\n"
              "2026-12-09 0805am  RESPONSE: 22\r\n"
              "\r\n"
              "EXPLAIN YOURSELF\r\n"
              "It pays the rent.\r\n");
}

TEST(ReviewEssay, TheBlockIsStoredBeforeTheEditorOpensAndSurvivesCancel)
{
    TestDrive d;
    d.lie("A.lie", "Alpha");
    d.lie("B.lie", "Beta");
    d.h.folder.write("B.ess", "Beta\r\n\r\nold notes\r\n");
    d.reread();
    d.startFull("Order");
    d.answer(2);
    d.moveClock(3600);
    std::vector<std::string> seen;
    d.h.ui.whileWaiting([&] {
        seen.push_back(d.h.state.edit.editFileName + "|" + d.read("A.ess"));
        d.h.ui.memo = "thrown away";
        bEditCancelClick(d.h.ctx);
    });
    d.h.ui.whileWaiting([&] {
        seen.push_back(d.h.state.edit.editFileName + "|" + d.read("B.ess"));
        bEditCancelClick(d.h.ctx);
    });
    d.answer(24);

    // Answered order, each essay complete on disk while its edit is open.
    EXPECT_EQ(seen, (std::vector<std::string>{d.h.folder.file("A.ess") + "|Alpha\r\n" + block("2"),
                                              d.h.folder.file("B.ess") + "|Beta\r\n\r\nold notes\r\n" + block("24")}));
    EXPECT_EQ(d.read("A.ess"), "Alpha\r\n" + block("2"));
    EXPECT_EQ(d.read("B.ess"), "Beta\r\n\r\nold notes\r\n" + block("24"));
}

TEST(ReviewEssay, TheTextAreaShowsThePreparedEssayForTheExternalEditor)
{
    TestDrive d;
    d.h.state.options.useInternalEditor = false;
    d.lie("A.lie", "Alpha");
    d.lie("B.lie", "Beta");
    d.reread();
    d.startFull("Outside");
    d.answer(1);
    d.answer(25);
    EXPECT_EQ(d.read("A.ess"), "Alpha\r\n" + block("1"));
    EXPECT_EQ(d.read("B.ess"), "Beta\r\n" + block("25"));
    EXPECT_EQ(d.h.ui.memo, "Beta\n\n2026-12-07 0527pm  RESPONSE: 25\n\nEXPLAIN YOURSELF\n\n");
    EXPECT_TRUE(d.h.ui.memoVisible);
    EXPECT_EQ(editorWaits(d.h.ui.log), 0u);
}

TEST(ReviewEssay, TheEssayHasTheLiesBaseNameInAnyLetterCase)
{
    TestDrive d;
    d.lie("a.b.lie", "Dotted");
    d.lie("Money.lie", "Money is evil.");
    d.h.folder.write("money.ESS", "Money is evil.\r\n");
    d.reread();
    d.startFull("Names");
    d.answer(1);
    d.commitNextEdit();
    d.commitNextEdit();
    d.answer(1);
    EXPECT_EQ(d.read("a.b.ess"), "Dotted\r\n" + block("1"));
    EXPECT_EQ(d.read("money.ESS"), "Money is evil.\r\n" + block("1"));
    EXPECT_FALSE(d.exists("Money.ess"));
}

struct Asked {
    bool essay;
    std::string before; // the essay before the run; empty when there was none
    std::string after;  // the essay after it
};

// One run over Money.lie answered with a response; reports whether an essay was
// asked for, and what the essay was before and after.
Asked reviewOne(const std::optional<std::string> &essay, int response, const char *weak = "05",
                const char *strong = "20", const char *variance = "10")
{
    TestDrive d;
    d.lie("Money.lie", "Money is evil.");
    if (essay)
        d.h.folder.write("Money.ess", *essay);
    d.reread();
    d.h.state.options.weak = weak;
    d.h.state.options.strong = strong;
    d.h.state.options.variance = variance;
    d.startFull("Probe");
    d.commitNextEdit();
    d.answer(response);
    EXPECT_TRUE(d.h.ui.messages.empty());
    Asked result{d.h.ui.waitActions.empty(), essay.value_or(""), d.exists("Money.ess") ? d.read("Money.ess") : ""};
    // Asked: exactly one block after the old text; not asked: nothing written.
    const std::string expected =
        result.essay ? (essay ? *essay : std::string("Money is evil.\r\n")) + block(std::to_string(response))
                     : result.before;
    EXPECT_EQ(result.after, expected);
    return result;
}

std::string essayWith(const std::vector<std::string> &responseLines)
{
    std::string text = "Money is evil.\r\n";
    for (const auto &line : responseLines)
        text += "\r\n" + line + "\r\n\r\nEXPLAIN YOURSELF\r\nbecause.\r\n";
    return text;
}

TEST(ReviewDecision, WithoutAnEssayOnlySixToNineAskForNone)
{
    for (int response = 1; response <= 25; ++response) {
        SCOPED_TRACE(response);
        EXPECT_EQ(reviewOne(std::nullopt, response).essay, response < 6 || response > 9);
    }
}

TEST(ReviewDecision, LimitsVarianceAndTheLastStoredResponse)
{
    struct Case {
        const char *what;
        std::vector<std::string> lines;
        int response;
        bool asked;
        const char *weak = "05";
        const char *strong = "20";
        const char *variance = "10";
    };
    const std::string s = "2026-01-02 0930am ";
    const Case cases[] = {
        {"last 12, 15 is close", {s + " RESPONSE: 12"}, 15, false},
        {"last 12, 19 is close", {s + " RESPONSE: 12"}, 19, false},
        {"last 12, 2 is at the weak end", {s + " RESPONSE: 12"}, 2, true},
        {"weak limit itself", {s + " RESPONSE: 8"}, 5, true},
        {"strong limit itself", {s + " RESPONSE: 18"}, 20, true},
        {"last 3, 13 is the variance away", {s + " RESPONSE: 3"}, 13, true},
        {"last 3, 12 is less", {s + " RESPONSE: 3"}, 12, false},
        {"last 22, 12 is the variance away below", {s + " RESPONSE: 22"}, 12, true},
        {"the last line decides: 7 after 18", {s + " RESPONSE: 18", s + " RESPONSE: 7"}, 17, true},
        {"the last line decides: 7 after 18, 8 is close", {s + " RESPONSE: 18", s + " RESPONSE: 7"}, 8, false},
        {"the last line decides: 18 after 7", {s + " RESPONSE: 7", s + " RESPONSE: 18"}, 17, false},
        {"a hand-typed line counts", {s + " RESPONSE: 3", "Today my RESPONSE: 16"}, 15, false},
        {"the character after the colon is skipped", {"RESPONSE:13"}, 13, true},
        {"a blank after the value gives 0", {s + " RESPONSE: 13 "}, 10, true},
        {"a word after the value gives 0", {s + " RESPONSE: 5 apples"}, 10, true},
        {"only blanks give 0", {s + " RESPONSE:    "}, 10, true},
        {"small letters are no response line", {s + " response: 12"}, 12, true},
        {"no colon, no response line", {s + " RESPONSE 12"}, 12, true},
        {"leading blanks are read", {"RESPONSE:   7"}, 16, false},
        {"only three characters are read", {"RESPONSE: 0123"}, 12, false},
        {"weak limit from the options", {s + " RESPONSE: 8"}, 7, true, "07"},
        {"strong limit from the options", {s + " RESPONSE: 12"}, 15, true, "05", "15"},
        {"variance from the options", {s + " RESPONSE: 12"}, 14, true, "05", "20", "02"},
        {"weak not a number means 5", {s + " RESPONSE: 8"}, 5, true, "  "},
        {"weak not a number, 6 is above it", {s + " RESPONSE: 8"}, 6, false, "  "},
        {"strong not a number means 25, not 20", {s + " RESPONSE: 15"}, 24, false, "05", "  "},
        {"strong not a number, 25 is at it", {s + " RESPONSE: 15"}, 25, true, "05", "  "},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(reviewOne(essayWith(c.lines), c.response, c.weak, c.strong, c.variance).essay, c.asked);
    }
}

// With limits that never apply and a variance of 1, an essay is asked for
// exactly when the response differs from the stored one, which shows the
// stored value itself.
TEST(ReviewDecision, TheStoredResponseIsReadExactly)
{
    struct Case {
        const char *line;
        int value;
    };
    const Case cases[] = {
        {"2026-01-02 0930am  RESPONSE: 22", 22},
        {"2026-01-02 0930am  RESPONSE: 9", 9},
        {"RESPONSE:13", 3},
        {"RESPONSE:x25", 25},
        {"RESPONSE:  4", 4},
        {"RESPONSE: +7", 7},
        {"RESPONSE: $10", 16},
        {"RESPONSE: 021RESPONSE: 5", 21},
        {"RESPONSE: 13 ", 0},
        {"RESPONSE: 5 x", 0},
        {"RESPONSE: ", 0},
        {"RESPONSE:", 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.line);
        const std::string essay = essayWith({c.line});
        if (c.value == 0) {
            // Neither 1 nor 2, but within 1 of 1.
            EXPECT_TRUE(reviewOne(essay, 1, "00", "99", "01").essay);
            EXPECT_TRUE(reviewOne(essay, 2, "00", "99", "01").essay);
            EXPECT_FALSE(reviewOne(essay, 1, "00", "99", "02").essay);
        } else {
            EXPECT_FALSE(reviewOne(essay, c.value, "00", "99", "01").essay);
        }
    }
}

TEST(ReviewFailure, AVarianceThatIsNoNumberStopsAtTheFirstResponseBetweenTheLimits)
{
    TestDrive d;
    d.lie("A.lie", "Alpha");
    d.lie("B.lie", "Beta");
    d.lie("C.lie", "Gamma");
    d.lie("D.lie", "Delta");
    d.reread();
    d.h.state.options.variance = " x";
    d.startFull("Broken");
    d.answer(3);  // weak: essay
    d.answer(24); // strong: essay
    d.answer(12); // between the limits: the variance is needed
    d.commitNextEdit();
    d.commitNextEdit();
    d.commitNextEdit();
    d.answer(1); // never reviewed
    EXPECT_EQ(d.h.ui.messages, (std::vector<std::string>{"' x' is not a valid integer value."}));
    EXPECT_EQ(d.read("A.ess"), "Alpha\r\n" + block("3"));
    EXPECT_EQ(d.read("B.ess"), "Beta\r\n" + block("24"));
    EXPECT_FALSE(d.exists("C.ess"));
    EXPECT_FALSE(d.exists("D.ess"));
    EXPECT_EQ(d.h.ui.waitActions.size(), 1u);
    EXPECT_TRUE(d.exists("Broken.tst"));
    EXPECT_NE(d.read("Broken.tst").find("RESPONSE: 1\r\n"), std::string::npos);
    // The lists are not re-read after the error.
    EXPECT_EQ(d.h.ui.log.back(), "error: ' x' is not a valid integer value.");
}

TEST(ReviewFailure, ASummaryThatCannotBeWrittenEndsTheReview)
{
    TestDrive d;
    d.lie("A.lie", "Alpha");
    d.reread();
    std::filesystem::create_directory(d.h.folder.file("Evening.tst"));
    d.startFull("Evening");
    d.commitNextEdit();
    d.moveClock(65);
    d.answer(3);
    EXPECT_EQ(d.h.ui.messages,
              (std::vector<std::string>{"Cannot create file " + d.h.folder.file("Evening.tst") + "."}));
    EXPECT_FALSE(d.h.ui.testRunning);
    EXPECT_EQ(d.h.ui.status, "Test completed in 01  Minutes  05 Seconds");
    EXPECT_FALSE(d.exists("A.ess"));
    EXPECT_EQ(d.h.ui.waitActions.size(), 1u);
    EXPECT_EQ(d.h.folder.names(), (std::vector<std::string>{"A.lie", "Evening.tst"}));
}

TEST(ReviewFailure, AnEssayThatCannotBeWrittenEndsTheReviewAndAGoneLieIsPassedOver)
{
    {
        SCOPED_TRACE("essay cannot be written");
        TestDrive d;
        d.lie("A.lie", "Alpha");
        d.lie("B.lie", "Beta");
        d.reread();
        std::filesystem::create_directory(d.h.folder.file("A.ess"));
        d.startFull("Run");
        d.answer(3);
        d.commitNextEdit();
        d.answer(3);
        EXPECT_EQ(d.h.ui.messages, (std::vector<std::string>{"Cannot create file " + d.h.folder.file("A.ess") + "."}));
        EXPECT_FALSE(d.exists("B.ess"));
        EXPECT_TRUE(d.exists("Run.tst"));
    }
    {
        SCOPED_TRACE("Lie gone before its essay is made: the review goes on without it");
        TestDrive d;
        d.lie("A.lie", "Alpha");
        d.lie("B.lie", "Beta");
        d.reread();
        d.startFull("Run");
        d.answer(3);
        ASSERT_TRUE(removeFile(d.h.folder.file("A.lie")));
        d.commitNextEdit();
        d.answer(3);
        EXPECT_EQ(d.h.ui.messages, (std::vector<std::string>{formatMessage(kLieGoneAtReview, "A.lie")}));
        EXPECT_FALSE(d.exists("A.ess"));
        EXPECT_TRUE(d.exists("B.ess"));
    }
}

TEST(ReviewClosing, AWindowClosedDuringAnEssayStillGivesEveryAskedAnswerItsBlock)
{
    TestDrive d;
    d.lie("A.lie", "Alpha");
    d.lie("B.lie", "Beta");
    d.lie("C.lie", "Gamma");
    d.reread();
    d.startFull("Late");
    d.answer(1);
    d.answer(1);
    d.h.ui.answerSaveEdit(SaveAnswer::Discard);
    d.h.ui.whileWaiting([&] {
        d.h.ui.memo += "half a thought\n";
        ASSERT_TRUE(endEditForClose(d.h.ctx));
        d.h.state.closing = true;
    });
    d.answer(1);
    const std::pair<const char *, const char *> essays[] = {{"A.ess", "Alpha"}, {"B.ess", "Beta"}, {"C.ess", "Gamma"}};
    for (const auto &[essay, lie] : essays) {
        SCOPED_TRACE(essay);
        ASSERT_TRUE(d.exists(essay));
        EXPECT_EQ(d.read(essay), std::string(lie) + "\r\n" + block("1"));
    }
    EXPECT_EQ(editorWaits(d.h.ui.log), 1u);
    EXPECT_TRUE(d.h.ui.messages.empty());
}

// Four Lies A to D, each answered at a limit, so each asks for an essay.
struct FourEssays : TestDrive {
    FourEssays()
    {
        for (const char *name : {"A", "B", "C", "D"})
            lie(std::string(name) + ".lie", name);
        reread();
        startFull("Four");
    }
    void answerAll()
    {
        for (int i = 0; i < 4; ++i)
            answer(i % 2 ? 24 : 2);
    }
};

TEST(ReviewPlace, EachEssayIsCountedBesideTheDescribedStatus)
{
    TestDrive d;
    for (const char *name : {"A", "B", "C"})
        d.lie(std::string(name) + ".lie", name);
    d.reread();
    d.startFull("Count");
    // The status line as each edit shows it, with the count shown at the time.
    std::vector<std::string> seen;
    for (int i = 0; i < 2; ++i)
        d.h.ui.whileWaiting([&] {
            seen.push_back(d.h.ui.status + " | " + d.h.ui.reviewPositions.back());
            bEditCommitClick(d.h.ctx);
        });
    d.answer(3);
    d.answer(7); // asks for nothing: not counted
    d.answer(22);
    EXPECT_EQ(seen, (std::vector<std::string>{"Editing: A.ess | Essay 1 of 2: A.ess [Later]",
                                              "Editing: C.ess | Essay 2 of 2: C.ess"}));
    EXPECT_EQ(d.h.ui.reviewPositions.back(), "");
    EXPECT_FALSE(d.h.state.run.reviewing);
}

TEST(ReviewLater, AppendsEveryRemainingBlockWithoutOpeningTheEditors)
{
    FourEssays d;
    d.h.ui.whileWaiting([&] {
        d.h.ui.memo += "Not today.\n";
        bEditLaterClick(d.h.ctx);
    });
    d.answerAll();
    // What was written in the open essay is kept, the rest have their blocks.
    EXPECT_EQ(d.read("A.ess"), "A\r\n" + block("2") + "Not today.\r\n");
    EXPECT_EQ(d.read("B.ess"), "B\r\n" + block("24"));
    EXPECT_EQ(d.read("C.ess"), "C\r\n" + block("2"));
    EXPECT_EQ(d.read("D.ess"), "D\r\n" + block("24"));
    EXPECT_EQ(editorWaits(d.h.ui.log), 1u);
    EXPECT_EQ(d.h.ui.reviewPositions, (std::vector<std::string>{"Essay 1 of 4: A.ess [Later]", ""}));
    EXPECT_EQ(d.h.ui.log.back(), "list: Tests"); // the lists are re-read as after any review
    EXPECT_EQ(d.h.state.lies.count(), 4);

    // The choice was for that review only: the next opens every essay again.
    d.startFull("Again");
    for (int i = 0; i < 4; ++i)
        d.commitNextEdit();
    d.answerAll();
    EXPECT_EQ(editorWaits(d.h.ui.log), 5u);
    EXPECT_TRUE(d.h.ui.waitActions.empty());
}

TEST(ReviewLater, DoesNothingOutsideTheReviewOrWhenTheEssayCannotBeStored)
{
    {
        SCOPED_TRACE("an edit from the Essays page");
        TestDrive d;
        d.h.folder.write("Note.ess", "Note\r\n");
        d.reread();
        d.h.ui.whileWaiting([&] {
            bEditLaterClick(d.h.ctx);
            EXPECT_TRUE(d.h.state.edit.editInProgress);
            bEditCancelClick(d.h.ctx);
        });
        InternalEdit(d.h.ctx, "Note.ess");
        EXPECT_FALSE(d.h.state.run.laterChosen);
    }
    {
        SCOPED_TRACE("the open essay cannot be stored");
        FourEssays d;
        d.h.ui.whileWaiting([&] {
            std::filesystem::remove(d.h.folder.file("A.ess"));
            std::filesystem::create_directory(d.h.folder.file("A.ess"));
            bEditLaterClick(d.h.ctx);
            // Still open: the person chooses again, and the review goes on.
            EXPECT_TRUE(d.h.state.edit.editInProgress);
            EXPECT_FALSE(d.h.state.run.laterChosen);
            bEditCancelClick(d.h.ctx);
        });
        for (int i = 0; i < 3; ++i)
            d.commitNextEdit();
        d.answerAll();
        EXPECT_EQ(editorWaits(d.h.ui.log), 4u);
        EXPECT_EQ(d.h.ui.messages.size(), 1u);
    }
}

} // namespace
} // namespace varnok::testing
