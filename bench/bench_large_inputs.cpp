// Times the logic on large inputs that unit tests only check for their
// results: reading a 10 MB rich-text file, and the history's chart series
// and CSV for 1,000 Lies with 50 responses each. Prints time and peak memory.

#include <sys/resource.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "core/text.h"
#include "help/rtfreader.h"
#include "platform/clock.h"
#include "testrun/responses.h"

using namespace varnok;

namespace {

double millisecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

double peakMB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

void benchRichText()
{
    // Paragraphs much like those of a help file, after a 1 MB picture.
    const std::string chunk = R"(When the reaction is {\b strong} or {\i weak}, the program asks for an essay )"
                              R"(that explains it; {\cf1\fs30 colour} plain \'e9\u8364?{\*\gen skip} and the )"
                              R"(limits are set on the options page, where they can be changed at any time.\par)"
                              "\r\n";
    std::string input = R"({\rtf1{\fonttbl{\f0 Arial;}}{\colortbl;\red10\green20\blue30;})";
    input += "{\\pict\\pngblip " + std::string(1024 * 1024, 'a') + "}";
    while (input.size() < 10 * 1024 * 1024)
        input += chunk;
    input += "}";

    const auto start = std::chrono::steady_clock::now();
    const RtfDocument doc = parseRtf(input);
    const double parsed = millisecondsSince(start);
    const std::string html = rtfToHtml(doc);
    std::printf("rich text, 10 MB: read %.0f ms, to HTML %.0f ms more (%zu paragraphs), peak %.1f MB\n", parsed,
                millisecondsSince(start) - parsed, doc.paragraphs.size(), peakMB());
}

void benchChartSeries()
{
    std::vector<Lines> essays;
    essays.reserve(1000);
    for (int lie = 0; lie < 1000; ++lie) {
        Lines essay = {"Statement number " + std::to_string(lie)};
        for (int run = 0; run < 50; ++run) {
            const DateTime t = DateTime::fromMilliseconds(DateTime{2020, 1, 1, 0, 0, 0, 0}.toMilliseconds() +
                                                          std::int64_t(run) * 86'400'000 * 7 + lie * 60'000);
            essay.insert(essay.end(), {"", dateStamp(t) + " RESPONSE: " + std::to_string(1 + (lie + run) % 25), "",
                                       "EXPLAIN YOURSELF", "An explanation of some length, as people write them."});
        }
        essays.push_back(std::move(essay));
    }
    const auto start = std::chrono::steady_clock::now();
    std::vector<ChartSeries> all;
    all.reserve(essays.size());
    for (std::size_t i = 0; i < essays.size(); ++i)
        all.push_back(buildChartSeries("Lie " + std::to_string(i) + ".lie", {essays[i].front()}, essays[i]));
    const std::string csv = responsesCsv(all);
    std::printf("chart series and CSV, 1000 Lies x 50 responses: %.0f ms (%zu bytes of CSV), peak %.1f MB\n",
                millisecondsSince(start), csv.size(), peakMB());
}

} // namespace

int main()
{
    benchRichText();
    benchChartSeries();
    return 0;
}
