#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/context.h"
#include "core/job.h"
#include "platform/clock.h"
#include "testrun/history.h"
#include "testrun/responses.h"

namespace varnok {

// One answered Lie as a test summary records it: the Lie's lines as the test
// showed them (a summary names no file) and the response.
struct SummaryAnswer {
    Lines statement;
    std::optional<int> value; // empty when the response line cannot be read as 1..25
};

// The answers of one summary, in the order the test took them. A summary is
//
//   name, "", then per Lie shown: its lines, "", and when it was answered
//   "", "RESPONSE: n", "";  at the end "", "Test Time: ..."
//
// so a response line stands between empty lines, right after the empty line
// that closes its Lie, and the Lie begins where the previous answer ended.
// A Lie shown but not answered (the test was stopped) gives nothing.
std::vector<SummaryAnswer> summaryAnswers(const Lines &lines);

// When a test was taken: the date its file name holds, else the one its
// first line (the test name, whole) holds, else the file's time.
std::optional<DateTime> summaryDate(std::string_view fileName, const Lines &lines,
                                    const std::optional<DateTime> &fileTime);

// The key under which a statement links a summary's answer to a Lie: its
// lines joined, runs of white space made one blank, the ends trimmed and
// ASCII letters made small, so that a blank or a capital changed since the
// test does not lose the answer.
std::string statementKey(const Lines &lines);

// What the chart draws for a History.
struct HistoryChart {
    std::vector<ChartSeries> series; // one per selected Lie, in list order
    // Answers in test summaries whose statement no Lie in the folder has now
    // (edited or deleted since the test): they are left out. Counted only in
    // a History of every Lie, since they cannot be told to be the selected ones'.
    int unlinkedAnswers = 0;
    int unreadableSummaries = 0; // summary files that could not be read or dated
};

// The chart of the selected Lies: every response their essays hold, and every
// answer the folder's test summaries record for them. An answer links to a Lie
// whose statement has its key, now or when the Lie's essay began (the review
// starts an essay with the statement as it was then). An answer that asked
// for an essay is in both places; the summary's copy is dropped when the
// essay holds the same value within a day of the summary's date (the essay is
// stamped at the test's start, a file's time is the test's end). Answers that
// link to no Lie are counted only when every Lie of the list is selected.
// Reads files only; with progress, stops when cancelled. The names of the
// summaries it could not read or date go to unreadableNames when given.
HistoryChart buildHistoryChart(const std::string &lieFolder, const std::vector<std::string> &allLieNames,
                               const std::vector<LieHistoryEntry> &entries, JobProgress *progress = nullptr,
                               std::vector<std::string> *unreadableNames = nullptr);

// What "H&istory" read and what its chart draws.
struct LieHistory {
    std::vector<LieHistoryEntry> entries;
    HistoryChart chart;
};

// "H&istory" as the window runs it: as bLiesHistoryClick, with the chart's
// data built in the same long job, off the window's thread.
std::optional<LieHistory> bLiesHistoryWithChart(Context &ctx);

} // namespace varnok
