#include "testrun/summaries.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <unordered_map>
#include <unordered_set>

#include "core/state.h"
#include "documents/documents.h"
#include "platform/files.h"
#include "platform/textfile.h"

namespace varnok {

namespace {

constexpr std::string_view kSummaryResponse = "RESPONSE: ";
constexpr std::int64_t kDayMs = 24LL * 60 * 60 * 1000;

std::optional<int> summaryValue(std::string_view text)
{
    if (text.empty() || text.size() > 2)
        return std::nullopt;
    int value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value < kLowestResponse || value > kHighestResponse)
        return std::nullopt;
    return value;
}

bool isSummaryResponse(const Lines &lines, std::size_t at)
{
    return at >= 4 && at + 1 < lines.size() && lines[at].starts_with(kSummaryResponse) && lines[at - 1].empty() &&
           lines[at - 2].empty() && lines[at + 1].empty();
}

// The statement an essay began with: the review starts a new essay with the
// Lie's lines and an empty line before the first response block.
Lines essayOpening(const Lines &essay)
{
    const auto first =
        std::find_if(essay.begin(), essay.end(), [](const std::string &line) { return isResponseLine(line); });
    if (first == essay.end())
        return {};
    Lines opening(essay.begin(), first);
    while (!opening.empty() && opening.back().empty())
        opening.pop_back();
    return opening;
}

struct DatedSummary {
    DateTime when;
    std::vector<SummaryAnswer> answers;
};

// Drops the summary's copy of an answer that also asked for an essay: the same
// value within a day, each essay point standing for one summary answer, the
// nearest in time first.
void dropEssayCopies(std::vector<ResponsePoint> &fromSummaries, const std::vector<ResponsePoint> &fromEssay)
{
    std::vector<char> used(fromEssay.size(), 0);
    std::vector<ResponsePoint> kept;
    kept.reserve(fromSummaries.size());
    for (const auto &point : fromSummaries) {
        const std::int64_t ms = point.when.toMilliseconds();
        std::size_t best = fromEssay.size();
        std::int64_t bestDistance = kDayMs + 1;
        for (std::size_t i = 0; i < fromEssay.size(); ++i) {
            if (used[i] || fromEssay[i].value != point.value)
                continue;
            const std::int64_t distance = std::abs(fromEssay[i].when.toMilliseconds() - ms);
            if (distance < bestDistance) {
                best = i;
                bestDistance = distance;
            }
        }
        if (best < fromEssay.size())
            used[best] = 1;
        else
            kept.push_back(point);
    }
    fromSummaries = std::move(kept);
}

} // namespace

std::vector<SummaryAnswer> summaryAnswers(const Lines &lines)
{
    std::vector<SummaryAnswer> answers;
    std::size_t start = 2; // after the name and its empty line
    for (std::size_t at = 4; at < lines.size(); ++at) {
        if (!isSummaryResponse(lines, at) || at - 2 < start)
            continue;
        SummaryAnswer answer;
        answer.statement.assign(lines.begin() + static_cast<std::ptrdiff_t>(start),
                                lines.begin() + static_cast<std::ptrdiff_t>(at - 2));
        answer.value = summaryValue(std::string_view(lines[at]).substr(kSummaryResponse.size()));
        answers.push_back(std::move(answer));
        start = at + 2;
        ++at;
    }
    return answers;
}

std::optional<DateTime> summaryDate(std::string_view fileName, const Lines &lines,
                                    const std::optional<DateTime> &fileTime)
{
    if (auto date = dateInName(fileName))
        return date;
    if (!lines.empty()) {
        if (auto date = dateInName(lines.front()))
            return date;
    }
    return fileTime;
}

std::string statementKey(const Lines &lines)
{
    std::string key;
    bool blank = false;
    for (const auto &line : lines) {
        blank = true;
        for (const char c : line) {
            if (c == ' ' || c == '\t' || c == '\v' || c == '\f') {
                blank = true;
                continue;
            }
            if (blank && !key.empty())
                key += ' ';
            blank = false;
            key += c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
        }
    }
    return key;
}

