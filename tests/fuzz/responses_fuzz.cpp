// Fuzz entry for the response-line readers of the chart and the review.
// Built and run by scripts/fuzz; its corpus is replayed by every test run.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "testrun/responses.h"
#include "testrun/summaries.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    const varnok::Lines lines = varnok::splitLines(text);
    for (const auto &line : lines) {
        if (const auto point = varnok::parseResponsePoint(line)) {
            // Whatever is accepted must be a moment the stamp can name and a
            // value the scale can give.
            const auto &t = point->when;
            if (point->value < varnok::kLowestResponse || point->value > varnok::kHighestResponse || t.month < 1 ||
                t.month > 12 || t.day < 1 || t.day > 31 || t.hour < 0 || t.hour > 23 || t.minute < 0 || t.minute > 59 ||
                line.find(varnok::kResponseKeyword) == std::string::npos)
                std::abort();
            // A real date survives the trip through the millisecond count.
            if (!(varnok::DateTime::fromMilliseconds(t.toMilliseconds()) == t))
                std::abort();
        }
        (void)varnok::lastResponseValue(line);
    }
    (void)varnok::lastStoredResponse(lines);
    // Read as a test summary: every answer's statement lies inside the file.
    for (const auto &answer : varnok::summaryAnswers(lines)) {
        if (answer.statement.size() > lines.size() ||
            (answer.value && (*answer.value < varnok::kLowestResponse || *answer.value > varnok::kHighestResponse)))
            std::abort();
        (void)varnok::statementKey(answer.statement);
    }
    for (const auto &line : lines)
        (void)varnok::dateInName(line);
    const auto series = varnok::buildChartSeries("fuzz.lie", lines, lines);
    (void)varnok::responsesCsv({series});
    return 0;
}
