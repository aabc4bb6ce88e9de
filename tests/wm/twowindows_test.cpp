#include <QProcess>
#include <QtTest>
#include <unistd.h>

#include "gui/guitest.h"
#include "wm/wmharness.h"

using namespace varnok::testing;

// The visible windows of a process, once it has any.
static QStringList visibleWindowsOf(const QProcess &process)
{
    QProcess tool;
    tool.start("xdotool", {"search", "--onlyvisible", "--pid", QString::number(process.processId())});
    tool.waitForFinished(kSettle);
    return QString::fromLatin1(tool.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
}

// A second Varnok on the folder brings the first forward; elsewhere it runs.
class TwoWindowsWmTest : public QObject {
    Q_OBJECT
private slots:
    void aSecondStartOnTheSameFolderBringsTheFirstForward()
    {
        TempFolder lies, others, fresh, runtime;
        for (const auto *folder : {&lies, &others})
            folder->write("Varnok.Ini", "");
        QCOMPARE(::symlink(lies.path().c_str(), runtime.file("link").c_str()), 0);
        // Locks and doorbells of the test's own, apart from a Varnok the user runs.
        qputenv("XDG_RUNTIME_DIR", runtime.path().c_str());
        // One started as usual, one still asking its first-start questions.
        QProcess first, asking;
        first.start(VARNOK_PROGRAM, {QString::fromStdString(lies.path())});
        asking.start(VARNOK_PROGRAM, {QString::fromStdString(fresh.path())});
        QStringList window, question;
        QVERIFY(QTest::qWaitFor([&] { return !(window = visibleWindowsOf(first)).isEmpty(); }, 4 * kSettle));
        QVERIFY(QTest::qWaitFor([&] { return !(question = visibleWindowsOf(asking)).isEmpty(); }, 4 * kSettle));
        const struct {
            std::string folder;
            QProcess *holder; // none: runs as usual
            const QStringList &forward;
        } cases[] = {{lies.path(), &first, window},
                     {runtime.file("link"), &first, window},
                     {others.path(), nullptr, window},
                     // The question comes forward, not a window that is not ready.
                     {fresh.path(), &asking, question}};
        for (const auto &c : cases) {
            QProcess::execute("xdotool", {"windowminimize", "--sync", c.forward.value(0)});
            QProcess second;
            second.start(VARNOK_PROGRAM, {QString::fromStdString(c.folder)});
            if (c.holder) {
                QVERIFY2(second.waitForFinished(4 * kSettle), c.folder.c_str());
                QVERIFY2(second.exitStatus() == QProcess::NormalExit && second.exitCode() == 0,
                         qPrintable(second.readAllStandardError()));
                QVERIFY2(QTest::qWaitFor([&] { return visibleWindowsOf(*c.holder) == c.forward; }, kSettle),
                         qPrintable(QString::fromStdString(c.folder) + ": " + c.forward.join(" ") +
                                    " did not come forward alone: " + visibleWindowsOf(*c.holder).join(' ')));
            } else {
                QVERIFY2(QTest::qWaitFor([&] { return !visibleWindowsOf(second).isEmpty(); }, 4 * kSettle),
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
