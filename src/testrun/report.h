#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "core/job.h"
#include "core/state.h"
#include "platform/clock.h"
#include "testrun/responses.h"

namespace varnok {

// The progress bar's caption while a report is made.
inline constexpr char kMakingReportCaption[] = "Making the report...";
// A report holds what is stored, and a test stores its answers when it ends;
// meanwhile the Lies page shows the test's Lies as selected, not the person's.
inline constexpr char kReportAfterTest[] =
    "A report holds the stored responses, and this test's answers are stored when it ends. Make the report "
    "after the test.";

// A day of the calendar.
struct Day {
    int year = 2000;
    int month = 1;
    int day = 1;
    auto operator<=>(const Day &) const = default;
    static Day of(const DateTime &t) { return {t.year, t.month, t.day}; }
};

// The days a report covers, both ends included; an end left open reaches to
// the first or the last thing the journal holds.
struct ReportRange {
    std::optional<Day> from;
    std::optional<Day> to;

    bool whole() const { return !from && !to; }
    bool contains(const DateTime &t) const;
};

// One response block of an essay: the line the review wrote and what the
// person wrote below it.
struct ReportBlock {
    std::string responseLine;
    // Empty when the line holds no date the chart can read; such a block
    // belongs to a report of the whole journal only.
    std::optional<DateTime> when;
    // The lines below the block's "EXPLAIN YOURSELF" up to the next block,
    // without the empty lines around them; empty lines within stay, as they
    // part the paragraphs.
    Lines explanation;
};

struct ReportLie {
    std::string lieName;
    Lines statement;
    // In the range, in time order: the essay's and the test summaries'.
    std::vector<ResponsePoint> responses;
    // In the range, in the order of the essay.
    std::vector<ReportBlock> blocks;
    // Response lines that could not be read as a date and a value.
    int skipped = 0;
};

// Everything a report shows. Texts are UTF-8 whatever the file held: a file
// that is not valid UTF-8 is read as Latin-1, as the window shows it. NUL
// bytes are left out, and a line longer than kLongestReportLine bytes is cut
// with a note saying how much of it is not shown.
struct ReportContent {
    std::string folderName;
    DateTime made;
    ReportRange range;
    // The first and the last day of a response in the report; empty without any.
    std::optional<Day> firstDay;
    std::optional<Day> lastDay;
    std::vector<ReportLie> lies;
    std::size_t responseCount = 0;
    // Files that could not be read, by the name the folder gives them, in the
    // order met: the report leaves out what they hold and says so.
    std::vector<std::string> unreadable;
    int unlinkedAnswers = 0;
};

inline constexpr std::size_t kLongestReportLine = 20000;

// What to report on, taken when the command starts: the Lies selected on the
// Lies page, or every Lie when none is.
struct ReportRequest {
    std::string lieFolder;
    std::vector<std::string> allLieNames;
    std::vector<std::string> lieNames;
    ReportRange range;
    DateTime made;
};
ReportRequest reportRequest(const AppState &state, const ReportRange &range, const DateTime &now);

// Reads the Lies, their essays and the test summaries. Never fails on a file:
// one that cannot be read is named in the result. Writes nothing; with
// progress, stops when cancelled.
ReportContent gatherReport(const ReportRequest &request, JobProgress *progress = nullptr);

// The response blocks of an essay, in file order, whatever their dates.
std::vector<ReportBlock> essayBlocks(const Lines &essayLines);

// "Lies report 2026-12-08.pdf": the lie folder's own name and the day.
std::string reportFileNameProposal(const std::string &lieFolder, const DateTime &today);

} // namespace varnok
