#include <algorithm>

#include <QAction>
#include <QInputDialog>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTabWidget>
#include <optional>

#include "documents/documents.h"
#include "gui/QtUi.h"
#include "gui/guitest.h"
#include "wm/wmharness.h"

using namespace varnok;
using namespace varnok::testing;

namespace {

std::string boundsSettings(int left, int top, long long width, long long height)
{
    return "[Settings]\r\nHeight=" + std::to_string(height) + "\r\nWidth=" + std::to_string(width) +
           "\r\nTop=" + std::to_string(top) + "\r\nLeft=" + std::to_string(left) + "\r\n";
}

QRect storedBounds(const std::string &ini)
{
    const auto value = [&](const std::string &key) {
        const auto at = ini.find("\n" + key + "=");
        return at == std::string::npos ? -1 : std::atoi(ini.c_str() + at + key.size() + 2);
    };
    return {value("Left"), value("Top"), value("Width"), value("Height")};
}

QWidget *topLevel(const char *name)
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->objectName() == name)
            return w;
    return nullptr;
}

// The frame as the window manager itself states it (_NET_FRAME_EXTENTS), or
// none while the window is not framed. Qt's own idea of a dialog's frame is
// now and then never learned on a busy machine, so dialogs are measured by this.
QMargins frameExtents(QWidget *window)
{
    QProcess xprop;
    xprop.start("xprop", {"-id", QString::number(window->winId()), "_NET_FRAME_EXTENTS"});
    if (!xprop.waitForFinished(kSettle))
        return {};
    const QString out = QString::fromLatin1(xprop.readAllStandardOutput());
    const auto at = out.indexOf('=');
    const QStringList parts = at < 0 ? QStringList() : out.mid(at + 1).split(',');
    if (parts.size() != 4)
        return {};
    // left, right, top, bottom
    return {parts[0].trimmed().toInt(), parts[2].trimmed().toInt(), parts[1].trimmed().toInt(),
            parts[3].trimmed().toInt()};
}

// True once the window manager has framed the window: its frame then
// differs from the inside.
bool framed(QWidget *window)
{
    return QTest::qWaitForWindowExposed(window, kSettle) &&
           QTest::qWaitFor([&] { return window->frameGeometry() != window->geometry(); }, kSettle);
}

// A dialog's bounds outside, once the window manager has framed it.
std::optional<QRect> outerBounds(QWidget *dialog)
{
    QMargins frame;
    if (!QTest::qWaitForWindowExposed(dialog, kSettle) ||
        !QTest::qWaitFor([&] { return !(frame = frameExtents(dialog)).isNull(); }, kSettle))
        return std::nullopt;
    return dialog->geometry().marginsAdded(frame);
}

// A dialog's title and proposed text show whole: the frame leaves the title
// bar room for the title, and the text field for the whole text.
void checkFitsItsWords(QWidget *dialog)
{
    const std::optional<QRect> outer = outerBounds(dialog);
    QVERIFY2(outer, qPrintable(dialog->windowTitle() + " was never framed"));
    const int needed = titleWidth(dialog->windowTitle()) + kTitleBarExtras;
    QVERIFY2(outer->width() >= needed,
             qPrintable(QString("%1 is %2 wide, needs %3").arg(dialog->windowTitle()).arg(outer->width()).arg(needed)));
    if (auto *field = dialog->findChild<QLineEdit *>()) {
        const int text = field->fontMetrics().horizontalAdvance(field->text());
        QVERIFY2(text <= field->contentsRect().width() - 8,
                 qPrintable(
                     QString("\"%1\" needs %2 in %3").arg(field->text()).arg(text).arg(field->contentsRect().width())));
    }
}

} // namespace

class PlacementTest : public QObject {
    Q_OBJECT
private slots:
    void storedBoundsAreTheFrameAndSurviveRestarts()
    {
        std::string settings = boundsSettings(30, 40, 500, 420);
        for (int start = 0; start < 4; ++start) {
            ActiveWindow w(settings);
            QVERIFY(w.active);
            QVERIFY(framed(w.window.get()));
            QTRY_COMPARE_WITH_TIMEOUT(w.window->frameGeometry(), QRect(30, 40, 500, 420), kSettle);
            w.window->close();
            settings = w.folder.read("Varnok.Ini");
            QCOMPARE(storedBounds(settings), QRect(30, 40, 500, 420));
        }
    }

