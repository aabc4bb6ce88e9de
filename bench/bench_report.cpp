// Times "Export report..." for 1,000 Lies with 50 stored responses each (in
// their essays and in 50 test summaries, which the report reads as well), in
// the real window (offscreen), and prints time, pages and peak memory.
#include <QApplication>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPushButton>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <sys/resource.h>

#include "benchjournal.h"
#include "gui/ReportCommand.h"
#include "gui/TReportDlg.h"
#include "testrun/report.h"

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

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const int lies = argc > 1 ? std::atoi(argv[1]) : 1000;
    const bench::LieFolder folder("report");
    bench::writeJournal(folder.path(), lies, 50, "Because it matters to me, and it has for a while now.", true);
    const std::string target = folder.path() + "out.pdf";

    QApplication app(argc, argv);
    bench::Window w(folder);
    auto *report = w.window.findChild<varnok::ReportCommand *>();
    report->setSavePathChooser([&](const QString &) { return QString::fromStdString(target); });
    // The whole journal: the range dialog is answered as it opens.
    QTimer answer;
    answer.setInterval(10);
    QObject::connect(&answer, &QTimer::timeout, [&] {
        if (auto *dialog = qobject_cast<varnok::TReportDlg *>(QApplication::activeModalWidget()))
            dialog->buttons->button(QDialogButtonBox::Ok)->click();
    });
    answer.start();

    // The reading alone, once, which also brings the files into the page cache;
    // what it read is let go before the command, whose peak memory counts.
    double cpu = processorSeconds();
    QElapsedTimer timer;
    timer.start();
    {
        const auto content = varnok::gatherReport(
            varnok::reportRequest(w.window.state(), {}, varnok::DateTime{2026, 12, 9, 12, 0, 0, 0}));
        std::printf("Reading %zu Lies and %zu responses: %lld ms, %.0f ms of processor time\n", content.lies.size(),
                    content.responseCount, static_cast<long long>(timer.elapsed()), (processorSeconds() - cpu) * 1000);
    }

    cpu = processorSeconds();
    timer.restart();
    w.find<QPushButton>("bLiesReport")->click();
    const qint64 elapsed = timer.elapsed();
    cpu = processorSeconds() - cpu;

    std::printf(
        "Report of %d Lies x 50 responses: %lld ms from the click to the file written, %.0f ms of processor "
        "time (all threads), %.1f MB of PDF, peak %.1f MB\n",
        lies, static_cast<long long>(elapsed), cpu * 1000, QFileInfo(QString::fromStdString(target)).size() / 1048576.0,
        bench::peakMegabytes());
    w.window.close();
    return 0;
}
