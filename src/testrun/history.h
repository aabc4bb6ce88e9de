#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/context.h"
#include "core/job.h"

namespace varnok {

inline constexpr char kLieHistoryHeading[] = "Lie History:";
// The progress bar's caption while the history is read.
inline constexpr char kReadingHistoryCaption[] = "Reading the history...";
// A line holding this anywhere, in these capitals, is a stored response.

// One selected Lie as the history reads it: its list name, the lines of its
// file and all lines of its essay (none when it has no essay).
struct LieHistoryEntry {
    std::string lieName;
    Lines lieLines;
    Lines essayLines;
};

bool isResponseLine(std::string_view line);

// Reads every selected Lie of the Lies list and its essay, in list order.
// Throws CommandError "Cannot open file %s" for a Lie (its list name) or an
// existing essay (its path) that cannot be read. Writes nothing. Reads no
// more than the state; with progress, reports and stops when cancelled.
std::vector<LieHistoryEntry> selectedLieHistories(const Context &ctx, JobProgress *progress = nullptr);

// The history text with "\n" line ends: per Lie two empty lines, the heading,
// the Lie's lines, an empty line, then its essay's response lines whole.
std::string lieHistoryText(const std::vector<LieHistoryEntry> &entries);

// "H&istory": shows the history of the selected Lies in the text area and
// brings Start Here to the front. Returns what it read so that the window can
// draw the same responses without reading the files again. On a read error
// the error is reported, the text area and the page stay as they were, and
// the result is empty (nullopt). The reading is a long job; Cancel leaves
// everything as it was and the result empty. A running test is not touched.
std::optional<std::vector<LieHistoryEntry>> bLiesHistoryClick(Context &ctx);

// bLiesHistoryClick with more work for the same long job, done after the
// reading and before anything is shown; Cancel or an error there leaves
// everything as it was too.
using HistoryJobStep = std::function<void(const std::vector<LieHistoryEntry> &, JobProgress &)>;
std::optional<std::vector<LieHistoryEntry>> showLieHistory(Context &ctx, const HistoryJobStep &more);

} // namespace varnok
