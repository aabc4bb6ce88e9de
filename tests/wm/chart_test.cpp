#include <QChart>
#include <QLineEdit>
#include <QLineSeries>
#include <QListView>
#include <QListWidget>
#include <QPushButton>
#include <QScatterSeries>
#include <QSlider>
#include <QTabWidget>

#include "documents/documents.h"
#include "gui/TChartForm.h"
#include "gui/guitest.h"
#include "wm/wmharness.h"

using namespace varnok;
using namespace varnok::testing;

namespace {

TChartForm *chartForm()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *form = qobject_cast<TChartForm *>(w))
            return form;
    return nullptr;
}

QList<QLineSeries *> lieLines(TChartForm *form, int lies)
{
    QList<QLineSeries *> result;
    for (auto *s : form->chart()->series())
        if (auto *line = qobject_cast<QLineSeries *>(s); line && result.size() < lies)
            result.append(line);
    return result;
}

// A full test under the proposed name, each Lie answered with the keyboard
// (the scale set one below, then Right) and Enter for Next Lie.
bool takeTest(ActiveWindow &w, const std::vector<int> &answers)
{
    ModalAnswerer answerer;
    answerer.then([](QWidget *dialog) { dialog->findChild<QPushButton *>("bFull")->click(); });
    answerer.then([](QWidget *dialog) { qobject_cast<QDialog *>(dialog)->accept(); });
    w.find<QPushButton>("bAskStart")->click();
    if (!QTest::qWaitFor([&] { return w.window->state().run.running && answerer.done(); }, kSettle))
        return false;
    auto *scale = w.find<QSlider>("TrackBar1");
    for (const int answer : answers) {
        scale->setValue(answer - 1);
        if (!pressOn(scale, Qt::Key_Right) || !pressOn(scale, Qt::Key_Return))
            return false;
    }
    return !w.window->state().run.running;
}

// Clicks a legend entry's check box as a person does.
void clickCheckBox(QListWidget *legend, int row)
{
    const QRect rect = legend->visualItemRect(legend->item(row));
    QTest::mouseClick(legend->viewport(), Qt::LeftButton, {}, QPoint(rect.left() + 10, rect.center().y()));
}

} // namespace

class ChartWmTest : public QObject {
    Q_OBJECT
private slots:
    void chartOfTwoTestsADayApartAndItsLegend()
    {
        ActiveWindow w;
        QVERIFY(w.active);
        w.folder.write("Money.lie", "Money is evil.\r\n");
        w.folder.write("Work.lie", "Work is good.\r\n");
        w.folder.write("Rain.lie", "Rain is sad, and that is a long thought to have about weather at all.\r\n");
        rereadLists(w.window->context());

        // Answers that ask for no essay: the summaries alone hold them.
        QVERIFY(takeTest(w, {7, 8, 9}));
        w.clock.time = DateTime{2026, 12, 8, 18, 10, 0, 0};
        QVERIFY(takeTest(w, {9, 6, 8}));
        QVERIFY(w.folder.exists("2026-12-07 0527pm Test Results.tst"));
        QVERIFY(w.folder.exists("2026-12-08 0610pm Test Results.tst"));

        w.find<QTabWidget>("PageControl1")->setCurrentIndex(2);
        w.find<QListView>("FileListBox1")->selectAll();
        QVERIFY(pressOn(w.find<QPushButton>("bLiesHistory"), Qt::Key_Return));
        QTRY_VERIFY_WITH_TIMEOUT(chartForm() && chartForm()->isVisible(), kSettle);
        TChartForm *form = chartForm();
        QVERIFY(QTest::qWaitForWindowExposed(form, kSettle));

        const auto lines = lieLines(form, 3);
        QCOMPARE(lines.size(), 3);
        for (auto *line : lines)
            QCOMPARE(line->count(), 2); // every Lie has two points
        // The test and the chart take the Lies in list order: Money, Rain, Work.
        QCOMPARE(lines[0]->at(0).y(), 7.0);
        QCOMPARE(lines[0]->at(1).y(), 9.0);
        QCOMPARE(lines[1]->at(1).y(), 6.0);
        QCOMPARE(lines[2]->at(0).y(), 9.0);
        QCOMPARE(QDateTime::fromMSecsSinceEpoch(qint64(lines[0]->at(1).x())),
                 QDateTime(QDate(2026, 12, 8), QTime(18, 10)));

        auto *legend = form->findChild<QListWidget *>("ChartLegend");
        auto *filter = form->findChild<QLineEdit *>("ChartFilter");
        QVERIFY(legend && filter);
        QCOMPARE(legend->count(), 3);
        QCOMPARE(legend->item(1)->text(),
                 QStringLiteral("Rain is sad, and that is a long thought to have about weather at all."));

        // The mouse on a check box takes the Lie's line off the chart and back.
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form, kSettle));
        clickCheckBox(legend, 0);
        QTRY_COMPARE(legend->item(0)->checkState(), Qt::Unchecked);
        QVERIFY(!lines[0]->isVisible());
        // Space on the current entry does the same.
        legend->setCurrentRow(0);
        QVERIFY(pressOn(legend, Qt::Key_Space));
        QTRY_COMPARE(legend->item(0)->checkState(), Qt::Checked);
        QVERIFY(lines[0]->isVisible());

        // Typing in the filter keeps the Lies that hold the words.
        QVERIFY(pressOn(filter, Qt::Key_W));
        QTest::keyClicks(filter, "ork");
        QCOMPARE(filter->text(), QStringLiteral("work")); // letter case does not matter
        QVERIFY(legend->item(0)->isHidden() && legend->item(1)->isHidden() && !legend->item(2)->isHidden());
        QVERIFY(!lines[0]->isVisible() && !lines[1]->isVisible() && lines[2]->isVisible());
        QTest::keyClick(filter, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(filter, Qt::Key_Backspace);
        for (int row = 0; row < 3; ++row)
            QVERIFY(!legend->item(row)->isHidden() && lines[row]->isVisible());
    }
};

VARNOK_GUI_TEST(ChartWmTest);

#include "chart_test.moc"
