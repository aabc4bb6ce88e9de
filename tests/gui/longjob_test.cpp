#include <QDialog>
#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QtTest>
#include <algorithm>
#include <chrono>
#include <thread>

#include "gui/QtUi.h"
#include "gui/guiharness.h"
#include "gui/guitest.h"

using namespace varnok;
using namespace varnok::testing;

namespace {

// Watches the progress window from the event loop while a job runs.
struct ProgressWatch {
    ProgressWatch()
    {
        clock.start();
        timer.setInterval(10);
        QObject::connect(&timer, &QTimer::timeout, [this] {
            ++beats;
            auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            if (!dialog || dialog->objectName() != "ProgressDialog" || !dialog->isVisible())
                return;
            if (shownAt < 0)
                shownAt = clock.elapsed();
            value = std::max(value, dialog->findChild<QProgressBar *>("ProgressBar")->value());
            if (onShown)
                onShown(dialog);
        });
        timer.start();
    }
    QElapsedTimer clock;
    QTimer timer;
    int beats = 0;
    qint64 shownAt = -1;
    int value = 0;
    std::function<void(QDialog *)> onShown;
};

// Runs until cancelled, or gives up after a few seconds so a fault fails
// the test instead of hanging it.
void untilCancelled(JobProgress &progress)
{
    for (int i = 0; i < 1000; ++i) {
        progress.checkpoint(std::min(0.9, i / 100.0));
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

} // namespace

class LongJobTest : public QObject {
    Q_OBJECT
private slots:
    void aShortJobShowsNoProgressAndEndsDone()
    {
        Window w;
        ProgressWatch watch;
        bool ran = false;
        QVERIFY(w.window->ui().runLong("Short", [&](JobProgress &p) {
            p.checkpoint(0.5);
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            ran = true;
        }));
        QVERIFY(ran);
        QCOMPARE(watch.shownAt, -1);
    }

    void aLongJobShowsProgressKeepsTheWindowLiveAndCancels()
    {
        Window w;
        auto *pages = w.find<QTabWidget>("PageControl1");
        QCOMPARE(pages->currentIndex(), 0);
        ProgressWatch watch;
        bool clickedTab = false;
        watch.onShown = [&](QDialog *dialog) {
            if (!clickedTab) {
                // Input to the window is not taken while the job runs.
                clickedTab = true;
                QTabBar *tabs = pages->tabBar();
                QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(2).center());
                return;
            }
            // Cancelled once the window's own timers have been seen running
            // meanwhile, however slowly a busy machine runs them.
            if (watch.value > 0 && watch.beats >= 20)
                dialog->findChild<QPushButton *>("bCancelJob")->click();
        };
        QVERIFY(!w.window->ui().runLong("Waiting", untilCancelled));
        QVERIFY2(watch.shownAt >= 450, qPrintable(QString::number(watch.shownAt)));
        QVERIFY(watch.value > 0);
        QVERIFY2(watch.beats >= 20, "the window's timers ran meanwhile");
        QVERIFY(clickedTab);
        QCOMPARE(pages->currentIndex(), 0);
        // Afterwards the window takes input again.
        QTest::mouseClick(pages->tabBar(), Qt::LeftButton, {}, pages->tabBar()->tabRect(2).center());
        QCOMPARE(pages->currentIndex(), 2);
    }

    void escapeCancelsAndAnErrorComesOutOfTheJob()
    {
        Window w;
        ProgressWatch watch;
        watch.onShown = [](QDialog *dialog) { QTest::keyClick(dialog, Qt::Key_Escape); };
        QVERIFY(!w.window->ui().runLong("Waiting", untilCancelled));

        bool thrown = false;
        try {
            w.window->ui().runLong("Failing", [](JobProgress &) { throw CommandError("Cannot open file x.ess"); });
        } catch (const CommandError &e) {
            thrown = std::string(e.what()) == "Cannot open file x.ess";
        }
        QVERIFY(thrown);
    }

    // A job that reaches its next checkpoint only a while after Cancel: the
    // progress window stays meanwhile and says so, its button no longer offered.
    void theProgressWindowStaysWhileTheJobWindsDown()
    {
        Window w;
        ProgressWatch watch;
        QString caption;
        bool buttonOffered = true;
        bool escaped = false;
        watch.onShown = [&](QDialog *dialog) {
            if (!escaped) {
                escaped = true;
                QTest::keyClick(dialog, Qt::Key_Escape);
                return;
            }
            caption = dialog->findChild<QLabel *>("ProgressCaption")->text();
            buttonOffered = dialog->findChild<QPushButton *>("bCancelJob")->isEnabled();
        };
        const bool finished = w.window->ui().runLong("Waiting", [](JobProgress &p) {
            while (!p.cancelled())
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            std::this_thread::sleep_for(std::chrono::milliseconds(400)); // a step without checkpoints
            p.checkpoint(1.0);
        });
        QVERIFY(!finished);
        QCOMPARE(caption, QString("Cancelling..."));
        QVERIFY(!buttonOffered);
    }
};

VARNOK_GUI_TEST(LongJobTest);
#include "longjob_test.moc"
