#include <QDialog>
#include <QInputDialog>
#include <QLabel>
#include <QLineSeries>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QStatusBar>
#include <QTabWidget>
#include <QtCharts/QChart>
#include <QtTest>

#include "gui/guitest.h"
#include "gui/guiharness.h"
#include "gui/TChartForm.h"
#include "gui/TextArea.h"

using namespace varnok;
using namespace varnok::testing;

namespace {

// Ends every built-in edit that opens with OK, as a person would after reading it.
class EditCommitter : public QObject {
public:
    explicit EditCommitter(Window &w) : w_(w)
    {
        timer_.setInterval(30);
        connect(&timer_, &QTimer::timeout, this, [this] {
            auto *toolBar = w_.find<QWidget>("ToolBar");
            if (toolBar && toolBar->isVisible() && !QApplication::activeModalWidget()) {
                ++commits;
                w_.find<QPushButton>("bEditCommit")->click();
            }
        });
        timer_.start();
    }
    int commits = 0;

private:
    Window &w_;
    QTimer timer_;
};

void press(QWidget *w, const char *button)
{
    auto *b = w->findChild<QPushButton *>(button);
    QVERIFY2(b, button);
    b->click();
}

} // namespace

class CommandsTest : public QObject {
    Q_OBJECT
private slots:
    void aFullTestWithTheKeyboardAndTheRealScale()
    {
        Window w;
        w.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.window.get()));
        w.folder.write("A.lie", "Alpha is true.\r\n");
        w.folder.write("B.lie", "Beta is true.\r\n");
        w.folder.write("C.lie", "Gamma is true.\r\n");
        rereadLists(w.window->context());

        ModalAnswerer answerer;
        answerer.then([](QWidget *d) { press(d, "bFull"); });
        answerer.then([](QWidget *d) { static_cast<QDialog *>(d)->accept(); });
        EditCommitter committer(w);
        auto *scale = w.find<QSlider>("TrackBar1");
        auto *memo = w.find<QPlainTextEdit>("Memo1");

        w.find<QPushButton>("bAskStart")->click();
        QTRY_VERIFY(answerer.done());
        QVERIFY(scale->isVisible());
        QVERIFY(w.find<QPushButton>("bAskNext")->isVisible());
        QVERIFY(!w.find<QPushButton>("bAskStart")->isVisible());
        QCOMPARE(w.window->statusBar()->currentMessage(), QString("Test in progress"));
        QCOMPARE(memo->toPlainText(), QString("Alpha is true.\n"));
        QCOMPARE(w.window->focusWidget(), static_cast<QWidget *>(scale));
        auto *value = w.find<QLabel>("ScaleValue");
        auto *position = w.find<QLabel>("TestPosition");
        QVERIFY(value->isVisible() && position->isVisible());
        QCOMPARE(position->text(), QString("Lie 1 of 3"));
        QCOMPARE(value->text(), QString("1"));

        // Alpha: Home keeps the scale at 1, which still counts as an answer.
        QTest::keyClick(scale, Qt::Key_Home);
        QTest::keyClick(scale, Qt::Key_Return);
        QCOMPARE(memo->toPlainText(), QString("Beta is true.\n"));
        QCOMPARE(scale->value(), 1);
        QCOMPARE(position->text(), QString("Lie 2 of 3"));
        // Beta: 8 asks for nothing; the figure follows every step.
        for (int i = 0; i < 7; ++i) {
            QTest::keyClick(scale, Qt::Key_Right);
            QCOMPARE(value->text(), QString::number(i + 2));
        }
        QTest::keyClick(scale, Qt::Key_Return);
        QCOMPARE(position->text(), QString("Lie 3 of 3"));
        QCOMPARE(value->text(), QString("1"));
        // Gamma: End goes to 25, then the last Next ends the test.
        QTest::keyClick(scale, Qt::Key_End);
        QCOMPARE(value->text(), QString("25"));
        QTest::keyClick(scale, Qt::Key_Enter);
        QTRY_VERIFY(!w.find<QWidget>("ToolBar")->isVisible());

        QCOMPARE(committer.commits, 2);
        QVERIFY(w.find<QPushButton>("bAskStart")->isVisible());
        QVERIFY(!scale->isVisible());
        const std::string stamp = "2026-12-07 0527pm ";
        QCOMPARE(w.folder.read(stamp + "Test Results.tst"),
                 stamp +
                     "Test Results\r\n\r\nAlpha is true.\r\n\r\n\r\nRESPONSE: 1\r\n\r\nBeta is true.\r\n\r\n\r\n"
                     "RESPONSE: 8\r\n\r\nGamma is true.\r\n\r\n\r\nRESPONSE: 25\r\n\r\n\r\nTest Time: 0  Hours  0  "
                     "Minutes  0 Seconds\r\n");
        QCOMPARE(w.folder.read("A.ess"),
                 "Alpha is true.\r\n\r\n" + stamp + " RESPONSE: 1\r\n\r\nEXPLAIN YOURSELF\r\n\r\n");
        QVERIFY(!w.folder.exists("B.ess"));
        QCOMPARE(w.folder.read("C.ess"),
                 "Gamma is true.\r\n\r\n" + stamp + " RESPONSE: 25\r\n\r\nEXPLAIN YOURSELF\r\n\r\n");
        QCOMPARE(w.find<QListView>("FileListBox3")->model()->rowCount(), 1);
    }

    void aLieOfFiveMegabytesOnOneLineLeavesTheWindowAnswering()
    {
        Window w;
        std::string line;
        while (line.size() < 5u << 20)
            line += "a statement that goes on and on without a break ";
        w.folder.write("Long.lie", line + "\r\n");
        w.folder.write("Short.lie", "Short\r\n");
        rereadLists(w.window->context());
        ModalAnswerer answerer;
        answerer.then([](QWidget *d) { press(d, "bFull"); });
        // The name of the test.
        answerer.then([](QWidget *d) { static_cast<QDialog *>(d)->accept(); });
        EditCommitter committer(w);
        auto *memo = w.find<TextArea>("Memo1");
        auto *start = w.find<QPushButton>("bAskStart");

        start->click();
        QTRY_VERIFY(w.find<QPushButton>("bAskNext")->isVisible());
        QVERIFY(memo->toPlainText().startsWith("a statement that goes on"));
        QVERIFY(memo->showsLinesCut());
        QVERIFY(memo->toPlainText().size() < 20000);
        // Painted, and Stop Test taken and done, within a second.
        QElapsedTimer clock;
        clock.start();
        memo->repaint();
        QTimer::singleShot(0, w.find<QPushButton>("bAskStop"), &QPushButton::click);
        QTRY_VERIFY_WITH_TIMEOUT(start->isVisible(), 1000);
        QTRY_VERIFY(answerer.done());
        QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
        // The test summary has the whole line, not what was shown of it.
        const std::string stamp = "2026-12-07 0527pm ";
        QVERIFY(w.folder.read(stamp + "Test Results.tst").find(line + "\r\n") != std::string::npos);
        QCOMPARE(w.folder.read("Long.lie"), line + "\r\n");
    }

    void nextWithoutTouchingTheScaleAsksForAnAnswer()
    {
        Window w;
        w.folder.write("A.lie", "Alpha\r\n");
        rereadLists(w.window->context());
        ModalAnswerer answerer;
        answerer.then([](QWidget *d) { press(d, "bFull"); });
        answerer.then([](QWidget *d) { static_cast<QDialog *>(d)->accept(); });
        answerer.acceptMessage();
        w.find<QPushButton>("bTestsNew")->click();
        QTRY_COMPARE(w.find<QSlider>("TrackBar1")->isVisible(), true);
        // The strip starts blue and swaps to red at the timer's next tick.
        QVERIFY(w.find<QWidget>("Shape2")->isVisible() && !w.find<QWidget>("Shape1")->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(w.find<QWidget>("Shape1")->isVisible() && !w.find<QWidget>("Shape2")->isVisible(),
                                 2000);
        w.find<QSlider>("TrackBar1")->setValue(20); // set by the program: no answer
        // As with the mouse: the button takes the focus, then acts.
        w.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.window.get()));
        w.find<QPushButton>("bAskNext")->setFocus();
        w.find<QPushButton>("bAskNext")->click();
        QTRY_VERIFY(answerer.done());
        QCOMPARE(answerer.texts, QStringList{"Please indicate the strength of your reaction on the scale."});
        // Back on the scale, so Home and End answer at once.
        auto *scale = w.find<QSlider>("TrackBar1");
        QTRY_COMPARE(w.window->focusWidget(), static_cast<QWidget *>(scale));
        QTest::keyClick(scale, Qt::Key_End);
        QCOMPARE(scale->value(), 25);
        w.find<QPushButton>("bAskStop")->click();
        QVERIFY(w.find<QPushButton>("bAskStart")->isVisible());
        QVERIFY(!w.find<QWidget>("Shape1")->isVisible() && !w.find<QWidget>("Shape2")->isVisible());
    }

    void theReviewCountsItsEssaysAndLaterLeavesTheRestUnopened()
    {
        Window w;
        w.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.window.get()));
        for (const char *name : {"A", "B", "C"})
            w.folder.write(std::string(name) + ".lie", std::string(name) + " is true.\r\n");
        rereadLists(w.window->context());
        ModalAnswerer answerer;
        answerer.then([](QWidget *d) { press(d, "bFull"); });
        answerer.then([](QWidget *d) { static_cast<QDialog *>(d)->accept(); });
        w.find<QPushButton>("bAskStart")->click();
        QTRY_VERIFY(answerer.done());

        // The first essay open: what the status bar and the tool bar show then.
        QString status, place;
        bool laterShown = false;
        int opened = 0;
        QTimer watcher;
        watcher.setInterval(30);
        connect(&watcher, &QTimer::timeout, [&] {
            auto *toolBar = w.find<QWidget>("ToolBar");
            if (!toolBar->isVisible() || QApplication::activeModalWidget())
                return;
            ++opened;
            status = w.window->statusBar()->currentMessage();
            place = w.find<QLabel>("ReviewPosition")->text();
            laterShown = w.find<QPushButton>("bEditLater")->isVisible();
            w.find<QPushButton>("bEditLater")->click();
        });
        watcher.start();
        auto *scale = w.find<QSlider>("TrackBar1");
        for (int i = 0; i < 3; ++i) {
            QTest::keyClick(scale, Qt::Key_End);
            QTest::keyClick(scale, Qt::Key_Return);
        }
        QTRY_VERIFY(w.find<QPushButton>("bAskStart")->isVisible() && !w.find<QWidget>("ToolBar")->isVisible());
        watcher.stop();
        QCOMPARE(opened, 1);
        QCOMPARE(status, QString("Editing: A.ess"));
        QCOMPARE(place, QString("Essay 1 of 3: A.ess"));
        QVERIFY(laterShown);
        QVERIFY(!w.find<QLabel>("ReviewPosition")->isVisible());
        QVERIFY(!w.find<QPushButton>("bEditLater")->isVisible());
        const std::string stamp = "2026-12-07 0527pm ";
        for (const char *name : {"A", "B", "C"})
            QCOMPARE(w.folder.read(std::string(name) + ".ess"),
                     std::string(name) + " is true.\r\n\r\n" + stamp + " RESPONSE: 25\r\n\r\nEXPLAIN YOURSELF\r\n\r\n");
    }

    void generateFromTwoSelectedEssays()
    {
        Window w;
        w.folder.write("One.ess", "One\r\n\r\nEXPLAIN YOURSELF\r\nFirst said. Second said.\r\n");
        w.folder.write("Two.ess", "Two\r\n\r\nEXPLAIN YOURSELF\r\nThird said. Fourth said.\r\n");
        rereadLists(w.window->context());
        w.find<QTabWidget>("PageControl1")->setCurrentIndex(1);
        w.find<QPushButton>("bFunSelectAll")->click();
        QCOMPARE(w.find<QListView>("FileListBox2")->selectionModel()->selectedRows().size(), 2);
        ModalAnswerer answerer;
        answerer.then([](QWidget *d) {
            QCOMPARE(d->windowTitle(), QString("Indicate Essay Type"));
            QVERIFY(d->findChild<QRadioButton *>("rgET0")->isChecked());
            static_cast<QDialog *>(d)->accept();
        });
        answerer.then([](QWidget *d) {
            auto *input = qobject_cast<QInputDialog *>(d);
            QCOMPARE(input->labelText(), QString("Enter number of lines to generate"));
            QCOMPARE(input->textValue(), QString("2"));
            input->accept();
        });
        w.find<QPushButton>("bFunEssay")->click();
        QTRY_VERIFY(answerer.done());
        const std::string text = w.folder.read("2026-12-07 0527pm 2Essay.gen");
        // Four sentences in paragraphs of three: one full paragraph and a short one.
        QCOMPARE(std::count(text.begin(), text.end(), '.'), 4L);
        QCOMPARE(splitLines(text).size(), 3u);
        QCOMPARE(w.find<QListView>("FileListBox2")->model()->rowCount(), 3);
    }

    void theEssayTypeChoiceIsKeptForTheRun()
    {
        Window w;
        w.folder.write("One.ess", "One\r\n\r\nEXPLAIN YOURSELF\r\nFirst said.\r\n");
        rereadLists(w.window->context());
        ModalAnswerer answerer;
        answerer.then([](QWidget *d) {
            d->findChild<QRadioButton *>("rgET1")->click();
            static_cast<QDialog *>(d)->accept();
        });
        answerer.then([](QWidget *d) {
            QVERIFY(d->findChild<QRadioButton *>("rgET1")->isChecked());
            static_cast<QDialog *>(d)->reject();
        });
        // Nothing is selected, so each Generate ends after the question.
        w.find<QPushButton>("bFunEssay")->click();
        w.find<QPushButton>("bFunEssay")->click();
        QVERIFY(answerer.done());
        QCOMPARE(w.folder.names().size(), 2u);
    }

    // How long the click takes is for bench/bench_view to watch.
    void aFiftyMegabyteViewIsShownWhole()
    {
        Window w;
        std::string big;
        big.reserve(51u << 20);
        for (int i = 0; big.size() < (50u << 20); ++i)
            big += "Line " + std::to_string(i) + " of a large essay, written again and again.\r\n";
        w.folder.write("Big.ess", big);
        rereadLists(w.window->context());
        w.find<QTabWidget>("PageControl1")->setCurrentIndex(1);
        w.find<QPushButton>("bFunSelectAll")->click();
        w.find<QPushButton>("bEssaysView")->click();
        auto *memo = w.find<QPlainTextEdit>("Memo1");
        QVERIFY(memo->isVisible());
        QVERIFY(memo->toPlainText().startsWith("Line 0 of a large essay"));
        // The rest arrives while the window goes on; what is read back is whole.
        const std::string shown = w.window->memoText();
        QVERIFY(shown == memoTextFromBytes(big) + "  * * *\n\n");
    }

    void historyShowsTheTextAndTheChart()
    {
        Window w;
        w.folder.write("Money.lie", "Money is evil.\r\n");
        w.folder.write("Money.ess",
                       "Money is evil.\r\n\r\n2026-12-01 0900am  RESPONSE: 3\r\n\r\nEXPLAIN YOURSELF\r\nx\r\n"
                       "\r\n2026-12-05 1200pm  RESPONSE: 22\r\n\r\nEXPLAIN YOURSELF\r\nRESPONSE: typed\r\n");
        w.folder.write("Work.lie", "Work is good.\r\n");
        rereadLists(w.window->context());
        w.find<QTabWidget>("PageControl1")->setCurrentIndex(2);
        w.find<QPushButton>("bLiesSelectAll")->click();
        w.find<QPushButton>("bLiesHistory")->click();
        QCOMPARE(w.find<QTabWidget>("PageControl1")->currentIndex(), 0);
        QCOMPARE(w.find<QPlainTextEdit>("Memo1")->toPlainText(),
                 QString("\n\nLie History:\nMoney is evil.\n\n2026-12-01 0900am  RESPONSE: 3\n2026-12-05 1200pm  "
                         "RESPONSE: 22\nRESPONSE: typed\n\n\nLie History:\nWork is good.\n\n"));
        auto *chart = w.window->findChild<TChartForm *>("ChartForm");
        QVERIFY(chart && chart->isVisible());
        QList<int> points;
        for (auto *s : chart->chart()->series())
            if (auto *line = qobject_cast<QLineSeries *>(s); line && !line->name().contains("limit"))
                points.push_back(line->count());
        QCOMPARE(points, (QList<int>{2, 0}));
        QVERIFY(chart->findChild<QLabel *>("lSkipped")->isVisible());
    }
};

VARNOK_GUI_TEST(CommandsTest);
#include "commands_test.moc"
