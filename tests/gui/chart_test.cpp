#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QDateTimeAxis>
#include <QFile>
#include <QLabel>
#include <QLegend>
#include <QLegendMarker>
#include <QLineEdit>
#include <QLineSeries>
#include <QListWidget>
#include <QScatterSeries>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolTip>
#include <QValueAxis>
#include <QtTest>

#include "core/text.h"
#include "gui/guiharness.h"
#include "gui/guitest.h"
#include "support/stamps.h"
#include "gui/TChartForm.h"

using namespace varnok;

namespace {

using testing::at;
using testing::responseLine;

// Money.lie with three readable responses, Work.lie with one and two lines
// typed by hand that the chart cannot read.
std::vector<ChartSeries> twoLies()
{
    const Lines money = {"Money is evil.",
                         "",
                         responseLine(at(2026, 3, 1, 9, 5), 3),
                         "",
                         "EXPLAIN YOURSELF",
                         "why",
                         "",
                         responseLine(at(2026, 5, 1, 20, 0), 22),
                         "",
                         "EXPLAIN YOURSELF",
                         "",
                         responseLine(at(2026, 12, 7, 17, 27), 13),
                         "",
                         "EXPLAIN YOURSELF"};
    const Lines work = {"Work is good.",
                        "",
                        responseLine(at(2026, 4, 2, 0, 15), 8),
                        "",
                        "EXPLAIN YOURSELF",
                        "RESPONSE: 13 (tired)",
                        "2026-04-31 0100pm  RESPONSE: 4"};
    return {buildChartSeries("Money.lie", {"Money is evil."}, money),
            buildChartSeries("Work, play.lie", {"Work is good."}, work)};
}

// Money.lie with one more answer, found only in a test summary.
ChartSeries moneyWithASummaryAnswer()
{
    ChartSeries money = twoLies()[0];
    money.points.push_back({at(2026, 4, 1, 8, 0), 9, ResponseSource::Summary});
    std::stable_sort(money.points.begin(), money.points.end(), [](const ResponsePoint &a, const ResponsePoint &b) {
        return a.when.toMilliseconds() < b.when.toMilliseconds();
    });
    return money;
}

QList<QLineSeries *> lineSeries(QChart *chart)
{
    QList<QLineSeries *> result;
    for (auto *s : chart->series()) {
        auto *line = qobject_cast<QLineSeries *>(s);
        if (line)
            result.append(line);
    }
    return result;
}

QString readAll(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("<cannot open>");
    return QString::fromLatin1(file.readAll());
}

} // namespace

class ChartTest : public QObject {
    Q_OBJECT

private slots:
    void windowHasItsNamesAndCaptions()
    {
        TChartForm form;
        QCOMPARE(form.objectName(), QStringLiteral("ChartForm"));
        QCOMPARE(form.windowTitle(), QStringLiteral("Reaction History"));
        QVERIFY(form.isWindow());
        auto *save = form.findChild<QPushButton *>("bChartSave");
        auto *close = form.findChild<QPushButton *>("bChartClose");
        QVERIFY(save && close);
        QCOMPARE(save->text(), QStringLiteral("&Save as CSV..."));
        QCOMPARE(close->text(), QStringLiteral("&Close"));

        // Closing hides the window; it is kept for the next History.
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QTest::mouseClick(close, Qt::LeftButton);
        QVERIFY(!form.isVisible());
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.activateWindow();
        QTest::keyClick(&form, Qt::Key_Escape);
        QVERIFY(!form.isVisible());
    }

