#include <QProcess>
#include <QtTest>
#include <unistd.h>

#include "gui/guitest.h"
#include "wm/wmharness.h"

using namespace varnok::testing;

// The visible windows of a process, one a line (empty until it has one).
static QString visibleWindowOf(const QProcess &process)
{
    QProcess tool;
    tool.start("xdotool", {"search", "--onlyvisible", "--pid", QString::number(process.processId())});
    tool.waitForFinished(kSettle);
    return QString::fromLatin1(tool.readAllStandardOutput()).trimmed();
}

// A second Varnok on the folder brings the first forward; elsewhere it runs.
class TwoWindowsWmTest : public QObject {
    Q_OBJECT
private slots:
    void aSecondStartOnTheSameFolderBringsTheFirstForward()
    {
        TempFolder lies, others, runtime;
        for (const auto *folder : {&lies, &others})
            folder->write("Varnok.Ini", "");
        QCOMPARE(::symlink(lies.path().c_str(), runtime.file("link").c_str()), 0);
        // Locks and doorbells of the test's own, apart from a Varnok the user runs.
        qputenv("XDG_RUNTIME_DIR", runtime.path().c_str());
        QProcess first, asking; // asking: at its first-start question, in a new folder
        first.start(VARNOK_PROGRAM, {QString::fromStdString(lies.path())});
        asking.start(VARNOK_PROGRAM, {QString::fromStdString(runtime.file("fresh"))});
        QString window, question;
        QVERIFY(QTest::qWaitFor([&] { return !(window = visibleWindowOf(first)).isEmpty(); }, 4 * kSettle));
        QVERIFY(QTest::qWaitFor([&] { return !(question = visibleWindowOf(asking)).isEmpty(); }, 4 * kSettle));
        const struct {
            std::string folder;
            QProcess *holder; // none: runs as usual
            const QString &forward;
        } cases[] = {{lies.path(), &first, window},
                     {runtime.file("link"), &first, window},
                     {others.path(), nullptr, window},
                     {runtime.file("fresh"), &asking, question}};
        for (const auto &c : cases) {
            QProcess::execute("xdotool", {"windowminimize", "--sync", c.forward});
            QProcess second;
            second.start(VARNOK_PROGRAM, {QString::fromStdString(c.folder)});
            if (c.holder) {
                QVERIFY2(second.waitForFinished(4 * kSettle), c.folder.c_str());
                QVERIFY2(second.exitStatus() == QProcess::NormalExit && second.exitCode() == 0,
                         qPrintable(second.readAllStandardError()));
                QVERIFY2(QTest::qWaitFor([&] { return visibleWindowOf(*c.holder) == c.forward; }, kSettle),
                         "the window did not come forward alone");
            } else {
                QVERIFY2(QTest::qWaitFor([&] { return !visibleWindowOf(second).isEmpty(); }, 4 * kSettle),
                         "a Varnok on another folder did not run as usual");
                second.kill();
                second.waitForFinished(kSettle);
            }
        }
        asking.kill();
        asking.waitForFinished(kSettle);
        first.kill();
        first.waitForFinished(kSettle);
        qunsetenv("XDG_RUNTIME_DIR");
    }
};

VARNOK_GUI_TEST(TwoWindowsWmTest);
#include "twowindows_test.moc"
