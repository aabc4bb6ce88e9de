#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "core/text.h"
#include "support/fakeui.h"
#include "support/stamps.h"
#include "testrun/responses.h"

namespace varnok {
namespace {

using testing::at;
using testing::responseLine;

TEST(LastResponseValue, ReadsTheThreeCharactersAfterTheSkippedOne)
{
    struct Case {
        const char *line;
        std::optional<int> expected;
    };
    const Case cases[] = {
        {"2026-12-07 0527pm  RESPONSE: 13", 13},
        {"2026-12-07 0527pm  RESPONSE: 5", 5},
        {"RESPONSE: 25", 25},
        {"RESPONSE:13", 3},          // the "1" is the skipped character
        {"RESPONSE:x7", 7},          // whatever that character is
        {"RESPONSE: 13 ", 0},        // "13 ": nothing may follow the digits
        {"RESPONSE: 5 and more", 0}, // "5 a"
        {"RESPONSE: 123456", 123},   // only three characters are read
        {"RESPONSE:   7", 7},        // "  7": leading blanks are allowed
        {"RESPONSE:    7", 0},       // "   ": the 7 lies beyond the three
        {"RESPONSE:   ", 0},
        {"RESPONSE: ", 0},
        {"RESPONSE:", 0},
        {"RESPONSE: +7", 7}, // a sign, as every whole number may carry
        {"RESPONSE: -3", -3},
        {"RESPONSE: $19", 25}, // "$" makes the rest hexadecimal
        {"RESPONSE: $", 0},
        {"I wrote RESPONSE: 9 myself", 0},   // "9 m"
        {"I wrote RESPONSE: 9", 9},          // anywhere in the line
        {"RESPONSE: 4 then RESPONSE: 8", 0}, // the first keyword counts: "4 t"
        {"RESPONSE: 4RESPONSE: 8", 0},
        {"response: 13", std::nullopt}, // exact capitals
        {"RESPONSE 13", std::nullopt},  // the colon belongs to the keyword
        {"", std::nullopt},
    };
    for (const auto &c : cases)
        EXPECT_EQ(lastResponseValue(c.line), c.expected) << "line: \"" << c.line << '"';
}

TEST(LastStoredResponse, TheLastLineHoldingTheKeywordDecides)
{
    const DateTime first = at(2026, 3, 1, 9, 5);
    const DateTime second = at(2026, 4, 2, 21, 40);
    EXPECT_EQ(lastStoredResponse({}), 0);
    EXPECT_EQ(lastStoredResponse({"Money is evil.", "", "EXPLAIN YOURSELF", "no keyword here"}), 0);
    EXPECT_EQ(lastStoredResponse({"Money is evil.", "", responseLine(first, 3), "", "EXPLAIN YOURSELF", "why", "",
                                  responseLine(second, 22), "", "EXPLAIN YOURSELF", "because"}),
              22);
    EXPECT_EQ(lastStoredResponse({responseLine(first, 18), responseLine(second, 7), "response: 12"}), 7);
    // A typed line that reads as 0 still decides: it is the last one.
    EXPECT_EQ(lastStoredResponse({responseLine(first, 18), "RESPONSE: 13 (tired)"}), 0);
    EXPECT_EQ(lastStoredResponse({responseLine(first, 18), "RESPONSE:"}), 0);
}

TEST(ParseResponsePoint, ReadsTheReviewsOwnLines)
{
    struct Case {
        DateTime when;
        int value;
    };
    const Case cases[] = {
        {at(2026, 12, 7, 17, 27), 13}, {at(2026, 12, 7, 0, 0), 1}, // 12am
        {at(2026, 12, 7, 0, 59), 25},                              // 12:59am
        {at(2026, 12, 7, 12, 0), 5},                               // 12pm
        {at(2026, 12, 7, 11, 59), 20},                             // 11am
        {at(2026, 12, 7, 23, 59), 9},                              // 11pm
        {at(2024, 2, 29, 13, 1), 10},                              // leap day
        {at(2000, 2, 29, 1, 1), 10},   {at(1999, 12, 31, 23, 30), 24},
    };
    for (const auto &c : cases) {
        const std::string line = responseLine(c.when, c.value);
        const auto point = parseResponsePoint(line);
        ASSERT_TRUE(point) << line;
        EXPECT_EQ(*point, (ResponsePoint{c.when, c.value})) << line;
    }
    const auto stamped = parseResponsePoint("2026-12-07 1200am  RESPONSE: 4");
    ASSERT_TRUE(stamped);
    EXPECT_EQ(stamped->when.hour, 0);
    ASSERT_TRUE(parseResponsePoint("2026-12-07 1200pm  RESPONSE: 4"));
    EXPECT_EQ(parseResponsePoint("2026-12-07 1200pm  RESPONSE: 4")->when.hour, 12);
    EXPECT_EQ(parseResponsePoint("2026-12-07 1115pm  RESPONSE: 4")->when.hour, 23);
    EXPECT_EQ(parseResponsePoint("2026-12-07 0100am  RESPONSE: 4")->when.hour, 1);
}

TEST(ParseResponsePoint, TakesLinesTypedByHandOnlyWhenUnambiguous)
{
    struct Case {
        const char *line;
        std::optional<int> value;
    };
    const Case cases[] = {
        // Blanks that cannot be mistaken.
        {"2026-12-07 0527pm RESPONSE: 13", 13},
        {"2026-12-07 0527pm     RESPONSE:    13   ", 13},
        {"   2026-12-07 0527pm  RESPONSE: 13", 13},
        {"2026-12-07 0527pm  RESPONSE: 07", 7},
        {"2026-12-07 0527pm  RESPONSE: 0025", 25},
        // Values the scale cannot give, or no value at all.
        {"2026-12-07 0527pm  RESPONSE: 0", std::nullopt},
        {"2026-12-07 0527pm  RESPONSE: 26", std::nullopt},
        {"2026-12-07 0527pm  RESPONSE: 99999999999999999999", std::nullopt},
        {"2026-12-07 0527pm  RESPONSE: -3", std::nullopt},
        {"2026-12-07 0527pm  RESPONSE: +3", std::nullopt},
        {"2026-12-07 0527pm  RESPONSE: $19", std::nullopt},
        {"2026-12-07 0527pm  RESPONSE: ", std::nullopt},
        {"2026-12-07 0527pm  RESPONSE:", std::nullopt},
        {"2026-12-07 0527pm  RESPONSE: ten", std::nullopt},
        {"2026-12-07 0527pm  RESPONSE: 13 (tired)", std::nullopt},
        {"2026-12-07 0527pm  RESPONSE: 1 3", std::nullopt},
        {"2026-12-07 0527pm  RESPONSE: 13\t", std::nullopt},
        {"2026-12-07 0527pm  RESPONSE:13", std::nullopt}, // the review reads this as 3
        // Keyword and its place.
        {"2026-12-07 0527pm  response: 13", std::nullopt},
        {"2026-12-07 0527pm  RESPONSE 13", std::nullopt},
        {"2026-12-07 0527pmRESPONSE: 13", std::nullopt},
        {"2026-12-07 0527pm  my RESPONSE: 13", std::nullopt},
        {"RESPONSE: 13", std::nullopt},
        {"Note 2026-12-07 0527pm  RESPONSE: 13", std::nullopt},
        // Stamps that are not the program's or name no real moment.
        {"2026-12-07 1327pm  RESPONSE: 13", std::nullopt},
        {"2026-12-07 0027am  RESPONSE: 13", std::nullopt},
        {"2026-12-07 0560pm  RESPONSE: 13", std::nullopt},
        {"2026-02-30 0527pm  RESPONSE: 13", std::nullopt},
        {"2026-02-29 0527pm  RESPONSE: 13", std::nullopt},
        {"1900-02-29 0527pm  RESPONSE: 13", std::nullopt},
        {"2026-04-31 0527pm  RESPONSE: 13", std::nullopt},
        {"2026-13-01 0527pm  RESPONSE: 13", std::nullopt},
        {"2026-00-01 0527pm  RESPONSE: 13", std::nullopt},
        {"2026-12-00 0527pm  RESPONSE: 13", std::nullopt},
        {"0000-12-07 0527pm  RESPONSE: 13", std::nullopt},
        {"2026-12-07 0527PM  RESPONSE: 13", std::nullopt},
        {"2026-12-07 0527xm  RESPONSE: 13", std::nullopt},
        {"2026-12-07 0527p  RESPONSE: 13", std::nullopt},
        {"2026-12-07 527pm  RESPONSE: 13", std::nullopt},
        {"2026-12-07 05:27pm  RESPONSE: 13", std::nullopt},
        {"2026-12-7 0527pm  RESPONSE: 13", std::nullopt},
        {"26-12-07 0527pm  RESPONSE: 13", std::nullopt},
        {"2026/12/07 0527pm  RESPONSE: 13", std::nullopt},
        {"2026-12-07  0527pm  RESPONSE: 13", std::nullopt},
        {"2026-12-07 0527", std::nullopt},
        {"2026-", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto &c : cases) {
        const auto point = parseResponsePoint(c.line);
        EXPECT_EQ(point.has_value(), c.value.has_value()) << "line: \"" << c.line << '"';
        if (point && c.value) {
            EXPECT_EQ(point->value, *c.value) << "line: \"" << c.line << '"';
        }
    }
}

TEST(BuildChartSeries, PlotsReadableLinesAndCountsTheOthers)
{
    const Lines lie = {"Money is evil.", "It buys nothing."};
    const Lines essay = {
        "Money is evil.",
        "",
        responseLine(at(2026, 5, 1, 20, 0), 22),
        "",
        "EXPLAIN YOURSELF",
        "I wrote RESPONSE: 9 myself",        // shown by the history, unreadable for the chart
        "the word RESPONSE without a colon", // not a history line at all
        "",
        responseLine(at(2026, 3, 1, 9, 5), 3), // older, though later in the file
        "",
        "EXPLAIN YOURSELF",
        "response: 4",
        responseLine(at(2026, 3, 1, 9, 5), 7),
        "2026-02-30 0100am  RESPONSE: 5",
    };
    const ChartSeries series = buildChartSeries("Money.lie", lie, essay);
    EXPECT_EQ(series.lieFileName, "Money.lie");
    EXPECT_EQ(series.statement, "Money is evil. It buys nothing.") << "the statement whole, its lines joined";
    EXPECT_EQ(series.skipped, 2);
    const std::vector<ResponsePoint> expected = {
        {at(2026, 3, 1, 9, 5), 3},
        {at(2026, 3, 1, 9, 5), 7},
        {at(2026, 5, 1, 20, 0), 22},
    };
    EXPECT_EQ(series.points, expected);

    const ChartSeries empty = buildChartSeries(".lie", {}, {});
    EXPECT_EQ(empty.statement, "");
    EXPECT_TRUE(empty.points.empty());
    EXPECT_EQ(empty.skipped, 0);
}

TEST(ResponsesCsv, QuotesWhatASpreadsheetWouldSplit)
{
    const DateTime evening = at(2026, 12, 7, 17, 27);
    const DateTime midnight = at(2027, 1, 2, 0, 5);
    auto one = [&](std::string name, std::vector<ResponsePoint> points) {
        ChartSeries s;
        // The statement goes beside the name, quoted by the same rules.
        s.statement = name;
        s.lieFileName = std::move(name);
        s.points = std::move(points);
        return s;
    };
    struct Case {
        std::string name;
        std::string field;
    };
    const Case cases[] = {
        {"Money.lie", "Money.lie"},
        {"Work, play.lie", "\"Work, play.lie\""},
        {"Say \"no\".lie", "\"Say \"\"no\"\".lie\""},
        {"\"", "\"\"\"\""},
        {"two\nlines.lie", "\"two\nlines.lie\""},
        {"cr\rhere.lie", "\"cr\rhere.lie\""},
        {"semi;colon 'single'.lie", "semi;colon 'single'.lie"},
        {" blank .lie", " blank .lie"},
        {"Gr\xFC\xDF"
         "e.lie",
         "Gr\xFC\xDF"
         "e.lie"}, // Latin-1 bytes pass unchanged
        {"Gr\xC3\xBC\xC3\x9F"
         "e, ja.lie",
         "\"Gr\xC3\xBC\xC3\x9F"
         "e, ja.lie\""},
        {"", ""},
    };
    for (const auto &c : cases) {
        const std::string csv = responsesCsv({one(c.name, {{evening, 13}})});
        EXPECT_EQ(csv, "Lie,Statement,Date,Response,Source\r\n" + c.field + "," + c.field +
                           ",2026-12-07T17:27:00,13,essay\r\n")
            << c.name;
    }

    EXPECT_EQ(responsesCsv({}), "Lie,Statement,Date,Response,Source\r\n");
    EXPECT_EQ(responsesCsv({one("a.lie", {{evening, 1}, {midnight, 25, ResponseSource::Summary}}), one("b.lie", {}),
                            one("c.lie", {{midnight, 9}})}),
              "Lie,Statement,Date,Response,Source\r\n"
              "a.lie,a.lie,2026-12-07T17:27:00,1,essay\r\n"
              "a.lie,a.lie,2027-01-02T00:05:00,25,test summary\r\n"
              "c.lie,c.lie,2027-01-02T00:05:00,9,essay\r\n");
}

TEST(SaveResponsesCsv, WritesTheFileOrReportsWhyNot)
{
    varnok::testing::TempFolder folder;
    varnok::testing::FakeUi ui;
    ChartSeries money;
    money.lieFileName = "Money.lie";
    money.points = {{at(2026, 12, 7, 17, 27), 13}};

    // A file already there is replaced whole.
    folder.write("reactions.csv", "an older, longer export that must not survive in part\r\n");
    EXPECT_TRUE(saveResponsesCsv(ui, folder.file("reactions.csv"), {money}));
    EXPECT_EQ(folder.read("reactions.csv"),
              "Lie,Statement,Date,Response,Source\r\nMoney.lie,,2026-12-07T17:27:00,13,essay\r\n");
    EXPECT_TRUE(ui.messages.empty());

    const std::string missing = folder.file("missing/reactions.csv");
    EXPECT_FALSE(saveResponsesCsv(ui, missing, {money}));
    EXPECT_EQ(ui.log, std::vector<std::string>{"error: Cannot create file " + missing + "."});
    EXPECT_EQ(folder.names(), std::vector<std::string>{"reactions.csv"});
}

// The history of 1,000 Lies with 50 responses each; how long it takes is for
// bench/bench_large_inputs to watch.
TEST(BuildChartSeries, ThousandLiesWithFiftyResponsesEach)
{
    std::vector<Lines> essays;
    essays.reserve(1000);
    for (int lie = 0; lie < 1000; ++lie) {
        Lines essay = {"Statement number " + std::to_string(lie)};
        for (int run = 0; run < 50; ++run) {
            const DateTime t = DateTime::fromMilliseconds(
                at(2020, 1, 1, 0, 0).toMilliseconds() + static_cast<std::int64_t>(run) * 86'400'000 * 7 + lie * 60'000);
            essay.insert(essay.end(), {"", responseLine(t, 1 + (lie + run) % 25), "", "EXPLAIN YOURSELF",
                                       "An explanation of some length, as people write them."});
        }
        essays.push_back(std::move(essay));
    }
    std::vector<ChartSeries> all;
    all.reserve(essays.size());
    for (std::size_t i = 0; i < essays.size(); ++i)
        all.push_back(buildChartSeries("Lie " + std::to_string(i) + ".lie", {essays[i].front()}, essays[i]));
    const std::string csv = responsesCsv(all);

    std::size_t points = 0;
    for (const auto &s : all) {
        points += s.points.size();
        EXPECT_EQ(s.skipped, 0);
    }
    EXPECT_EQ(points, 50'000u);
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 50'001);
}

} // namespace
} // namespace varnok
