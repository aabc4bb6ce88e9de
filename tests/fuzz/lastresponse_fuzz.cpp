// Fuzz entry for the last-response reader of the review: any essay gives a
// value three characters can spell, and a block the review itself appends
// always decides the next review.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/text.h"
#include "documents/keywords.h"
#include "fuzz/fuzzcheck.h"
#include "platform/textfile.h"
#include "testrun/review.h"
#include "testrun/responses.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    // The first byte picks a response and a time, the rest is the essay.
    const int response = data[0] % 25 + 1;
    const std::string_view bytes(reinterpret_cast<const char *>(data) + 1, size - 1);
    varnok::Lines essay = varnok::splitLines(bytes);

    const int last = varnok::lastStoredResponse(essay);
    // Three characters read as a whole number: "-99" up to "999", "$FF" at most in hexadecimal.
    FUZZ_CHECK(last >= -99 && last <= 999);
    bool anyKeyword = false;
    for (const auto &line : essay) {
        const auto value = varnok::lastResponseValue(line);
        FUZZ_CHECK(value.has_value() == (line.find(varnok::kResponseKeyword) != std::string::npos));
        anyKeyword = anyKeyword || value.has_value();
    }
    FUZZ_CHECK(anyKeyword || last == 0);

    // Read again from the file the review would write, the essay reads the same.
    FUZZ_CHECK(varnok::lastStoredResponse(varnok::splitLines(varnok::joinLines(essay))) == last);

    // The review's block, stamped at any minute, is what the next review reads.
    const varnok::DateTime when{
        2000 + data[0] % 50, data[0] % 12 + 1, data[0] % 28 + 1, data[0] % 24, data[0] % 60, 0, 0};
    essay.emplace_back();
    essay.push_back(varnok::dateStamp(when) + varnok::kEssayResponse + std::to_string(response));
    essay.emplace_back();
    essay.push_back(varnok::kExplainYourself);
    essay.emplace_back();
    FUZZ_CHECK(varnok::lastStoredResponse(essay) == response);
    // And the chart reads that line as the same point.
    const auto point = varnok::parseResponsePoint(essay[essay.size() - 4]);
    FUZZ_CHECK(point && point->value == response && point->when.hour == when.hour && point->when.minute == when.minute);
    return 0;
}
