#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "testrun/charttext.h"

namespace varnok {
namespace {

ResponsePoint at(int year, int month, int day, int value, ResponseSource source = ResponseSource::Essay)
{
    return {DateTime{year, month, day, 17, 27}, value, source};
}

TEST(ChartText, CountsLiesWithResponsesAndNamesTheirFirstAndLastDay)
{
    struct Case {
        std::vector<ChartSeries> series;
        const char *chart;
        const char *firstLie;
    };
    const ChartSeries none{"Empty.lie", "Empty", {}};
    const Case cases[] = {
        {{}, "Reaction history without responses", nullptr},
        {{none}, "Reaction history without responses", "No responses"},
        {{{"A.lie", "A", {at(2026, 1, 2, 12)}}, none}, "Reaction history of 1 Lie, on 2 Jan 2026", "12 on 2 Jan 2026"},
        // The days come from every Lie, whichever holds the first or the last.
        {{{"A.lie", "A", {at(2026, 1, 20, 3), at(2026, 2, 2, 25, ResponseSource::Summary)}},
          {"B.lie", "B", {at(2026, 1, 2, 7)}}},
         "Reaction history of 2 Lies, from 2 Jan 2026 to 2 Feb 2026",
         "3 on 20 Jan 2026, 25 on 2 Feb 2026 from a test summary"},
        {{{"A.lie", "A", {at(2025, 12, 31, 1)}}, {"B.lie", "B", {at(2026, 1, 1, 1)}}},
         "Reaction history of 2 Lies, from 31 Dec 2025 to 1 Jan 2026",
         "1 on 31 Dec 2025"},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(chartDescription(c.series), c.chart);
        if (c.firstLie) {
            EXPECT_EQ(seriesDescription(c.series.front()), c.firstLie);
        }
    }
}

} // namespace
} // namespace varnok
