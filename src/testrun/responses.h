#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/ui.h"
#include "platform/clock.h"
#include "platform/textfile.h"

namespace varnok {

// The keyword that marks a response line, with its colon, exact capitals.
inline constexpr std::string_view kResponseKeyword = "RESPONSE:";

// How the review reads the response of one line. Empty when the line holds no
// "RESPONSE:". Otherwise the up to three characters that follow the character
// after the colon (that one character is skipped whatever it is) are read as
// a whole number by parseWholeNumber; a text that is no number gives 0.
//
// What the three characters allow, as parseWholeNumber reads them:
//   " 13" -> 13 (leading blanks)      "13 " -> 0 (nothing may follow the digits)
//   "+7"  -> 7, "-3" -> -3 (a sign)   "$19" -> 25 ("$" makes the rest hexadecimal)
//   "   " -> 0, ""  -> 0              "5 a" -> 0
// So "RESPONSE:13" reads 3: the "1" is the skipped character.
std::optional<int> lastResponseValue(std::string_view line);

// The last stored response of a Lie: the last line of its essay holding
// "RESPONSE:" decides; 0 when no line holds it.
int lastStoredResponse(const Lines &essayLines);

// Where the chart found a response: a block the review appended to the essay,
// or only the test summary (an answer that asked for no essay).
enum class ResponseSource { Essay, Summary };

// One response as the chart shows it.
struct ResponsePoint {
    DateTime when; // from an essay, seconds and milliseconds are 0: the stamp holds minutes
    int value = 0; // 1..25
    ResponseSource source = ResponseSource::Essay;

    bool operator==(const ResponsePoint &) const = default;
};

inline constexpr int kLowestResponse = 1;
inline constexpr int kHighestResponse = 25;

// Reads one response line as the review writes it, for the chart:
//
//   line    = blank* stamp blank+ "RESPONSE:" blank+ value blank*
//   stamp   = yyyy "-" mm "-" dd " " hh nn ampm
//   ampm    = "am" | "pm"
//   value   = digit+            (decimal, no sign, no "$"; 1..25; "07" is 7)
//
// where yyyy, mm, dd, hh and nn are exactly that many decimal digits, the
// date is a real calendar date of the years 0001..9999, hh runs 01..12 on the
// 12-hour clock (12am is hour 0, 12pm is hour 12) and nn 00..59; "blank" is
// the space character only. The review writes two blanks before the keyword
// and one after it; more are taken as well, since they cannot be mistaken.
// Anything else (text before the stamp or after the value, "response:" in
// small letters, a value glued to the colon as in "RESPONSE:13", which the
// review itself reads as 3) is no chart point: empty.
std::optional<ResponsePoint> parseResponsePoint(std::string_view line);

// The date a name holds: the first date stamp in it ("2026-12-07 0527pm",
// as the proposed test names begin), or else the first "yyyy-mm-dd" that no
// digit touches, at midnight. Only real calendar dates count.
std::optional<DateTime> dateInName(std::string_view name);

// The responses of one Lie for the chart.
struct ChartSeries {
    std::string lieFileName;           // bare list name, bytes as on disk
    std::string statement;             // the Lie's lines joined by one blank; empty when it has none
    std::vector<ResponsePoint> points; // in time order; equal times keep their order of adding
    int skipped = 0;                   // lines holding "RESPONSE:" that could not be read
};

// Every essay line holding "RESPONSE:" (the lines the history shows) becomes a
// point or counts as skipped.
ChartSeries buildChartSeries(std::string_view lieFileName, const Lines &lieLines, const Lines &essayLines);

// "2026-12-07T17:27:00": the local time as stamped, without a zone.
std::string isoDateTime(const DateTime &t);

inline constexpr std::string_view kCsvHeader = "Lie,Statement,Date,Response,Source";
inline constexpr std::string_view kCsvEssaySource = "essay";
inline constexpr std::string_view kCsvSummarySource = "test summary";

// One row per point, series in the given order: Lie file name, statement,
// date-time, response and where it was found; a header row first. Fields holding a comma, a double quote, CR or
// LF are quoted with their quotes doubled; every row ends in CR LF. Names are
// written as the bytes they are.
std::string responsesCsv(const std::vector<ChartSeries> &series);

// The name "Save as CSV..." proposes: the lie folder's own name and the day,
// as "Lies 2026-12-08.csv".
std::string csvFileNameProposal(const std::string &lieFolder, const DateTime &today);

// The chart's "Save as CSV...": writes responsesCsv to the path, replacing the
// file atomically. A file that cannot be written is reported through the
// program-wide error report as "Cannot create file %s"; false then.
bool saveResponsesCsv(Ui &ui, const std::string &path, const std::vector<ChartSeries> &series);

} // namespace varnok
