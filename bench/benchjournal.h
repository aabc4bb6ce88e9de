#pragma once

// What the window benchmarks set up alike: a lie folder of their own, a
// journal of Lies with dated responses, the window on the folder, and the
// peak memory they print.

#include <QApplication>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

#include "gui/TfHello.h"
#include "platform/clock.h"
#include "platform/random.h"

namespace bench {

inline void writeFile(const std::string &path, std::string_view bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

// Below $TMPDIR (or /tmp), named for the benchmark and this process, with
// settings so no first-start question comes up; removed at the end.
class LieFolder {
public:
    explicit LieFolder(const std::string &what)
        : path_((std::filesystem::temp_directory_path() / ("varnok-bench-" + what + "-" + std::to_string(getpid())))
                    .string() +
                "/")
    {
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
        writeFile(path_ + "Varnok.Ini", "[Settings]\r\n");
    }
    ~LieFolder() { std::filesystem::remove_all(path_); }
    LieFolder(const LieFolder &) = delete;
    LieFolder &operator=(const LieFolder &) = delete;
    const std::string &path() const { return path_; }

private:
    std::string path_;
};

// `lies` Lies with `answers` responses each in their essays, every one
// explained by `explanation`. With summaries, every test took every Lie: each
// of `answers` test summaries records one answer of every Lie, so a chart
// meets every answer twice.
inline void writeJournal(const std::string &folder, int lies, int answers, std::string_view explanation, bool summaries)
{
    std::vector<std::string> tests(summaries ? static_cast<std::size_t>(answers) : 0);
    for (std::size_t r = 0; r < tests.size(); ++r) {
        char stamp[64];
        std::snprintf(stamp, sizeof stamp, "2026-%02zu-%02zu %02zu%02zupm ", 1 + r % 12, 1 + r % 28, 1 + r % 12,
                      r % 60);
        tests[r] = std::string(stamp) + "Test Results\r\n\r\n";
    }
    for (int lie = 0; lie < lies; ++lie) {
        const std::string base = "Statement " + std::to_string(lie);
        writeFile(folder + base + ".lie", base + " is true.\r\n");
        std::string essay = base + " is true.\r\n";
        for (int r = 0; r < answers; ++r) {
            const int response = 1 + (lie + r) % 25;
            char line[96];
            std::snprintf(line, sizeof line, "\r\n2026-%02d-%02d %02d%02dpm  RESPONSE: %d\r\n\r\nEXPLAIN YOURSELF\r\n",
                          1 + r % 12, 1 + r % 28, 1 + r % 12, r % 60, response);
            essay.append(line).append(explanation).append("\r\n");
            if (summaries)
                tests[static_cast<std::size_t>(r)] +=
                    base + " is true.\r\n\r\n\r\nRESPONSE: " + std::to_string(response) + "\r\n\r\n";
        }
        writeFile(folder + base + ".ess", essay);
    }
    for (auto &test : tests) {
        const std::string name = test.substr(0, test.find('\r'));
        test += "\r\nTest Time: 0  Hours  9  Minutes  0 Seconds\r\n";
        writeFile(folder + name + ".tst", test);
    }
}

// The program's window on a lie folder, shown with its lists read, as a
// person finds it after starting Varnok there.
struct Window {
    explicit Window(const LieFolder &folder)
    {
        window.start({folder.path()});
        window.show();
        QApplication::processEvents();
    }
    template <typename T = QWidget>
    T *find(const char *name)
    {
        return window.findChild<T *>(name);
    }

    varnok::SystemClock clock;
    varnok::SeededRandom random{1};
    varnok::TfHello window{{clock, random}};
};

inline double peakMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

} // namespace bench
