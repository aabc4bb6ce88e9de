#include <algorithm>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "core/text.h"
#include "platform/files.h"
#include "support/stamps.h"
#include "testrun/history.h"
#include "testrun/summaries.h"
#include "testrun/testdrive.h"

namespace varnok {
namespace {

using testing::at;
using testing::TestDrive;
using Source = ResponseSource;

// Sets a file's time to a local date and time, as a copy or a restore might.
void setFileTime(const std::string &path, const DateTime &t)
{
    std::tm local{};
    local.tm_year = t.year - 1900;
    local.tm_mon = t.month - 1;
    local.tm_mday = t.day;
    local.tm_hour = t.hour;
    local.tm_min = t.minute;
    local.tm_isdst = -1;
    const struct timespec times[2] = {{std::mktime(&local), 0}, {std::mktime(&local), 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

void selectAll(TestDrive &d)
{
    d.reread();
    d.h.state.lies.selectAll();
}

// The test's proposed name: its start's stamp and "Test Results".
std::string proposedName(const TestDrive &d)
{
    return dateStamp(d.h.clock.time) + "Test Results";
}

std::vector<ResponsePoint> pointsOf(const LieHistory &history, const std::string &lie)
{
    for (const auto &s : history.chart.series)
        if (s.lieFileName == lie)
            return s.points;
    ADD_FAILURE() << lie << " has no series";
    return {};
}

TEST(HistoryChart, TwoTestsADayApartGiveEveryLieTwoPoints)
{
    TestDrive d;
    d.lie("A.lie", "Money is evil.");
    d.lie("B.lie", "Work is good.");
    d.lie("C.lie", "Cats are cruel.");
    d.lie("D.lie", "Rain is sad.");
    d.reread();
    // First test: 3 and 22 ask for an essay at the limits; 7 and 8 lie within
    // the variance of no stored response and leave only the summary.
    d.startFull(proposedName(d));
    d.commitNextEdit();
    d.commitNextEdit();
    for (const int value : {3, 7, 8, 22})
        d.answer(value);
    ASSERT_TRUE(d.exists("2026-12-07 0527pm Test Results.tst"));

    d.moveClock(24 * 60 * 60);
    d.reread();
    // Second test: 4 (weak), 13 (10 from nothing) and 12 (10 from 22) ask;
    // 9 does not.
    d.startFull(proposedName(d));
    for (int i = 0; i < 3; ++i)
        d.commitNextEdit();
    for (const int value : {4, 9, 13, 12})
        d.answer(value);

    selectAll(d);
    d.h.ui.log.clear();
    const auto history = bLiesHistoryWithChart(d.h.ctx);
    ASSERT_TRUE(history.has_value());

    const DateTime first = at(2026, 12, 7, 17, 27);
    const DateTime second = at(2026, 12, 8, 17, 27);
    using P = std::vector<ResponsePoint>;
    EXPECT_EQ(pointsOf(*history, "A.lie"), (P{{first, 3, Source::Essay}, {second, 4, Source::Essay}}));
    EXPECT_EQ(pointsOf(*history, "B.lie"), (P{{first, 7, Source::Summary}, {second, 9, Source::Summary}}));
    EXPECT_EQ(pointsOf(*history, "C.lie"), (P{{first, 8, Source::Summary}, {second, 13, Source::Essay}}));
    EXPECT_EQ(pointsOf(*history, "D.lie"), (P{{first, 22, Source::Essay}, {second, 12, Source::Essay}}));
    EXPECT_EQ(history->chart.unlinkedAnswers, 0);
    EXPECT_EQ(history->chart.unreadableSummaries, 0);

    // The text area shows what it always showed: the essays' lines only.
    EXPECT_EQ(d.h.ui.memo,
              "\n\nLie History:\nMoney is evil.\n\n"
              "2026-12-07 0527pm  RESPONSE: 3\n"
              "2026-12-08 0527pm  RESPONSE: 4\n"
              "\n\nLie History:\nWork is good.\n\n"
              "\n\nLie History:\nCats are cruel.\n\n"
              "2026-12-08 0527pm  RESPONSE: 13\n"
              "\n\nLie History:\nRain is sad.\n\n"
              "2026-12-07 0527pm  RESPONSE: 22\n"
              "2026-12-08 0527pm  RESPONSE: 12\n");
    EXPECT_EQ(d.h.ui.log, std::vector<std::string>{"page: Start Here"});

    // The CSV marks where each response was found and names the statement.
    const std::string csv = responsesCsv(history->chart.series);
    EXPECT_NE(csv.find("B.lie,Work is good.,2026-12-07T17:27:00,7,test summary\r\n"), std::string::npos) << csv;
    EXPECT_NE(csv.find("C.lie,Cats are cruel.,2026-12-08T17:27:00,13,essay\r\n"), std::string::npos) << csv;
}

TEST(HistoryChart, SummaryIsDatedByItsNameElseByItsFileTime)
{
    TestDrive d;
    d.lie("A.lie", "Money is evil.");
    d.h.folder.write("Evening.tst", "Evening\r\n\r\nMoney is evil.\r\n\r\n\r\nRESPONSE: 9\r\n\r\n\r\nTest Time: 0\r\n");
    setFileTime(d.h.folder.file("Evening.tst"), at(2025, 6, 30, 21, 15));
    // A renamed summary whose first line still holds the proposed name.
    d.h.folder.write(
        "Renamed.tst",
        "2026-01-05 0930am Test Results\r\n\r\nMoney is evil.\r\n\r\n\r\nRESPONSE: 11\r\n\r\n\r\nTest Time: 0\r\n");
    d.h.folder.write("Day 2026-02-14.tst",
                     "Day\r\n\r\nMoney is evil.\r\n\r\n\r\nRESPONSE: 14\r\n\r\n\r\nTest Time: 0\r\n");
    selectAll(d);

    const auto history = bLiesHistoryWithChart(d.h.ctx);
    ASSERT_TRUE(history.has_value());
    using P = std::vector<ResponsePoint>;
    EXPECT_EQ(pointsOf(*history, "A.lie"), (P{{at(2025, 6, 30, 21, 15), 9, Source::Summary},
                                              {at(2026, 1, 5, 9, 30), 11, Source::Summary},
                                              {at(2026, 2, 14, 0, 0), 14, Source::Summary}}));
}

TEST(HistoryChart, DateInName)
{
    struct Case {
        const char *name;
        std::optional<DateTime> date;
    };
    const Case cases[] = {
        {"2026-12-07 0527pm Test Results", at(2026, 12, 7, 17, 27)},
        {"2026-12-07 1205am", at(2026, 12, 7, 0, 5)},
        {"Evening of 2026-12-07", at(2026, 12, 7, 0, 0)},
        {"x 2026-02-29 1200pm", std::nullopt}, // no such day
        {"2024-02-29", at(2024, 2, 29, 0, 0)},
        {"12026-12-07", std::nullopt}, // a longer number is no year
        {"2026-12-077", std::nullopt},
        {"2026-13-01 run", std::nullopt},
        {"2026-12-07 1300pm", at(2026, 12, 7, 0, 0)}, // no such hour: the date alone
        {"Evening", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto &c : cases)
        EXPECT_EQ(dateInName(c.name), c.date) << c.name;
}

TEST(HistoryChart, SummaryAnswersFollowTheLayout)
{
    // Answered, answered, a two-line Lie answered, the last one stopped.
    const Lines summary = {"Evening",
                           "",
                           "Money is evil.",
                           "",
                           "",
                           "RESPONSE: 13",
                           "",
                           "",
                           "",
                           "RESPONSE: 1",
                           "", // an empty Lie file
                           "Work is good.",
                           "",
                           "Work is a duty.",
                           "",
                           "",
                           "RESPONSE: 25",
                           "",
                           "Stopped here.",
                           "",
                           "",
                           "Test Time: 0  Hours  0  Minutes  9 Seconds"};
    const auto answers = summaryAnswers(summary);
    ASSERT_EQ(answers.size(), 3u);
    EXPECT_EQ(answers[0].statement, Lines{"Money is evil."});
    EXPECT_EQ(answers[0].value, 13);
    EXPECT_EQ(answers[1].statement, Lines{});
    EXPECT_EQ(answers[1].value, 1);
    EXPECT_EQ(answers[2].statement, (Lines{"Work is good.", "", "Work is a duty."}));
    EXPECT_EQ(answers[2].value, 25);

    // Values a scale cannot give are kept as unreadable answers.
    for (const char *value : {"0", "26", "x", "", "13 ", "007"}) {
        const auto odd = summaryAnswers({"N", "", "L", "", "", std::string("RESPONSE: ") + value, ""});
        ASSERT_EQ(odd.size(), 1u) << value;
        EXPECT_FALSE(odd[0].value.has_value()) << value;
    }
    // A response line not between empty lines is text, not an answer.
    EXPECT_TRUE(summaryAnswers({"N", "", "L", "", "RESPONSE: 5", ""}).empty());
    EXPECT_TRUE(summaryAnswers({}).empty());
}

TEST(HistoryChart, EditedStatementLinksByItsEssayOrIsCounted)
{
    TestDrive d;
    d.lie("A.lie", "Money is evil.");
    d.lie("B.lie", "Work is good.");
    d.lie("C.lie", "Rain is sad.");
    d.reread();
    d.startFull(proposedName(d));
    d.commitNextEdit();
    for (const int value : {3, 7, 8})
        d.answer(value);

    // Since then: A's statement was reworded (its essay still begins with the
    // old one), B's too (it has no essay), C only gained capitals and blanks.
    d.lie("A.lie", "Money is the root of evil.");
    d.lie("B.lie", "Work is mostly good.");
    d.lie("C.lie", "RAIN   is sad. ");
    d.moveClock(60 * 60);
    d.reread();
    d.startFull("Later");
    for (const int value : {6, 8, 9})
        d.answer(value);

    selectAll(d);
    const auto history = bLiesHistoryWithChart(d.h.ctx);
    ASSERT_TRUE(history.has_value());
    EXPECT_EQ(pointsOf(*history, "A.lie").size(), 2u) << "through the essay's opening statement";
    EXPECT_EQ(pointsOf(*history, "B.lie").size(), 1u);
    EXPECT_EQ(pointsOf(*history, "C.lie").size(), 2u);
    EXPECT_EQ(history->chart.unlinkedAnswers, 1) << "B's first answer names a statement no Lie has now";

    // A History of some Lies cannot tell whose B's old answer was, so it
    // does not count it as left out of its own chart.
    d.h.state.lies.clearSelection();
    d.h.state.lies.setSelected(0, true);
    const auto one = bLiesHistoryWithChart(d.h.ctx);
    ASSERT_TRUE(one.has_value());
    ASSERT_EQ(one->chart.series.size(), 1u);
    EXPECT_EQ(one->chart.unlinkedAnswers, 0);
}

// An answer stays linked to its Lie whichever way the statement was wrapped
// or spaced since, and only then.
TEST(HistoryChart, StatementKeysIgnoreWrappingBlanksAndCapitals)
{
    const Lines now{"Money is evil."};
    const struct {
        Lines then;
        bool linked;
    } cases[] = {
        {{"Money is", "evil."}, true},
        {{"Money", "is", "evil."}, true},
        {{"Money is ", " evil."}, true},
        {{"", "MONEY\tis  evil. ", ""}, true},
        {{"\vMoney is\f", "evil."}, true},
        {{"Money i", "s evil."}, false},
        {{"Moneyis evil."}, false},
        {{"Money is", "evil!"}, false},
        {{"Money is"}, false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(statementKey(c.then) == statementKey(now), c.linked) << ::testing::PrintToString(c.then);
    EXPECT_EQ(statementKey({"M\xC3\x96NEY"}), "m\xC3\x96ney");
}

TEST(HistoryChart, AnswerInBothPlacesIsDrawnOnceAndUnreadableOnesCount)
{
    TestDrive d;
    d.lie("A.lie", "Money is evil.");
    // The essay's block is stamped at the test's start; the renamed summary
    // is dated by its file, written when that test ended 40 minutes later.
    d.h.folder.write("A.ess", "Money is evil.\r\n\r\n2026-03-01 0900am  RESPONSE: 22\r\n\r\nEXPLAIN YOURSELF\r\n");
    d.h.folder.write("Evening.tst",
                     "Evening\r\n\r\nMoney is evil.\r\n\r\n\r\nRESPONSE: 22\r\n\r\n\r\nTest Time: 0\r\n");
    setFileTime(d.h.folder.file("Evening.tst"), at(2026, 3, 1, 9, 40));
    // Same value two days on: another answer.
    d.h.folder.write("2026-03-03 0900am x.tst", "x\r\n\r\nMoney is evil.\r\n\r\n\r\nRESPONSE: 22\r\n\r\n\r\nT\r\n");
    d.h.folder.write("2026-03-04 0900am y.tst", "y\r\n\r\nMoney is evil.\r\n\r\n\r\nRESPONSE: 99\r\n\r\n\r\nT\r\n");
    selectAll(d);

    const auto history = bLiesHistoryWithChart(d.h.ctx);
    ASSERT_TRUE(history.has_value());
    using P = std::vector<ResponsePoint>;
    EXPECT_EQ(pointsOf(*history, "A.lie"),
              (P{{at(2026, 3, 1, 9, 0), 22, Source::Essay}, {at(2026, 3, 3, 9, 0), 22, Source::Summary}}));
    EXPECT_EQ(history->chart.series[0].skipped, 1);
}

TEST(HistoryChart, CsvNameProposal)
{
    const DateTime day = at(2026, 12, 8, 9, 0);
    EXPECT_EQ(csvFileNameProposal("/home/eve/Lies/", day), "Lies 2026-12-08.csv");
    EXPECT_EQ(csvFileNameProposal("/home/eve/Journal 2", day), "Journal 2 2026-12-08.csv");
    EXPECT_EQ(csvFileNameProposal("/", day), "Lies 2026-12-08.csv");
}

// A summary of empty lines costs no memory per line (measured in a child).
TEST(HistoryChart, ASummaryOfEmptyLinesCostsNoMemoryPerLine)
{
    TestDrive d;
    d.lie("A.lie", "A");
    std::string bytes = "Flood\r\n\r\nA\r\n\r\n\r\nRESPONSE: 7\r\n\r\n";
    bytes.append(std::size_t{4} << 20, '\n');
    d.h.folder.write("2026-01-02 0100pm Flood.tst", bytes);
    const std::vector<LieHistoryEntry> entries{{"A.lie", {"A"}, {}}};
    const pid_t child = ::fork();
    if (child == 0) {
        long pages = 0, resident = 0;
        FILE *statm = std::fopen("/proc/self/statm", "r");
        if (!statm || std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            ::_exit(254);
        const HistoryChart chart = buildHistoryChart(d.h.folder.path(), {"A.lie"}, entries, nullptr);
        rusage usage{};
        ::getrusage(RUSAGE_SELF, &usage);
        const long grownMiB = (usage.ru_maxrss - resident * (::sysconf(_SC_PAGESIZE) / 1024)) / 1024;
        ::_exit(chart.series.at(0).points.size() == 1 ? static_cast<int>(std::clamp(grownMiB, 0L, 200L)) : 255);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_LT(WEXITSTATUS(status), 16) << "MiB grown charting a summary of 4 MiB (255: its answer was lost)";
}

} // namespace
} // namespace varnok
