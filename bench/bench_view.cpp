// Times "View" of a 50 MB essay in the real window (offscreen): how long the
// click holds the window, then the longest single pass of its event loop
// while the rest of the text arrives. Prints both and the peak memory.
#include <QApplication>
#include <QElapsedTimer>
#include <QListView>
#include <QPushButton>
#include <QTabWidget>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

#include "gui/TfHello.h"
#include "platform/clock.h"
#include "platform/random.h"

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const std::string folder =
        (std::filesystem::temp_directory_path() / ("varnok-bench-view-" + std::to_string(getpid()))).string() + "/";
    std::filesystem::create_directories(folder);
    std::ofstream(folder + "Varnok.Ini") << "[Settings]\r\n";
    {
        std::ofstream big(folder + "Big.ess", std::ios::binary);
        std::size_t written = 0;
        for (int i = 0; written < (50u << 20); ++i) {
            const std::string line = "Line " + std::to_string(i) + " of a large essay, written again and again.\r\n";
            big << line;
            written += line.size();
        }
    }

    QApplication app(argc, argv);
    varnok::SystemClock clock;
    varnok::SeededRandom random(1);
    varnok::TfHello window({clock, random});
    window.start({folder});
    window.show();
    app.processEvents();
    window.findChild<QTabWidget *>("PageControl1")->setCurrentIndex(1);
    window.findChild<QPushButton *>("bFunSelectAll")->click();

    QElapsedTimer timer;
    timer.start();
    window.findChild<QPushButton *>("bEssaysView")->click();
    const qint64 click = timer.elapsed();
    qint64 longest = 0;
    QElapsedTimer watch;
    watch.start();
    while (watch.elapsed() < 3000) {
        QElapsedTimer pass;
        pass.start();
        app.processEvents();
        longest = std::max(longest, pass.elapsed());
    }

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf(
        "View of a 50 MB essay: the click held the window %lld ms, then the longest pass %lld ms; "
        "peak %.1f MB\n",
        static_cast<long long>(click), static_cast<long long>(longest), usage.ru_maxrss / 1024.0);
    window.close();
    std::filesystem::remove_all(folder);
    return 0;
}
