// Times "History" for 1,000 selected Lies with 50 stored responses each: the
// text in the main window and the chart window, painted, in the real window
// (offscreen), and prints time and peak memory.
#include <QApplication>
#include <QElapsedTimer>
#include <QListView>
#include <QPushButton>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sys/resource.h>
#include <unistd.h>

#include "gui/TfHello.h"
#include "platform/clock.h"
#include "platform/random.h"

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const std::string folder =
        (std::filesystem::temp_directory_path() / ("varnok-bench-history-" + std::to_string(getpid()))).string() + "/";
    std::filesystem::create_directories(folder);
    std::ofstream(folder + "Varnok.Ini") << "[Settings]\r\n";
    for (int lie = 0; lie < 1000; ++lie) {
        const std::string base = "Statement " + std::to_string(lie);
        std::ofstream(folder + base + ".lie", std::ios::binary) << base << " is true.\r\n";
        std::ofstream essay(folder + base + ".ess", std::ios::binary);
        essay << base << " is true.\r\n";
        for (int r = 0; r < 50; ++r) {
            char line[96];
            std::snprintf(line, sizeof line,
                          "\r\n2026-%02d-%02d %02d%02dpm  RESPONSE: %d\r\n\r\nEXPLAIN YOURSELF\r\nBecause.\r\n",
                          1 + r % 12, 1 + r % 28, 1 + r % 12, r % 60, 1 + (lie + r) % 25);
            essay << line;
        }
    }

    QApplication app(argc, argv);
    varnok::SystemClock clock;
    varnok::SeededRandom random(1);
    varnok::TfHello window({clock, random});
    window.start({folder});
    window.show();
    app.processEvents();
    window.findChild<QListView *>("FileListBox1")->selectAll();

    QElapsedTimer timer;
    timer.start();
    window.findChild<QPushButton *>("bLiesHistory")->click();
    // Lets both windows lay out and paint once.
    app.processEvents();
    const qint64 elapsed = timer.elapsed();

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("History of 1000 Lies x 50 responses: text and chart shown in %lld ms, peak %.1f MB\n",
                static_cast<long long>(elapsed), usage.ru_maxrss / 1024.0);
    window.close();
    std::filesystem::remove_all(folder);
    return 0;
}
