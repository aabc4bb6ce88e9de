#include <QProcess>
#include <QtTest>
#include <unistd.h>

#include "gui/guitest.h"
#include "wm/wmharness.h"

using namespace varnok::testing;

// The visible window of a process, once it has one (empty until then).
static QString visibleWindowOf(const QProcess &process)
{
    QProcess tool;
    tool.start("xdotool", {"search", "--onlyvisible", "--pid", QString::number(process.processId())});
    tool.waitForFinished(kSettle);
    return QString::fromLatin1(tool.readAllStandardOutput()).section('\n', 0, 0).trimmed();
}

// Two real Varnok processes, as two clicks on the desktop icon make them: on
// the same folder (by any path) the second brings the first window forward
// and ends; on another folder it runs as usual.
class TwoWindowsWmTest : public QObject {
    Q_OBJECT
private slots:
    void aSecondStartOnTheSameFolderBringsTheFirstForward()
    {
        TempFolder lies, others, runtime;
        lies.write("Varnok.Ini", "");
        others.write("Varnok.Ini", "");
        QCOMPARE(::symlink(lies.path().c_str(), runtime.file("link").c_str()), 0);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        // Locks and doorbells of the test's own, apart from a Varnok the user runs.
        env.insert("XDG_RUNTIME_DIR", QString::fromStdString(runtime.path()));
        QProcess first;
        first.setProcessEnvironment(env);
        first.start(VARNOK_PROGRAM, {QString::fromStdString(lies.path())});
        QString window;
        QVERIFY(QTest::qWaitFor([&] { return !(window = visibleWindowOf(first)).isEmpty(); }, 4 * kSettle));
        const struct {
            std::string folder;
            bool joins;
        } cases[] = {{lies.path(), true}, {runtime.file("link"), true}, {others.path(), false}};
        for (const auto &c : cases) {
            QProcess::execute("xdotool", {"windowminimize", "--sync", window});
            QProcess second;
            second.setProcessEnvironment(env);
            second.start(VARNOK_PROGRAM, {QString::fromStdString(c.folder)});
            if (c.joins) {
                QVERIFY2(second.waitForFinished(4 * kSettle), c.folder.c_str());
                QVERIFY2(second.exitStatus() == QProcess::NormalExit && second.exitCode() == 0,
                         qPrintable(second.readAllStandardError()));
                QVERIFY2(QTest::qWaitFor([&] { return visibleWindowOf(first) == window; }, kSettle),
                         "the first window did not come forward");
            } else {
                QVERIFY2(QTest::qWaitFor([&] { return !visibleWindowOf(second).isEmpty(); }, 4 * kSettle),
                         "a Varnok on another folder did not run as usual");
                second.kill();
                second.waitForFinished(kSettle);
            }
        }
        first.kill();
        first.waitForFinished(kSettle);
    }
};

VARNOK_GUI_TEST(TwoWindowsWmTest);
#include "twowindows_test.moc"
