#pragma once

#include <QColor>
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

#include "testrun/responses.h"
#include "testrun/summaries.h"

class QChart;
class QChartView;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPlainTextEdit;
class QPushButton;
class QScatterSeries;
class QXYSeries;

namespace varnok {

class QtUi;

// The reaction chart: the stored responses of the Lies chosen for the history,
// one line per Lie over time, with the weak and strong limits drawn across.
// Not modal; the main window creates it once and brings it to the front on
// each History.
class TChartForm : public QWidget {
    Q_OBJECT

public:
    // Asks where to save the CSV file; an empty text means Cancel.
    using SavePathChooser = std::function<QString()>;

    explicit TChartForm(QWidget *parent = nullptr);
    ~TChartForm() override;

    // Replaces what the window shows. The series are plotted in the given order.
    void showSeries(const std::vector<ChartSeries> &series, int weakLimit, int strongLimit);
    // The same for a History, with a word on the answers it had to leave out.
    void showHistory(const HistoryChart &history, int weakLimit, int strongLimit);

    // The folder whose Lies are shown: Save as CSV proposes a name after it.
    void setLieFolder(const std::string &lieFolder);
    // Where "Save as CSV..." proposes to save, with today's date.
    QString proposedCsvPath() const;

    // The colour of the i-th Lie's line; no two of any twelve in a row are
    // alike, and no two of the forty the chart draws.
    static QColor lieColor(std::size_t index);

    // Tests answer the save dialog through this instead of a modal dialog.
    void setSavePathChooser(SavePathChooser chooser);

    // Shows the window without taking the focus from the main window; the
    // first time whole on the screen, in its middle.
    void present();

    QChart *chart() const;

    // The "Save as CSV..." command: asks for a file and writes the plotted
    // responses to it. False on Cancel or when the file cannot be written
    // (which has then been reported).
    bool saveCsv();

    // What hovering near `at` on a Lie's line shows: the Lie, and the date
    // and value of the point nearest to it.
    static QString pointToolTip(const QXYSeries &series, QPointF at);

protected:
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QString askSavePath();
    void showPointToolTip(const QXYSeries &series, QPointF at, bool entered);
    void fillLegend(std::size_t charted);
    void applyFilter();
    void updateVisibility(QListWidgetItem *item);
    // The chart follows the desktop's palette: a dark theme gets a dark chart.
    void applyPalette();

    // The lines of one charted Lie: its line with the essay responses as round
    // points, and the answers only a test summary holds as squares.
    struct LieLines {
        QXYSeries *line = nullptr;
        QScatterSeries *summaries = nullptr;
    };

    static void keepOutOfChartLegend(QChart &chart, const LieLines &lie);

    QChartView *chartView;
    QLineEdit *ChartFilter;
    QListWidget *ChartLegend;
    QLabel *lUnlinked;
    QLabel *lPointKey;
    std::vector<LieLines> lieLines;
    std::vector<QXYSeries *> limitLines;
    std::string lieFolder_;
    QLabel *lSkipped;
    QLabel *lNotCharted;
    QPlainTextEdit *NotCharted;
    QPushButton *bChartSave;
    QPushButton *bChartClose;
    std::vector<ChartSeries> shown;
    SavePathChooser chooseSavePath;
    // The tip of the point under the mouse, empty when it is on none.
    QString hoverTip;
    // Reports a failed save over this window.
    std::unique_ptr<QtUi> ui_;
};

} // namespace varnok
