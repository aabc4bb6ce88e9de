#include <QDialog>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>
#include <QtTest>
#include <chrono>
#include <thread>

#include "core/job.h"
#include "gui/QtUi.h"
#include "gui/guitest.h"
#include "wm/wmharness.h"

using namespace varnok;
using namespace varnok::testing;

namespace {

// Waits for Cancel, for at most 20 seconds.
bool waitUntilCancelled(JobProgress &progress)
{
    for (int i = 0; i < 2000; ++i) {
        progress.checkpoint(i / 2000.0);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

void xdotool(const QStringList &arguments)
{
    QProcess::execute("xdotool", arguments);
}

} // namespace

class LongJobWmTest : public QObject {
    Q_OBJECT
private slots:
    // Cancel on the progress bar, pressed as a person does: through the window
    // system, whose input reaches the dialog's own native window first.
    void cancelAndEscapeOnTheProgressBarStopTheJob()
    {
        QVERIFY2(!QStandardPaths::findExecutable("xdotool").isEmpty(),
                 "xdotool is missing (scripts/setup installs it)");
        ActiveWindow w;
        QVERIFY(w.active);
        for (const bool byMouse : {true, false}) {
            QTimer poll;
            poll.setInterval(50);
            bool pressed = false;
            QObject::connect(&poll, &QTimer::timeout, [&] {
                auto *dialog = qobject_cast<QDialog *>(QApplication::activeWindow());
                if (pressed || !dialog || dialog->objectName() != "ProgressDialog")
                    return;
                pressed = true;
                if (byMouse) {
                    auto *cancel = dialog->findChild<QPushButton *>("bCancelJob");
                    const QPoint at = cancel->mapToGlobal(cancel->rect().center());
                    xdotool({"mousemove", "--sync", QString::number(at.x()), QString::number(at.y()), "click", "1"});
                } else {
                    xdotool({"key", "Escape"});
                }
            });
            poll.start();
            bool ranOut = false;
            QElapsedTimer clock;
            clock.start();
            const bool finished =
                w.window->ui().runLong("Waiting", [&](JobProgress &p) { ranOut = waitUntilCancelled(p); });
            QVERIFY2(pressed, byMouse ? "the progress bar never came" : "the progress bar never came (Escape)");
            QVERIFY2(!finished && !ranOut, byMouse ? "Cancel did not stop the job" : "Escape did not stop the job");
            QVERIFY2(clock.elapsed() < 10000, qPrintable(QString::number(clock.elapsed())));
        }
    }
};

VARNOK_GUI_TEST(LongJobWmTest);
#include "longjob_test.moc"
