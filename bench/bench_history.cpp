// Times "History" for 1,000 selected Lies with 50 stored responses each: the
// text in the main window and the chart window, painted, in the real window
// (offscreen), and prints time and peak memory.
#include <QApplication>
#include <QElapsedTimer>
#include <QListView>
#include <QPushButton>
#include <cstdio>

#include "benchjournal.h"

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const bench::LieFolder folder("history");
    bench::writeJournal(folder.path(), 1000, 50, "Because.", false);

    QApplication app(argc, argv);
    bench::Window w(folder);
    w.find<QListView>("FileListBox1")->selectAll();

    QElapsedTimer timer;
    timer.start();
    w.find<QPushButton>("bLiesHistory")->click();
    // Lets both windows lay out and paint once.
    app.processEvents();
    const qint64 elapsed = timer.elapsed();

    std::printf("History of 1000 Lies x 50 responses: text and chart shown in %lld ms, peak %.1f MB\n",
                static_cast<long long>(elapsed), bench::peakMegabytes());
    w.window.close();
    return 0;
}
