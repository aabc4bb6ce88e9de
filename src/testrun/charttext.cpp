#include "testrun/charttext.h"

#include <algorithm>

#include "core/text.h"

namespace varnok {

namespace {

constexpr const char *kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// "2 Jan 2026", the same in every locale.
std::string dayText(const DateTime &t)
{
    const char *month = t.month >= 1 && t.month <= 12 ? kMonths[t.month - 1] : "?";
    return toDecimal(t.day) + " " + month + " " + toDecimal(t.year);
}

bool earlier(const DateTime &a, const DateTime &b)
{
    return a.toMilliseconds() < b.toMilliseconds();
}

} // namespace

std::string chartDescription(const std::vector<ChartSeries> &series)
{
    int lies = 0;
    const DateTime *first = nullptr;
    const DateTime *last = nullptr;
    for (const ChartSeries &s : series) {
        if (s.points.empty())
            continue;
        ++lies;
        for (const ResponsePoint &p : s.points) {
            if (!first || earlier(p.when, *first))
                first = &p.when;
            if (!last || earlier(*last, p.when))
                last = &p.when;
        }
    }
    if (lies == 0)
        return "Reaction history without responses";
    std::string text = "Reaction history of " + toDecimal(lies) + (lies == 1 ? " Lie, " : " Lies, ");
    const std::string from = dayText(*first);
    const std::string to = dayText(*last);
    return text + (from == to ? "on " + from : "from " + from + " to " + to);
}

std::string seriesDescription(const ChartSeries &series)
{
    std::string text;
    for (const ResponsePoint &p : series.points) {
        if (!text.empty())
            text += ", ";
        text += toDecimal(p.value) + " on " + dayText(p.when);
        if (p.source == ResponseSource::Summary)
            text += " from a test summary";
    }
    return text.empty() ? "No responses" : text;
}

} // namespace varnok
