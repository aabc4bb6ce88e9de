#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/userdirs.h"
#include "support/fakeui.h"
#include "support/stamps.h"
#include "testrun/report.h"

namespace varnok {
namespace {

using testing::at;
using testing::responseLine;
using testing::TempFolder;

std::string crlf(const Lines &lines)
{
    return joinLines(lines);
}

// Money.lie has an essay of three blocks and an answer in a test summary;
// Cafe.lie and its essay are Latin-1, the essay with a NUL and a 5 MB line;
// Quiet.lie has no essay; Broken.lie's essay cannot be read.
struct SmallFolder {
    explicit SmallFolder(std::size_t longLine = 10)
    {
        folder.write("Money.lie", "Money is evil.\r\n");
        folder.write("Money.ess", crlf({"Money is evil.", "", responseLine(at(2026, 1, 5, 9, 0), 3), "",
                                        "EXPLAIN YOURSELF", "First thought.", "", "Second paragraph.", "",
                                        responseLine(at(2026, 2, 10, 17, 27), 22), "", "EXPLAIN YOURSELF", "Payday.",
                                        responseLine(at(2026, 3, 15, 8, 0), 12), "", "EXPLAIN YOURSELF", ""}));
        folder.write("Cafe.lie", "Caf\xe9 is life.\r\n");
        folder.write("Cafe.ess", "Caf\xe9 is life.\r\n\r\n" + responseLine(at(2026, 2, 1, 7, 0), 25) +
                                     "\r\n\r\nEXPLAIN YOURSELF\r\n" + std::string("No\0ne \xe0 la fois.\r\n", 18) +
                                     std::string(longLine, 'x') + "\r\n");
        folder.write("Quiet.lie", "Quiet is good.\r\n");
        folder.write("Broken.lie", "Broken things.\r\n");
        ::mkfifo(folder.file("Broken.ess").c_str(), 0600);
        // Money's 22 asked for an essay, Quiet's 7 did not.
        folder.write("2026-02-10 0527pm Test Results.tst",
                     crlf({"2026-02-10 0527pm Test Results", "", "Money is evil.", "", "", "RESPONSE: 22", "",
                           "Quiet is good.", "", "", "RESPONSE: 7", "", "", "Test Time: 1 min"}));
    }
    ReportContent gather(ReportRange range, std::vector<std::string> chosen = {}) const
    {
        ReportRequest request;
        request.lieFolder = folder.path();
        request.allLieNames = {"Broken.lie", "Cafe.lie", "Money.lie", "Quiet.lie"};
        request.lieNames = chosen.empty() ? request.allLieNames : chosen;
        request.range = range;
        request.made = at(2026, 12, 9, 10, 0);
        return gatherReport(request);
    }
    TempFolder folder;
};

const ReportLie &lieNamed(const ReportContent &content, const std::string &name)
{
    for (const auto &lie : content.lies)
        if (lie.lieName == name)
            return lie;
    throw std::runtime_error(name + " is not in the report");
}

std::string valuesOf(const ReportLie &lie)
{
    std::string out;
    for (const auto &p : lie.responses)
        out += std::to_string(p.value) + (p.source == ResponseSource::Summary ? "s " : " ");
    return out;
}

TEST(Report, TakesTheResponsesAndBlocksOfItsDaysOnly)
{
    const SmallFolder f;
    struct Row {
        std::optional<Day> from, to;
        std::string money, quiet, cafe;
        std::size_t moneyBlocks, responses;
    };
    const Row rows[] = {
        {{}, {}, "3 22 12 ", "7s ", "25 ", 3, 5},
        {Day{2026, 2, 1}, Day{2026, 2, 10}, "22 ", "7s ", "25 ", 1, 3},
        // Both ends are whole days.
        {Day{2026, 2, 10}, Day{2026, 2, 10}, "22 ", "7s ", "", 1, 2},
        {Day{2026, 2, 11}, {}, "12 ", "", "", 1, 1},
        {{}, Day{2026, 1, 5}, "3 ", "", "", 1, 1},
        {Day{2027, 1, 1}, {}, "", "", "", 0, 0},
    };
    for (const auto &row : rows) {
        const ReportContent c = f.gather({row.from, row.to});
        SCOPED_TRACE(row.money);
        EXPECT_EQ(valuesOf(lieNamed(c, "Money.lie")), row.money);
        EXPECT_EQ(valuesOf(lieNamed(c, "Quiet.lie")), row.quiet);
        EXPECT_EQ(valuesOf(lieNamed(c, "Cafe.lie")), row.cafe);
        EXPECT_EQ(lieNamed(c, "Money.lie").blocks.size(), row.moneyBlocks);
        EXPECT_EQ(c.responseCount, row.responses);
        EXPECT_EQ(c.firstDay.has_value(), row.responses > 0);
    }
    const ReportContent whole = f.gather({});
    EXPECT_EQ(whole.firstDay, (Day{2026, 1, 5}));
    EXPECT_EQ(whole.lastDay, (Day{2026, 3, 15}));
    EXPECT_EQ(whole.lies.size(), 4u);
}

TEST(Report, ExplanationsKeepTheirParagraphsAndOrder)
{
    struct Row {
        Lines essay;
        std::vector<std::pair<std::string, Lines>> blocks;
    };
    const std::string r1 = responseLine(at(2026, 1, 5, 9, 0), 3);
    const std::string r2 = responseLine(at(2026, 1, 6, 9, 0), 20);
    const Row rows[] = {
        {{"Statement.", "Before any block."}, {}},
        {{"S", "", r1, "", "EXPLAIN YOURSELF", "", "a", "", "", "b", ""}, {{r1, {"a", "", "", "b"}}}},
        // Only the block's own keyword line goes; one the person wrote stays.
        {{"S", "", r1, "", "EXPLAIN YOURSELF", "EXPLAIN YOURSELF", r2}, {{r1, {"EXPLAIN YOURSELF"}}, {r2, {}}}},
        {{r1, "no keyword", r2, "", "EXPLAIN YOURSELF", "z"}, {{r1, {"no keyword"}}, {r2, {"z"}}}},
    };
    for (const auto &row : rows) {
        const auto blocks = essayBlocks(row.essay);
        ASSERT_EQ(blocks.size(), row.blocks.size());
        for (std::size_t i = 0; i < blocks.size(); ++i) {
            EXPECT_EQ(blocks[i].responseLine, row.blocks[i].first);
            EXPECT_EQ(blocks[i].explanation, row.blocks[i].second);
            EXPECT_TRUE(blocks[i].when.has_value());
        }
    }
}

TEST(Report, BadFilesStillGiveAReportThatNamesThem)
{
    const SmallFolder f(5 << 20);
    // A folder where an essay should be is as unreadable as the pipe.
    ::mkdir(f.folder.file("Quiet.ess").c_str(), 0700);
    const ReportContent c = f.gather({});
    EXPECT_EQ(c.unreadable, (std::vector<std::string>{"Broken.ess", "Quiet.ess"}));
    const ReportLie &broken = lieNamed(c, "Broken.lie");
    EXPECT_EQ(broken.statement, Lines{"Broken things."});
    EXPECT_TRUE(broken.blocks.empty());

    // Latin-1 becomes UTF-8, a NUL hides nothing after it, a 5 MB line is cut.
    const ReportLie &cafe = lieNamed(c, "Cafe.lie");
    EXPECT_EQ(cafe.statement, Lines{"Caf\xc3\xa9 is life."});
    ASSERT_EQ(cafe.blocks.size(), 1u);
    const Lines &text = cafe.blocks[0].explanation;
    ASSERT_EQ(text.size(), 2u);
    EXPECT_EQ(text[0], "None \xc3\xa0 la fois.");
    EXPECT_EQ(text[1].substr(0, kLongestReportLine), std::string(kLongestReportLine, 'x'));
    EXPECT_NE(text[1].find("the rest of this line, " + std::to_string((5 << 20) - kLongestReportLine) + " bytes"),
              std::string::npos);

    // Only the chosen Lies; the others' answers are no fault.
    const ReportContent chosen = f.gather({}, {"Quiet.lie"});
    ASSERT_EQ(chosen.lies.size(), 1u);
    EXPECT_EQ(chosen.responseCount, 1u);
    EXPECT_EQ(chosen.unlinkedAnswers, 0);
}

TEST(Report, CancelStopsTheReading)
{
    const SmallFolder f;
    ReportRequest request;
    request.lieFolder = f.folder.path();
    request.lieNames = request.allLieNames = {"Money.lie"};
    JobProgress progress;
    progress.cancel();
    EXPECT_THROW(gatherReport(request, &progress), JobCancelled);
}

TEST(Report, FileNameAndDocumentsFolder)
{
    EXPECT_EQ(reportFileNameProposal("/home/me/Journal/", at(2026, 12, 8, 9, 0)), "Journal report 2026-12-08.pdf");
    EXPECT_EQ(reportFileNameProposal("/", at(2026, 1, 2, 9, 0)), "Lies report 2026-01-02.pdf");
    struct Row {
        std::string userDirs;
        std::optional<std::string> home, folder;
    };
    const Row rows[] = {
        {"XDG_DOCUMENTS_DIR=\"$HOME/Documents\"\n", "/home/me", "/home/me/Documents/"},
        {"# c\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\n  XDG_DOCUMENTS_DIR = \"/srv/docs\"\n", "/home/me/", "/srv/docs/"},
        {"XDG_DOCUMENTS_DIR=\"$HOME/My\\\"Docs\"\nXDG_DOCUMENTS_DIR=\"$HOME/Later\"", "/h", "/h/Later/"},
        {"XDG_DOCUMENTS_DIR=\"$HOME\"", "/h", "/h/"},
        {"XDG_DOCUMENTS_DIR=\"$HOMEWORK/x\"", "/h", "/h/"},
        {"XDG_DOCUMENTS_DIR=\"relative/x\"", "/h", "/h/"},
        {"XDG_DOCUMENTS_DIR=$HOME/unquoted", "/h", "/h/"},
        {"", "/h", "/h/"},
        {"XDG_DOCUMENTS_DIR=\"/srv/docs\"", std::nullopt, std::nullopt},
    };
    for (const auto &row : rows)
        EXPECT_EQ(documentsFolderFor(row.userDirs, row.home), row.folder) << row.userDirs;
}

} // namespace
} // namespace varnok