HistoryChart buildHistoryChart(const std::string &lieFolder, const std::vector<std::string> &allLieNames,
                               const std::vector<LieHistoryEntry> &entries, JobProgress *progress,
                               std::vector<std::string> *unreadableNames)
{
    HistoryChart chart;
    chart.series.reserve(entries.size());
    std::unordered_map<std::string, std::size_t> lieOfKey;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const auto &entry = entries[i];
        chart.series.push_back(buildChartSeries(entry.lieName, entry.lieLines, entry.essayLines));
        // Two Lies of one text cannot be told apart: the first in the list takes its answers.
        lieOfKey.emplace(statementKey(entry.lieLines), i);
        const Lines opening = essayOpening(entry.essayLines);
        if (!opening.empty())
            lieOfKey.emplace(statementKey(opening), i);
    }

    const auto summaries = listFolder(lieFolder, kTestsMask);
    std::vector<std::vector<ResponsePoint>> fromSummaries(entries.size());
    std::unordered_map<std::string, int> unlinked;
    for (std::size_t n = 0; n < summaries.size(); ++n) {
        if (progress)
            progress->checkpoint(static_cast<double>(n) / static_cast<double>(summaries.size()));
        const std::string path = lieFolder + summaries[n];
        Lines lines;
        if (!readLines(path, lines)) {
            ++chart.unreadableSummaries;
            if (unreadableNames)
                unreadableNames->push_back(summaries[n]);
            continue;
        }
        const auto when = summaryDate(summaries[n], lines, fileModifiedTime(path));
        if (!when) {
            ++chart.unreadableSummaries;
            if (unreadableNames)
                unreadableNames->push_back(summaries[n]);
            continue;
        }
        for (auto &answer : summaryAnswers(lines)) {
            std::string key = statementKey(answer.statement);
            const auto lie = lieOfKey.find(key);
            if (lie == lieOfKey.end()) {
                ++unlinked[std::move(key)];
                continue;
            }
            if (answer.value)
                fromSummaries[lie->second].push_back({*when, *answer.value, ResponseSource::Summary});
            else
                ++chart.series[lie->second].skipped;
        }
    }

    for (std::size_t i = 0; i < entries.size(); ++i) {
        auto &points = chart.series[i].points;
        dropEssayCopies(fromSummaries[i], points);
        points.insert(points.end(), fromSummaries[i].begin(), fromSummaries[i].end());
        std::stable_sort(points.begin(), points.end(), [](const ResponsePoint &a, const ResponsePoint &b) {
            return a.when.toMilliseconds() < b.when.toMilliseconds();
        });
    }

    // An answer of a Lie that is merely not selected is no fault; only one whose
    // statement no Lie has now is worth a word. The other Lies are read only
    // while such answers are left.
    std::unordered_set<std::string> selected;
    for (const auto &entry : entries)
        selected.insert(entry.lieName);
    for (std::size_t n = 0; n < allLieNames.size() && !unlinked.empty(); ++n) {
        if (progress && n % 256 == 0)
            progress->checkpoint(static_cast<double>(n) / static_cast<double>(allLieNames.size()));
        if (selected.count(allLieNames[n]) > 0)
            continue;
        Lines lines;
        if (readLines(documentPath(lieFolder, allLieNames[n]), lines))
            unlinked.erase(statementKey(lines));
    }
    for (const auto &[key, count] : unlinked)
        chart.unlinkedAnswers += count;
    return chart;
}

std::optional<LieHistory> bLiesHistoryWithChart(Context &ctx)
{
    HistoryChart chart;
    const std::string lieFolder = ctx.state.lieFolder;
    const std::vector<std::string> allLieNames = ctx.state.lies.names();
    auto entries = showLieHistory(ctx, [&](const std::vector<LieHistoryEntry> &read, JobProgress &progress) {
        chart = buildHistoryChart(lieFolder, allLieNames, read, &progress);
    });
    if (!entries)
        return std::nullopt;
    return LieHistory{std::move(*entries), std::move(chart)};
}

} // namespace varnok
