#include "testrun/responses.h"

#include <algorithm>
#include <cstdio>

#include "core/context.h"
#include "core/text.h"
#include "platform/files.h"

namespace varnok {

namespace {

// The review skips one character after the colon and reads the next three.
constexpr std::size_t kSkippedAfterColon = 1;
constexpr std::size_t kResponseWidth = 3;

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Exactly `count` decimal digits at `at`; advances past them.
bool readDigits(std::string_view text, std::size_t &at, std::size_t count, int &value)
{
    if (text.size() - at < count)
        return false;
    value = 0;
    for (std::size_t k = 0; k < count; ++k) {
        const char c = text[at + k];
        if (!isDigit(c))
            return false;
        value = value * 10 + (c - '0');
    }
    at += count;
    return true;
}

bool readChar(std::string_view text, std::size_t &at, char expected)
{
    if (at >= text.size() || text[at] != expected)
        return false;
    ++at;
    return true;
}

std::size_t skipBlanks(std::string_view text, std::size_t at)
{
    while (at < text.size() && text[at] == ' ')
        ++at;
    return at;
}

bool isLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int year, int month)
{
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

// "yyyy-mm-dd hhnnam" (the stamp without its trailing blank).
bool readStamp(std::string_view text, std::size_t &at, DateTime &t)
{
    int hour12 = 0;
    if (!readDigits(text, at, 4, t.year) || !readChar(text, at, '-') || !readDigits(text, at, 2, t.month) ||
        !readChar(text, at, '-') || !readDigits(text, at, 2, t.day) || !readChar(text, at, ' ') ||
        !readDigits(text, at, 2, hour12) || !readDigits(text, at, 2, t.minute))
        return false;
    if (text.size() - at < 2 || text[at + 1] != 'm' || (text[at] != 'a' && text[at] != 'p'))
        return false;
    const bool afternoon = text[at] == 'p';
    at += 2;
    if (t.year < 1 || t.month < 1 || t.month > 12 || t.day < 1 || t.day > daysInMonth(t.year, t.month) || hour12 < 1 ||
        hour12 > 12 || t.minute > 59)
        return false;
    t.hour = hour12 % 12 + (afternoon ? 12 : 0);
    t.second = 0;
    t.millisecond = 0;
    return true;
}

bool digitAt(std::string_view text, std::size_t at)
{
    return at < text.size() && isDigit(text[at]);
}

// "yyyy-mm-dd" alone, a real calendar date.
bool readDate(std::string_view text, std::size_t &at, DateTime &t)
{
    if (!readDigits(text, at, 4, t.year) || !readChar(text, at, '-') || !readDigits(text, at, 2, t.month) ||
        !readChar(text, at, '-') || !readDigits(text, at, 2, t.day))
        return false;
    return t.year >= 1 && t.month >= 1 && t.month <= 12 && t.day >= 1 && t.day <= daysInMonth(t.year, t.month);
}

bool needsQuotes(std::string_view field)
{
    return field.find_first_of(",\"\r\n") != std::string_view::npos;
}

void appendCsvField(std::string &out, std::string_view field)
{
    if (!needsQuotes(field)) {
        out += field;
        return;
    }
    out += '"';
    for (const char c : field) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
}

} // namespace

std::optional<int> lastResponseValue(std::string_view line)
{
    const auto p = line.find(kResponseKeyword);
    if (p == std::string_view::npos)
        return std::nullopt;
    const std::size_t start = p + kResponseKeyword.size() + kSkippedAfterColon;
    const std::string_view chars = start < line.size() ? line.substr(start, kResponseWidth) : std::string_view{};
    return parseWholeNumber(chars).value_or(0);
}

int lastStoredResponse(const Lines &essayLines)
{
    for (auto it = essayLines.rbegin(); it != essayLines.rend(); ++it) {
        if (const auto value = lastResponseValue(*it))
            return *value;
    }
    return 0;
}

std::optional<ResponsePoint> parseResponsePoint(std::string_view line)
{
    ResponsePoint point;
    std::size_t at = skipBlanks(line, 0);
    if (!readStamp(line, at, point.when))
        return std::nullopt;
    const std::size_t keyword = skipBlanks(line, at);
    if (keyword == at || line.substr(keyword, kResponseKeyword.size()) != kResponseKeyword)
        return std::nullopt;
    at = keyword + kResponseKeyword.size();
    const std::size_t digits = skipBlanks(line, at);
    if (digits == at)
        return std::nullopt;
    at = digits;
    int value = 0;
    while (at < line.size() && isDigit(line[at])) {
        value = value * 10 + (line[at] - '0');
        if (value > kHighestResponse)
            return std::nullopt;
        ++at;
    }
    if (at == digits || value < kLowestResponse || skipBlanks(line, at) != line.size())
        return std::nullopt;
    point.value = value;
    return point;
}

std::optional<DateTime> dateInName(std::string_view name)
{
    std::optional<DateTime> dateOnly;
    for (std::size_t start = 0; start < name.size(); ++start) {
        if (!isDigit(name[start]) || (start > 0 && isDigit(name[start - 1])))
            continue;
        std::size_t at = start;
        DateTime t;
        if (readStamp(name, at, t))
            return t;
        at = start;
        t = DateTime{};
        if (!dateOnly && readDate(name, at, t) && !digitAt(name, at))
            dateOnly = t;
    }
    return dateOnly;
}

ChartSeries buildChartSeries(std::string_view lieFileName, const Lines &lieLines, const Lines &essayLines)
{
    ChartSeries series;
    series.lieFileName = std::string(lieFileName);
    for (const auto &line : lieLines) {
        if (!series.statement.empty())
            series.statement += ' ';
        series.statement += line;
    }
    for (const auto &line : essayLines) {
        if (line.find(kResponseKeyword) == std::string::npos)
            continue;
        if (auto point = parseResponsePoint(line))
            series.points.push_back(*point);
        else
            ++series.skipped;
    }
    // The review appends in time order; a clock set back or a hand edit must
    // not make the plotted line run backwards.
    std::stable_sort(series.points.begin(), series.points.end(), [](const ResponsePoint &a, const ResponsePoint &b) {
        return a.when.toMilliseconds() < b.when.toMilliseconds();
    });
    return series;
}

std::string isoDateTime(const DateTime &t)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02dT%02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
    return buffer;
}