    void plotsOneLinePerLieAndTheLimits()
    {
        TChartForm form;
        form.showSeries(twoLies(), 5, 20);
        const auto lines = lineSeries(form.chart());
        QCOMPARE(lines.size(), 4);
        QCOMPARE(lines[0]->name(), QStringLiteral("Money is evil."));
        QCOMPARE(lines[0]->count(), 3);
        QVERIFY(lines[0]->pointsVisible());
        QCOMPARE(lines[0]->at(0).y(), 3.0);
        QCOMPARE(lines[0]->at(2).y(), 13.0);
        QVERIFY(lines[0]->at(0).x() < lines[0]->at(1).x());
        QCOMPARE(lines[1]->name(), QStringLiteral("Work is good."));
        QCOMPARE(lines[1]->count(), 1);
        QCOMPARE(lines[1]->at(0).y(), 8.0);

        QCOMPARE(lines[2]->name(), QStringLiteral("Weak limit (5)"));
        QCOMPARE(lines[3]->name(), QStringLiteral("Strong limit (20)"));
        for (auto *limit : {lines[2], lines[3]}) {
            QCOMPARE(limit->count(), 2);
            QCOMPARE(limit->pen().style(), Qt::DashLine);
            QCOMPARE(limit->at(0).y(), limit->at(1).y());
        }
        QCOMPARE(lines[2]->at(0).y(), 5.0);
        QCOMPARE(lines[3]->at(0).y(), 20.0);

        // The limits span every point, and the axes show 1..25 over the whole time.
        const auto values = form.chart()->axes(Qt::Vertical);
        const auto times = form.chart()->axes(Qt::Horizontal);
        QCOMPARE(values.size(), 1);
        QCOMPARE(times.size(), 1);
        auto *valueAxis = qobject_cast<QValueAxis *>(values[0]);
        auto *timeAxis = qobject_cast<QDateTimeAxis *>(times[0]);
        QVERIFY(valueAxis && timeAxis);
        QVERIFY(valueAxis->min() > 0.0 && valueAxis->min() <= 1.0);
        QVERIFY(valueAxis->max() >= 25.0 && valueAxis->max() < 26.0);
        QVERIFY(lines[2]->at(0).x() < lines[0]->at(0).x());
        QVERIFY(lines[2]->at(1).x() > lines[0]->at(2).x());
        QCOMPARE(timeAxis->min().toMSecsSinceEpoch(), qint64(lines[2]->at(0).x()));
        QCOMPARE(timeAxis->max().toMSecsSinceEpoch(), qint64(lines[2]->at(1).x()));
        for (auto *line : lines)
            QCOMPARE(line->attachedAxes().size(), 2);

        auto *skipped = form.findChild<QLabel *>("lSkipped");
        QVERIFY(skipped);
        QVERIFY(!skipped->isHidden());
        QCOMPARE(skipped->text(), QStringLiteral("2 response lines could not be read and are left out"));

        // A new History replaces everything, the limits as they are now.
        std::vector<ChartSeries> one = {twoLies()[0]};
        form.showSeries(one, 7, 18);
        const auto again = lineSeries(form.chart());
        QCOMPARE(again.size(), 3);
        QCOMPARE(again[1]->name(), QStringLiteral("Weak limit (7)"));
        QCOMPARE(again[2]->name(), QStringLiteral("Strong limit (18)"));
        QVERIFY(skipped->isHidden());

        one[0].skipped = 1;
        form.showSeries(one, 7, 18);
        QCOMPARE(skipped->text(), QStringLiteral("1 response line could not be read and is left out"));

        // No Lie at all still gives a chart with its limits.
        form.showSeries({}, 5, 20);
        QCOMPARE(lineSeries(form.chart()).size(), 2);
    }

    void namesLiesByTheirStatement()
    {
        ChartSeries longOne;
        longOne.lieFileName = "long.lie";
        longOne.statement = std::string(70, 'x');
        ChartSeries latin;
        latin.lieFileName = "latin.lie";
        latin.statement =
            "Gr\xFC\xDF"
            "e";
        ChartSeries utf8;
        utf8.lieFileName = "utf8.lie";
        utf8.statement =
            "Gr\xC3\xBC\xC3\x9F"
            "e";
        ChartSeries unnamed;
        unnamed.lieFileName = "Nameless.lie";
        TChartForm form;
        form.showSeries({longOne, latin, utf8, unnamed}, 5, 20);
        const auto lines = lineSeries(form.chart());
        QVERIFY(lines.size() >= 4);
        QCOMPARE(lines[0]->name(), QString(60, QChar('x')) + QChar(0x2026));
        QCOMPARE(lines[1]->name(), QString::fromUtf8("Gr\xC3\xBC\xC3\x9F"
                                                     "e"));
        QCOMPARE(lines[2]->name(), QString::fromUtf8("Gr\xC3\xBC\xC3\x9F"
                                                     "e"));
        QCOMPARE(lines[3]->name(), QStringLiteral("Nameless.lie"));
    }

