#include <QProcess>
#include <QStandardPaths>
#include <QtTest>
#include <unistd.h>

#include "gui/guitest.h"
#include "support/fakeui.h"
#include "wm/wmharness.h"

using namespace varnok;
using namespace varnok::testing;

namespace {

QString xdotool(const QStringList &arguments)
{
    QProcess tool;
    tool.start("xdotool", arguments);
    tool.waitForFinished(kSettle);
    return QString::fromLatin1(tool.readAllStandardOutput()).trimmed();
}

// The visible window of a process, once it has one (empty until then).
QString visibleWindowOf(const QProcess &process)
{
    return xdotool({"search", "--onlyvisible", "--pid", QString::number(process.processId())}).section('\n', 0, 0);
}

} // namespace

// Two real Varnok processes, as two clicks on the desktop icon make them.
class TwoWindowsWmTest : public QObject {
    Q_OBJECT
private slots:
    void aSecondStartOnTheSameFolderBringsTheFirstForward()
    {
        QVERIFY2(!QStandardPaths::findExecutable("xdotool").isEmpty(),
                 "xdotool is missing (scripts/setup installs it)");
        TempFolder lies, others, runtime, data;
        lies.write("Varnok.Ini", "[Settings]\r\nWidth=415\r\n");
        others.write("Varnok.Ini", "[Settings]\r\nWidth=415\r\n");
        QVERIFY(::symlink(lies.path().c_str(), runtime.file("link").c_str()) == 0);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        // Locks and doorbells of this test's own, apart from a Varnok the user runs.
        env.insert("XDG_RUNTIME_DIR", QString::fromStdString(runtime.path()));
        env.insert("XDG_DATA_HOME", QString::fromStdString(data.path()));
        env.insert("XDG_CONFIG_HOME", QString::fromStdString(data.path()));
        env.remove("QT_QPA_PLATFORM");
        env.insert("QT_QPA_PLATFORM", "xcb");

        QProcess first;
        first.setProcessEnvironment(env);
        first.start(VARNOK_PROGRAM, {QString::fromStdString(lies.path())});
        QVERIFY(first.waitForStarted(kSettle));
        QString window;
        QVERIFY2(QTest::qWaitFor([&] { return !(window = visibleWindowOf(first)).isEmpty(); }, 4 * kSettle),
                 "the first Varnok never showed its window");

        const struct {
            const char *what;
            std::string folder;
            bool joins;
        } cases[] = {
            {"the same folder", lies.path(), true},
            {"the same folder through a link", runtime.file("link"), true},
            {"another folder", others.path(), false},
        };
        for (const auto &c : cases) {
            xdotool({"windowminimize", "--sync", window});
            QProcess second;
            second.setProcessEnvironment(env);
            second.start(VARNOK_PROGRAM, {QString::fromStdString(c.folder)});
            QVERIFY2(second.waitForStarted(kSettle), c.what);
            if (c.joins) {
                QVERIFY2(second.waitForFinished(4 * kSettle), c.what);
                QCOMPARE(second.exitStatus(), QProcess::NormalExit);
                QVERIFY2(second.exitCode() == 0, qPrintable(second.readAllStandardError()));
                QVERIFY2(QTest::qWaitFor([&] { return visibleWindowOf(first) == window; }, kSettle),
                         "the first window did not come forward");
            } else {
                QVERIFY2(QTest::qWaitFor([&] { return !visibleWindowOf(second).isEmpty(); }, 4 * kSettle),
                         "a Varnok on another folder did not run as usual");
                QCOMPARE(second.state(), QProcess::Running);
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
