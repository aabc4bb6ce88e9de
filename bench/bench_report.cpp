// Times "Export report..." for 1,000 Lies with 50 stored responses each (in
// their essays and in 50 test summaries, which the report reads as well), in
// the real window (offscreen), and prints time, pages and peak memory.
#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPushButton>
#include <QTimer>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sys/resource.h>
#include <unistd.h>

#include "gui/ReportCommand.h"
#include "gui/TReportDlg.h"
#include "gui/TfHello.h"
#include "testrun/report.h"
#include "platform/clock.h"
#include "platform/random.h"

namespace {

// Processor time of every thread of this process: on a shared machine the
// wall clock measures the neighbours as much as the program.
double processorSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void writeFile(const std::string &path, const std::string &bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

void writeJournal(const std::string &folder, int lies, int answers)
{
    writeFile(folder + "Varnok.Ini", "[Settings]\r\n");
    std::vector<std::string> summaries(static_cast<std::size_t>(answers));
    for (int r = 0; r < answers; ++r) {
        char stamp[64];
        std::snprintf(stamp, sizeof stamp, "2026-%02d-%02d %02d%02dpm ", 1 + r % 12, 1 + r % 28, 1 + r % 12, r % 60);
        summaries[static_cast<std::size_t>(r)] = std::string(stamp) + "Test Results\r\n\r\n";
    }
    for (int lie = 0; lie < lies; ++lie) {
        const std::string base = "Statement " + std::to_string(lie);
        writeFile(folder + base + ".lie", base + " is true.\r\n");
        std::string essay = base + " is true.\r\n";
        for (int r = 0; r < answers; ++r) {
            char line[192];
            std::snprintf(line, sizeof line,
                          "\r\n2026-%02d-%02d %02d%02dpm  RESPONSE: %d\r\n\r\nEXPLAIN YOURSELF\r\nBecause it "
                          "matters to me, and it has for a while now.\r\n",
                          1 + r % 12, 1 + r % 28, 1 + r % 12, r % 60, 1 + (lie + r) % 25);
            essay += line;
            summaries[static_cast<std::size_t>(r)] +=
                base + " is true.\r\n\r\n\r\nRESPONSE: " + std::to_string(1 + (lie + r) % 25) + "\r\n\r\n";
        }
        writeFile(folder + base + ".ess", essay);
    }
    for (auto &summary : summaries) {
        const std::string name = summary.substr(0, summary.find('\r'));
        summary += "\r\nTest Time: 0  Hours  9  Minutes  0 Seconds\r\n";
        writeFile(folder + name + ".tst", summary);
    }
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const int lies = argc > 1 ? std::atoi(argv[1]) : 1000;
    const std::string folder =
        (std::filesystem::temp_directory_path() / ("varnok-bench-report-" + std::to_string(getpid()))).string() + "/";
    std::filesystem::create_directories(folder);
    writeJournal(folder, lies, 50);
    const std::string target = folder + "out.pdf";

    QApplication app(argc, argv);
    varnok::SystemClock clock;
    varnok::SeededRandom random(1);
    varnok::TfHello window({clock, random});
    window.start({folder});
    window.show();
    app.processEvents();
    auto *report = window.findChild<varnok::ReportCommand *>();
    report->setSavePathChooser([&](const QString &) { return QString::fromStdString(target); });
    // The whole journal: the range dialog is answered as it opens.
    QTimer answer;
    answer.setInterval(10);
    QObject::connect(&answer, &QTimer::timeout, [&] {
        if (auto *dialog = qobject_cast<varnok::TReportDlg *>(QApplication::activeModalWidget()))
            dialog->buttons->button(QDialogButtonBox::Ok)->click();
    });
    answer.start();

    // The reading alone, once, which also brings the files into the page cache.
    double cpu = processorSeconds();
    QElapsedTimer timer;
    timer.start();
    const auto content =
        varnok::gatherReport(varnok::reportRequest(window.state(), {}, varnok::DateTime{2026, 12, 9, 12, 0, 0, 0}));
    std::printf("Reading %zu Lies and %zu responses: %lld ms, %.0f ms of processor time\n", content.lies.size(),
                content.responseCount, static_cast<long long>(timer.elapsed()), (processorSeconds() - cpu) * 1000);

    cpu = processorSeconds();
    timer.restart();
    window.findChild<QPushButton *>("bLiesReport")->click();
    const qint64 elapsed = timer.elapsed();
    cpu = processorSeconds() - cpu;

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf(
        "Report of %d Lies x 50 responses: %lld ms from the click to the file written, %.0f ms of processor "
        "time (all threads), %.1f MB of PDF, peak %.1f MB\n",
        lies, static_cast<long long>(elapsed), cpu * 1000, QFileInfo(QString::fromStdString(target)).size() / 1048576.0,
        usage.ru_maxrss / 1024.0);
    window.close();
    std::filesystem::remove_all(folder);
    return 0;
}