    void toolTipShowsTheNearestPointsDateAndValue()
    {
        TChartForm form;
        form.showSeries(twoLies(), 5, 20);
        const auto lines = lineSeries(form.chart());
        QCOMPARE(lines.size(), 4);
        QVERIFY(lines[0]->count() >= 3 && lines[1]->count() >= 1);
        const QPointF evening = lines[0]->at(2);
        QCOMPARE(TChartForm::pointToolTip(*lines[0], evening + QPointF(-3600000, 0.4)),
                 QStringLiteral("Money is evil.\n2026-12-07 05:27pm  Response: 13"));
        QCOMPARE(TChartForm::pointToolTip(*lines[1], lines[1]->at(0)),
                 QStringLiteral("Work is good.\n2026-04-02 12:15am  Response: 8"));

        // The window answers the chart's hover signal with that text.
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        emit lines[0]->hovered(evening, true);
        QTRY_COMPARE(QToolTip::text(), QStringLiteral("Money is evil.\n2026-12-07 05:27pm  Response: 13"));
        emit lines[0]->hovered(evening, false);
        QTRY_VERIFY(!QToolTip::isVisible());
    }

    void savesThePlottedResponsesAsCsv()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath("reactions.csv");
        TChartForm form;
        form.showSeries(twoLies(), 5, 20);
        int asked = 0;
        form.setSavePathChooser([&] {
            ++asked;
            return path;
        });
        QTest::mouseClick(form.findChild<QPushButton *>("bChartSave"), Qt::LeftButton);
        QCOMPARE(asked, 1);
        QCOMPARE(readAll(path), QStringLiteral("Lie,Statement,Date,Response,Source\r\n"
                                               "Money.lie,Money is evil.,2026-03-01T09:05:00,3,essay\r\n"
                                               "Money.lie,Money is evil.,2026-05-01T20:00:00,22,essay\r\n"
                                               "Money.lie,Money is evil.,2026-12-07T17:27:00,13,essay\r\n"
                                               "\"Work, play.lie\",Work is good.,2026-04-02T00:15:00,8,essay\r\n"));