std::string responsesCsv(const std::vector<ChartSeries> &series)
{
    std::string out;
    out += kCsvHeader;
    out += "\r\n";
    for (const auto &s : series) {
        for (const auto &point : s.points) {
            appendCsvField(out, s.lieFileName);
            out += ',';
            appendCsvField(out, s.statement);
            out += ',';
            out += isoDateTime(point.when);
            out += ',';
            out += std::to_string(point.value);
            out += ',';
            out += point.source == ResponseSource::Essay ? kCsvEssaySource : kCsvSummarySource;
            out += "\r\n";
        }
    }
    return out;
}

std::string csvFileNameProposal(const std::string &lieFolder, const DateTime &today)
{
    std::string_view folder = lieFolder;
    while (!folder.empty() && folder.back() == kSeparator)
        folder.remove_suffix(1);
    const auto slash = folder.rfind(kSeparator);
    std::string name(slash == std::string_view::npos ? folder : folder.substr(slash + 1));
    if (name.empty())
        name = "Lies";
    char date[32];
    std::snprintf(date, sizeof date, " %04d-%02d-%02d.csv", today.year, today.month, today.day);
    return name + date;
}

bool saveResponsesCsv(Ui &ui, const std::string &path, const std::vector<ChartSeries> &series)
{
    if (writeFileAtomic(path, responsesCsv(series)))
        return true;
    ui.error(errorReportText(formatMessage(kCannotCreateFile, path)));
    return false;
}

} // namespace varnok