    // A first start asks its questions before the window shows: the window
    // still comes up with its frame at the stored spot, title bar on screen,
    // and keeps its size over later starts.
    void firstStartQuestionsLeaveTheFrameWhereItIsStored()
    {
        TempFolder folder;
        const std::string startFolder = currentFolder();
        FixedClock clock{DateTime{2026, 12, 7, 17, 27, 0, 0}};
        ScriptedRandom random;
        std::string settings;
        for (int start = 0; start < 2; ++start) {
            auto window = std::make_unique<TfHello>(TfHello::Services{clock, random});
            ModalAnswerer answerer;
            if (start == 0) {
                answerer.acceptMessage(); // "You are about to be presented ..."
                answerer.acceptMessage(); // the open dialog: Cancel
            }
            window->start({folder.file("Lies")});
            QVERIFY(answerer.done());
            window->show();
            window->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(window.get(), kSettle));
            QVERIFY(framed(window.get()));
            QTRY_COMPARE_WITH_TIMEOUT(window->frameGeometry(), QRect(10, 10, 415, 400), kSettle);
            window->close();
            window.reset();
            setCurrentFolder(startFolder);
            settings = folder.read("Lies/Varnok.Ini");
            QCOMPARE(storedBounds(settings), QRect(10, 10, 415, 400));
        }
    }

    void storedBoundsAreKeptOnTheScreen()
    {
        struct Case {
            int left, top;
            long long width, height;
        };
        const Case cases[] = {
            {2200, 1200, 415, 400}, {-500, -300, 415, 400}, {10, 10, 2147483647, 2147483647},
            {600, 0, 900, 400},     {10, 10, 0, -5},
        };
        for (const Case &c : cases) {
            ActiveWindow w(boundsSettings(c.left, c.top, c.width, c.height));
            QVERIFY(framed(w.window.get()));
            const QRect area = screenArea(w.window.get());
            QTRY_VERIFY2(area.contains(w.window->frameGeometry()),
                         qPrintable(QString("%1,%2 %3x%4")
                                        .arg(w.window->frameGeometry().x())
                                        .arg(w.window->frameGeometry().y())
                                        .arg(w.window->frameGeometry().width())
                                        .arg(w.window->frameGeometry().height())));
            QVERIFY(w.window->width() >= w.window->minimumSizeHint().width() || w.window->width() == area.width());
            w.window->close();
            QVERIFY(area.contains(storedBounds(w.folder.read("Varnok.Ini"))));
        }
    }

    void helpWindowIsItsSizeOutside()
    {
        ActiveWindow w;
        w.window->findChild<QAction *>("Readme1")->trigger();
        QWidget *help = topLevel("HelpForm");
        QVERIFY(help);
        QVERIFY(framed(help));
        QTRY_COMPARE_WITH_TIMEOUT(help->frameGeometry().size(), QSize(211, 228), kSettle);
    }

    void promptsShowTheirWordsWhole()
    {
        ActiveWindow w;
        struct Prompt {
            const char *caption, *prompt, *proposed;
        };
        const Prompt prompts[] = {
            {"New Lie Folder", "Folder Name", "New Folder"},
            {"Test", "Enter Test Name", "2026-12-07 0527pm Test Results"},
            {"Lie entry", "Enter your lies!", "I am"},
        };
        for (const Prompt &p : prompts) {
            ModalAnswerer answerer;
            answerer.then([](QWidget *dialog) {
                checkFitsItsWords(dialog);
                qobject_cast<QDialog *>(dialog)->reject();
            });
            w.window->ui().inputText(p.caption, p.prompt, p.proposed);
            QVERIFY(answerer.done());
            if (QTest::currentTestFailed())
                return;
        }
        // The box that says there is nothing to test.
        ModalAnswerer answerer;
        answerer.then([](QWidget *box) {
            const auto check = [box] {
                QCOMPARE(qobject_cast<QMessageBox *>(box)->text(), QString("No Lies found"));
                checkFitsItsWords(box);
            };
            check();
            qobject_cast<QDialog *>(box)->accept();
        });
        w.find<QPushButton>("bAskStart")->click();
        QVERIFY(answerer.done());
    }

    void dialogsAreCentredOnTheScreen()
    {
        // Each on its first showing: once hidden, Qt no longer reports a dialog's frame.
        struct Dialog {
            const char *name;
            bool fixed;
            std::function<void(Ui &)> open;
        };
        const Dialog dialogs[] = {
            {"Indicate Essay Type", true, [](Ui &ui) { ui.askEssayType(); }},
            {"Test Params", false, [](Ui &ui) { ui.askTestParams(); }},
            {"Rename", false, [](Ui &ui) { ui.askRename("Rename Lie", "/tmp", "a.lie"); }},
        };
        // Placed off centre, so that a dialog centred on it is not on the screen's centre.
        ActiveWindow w(boundsSettings(20, 30, 415, 400));
        for (const Dialog &d : dialogs) {
            ModalAnswerer answerer;
            answerer.then([&d](QWidget *dialog) {
                const auto check = [&] {
                    checkFitsItsWords(dialog);
                    if (d.fixed)
                        QCOMPARE(dialog->minimumSize(), dialog->maximumSize());
                    const QPoint centre = screenArea(dialog).center();
                    const QPoint mine = outerBounds(dialog)->center();
                    QVERIFY2((centre - mine).manhattanLength() <= 4,
                             qPrintable(QString("%1 at %2,%3").arg(d.name).arg(mine.x()).arg(mine.y())));
                };
                check();
                qobject_cast<QDialog *>(dialog)->reject();
            });
            d.open(w.window->ui());
            QVERIFY(answerer.done());
            if (QTest::currentTestFailed())
                return;
        }
    }

    void chartOpensOnlyWithSomethingToChartAndLeavesTheFocus()
    {
        // Placed low, where a chart under the main window would run off the screen.
        ActiveWindow w(boundsSettings(380, 355, 415, 400));
        w.folder.write("Money.lie", "Money is evil.\r\n");
        w.folder.write("Plain.lie", "No essay.\r\n");
        w.folder.write("Money.ess",
                       "Money is evil.\r\n\r\n2026-12-01 0900am  RESPONSE: 3\r\n\r\n"
                       "2026-12-07 0527pm  RESPONSE: 22\r\n");
        rereadLists(w.window->context());
        w.find<QTabWidget>("PageControl1")->setCurrentIndex(2);
        auto *lies = w.find<QListView>("FileListBox1");
        auto *history = w.find<QPushButton>("bLiesHistory");
        const auto chartShown = [] { return topLevel("ChartForm") && topLevel("ChartForm")->isVisible(); };

        history->click(); // nothing selected
        QTest::qWait(200);
        QVERIFY(!chartShown());
        QVERIFY(w.find<QWidget>("Memo1")->isVisible());

        w.find<QTabWidget>("PageControl1")->setCurrentIndex(2);
        lies->setCurrentIndex(lies->model()->index(1, 0)); // Plain.lie, no responses
        history->click();
        QTest::qWait(200);
        QVERIFY(!chartShown());

        w.find<QTabWidget>("PageControl1")->setCurrentIndex(2);
        lies->selectAll();
        history->click();
        QTRY_VERIFY_WITH_TIMEOUT(chartShown(), kSettle);
        QWidget *chart = topLevel("ChartForm");
        QVERIFY(framed(chart));
        QTest::qWait(300);
        QCOMPARE(QApplication::activeWindow(), static_cast<QWidget *>(w.window.get()));
        // Beside the main window, so the History text stays in sight, where the
        // screen has room for the chart at its least width; else on the
        // roomier side.
        const QRect main = w.window->frameGeometry();
        const QRect area = screenArea(w.window.get());
        const int least = chart->minimumSizeHint().width() + chart->frameGeometry().width() - chart->width();
        const int roomRight = area.right() - main.right();
        const int roomLeft = main.left() - area.left();
        if (std::max(roomRight, roomLeft) >= least)
            QVERIFY(!chart->frameGeometry().intersects(main));
        else
            QVERIFY2(roomRight >= roomLeft ? chart->frameGeometry().right() == area.right()
                                           : chart->frameGeometry().left() == area.left(),
                     qPrintable(QString("main %1..%2, chart least %3").arg(main.left()).arg(main.right()).arg(least)));
        QVERIFY2(screenArea(chart).contains(chart->frameGeometry()),
                 qPrintable(QString("%1,%2 %3x%4")
                                .arg(chart->frameGeometry().x())
                                .arg(chart->frameGeometry().y())
                                .arg(chart->frameGeometry().width())
                                .arg(chart->frameGeometry().height())));
    }
};

VARNOK_GUI_TEST(PlacementTest);
#include "placement_test.moc"
