// Fuzz entry for the response-line readers. Not part of the normal build:
//   clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -Isrc \
//       tests/fuzz/responses_fuzz.cpp src/test/responses.cpp src/app/text.cpp \
//       src/platform/clock.cpp src/platform/textfile.cpp -o responses_fuzz
//   ./responses_fuzz -max_total_time=60
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "test/responses.h"

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
    const auto series = varnok::buildChartSeries("fuzz.lie", lines, lines);
    (void)varnok::responsesCsv({series});
    return 0;
}
