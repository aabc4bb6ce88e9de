#include "testrun/summaries.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <optional>
#include <unordered_map>

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

// Follows a summary's layout line by line, holding no more than a response
// line and a count of empty lines: a summary of millions of lines costs no
// more memory than one of ten. The Lie's lines are handed to `statement`
// (empty ones too, held back until it is clear they are not the two before a
// response), then the response's text to `answer`.
class SummaryScanner {
public:
    using Handler = std::function<void(std::string_view)>;
    SummaryScanner(Handler statement, Handler answer) : statement_(std::move(statement)), answer_(std::move(answer)) {}

    void feed(std::string_view line)
    {
        // The test's name and the line after it.
        if (index_ < 2) {
            ++index_;
            return;
        }
        if (response_) {
            const std::string response = std::move(*response_);
            response_.reset();
            if (line.empty()) {
                // The empty lines right before the response close the Lie.
                emitEmpties(empties_ - 2);
                answer_(std::string_view(response).substr(kSummaryResponse.size()));
                return; // the line after the response is no Lie's
            }
            emitEmpties(empties_);
            statement_(response);
        }
        if (line.empty()) {
            ++empties_;
        } else if (empties_ >= 2 && line.starts_with(kSummaryResponse)) {
            response_ = std::string(line);
        } else {
            emitEmpties(empties_);
            statement_(line);
        }
    }

private:
    void emitEmpties(std::size_t count)
    {
        empties_ = 0;
        for (std::size_t i = 0; i < count; ++i)
            statement_({});
    }

    Handler statement_;
    Handler answer_;
    std::size_t index_ = 0;
    std::size_t empties_ = 0;
    std::optional<std::string> response_;
};

// Adds a line to a statement's key as statementKey does. Past `longest`
// bytes the key is cut and marked, so that it links to no Lie: one statement
// of megabytes then costs no more than that.
void addToKey(std::string &key, std::string_view line, std::size_t longest)
{
    if (key.size() > longest)
        return;
    bool blank = true;
    for (const char c : line) {
        if (c == ' ' || c == '\t' || c == '\v' || c == '\f') {
            blank = true;
            continue;
        }
        if (blank && !key.empty())
            key += ' ';
        blank = false;
        key += c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
        if (key.size() > longest) {
            key += '\0'; // no Lie's key holds a NUL
            return;
        }
    }
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

// An answer of a summary as the chart needs it: linked by key alone.
struct SummaryAnswerKey {
    std::string key;
    std::optional<int> value;
};

// No statement a person keeps as a Lie is longer; the key of a longer one in
// a summary is cut there.
constexpr std::size_t kLongestKey = 1 << 20;

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
    Lines statement;
    SummaryScanner scanner([&](std::string_view line) { statement.emplace_back(line); },
                           [&](std::string_view value) {
                               answers.push_back({std::move(statement), summaryValue(value)});
                               statement.clear();
                           });
    for (const auto &line : lines)
        scanner.feed(line);
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
    for (const auto &line : lines)
        addToKey(key, line, std::string::npos - 1);
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
        // Read as a stream: only the first line, the answers and the key being
        // built are held, never the lines between them.
        std::optional<std::string> firstLine;
        std::vector<SummaryAnswerKey> answers;
        std::string key;
        SummaryScanner scanner([&](std::string_view line) { addToKey(key, line, kLongestKey); },
                               [&](std::string_view value) {
                                   answers.push_back({std::move(key), summaryValue(value)});
                                   key.clear();
                               });
        std::size_t lineCount = 0;
        const Status read = forEachLine(path, [&](std::string_view line) {
            if (!firstLine)
                firstLine = std::string(line);
            scanner.feed(line);
            if (progress && ++lineCount % (1 << 20) == 0)
                progress->checkpoint(static_cast<double>(n) / static_cast<double>(summaries.size()));
            return true;
        });
        if (!read) {
            ++chart.unreadableSummaries;
            if (unreadableNames)
                unreadableNames->push_back(summaries[n]);
            continue;
        }
        const auto when = summaryDate(summaries[n], firstLine ? Lines{*firstLine} : Lines{}, fileModifiedTime(path));
        if (!when) {
            ++chart.unreadableSummaries;
            if (unreadableNames)
                unreadableNames->push_back(summaries[n]);
            continue;
        }
        for (auto &answer : answers) {
            const auto lie = lieOfKey.find(answer.key);
            if (lie == lieOfKey.end()) {
                ++unlinked[std::move(answer.key)];
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

    // Whose an answer of a statement no Lie has now was cannot be told; a
    // History of some Lies must not count it as theirs. Only a History of
    // every Lie says such answers are left out.
    if (entries.size() < allLieNames.size())
        return chart;
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
