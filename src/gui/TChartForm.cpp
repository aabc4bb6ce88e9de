#include "gui/TChartForm.h"

#include <QChart>
#include <QChartView>
#include <QCursor>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPen>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QToolTip>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>
#include <cmath>
#include <limits>

#include "core/text.h"
#include "gui/framing.h"
#include "gui/QtUi.h"
#include "gui/bytetext.h"

namespace varnok {

namespace {

const char *const kWindowTitle = "Reaction History";
const char *const kSaveCaption = "&Save as CSV...";
const char *const kCloseCaption = "&Close";
const char *const kSaveDialogTitle = "Save as CSV";
const char *const kCsvFilter = "CSV files (*.csv)";
const char *const kCsvSuffix = "csv";
const char *const kSkippedOne = "%1 response line could not be read and is left out";
const char *const kSkippedMany = "%1 response lines could not be read and are left out";
const char *const kWeakLimitName = "Weak limit (%1)";
const char *const kStrongLimitName = "Strong limit (%1)";
const char *const kValueAxisTitle = "Response";
const char *const kDateFormat = "yyyy-MM-dd";
const char *const kDateTimeFormat = "yyyy-MM-dd hh:mm";
const char *const kToolTipDateFormat = "yyyy-MM-dd hh:mmap";
const char *const kToolTip = "%1\n%2  Response: %3";

// Statements longer than this are cut in the legend and tool tips.
constexpr std::size_t kNameLength = 60;
// Beyond this many Lies their legend entries are only noise (the tool tips
// still name them); the limits keep theirs.
constexpr std::size_t kMarkerLimit = 2000;
constexpr std::size_t kLegendLimit = 12;
// More lines than this are a tangle no one can follow, and every line added
// to the chart costs more than the one before: the rest are listed instead.
constexpr std::size_t kChartedLimit = 40;
const char *const kNotChartedOne = "1 more Lie is not charted, to keep the chart readable:";
const char *const kNotChartedMany = "%1 more Lies are not charted, to keep the chart readable:";

constexpr qint64 kHourMs = 60LL * 60 * 1000;
constexpr qint64 kDayMs = 24 * kHourMs;

QString seriesName(const ChartSeries &s)
{
    const std::string &text = s.statement.find_first_not_of(' ') == std::string::npos ? s.lieFileName : s.statement;
    const std::string cut = firstChars(text, kNameLength);
    QString name = textFromBytes(cut);
    if (cut.size() < text.size())
        name += QChar(0x2026);
    return name;
}

qint64 toMs(const DateTime &t)
{
    const QDateTime local(QDate(t.year, t.month, t.day), QTime(t.hour, t.minute, t.second));
    return local.toMSecsSinceEpoch();
}

QLineSeries *limitLine(const QString &name, int value, qint64 from, qint64 to, const QColor &color)
{
    auto *line = new QLineSeries;
    line->setName(name);
    line->append(static_cast<qreal>(from), value);
    line->append(static_cast<qreal>(to), value);
    QPen pen(color);
    pen.setStyle(Qt::DashLine);
    pen.setWidthF(1.5);
    line->setPen(pen);
    return line;
}

} // namespace

TChartForm::TChartForm(QWidget *parent)
    : QWidget(parent, Qt::Window), ui_(std::make_unique<QtUi>(this))
{
    setObjectName("ChartForm");
    setWindowTitle(kWindowTitle);

    chartView = new QChartView(new QChart, this);
    chartView->setObjectName("ChartView");
    chartView->setRenderHint(QPainter::Antialiasing);
    chartView->setMinimumSize(480, 320);

    lSkipped = new QLabel(this);
    lSkipped->setObjectName("lSkipped");
    lSkipped->hide();

    lNotCharted = new QLabel(this);
    lNotCharted->setObjectName("lNotCharted");
    lNotCharted->hide();
    NotCharted = new QPlainTextEdit(this);
    NotCharted->setObjectName("NotCharted");
    NotCharted->setReadOnly(true);
    NotCharted->setMaximumHeight(NotCharted->fontMetrics().lineSpacing() * 5);
    NotCharted->hide();

    bChartSave = new QPushButton(kSaveCaption, this);
    bChartSave->setObjectName("bChartSave");
    bChartClose = new QPushButton(kCloseCaption, this);
    bChartClose->setObjectName("bChartClose");
    connect(bChartSave, &QPushButton::clicked, this, [this] { saveCsv(); });
    connect(bChartClose, &QPushButton::clicked, this, &QWidget::close);
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(bChartSave);
    buttons->addWidget(bChartClose);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(chartView, 1);
    layout->addWidget(lSkipped);
    layout->addWidget(lNotCharted);
    layout->addWidget(NotCharted);
    layout->addLayout(buttons);

    resize(900, 560);
}

void TChartForm::present()
{
    if (!isVisible()) {
        // Whole on the screen, in its middle; the main window keeps the focus.
        const QWidget *main = parentWidget() ? parentWidget()->window() : nullptr;
        const QRect area = screenAreaAt(main ? main->frameGeometry().center() : QPoint());
        const QSize frame = main ? main->frameGeometry().size() - main->size() : QSize();
        resize(size().boundedTo(area.size() - frame).expandedTo(minimumSizeHint()));
        centreOnScreen(this);
    }
    setAttribute(Qt::WA_ShowWithoutActivating);
    show();
    raise();
}

QChart *TChartForm::chart() const
{
    return chartView->chart();
}

void TChartForm::setSavePathChooser(SavePathChooser chooser)
{
    chooseSavePath = std::move(chooser);
}

void TChartForm::showSeries(const std::vector<ChartSeries> &series, int weakLimit, int strongLimit)
{
    shown = series;

    auto *chart = new QChart;
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->legend()->setAlignment(Qt::AlignBottom);

    qint64 first = std::numeric_limits<qint64>::max();
    qint64 last = std::numeric_limits<qint64>::min();
    int skipped = 0;
    std::vector<QLineSeries *> lines;
    lines.reserve(series.size() + 2);
    std::size_t totalPoints = 0;
    const std::size_t charted = std::min(series.size(), kChartedLimit);
    for (std::size_t i = 0; i < charted; ++i)
        totalPoints += series[i].points.size();
    // Thousands of point markers only hide the lines and slow the drawing;
    // the lines alone still show where each point is, and hovering names it.
    const bool markers = totalPoints <= kMarkerLimit;
    for (std::size_t i = 0; i < charted; ++i) {
        const ChartSeries &s = series[i];
        auto *line = new QLineSeries;
        line->setName(seriesName(s));
        line->setPointsVisible(markers);
        QList<QPointF> points;
        points.reserve(static_cast<qsizetype>(s.points.size()));
        for (const auto &p : s.points) {
            const qint64 ms = toMs(p.when);
            first = std::min(first, ms);
            last = std::max(last, ms);
            points.append(QPointF(static_cast<qreal>(ms), p.value));
        }
        line->replace(points);
        connect(line, &QXYSeries::hovered, this,
                [this, line](const QPointF &at, bool entered) { showPointToolTip(*line, at, entered); });
        lines.push_back(line);
        skipped += s.skipped;
    }

    // Some room on each side keeps the first and last points off the frame; a
    // single moment gets a day around it.
    if (first > last)
        first = last = QDateTime::currentDateTime().toMSecsSinceEpoch();
    const qint64 margin = first == last ? kDayMs / 2 : std::max(kHourMs / 2, (last - first) / 30);
    first -= margin;
    last += margin;

    lines.push_back(limitLine(QString(kWeakLimitName).arg(weakLimit), weakLimit, first, last, QColor(0x1f, 0x3a, 0x93)));
    lines.push_back(
        limitLine(QString(kStrongLimitName).arg(strongLimit), strongLimit, first, last, QColor(0xc0, 0x1f, 0x1f)));

    auto *timeAxis = new QDateTimeAxis;
    timeAxis->setFormat(last - first > 4 * kDayMs ? kDateFormat : kDateTimeFormat);
    timeAxis->setTickCount(6);
    timeAxis->setRange(QDateTime::fromMSecsSinceEpoch(first), QDateTime::fromMSecsSinceEpoch(last));
    auto *valueAxis = new QValueAxis;
    // Half a step beyond either end, so points at 1 and 25 are not cut in half
    // by the frame; the labels still run 1, 5, 9, ... 25.
    valueAxis->setRange(kLowestResponse - 0.5, kHighestResponse + 0.5);
    valueAxis->setTickType(QValueAxis::TicksDynamic);
    valueAxis->setTickAnchor(kLowestResponse);
    valueAxis->setTickInterval(4);
    valueAxis->setLabelFormat("%d");
    valueAxis->setTitleText(kValueAxisTitle);
    chart->addAxis(timeAxis, Qt::AlignBottom);
    chart->addAxis(valueAxis, Qt::AlignLeft);
    for (auto *line : lines) {
        chart->addSeries(line);
        line->attachAxis(timeAxis);
        line->attachAxis(valueAxis);
    }

    if (charted > kLegendLimit) {
        for (std::size_t i = 0; i < charted; ++i) {
            for (auto *marker : chart->legend()->markers(lines[i]))
                marker->setVisible(false);
        }
    }

    // Smoothing thousands of segments costs more than it shows.
    chartView->setRenderHint(QPainter::Antialiasing, markers);
    QChart *old = chartView->chart();
    chartView->setChart(chart);
    delete old;

    for (std::size_t i = charted; i < series.size(); ++i)
        skipped += series[i].skipped;
    QStringList left;
    left.reserve(static_cast<qsizetype>(series.size() - charted));
    for (std::size_t i = charted; i < series.size(); ++i)
        left.append(seriesName(series[i]));
    lNotCharted->setText(QString(left.size() == 1 ? kNotChartedOne : kNotChartedMany).arg(left.size()));
    NotCharted->setPlainText(left.join(QLatin1Char('\n')));
    lNotCharted->setVisible(!left.isEmpty());
    NotCharted->setVisible(!left.isEmpty());

    if (skipped > 0) {
        lSkipped->setText(QString(skipped == 1 ? kSkippedOne : kSkippedMany).arg(skipped));
        lSkipped->show();
    } else {
        lSkipped->clear();
        lSkipped->hide();
    }
}

QString TChartForm::pointToolTip(const QXYSeries &series, QPointF at)
{
    const QList<QPointF> points = series.points();
    if (points.isEmpty())
        return {};
    const auto nearest = std::min_element(points.begin(), points.end(), [at](const QPointF &a, const QPointF &b)
                                          { return std::abs(a.x() - at.x()) < std::abs(b.x() - at.x()); });
    const QDateTime when = QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(nearest->x()));
    return QString(kToolTip)
        .arg(series.name(), when.toString(kToolTipDateFormat), QString::number(static_cast<int>(nearest->y())));
}

void TChartForm::showPointToolTip(const QXYSeries &series, QPointF at, bool entered)
{
    if (entered)
        QToolTip::showText(QCursor::pos(), pointToolTip(series, at), chartView);
    else
        QToolTip::hideText();
}

TChartForm::~TChartForm() = default;

QString TChartForm::askSavePath()
{
    if (chooseSavePath)
        return chooseSavePath();
    QFileDialog dialog(this, kSaveDialogTitle, QString(), kCsvFilter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(kCsvSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

bool TChartForm::saveCsv()
{
    const QString chosen = askSavePath();
    if (chosen.isEmpty())
        return false;
    return saveResponsesCsv(*ui_, QFile::encodeName(chosen).toStdString(), shown);
}

} // namespace varnok
