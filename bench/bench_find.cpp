// Times Find over a lie folder of 100 MB (or the sizes given, in MB): essays
// of 100 KB, one in ten of them Latin-1, with queries that scan everything
// (a word found rarely or nowhere, ASCII or accented) and one that stops at
// the hit limit. Each query's best of three runs is printed, after one run
// that brings the files into the page cache.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <time.h>
#include <unistd.h>
#include <vector>

#include "documents/find.h"

namespace {

using Clock = std::chrono::steady_clock;

const char *const kWords[] = {"the",          "reaction", "strong",  "why",   "I",     "felt",   "money",
                              "work",         "evil",     "good",    "day",   "never", "always", "\u00fcber",
                              "sch\xC3\xB6n", "and",      "because", "today", "angry", "calm"};

std::string makeEssay(std::size_t bytes, unsigned seed, bool latin1)
{
    std::string text;
    text.reserve(bytes + 100);
    unsigned state = seed * 2654435761u + 1;
    std::size_t lineLength = 0;
    while (text.size() < bytes) {
        state = state * 1103515245u + 12345u;
        const std::string_view word = kWords[(state >> 16) % (sizeof kWords / sizeof *kWords)];
        for (std::size_t i = 0; i < word.size(); ++i) {
            // Two-byte UTF-8 letters of U+00C0 to U+00FF become one Latin-1 byte.
            if (latin1 && word[i] == '\xC3' && i + 1 < word.size())
                text += static_cast<char>(static_cast<unsigned char>(word[++i]) + 0x40);
            else
                text += word[i];
        }
        lineLength += word.size() + 1;
        if (lineLength > 70) {
            text += "\r\n";
            lineLength = 0;
        } else {
            text += ' ';
        }
    }
    return text;
}

void makeFolder(const std::string &folder, std::size_t megabytes)
{
    std::filesystem::create_directories(folder);
    const std::size_t fileSize = 100 * 1024;
    const std::size_t files = megabytes * 1024 * 1024 / fileSize;
    for (std::size_t i = 0; i < files; ++i) {
        std::string essay = makeEssay(fileSize, static_cast<unsigned>(i), i % 10 == 3);
        if (i == files / 2)
            essay += "\r\nA zebra of \xC3\x84rger in the middle.\r\n";
        std::ofstream(folder + "Essay " + std::to_string(i) + ".ess", std::ios::binary) << essay;
    }
}

double cpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

void measure(const std::string &folder, const char *label, const char *query)
{
    std::atomic<bool> cancel{false};
    varnok::findInFolder(folder, query, cancel);
    double best = 1e9, bestCpu = 1e9;
    std::size_t hits = 0;
    for (int round = 0; round < 3; ++round) {
        const auto start = Clock::now();
        const double cpuStart = cpuSeconds();
        const auto result = varnok::findInFolder(folder, query, cancel);
        best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
        bestCpu = std::min(bestCpu, cpuSeconds() - cpuStart);
        hits = result.hits.size();
    }
    // The machine may be shared: the processor time is what the search itself took.
    std::printf("  %-34s %7.3f s wall %7.3f s processor  %5zu hits\n", label, best, bestCpu, hits);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    std::vector<std::size_t> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.push_back(static_cast<std::size_t>(std::atoi(argv[i])));
    if (sizes.empty())
        sizes = {100};
    const std::string base =
        std::filesystem::temp_directory_path() / ("varnok-bench-find-" + std::to_string(::getpid()));
    for (std::size_t mb : sizes) {
        const std::string folder = base + "/" + std::to_string(mb) + "/";
        makeFolder(folder, mb);
        std::printf("%zu MB in %zu essays:\n", mb, mb * 1024 * 1024 / (100 * 1024));
        measure(folder, "rare ASCII word (\"zebra\")", "ZEBRA");
        measure(folder, "missing ASCII word", "xylophone");
        measure(folder, "rare accented word (\"\xC3\xA4rger\")", "\xC3\xA4RGER");
        measure(folder, "missing accented word", "\xC3\xA9lan");
        measure(folder, "frequent word, stops at the limit", "the");
    }
    std::filesystem::remove_all(base);
    return 0;
}