        // Cancel writes nothing.
        const QString other = dir.filePath("other.csv");
        form.setSavePathChooser([] { return QString(); });
        QVERIFY(!form.saveCsv());
        QVERIFY(!QFile::exists(other));
    }

    void reportsAFileThatCannotBeCreated()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath("missing/reactions.csv");
        TChartForm form;
        form.showSeries(twoLies(), 5, 20);
        form.setSavePathChooser([&] { return path; });
        QString title;
        QString text;
        varnok::testing::ModalAnswerer answerer;
        answerer.then([&](QWidget *w) {
            title = w->windowTitle();
            auto *box = qobject_cast<QMessageBox *>(w);
            QVERIFY(box);
            text = box->text();
            box->accept();
        });
        QVERIFY(!form.saveCsv());
        QCOMPARE(title, QStringLiteral("Varnok"));
        QCOMPARE(text, QStringLiteral("Cannot create file ") + path + ".");
        QVERIFY(!QFile::exists(path));
    }

    void chartsTheLiesAPersonCanReadAndListsTheRest()
    {
        // Each line added to a chart costs more than the one before: a
        // thousand made the window stall for seconds, a hundred thousand for
        // minutes. Beyond forty the lines are a tangle anyway.
        std::vector<ChartSeries> many(1000);
        for (std::size_t i = 0; i < many.size(); ++i) {
            many[i].lieFileName = "Lie " + std::to_string(i) + ".lie";
            many[i].statement = "Statement " + std::to_string(i);
            for (int run = 0; run < 50; ++run) {
                const auto ms =
                    at(2020, 1, 1, 0, 0).toMilliseconds() + std::int64_t(run) * 7 * 86400000 + std::int64_t(i) * 60000;
                many[i].points.push_back({DateTime::fromMilliseconds(ms), 1 + int(i + run) % 25});
            }
        }
        many[999].skipped = 2;
        TChartForm form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.showSeries(many, 5, 20);
        const auto lines = lineSeries(form.chart());
        QCOMPARE(lines.size(), 42);
        QCOMPARE(lines[39]->name(), QStringLiteral("Statement 39"));
        QCOMPARE(lines[40]->name(), QStringLiteral("Weak limit (5)"));
        const auto markers = form.chart()->legend()->markers();
        QCOMPARE(std::count_if(markers.begin(), markers.end(), [](QLegendMarker *m) { return m->isVisible(); }), 2);
        auto *note = form.findChild<QLabel *>("lNotCharted");
        auto *rest = form.findChild<QPlainTextEdit *>("NotCharted");
        QVERIFY(note->isVisible() && rest->isVisible());
        QCOMPARE(note->text(), QStringLiteral("960 more Lies are not charted, to keep the chart readable:"));
        const QStringList listed = rest->toPlainText().split('\n');
        QCOMPARE(listed.size(), 960);
        QCOMPARE(listed.first(), QStringLiteral("Statement 40"));
        QCOMPARE(listed.last(), QStringLiteral("Statement 999"));
        // Lines left out of the chart still count when they could not be read.
        QCOMPARE(form.findChild<QLabel *>("lSkipped")->text(),
                 QStringLiteral("2 response lines could not be read and are left out"));

        many.resize(41);
        form.showSeries(many, 5, 20);
        QCOMPARE(note->text(), QStringLiteral("1 more Lie is not charted, to keep the chart readable:"));
        many.resize(40);
        form.showSeries(many, 5, 20);
        QCOMPARE(lineSeries(form.chart()).size(), 42);
        QVERIFY(note->isHidden() && rest->isHidden());

        // Lies with nothing to draw do not take the places of those with answers.
        std::vector<ChartSeries> sparse(100);
        for (std::size_t i = 0; i < sparse.size(); ++i)
            sparse[i].statement = "Empty " + std::to_string(i);
        sparse[50] = many[0];
        sparse[99] = many[1];
        form.showSeries(sparse, 5, 20);
        const auto sparseLines = lineSeries(form.chart());
        QVERIFY(sparseLines.size() >= 2);
        QCOMPARE(sparseLines[0]->name(), QStringLiteral("Statement 0"));
        QCOMPARE(sparseLines[1]->name(), QStringLiteral("Statement 1"));
        // The legend list names the same Lies as the lines it ticks.
        auto *legend = form.findChild<QListWidget *>("ChartLegend");
        QVERIFY(legend);
        QVERIFY2(legend->item(0)->text().contains("Statement 0") && legend->item(1)->text().contains("Statement 1"),
                 qPrintable(legend->item(0)->text() + " / " + legend->item(1)->text()));
        QCOMPARE(note->text(), QStringLiteral("60 more Lies are not charted, to keep the chart readable:"));
    }

    void legendListsTheLiesWholeWithColoursApart()
    {
        std::vector<ChartSeries> lies(14);
        for (std::size_t i = 0; i < lies.size(); ++i) {
            lies[i].lieFileName = "Lie " + std::to_string(i) + ".lie";
            lies[i].statement = i == 3 ? std::string(200, 'w') + " the end" : "Statement " + std::to_string(i);
            lies[i].points = {{at(2026, 12, 7, 17, 27), 1 + int(i)}};
        }
        TChartForm form;
        form.showSeries(lies, 5, 20);
        auto *legend = form.findChild<QListWidget *>("ChartLegend");
        QVERIFY(legend);
        QCOMPARE(legend->count(), 14);
        QVERIFY(legend->wordWrap());
        // Whole, wrapped rather than cut; the tool tip adds the file's name.
        QCOMPARE(legend->item(3)->text(), QString(200, QChar('w')) + " the end");
        QCOMPARE(legend->item(3)->toolTip(), QString(200, QChar('w')) + " the end\nLie 3.lie");
        for (int row = 0; row < legend->count(); ++row) {
            QVERIFY(legend->item(row)->flags() & Qt::ItemIsUserCheckable);
            QCOMPARE(legend->item(row)->checkState(), Qt::Checked);
        }

        // Colours apart: the first dozen in twelve hues, the next in the same
        // hues lighter; no colour twice among all forty the chart can draw.
        const auto lines = lineSeries(form.chart());
        QVERIFY(lines.size() >= 14);
        for (int i = 0; i < 14; ++i)
            QCOMPARE(lines[i]->pen().color(), TChartForm::lieColor(std::size_t(i)));
        for (std::size_t i = 0; i < 40; ++i) {
            for (std::size_t j = i + 1; j < 40; ++j)
                QVERIFY2(TChartForm::lieColor(i) != TChartForm::lieColor(j),
                         qPrintable(QString("%1 %2").arg(i).arg(j)));
        }
        for (std::size_t i = 0; i < 12; ++i) {
            for (std::size_t j = i + 1; j < 12; ++j) {
                const int apart = std::abs(TChartForm::lieColor(i).hsvHue() - TChartForm::lieColor(j).hsvHue());
                const bool grey =
                    TChartForm::lieColor(i).hsvSaturation() < 30 || TChartForm::lieColor(j).hsvSaturation() < 30;
                QVERIFY2(grey || std::min(apart, 360 - apart) >= 10, qPrintable(QString("%1 %2").arg(i).arg(j)));
            }
        }
        QCOMPARE(lines[12]->pen().color().hsvHue(), lines[0]->pen().color().hsvHue());
        QCOMPARE(lines[12]->pen().style(), Qt::SolidLine);

        // The check box and the filter decide which lines the chart draws.
        legend->item(1)->setCheckState(Qt::Unchecked);
        QVERIFY(!lines[1]->isVisible());
        auto *filter = form.findChild<QLineEdit *>("ChartFilter");
        QVERIFY(filter);
        filter->setText("STATEMENT 1");
        QVERIFY(legend->item(0)->isHidden() && !lines[0]->isVisible());
        QVERIFY(!legend->item(10)->isHidden() && lines[10]->isVisible());
        QVERIFY(legend->item(2)->isHidden() && !lines[2]->isVisible());
        QVERIFY2(!legend->item(1)->isHidden() && !lines[1]->isVisible(), "still unchecked");
        filter->clear();
        QVERIFY(lines[2]->isVisible() && !lines[1]->isVisible());
        legend->item(1)->setCheckState(Qt::Checked);
        QVERIFY(lines[1]->isVisible());
        QCOMPARE(lines[14]->name(), QStringLiteral("Weak limit (5)"));
        QVERIFY(lines[14]->isVisible());

        // The next History starts unfiltered, whatever the last one was left with.
        filter->setText("Statement 13");
        form.showHistory(HistoryChart{lies, 0, 0}, 5, 20);
        QVERIFY(filter->text().isEmpty());
        QVERIFY(!legend->item(0)->isHidden() && lineSeries(form.chart())[0]->isVisible());
    }

    void summaryAnswersAreSquaresOnTheLine()
    {
        const ChartSeries money = moneyWithASummaryAnswer();
        TChartForm form;
        form.showSeries({money}, 5, 20);
        const auto lines = lineSeries(form.chart());
        QVERIFY(!lines.isEmpty());
        // The line runs through every answer.
        QCOMPARE(lines[0]->count(), 4);
        QList<QScatterSeries *> squares;
        for (auto *s : form.chart()->series())
            if (auto *scatter = qobject_cast<QScatterSeries *>(s))
                squares.append(scatter);
        QCOMPARE(squares.size(), 1);
        QCOMPARE(squares[0]->markerShape(), QScatterSeries::MarkerShapeRectangle);
        QCOMPARE(squares[0]->count(), 1);
        QCOMPARE(squares[0]->at(0), lines[0]->at(1));
        QCOMPARE(squares[0]->color(), lines[0]->pen().color());
        QCOMPARE(TChartForm::pointToolTip(*squares[0], squares[0]->at(0)),
                 QStringLiteral("Money is evil.\n2026-04-01 08:00am  Response: 9 (test summary)"));
        // Unchecked, the Lie's squares go with its line.
        form.findChild<QListWidget *>("ChartLegend")->item(0)->setCheckState(Qt::Unchecked);
        QVERIFY(!squares[0]->isVisible() && !lines[0]->isVisible());
    }

    void chartLegendKeepsToTheLimitsWhateverIsShown()
    {
        // Ten Lies, each with an essay response and a test summary's answer,
        // so every Lie has a line and a series of squares.
        std::vector<ChartSeries> lies(10);
        for (std::size_t i = 0; i < lies.size(); ++i) {
            lies[i].lieFileName = "Lie " + std::to_string(i) + ".lie";
            lies[i].statement = "Statement " + std::to_string(i);
            lies[i].points = {{at(2026, 12, 1, 9, 0), 1 + int(i)},
                              {at(2026, 12, 7, 17, 27), 2 + int(i), ResponseSource::Summary}};
        }
        TChartForm form;
        form.showSeries(lies, 5, 20);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        auto *legend = form.findChild<QListWidget *>("ChartLegend");
        auto *filter = form.findChild<QLineEdit *>("ChartFilter");
        QVERIFY(legend && filter);
        const auto shownLabels = [&form] {
            QStringList labels;
            for (auto *marker : form.chart()->legend()->markers())
                if (marker->isVisible())
                    labels.append(marker->label());
            return labels;
        };
        const QStringList limitsOnly = {QStringLiteral("Weak limit (5)"), QStringLiteral("Strong limit (20)")};
        QCOMPARE(shownLabels(), limitsOnly);

        const auto setAll = [legend](Qt::CheckState state) {
            for (int row = 0; row < legend->count(); ++row)
                legend->item(row)->setCheckState(state);
        };
        const std::vector<std::pair<const char *, std::function<void()>>> steps = {
            {"untick", [&] { legend->item(2)->setCheckState(Qt::Unchecked); }},
            {"retick", [&] { legend->item(2)->setCheckState(Qt::Checked); }},
            {"filter", [&] { filter->setText("Statement 7"); }},
            {"clear filter", [&] { filter->clear(); }},
            {"untick all", [&] { setAll(Qt::Unchecked); }},
            {"retick all", [&] { setAll(Qt::Checked); }},
            {"new palette", [&] { form.setPalette(QPalette(QColor(0x30, 0x30, 0x34))); }},
        };
        for (const auto &[name, step] : steps) {
            step();
            QCoreApplication::processEvents();
            QVERIFY2(shownLabels() == limitsOnly, qPrintable(QString(name) + ": " + shownLabels().join(" | ")));
        }
        // The lines themselves came back.
        for (auto *line : lineSeries(form.chart()))
            QVERIFY(line->isVisible());
    }

    void keySaysWhatTheSquaresMean()
    {
        ChartSeries essays = twoLies()[0];
        ChartSeries withSummary = essays;
        withSummary.points.push_back({at(2026, 12, 8, 18, 10), 9, ResponseSource::Summary});
        // So many points that none is drawn, squares included.
        ChartSeries crowded = withSummary;
        for (int i = 0; i < 2100; ++i)
            crowded.points.insert(crowded.points.begin(),
                                  {DateTime::fromMilliseconds(at(2020, 1, 1, 0, 0).toMilliseconds() + i * 60000LL), 5});
        const struct {
            const char *name;
            std::vector<ChartSeries> series;
            bool key;
        } cases[] = {
            {"essay responses only", {essays}, false},
            {"a summary's answer", {essays, withSummary}, true},
            {"no points drawn", {crowded}, false},
            {"no Lie", {}, false},
        };
        TChartForm form;
        auto *key = form.findChild<QLabel *>("lPointKey");
        QVERIFY(key);
        for (const auto &c : cases) {
            form.showSeries(c.series, 5, 20);
            QVERIFY2(key->isHidden() != c.key, c.name);
        }
        form.showSeries({withSummary}, 5, 20);
        QCOMPARE(key->text(), QString::fromUtf8("\u25CF essay response  \u25A0 answer from a test summary"));
    }

    void hoveringAPointShowsItsToolTip()
    {
        const ChartSeries money = moneyWithASummaryAnswer();
        TChartForm form;
        form.showSeries({money}, 5, 20);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        auto *view = form.findChild<QChartView *>("ChartView");
        QVERIFY(view);
        QScatterSeries *squares = nullptr;
        for (auto *s : form.chart()->series())
            if (auto *scatter = qobject_cast<QScatterSeries *>(s))
                squares = scatter;
        QVERIFY(squares);
        const auto lines = lineSeries(form.chart());
        QVERIFY(!lines.isEmpty() && lines[0]->count() > 3);
        struct Case {
            QXYSeries *series;
            int index;
            QString tip;
        };
        const Case cases[] = {
            {squares, 0, QStringLiteral("Money is evil.\n2026-04-01 08:00am  Response: 9 (test summary)")},
            {lines[0], 3, QStringLiteral("Money is evil.\n2026-12-07 05:27pm  Response: 13")},
        };
        for (const auto &c : cases) {
            QToolTip::hideText();
            QTest::mouseMove(view->viewport(), QPoint(1, 1));
            const QPointF inScene = form.chart()->mapToPosition(c.series->at(c.index), c.series);
            const QPoint inView = view->mapFromScene(inScene);
            QTest::mouseMove(view->viewport(), inView);
            QTRY_COMPARE(QToolTip::text(), c.tip);
            // The mouse comes to rest: the window then asks the chart for
            // a tool tip of its own, which must not take this one away.
            QHelpEvent rest(QEvent::ToolTip, inView, view->viewport()->mapToGlobal(inView));
            QApplication::sendEvent(view->viewport(), &rest);
            QTest::qWait(500);
            QVERIFY(QToolTip::isVisible());
            QCOMPARE(QToolTip::text(), c.tip);
        }
        // Off the points, the tip goes.
        QTest::mouseMove(view->viewport(), QPoint(1, 1));
        QTRY_VERIFY(!QToolTip::isVisible());
    }

    void followsTheDesktopPalette()
    {
        TChartForm form;
        form.showSeries(twoLies(), 5, 20);
        for (const bool dark : {true, false}) {
            QPalette palette = form.palette();
            palette.setColor(QPalette::Window, dark ? QColor(0x30, 0x30, 0x34) : QColor(0xef, 0xef, 0xef));
            palette.setColor(QPalette::Base, dark ? QColor(0x20, 0x20, 0x24) : Qt::white);
            palette.setColor(QPalette::Text, dark ? QColor(0xee, 0xee, 0xee) : Qt::black);
            form.setPalette(palette);
            QCOMPARE(form.chart()->backgroundBrush().color(), palette.color(QPalette::Base));
            for (auto *axis : form.chart()->axes())
                QCOMPARE(axis->labelsBrush().color(), palette.color(QPalette::Text));
            // A new History keeps to it.
            form.showSeries(twoLies(), 5, 20);
            QCOMPARE(form.chart()->backgroundBrush().color(), palette.color(QPalette::Base));
            const auto lines = lineSeries(form.chart());
            QCOMPARE(lines.size(), 4);
            // The weak limit stays visible.
            QCOMPARE(lines[2]->pen().color().lightness() > 128, dark);
        }
    }

    // Responses at the ends of the calendar: the axis keeps to their years.
    void timeAxisKeepsToThePointsYears()
    {
        const std::pair<DateTime, DateTime> cases[] = {{at(1, 1, 1, 0, 0), at(9999, 12, 31, 23, 59)},
                                                       {at(1, 1, 1, 0, 0), at(1, 1, 1, 0, 0)},
                                                       {at(9999, 12, 31, 23, 59), at(9999, 12, 31, 23, 59)}};
        for (const auto &[first, last] : cases) {
            ChartSeries s = twoLies()[0];
            s.points = {{first, 3, ResponseSource::Essay}, {last, 22, ResponseSource::Essay}};
            TChartForm form;
            form.showSeries({s}, 5, 20);
            auto *axis = qobject_cast<QDateTimeAxis *>(form.chart()->axes(Qt::Horizontal).value(0));
            QCOMPARE(axis->min().date().year(), first.year);
            QCOMPARE(axis->max().date().year(), last.year);
            QVERIFY(axis->min() < axis->max());
        }
    }

    void proposesACsvNameAfterTheFolderAndTheDay()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        TChartForm form;
        form.setLieFolder(QFile::encodeName(dir.filePath("Lies") + "/").toStdString());
        const QString today = QDate::currentDate().toString("yyyy-MM-dd");
        QCOMPARE(form.proposedCsvPath(), dir.filePath("Lies/Lies " + today + ".csv"));
    }

    void historyNotesWhatItLeftOut()
    {
        // A text without "%1" given a number is printed with Qt's warning.
        QTest::failOnWarning(QRegularExpression("Argument missing"));
        TChartForm counted;
        counted.showHistory(HistoryChart{twoLies(), 1, 2}, 5, 20);
        HistoryChart history;
        history.series = twoLies();
        history.unlinkedAnswers = 3;
        history.unreadableSummaries = 1;
        TChartForm form;
        form.showHistory(history, 5, 20);
        auto *note = form.findChild<QLabel *>("lUnlinked");
        QVERIFY(note && !note->isHidden());
        QCOMPARE(note->text(), QStringLiteral("3 answers in the test summaries are for a statement no Lie has now "
                                              "(edited or deleted since) and are left out\n"
                                              "1 test summary could not be read and is left out"));
        form.showHistory(HistoryChart{twoLies(), 0, 0}, 5, 20);
        QVERIFY(note->isHidden());
    }
};

VARNOK_GUI_TEST(ChartTest);

#include "chart_test.moc"
