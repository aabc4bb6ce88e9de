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
#include <QLineEdit>
#include <QLineSeries>
#include <QListWidget>
#include <QPainter>
#include <QPixmap>
#include <QScatterSeries>
#include <QPen>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QToolTip>
#include <QVBoxLayout>
#include <QValueAxis>
#include <QDir>
#include <QEvent>
#include <QHelpEvent>
#include <QSplitter>
#include <algorithm>
#include <cmath>
#include <limits>

#include "core/text.h"
#include "gui/framing.h"
#include "gui/QtUi.h"
#include "gui/accessible.h"
#include "gui/bytetext.h"
#include "platform/clock.h"
#include "testrun/charttext.h"

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
const char *const kDateTimeFormat = "MM-dd hh:mm";
const char *const kToolTipDateFormat = "yyyy-MM-dd hh:mmap";
const char *const kToolTip = "%1\n%2  Response: %3";
const char *const kSummaryToolTip = "%1\n%2  Response: %3 (test summary)";
const char *const kFilterPlaceholder = "Filter Lies";
const char *const kPointKey = "\u25CF essay response  \u25A0 answer from a test summary";
const char *const kLegendToolTip = "%1\n%2";
const char *const kUnlinkedOne =
    "1 answer in the test summaries is for a statement no Lie has now (edited or deleted since) and is left out";
const char *const kUnlinkedMany =
    "%1 answers in the test summaries are for a statement no Lie has now (edited or deleted since) and are left out";
const char *const kUnreadableOne = "1 test summary could not be read and is left out";
const char *const kUnreadableMany = "%1 test summaries could not be read and are left out";

// Statements longer than this are cut in series names and tool tips; the
// legend list shows them whole.
constexpr std::size_t kNameLength = 60;
constexpr std::size_t kMarkerLimit = 2000;
constexpr int kLegendWidth = 260;
constexpr int kSummaryMarkerSize = 8;

// Twelve hues that stay apart from one another on a light and a dark ground
// alike; the limits keep their own dashed blue and red.
constexpr QRgb kLieColors[] = {0x1f77b4, 0xff7f0e, 0x2ca02c, 0xd62728, 0x9467bd, 0x8c564b,
                               0xe377c2, 0x7f7f7f, 0xbcbd22, 0x17becf, 0xf5c710, 0x6b6ecf};
constexpr std::size_t kLieColorCount = std::size(kLieColors);
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

bool isDark(const QPalette &palette)
{
    return palette.color(QPalette::Window).lightness() < 128;
}

// The chart's ground: the text areas' colour, unless a theme darkened only
// the window (as a style sheet does), where the window's colour keeps the
// chart in step with it.
QColor groundOf(const QPalette &palette)
{
    const QColor base = palette.color(QPalette::Base);
    return (base.lightness() < 128) == isDark(palette) ? base : palette.color(QPalette::Window);
}

QColor inkOf(const QPalette &palette)
{
    const QColor text = palette.color(QPalette::Text);
    return (text.lightness() < 128) != isDark(palette) ? text : palette.color(QPalette::WindowText);
}

// A swatch for the legend list: the Lie's line in its colour and style.
QIcon lieSwatch(std::size_t index)
{
    QPixmap pixmap(24, 12);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    QPen pen(TChartForm::lieColor(index), 2.0);
    painter.setPen(pen);
    painter.drawLine(1, 6, 23, 6);
    painter.setBrush(TChartForm::lieColor(index));
    painter.drawEllipse(QPointF(12, 6), 3, 3);
    return QIcon(pixmap);
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

TChartForm::TChartForm(QWidget *parent) : QWidget(parent, Qt::Window), ui_(std::make_unique<QtUi>(this))
{
    setObjectName("ChartForm");
    setWindowTitle(kWindowTitle);

    chartView = new QChartView(new QChart, this);
    chartView->setObjectName("ChartView");
    // The view and the viewport inside it that takes the focus.
    chartView->setAccessibleName("Reaction chart");
    chartView->viewport()->setAccessibleName("Reaction chart");
    chartView->setRenderHint(QPainter::Antialiasing);
    chartView->setMinimumSize(480, 320);
    chartView->viewport()->installEventFilter(this);

    ChartFilter = new QLineEdit(this);
    ChartFilter->setObjectName("ChartFilter");
    ChartFilter->setPlaceholderText(kFilterPlaceholder);
    ChartFilter->setClearButtonEnabled(true);
    ChartFilter->setAccessibleName(kFilterPlaceholder);
    nameClearButton(ChartFilter);
    ChartLegend = new QListWidget(this);
    ChartLegend->setObjectName("ChartLegend");
    ChartLegend->setAccessibleName("Lies charted");
    ChartLegend->setWordWrap(true);
    ChartLegend->setTextElideMode(Qt::ElideNone);
    ChartLegend->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ChartLegend->setUniformItemSizes(false);
    connect(ChartFilter, &QLineEdit::textChanged, this, [this] { applyFilter(); });
    connect(ChartLegend, &QListWidget::itemChanged, this, [this](QListWidgetItem *item) { updateVisibility(item); });
    auto *legendPanel = new QWidget(this);
    auto *legendLayout = new QVBoxLayout(legendPanel);
    legendLayout->setContentsMargins(0, 0, 0, 0);
    legendLayout->addWidget(ChartFilter);
    legendLayout->addWidget(ChartLegend, 1);
    // Only the points tell essay responses from a test summary's answers,
    // so the window says which is which whenever it shows both.
    lPointKey = new QLabel(QString::fromUtf8(kPointKey), this);
    lPointKey->setObjectName("lPointKey");
    lPointKey->setAlignment(Qt::AlignCenter);
    lPointKey->hide();
    auto *chartPanel = new QWidget(this);
    auto *chartLayout = new QVBoxLayout(chartPanel);
    chartLayout->setContentsMargins(0, 0, 0, 0);
    chartLayout->addWidget(chartView, 1);
    chartLayout->addWidget(lPointKey);
    auto *splitter = new QSplitter(Qt::Horizontal, this);
    splitter->setObjectName("ChartSplitter");
    splitter->setChildrenCollapsible(false);
    splitter->addWidget(chartPanel);
    splitter->addWidget(legendPanel);
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 0);
    splitter->setSizes({900 - kLegendWidth, kLegendWidth});

    lUnlinked = new QLabel(this);
    lUnlinked->setObjectName("lUnlinked");
    lUnlinked->setWordWrap(true);
    lUnlinked->hide();

    lSkipped = new QLabel(this);
    lSkipped->setObjectName("lSkipped");
    lSkipped->hide();

    lNotCharted = new QLabel(this);
    lNotCharted->setObjectName("lNotCharted");
    lNotCharted->hide();
    NotCharted = new QPlainTextEdit(this);
    NotCharted->setObjectName("NotCharted");
    NotCharted->setAccessibleName("Lies not charted");
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
    layout->addWidget(splitter, 1);
    layout->addWidget(lSkipped);
    layout->addWidget(lUnlinked);
    layout->addWidget(lNotCharted);
    layout->addWidget(NotCharted);
    layout->addLayout(buttons);

    resize(1000, 600);
}

void TChartForm::present()
{
    if (!isVisible()) {
        // Whole on the screen, beside the main window so the History text
        // stays readable; the main window keeps the focus.
        const QWidget *main = parentWidget() ? parentWidget()->window() : nullptr;
        const QRect area = screenAreaAt(main ? main->frameGeometry().center() : QPoint());
        const QSize frame = main ? main->frameGeometry().size() - main->size() : QSize();
        resize(size().boundedTo(area.size() - frame).expandedTo(minimumSizeHint()));
        if (main) {
            const QRect bounds =
                besideWindow(main->frameGeometry(), size() + frame, minimumSizeHint().width() + frame.width(), area);
            resize(bounds.size() - frame);
            move(bounds.topLeft());
        } else {
            centreOnScreen(this);
        }
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

QColor TChartForm::lieColor(std::size_t index)
{
    // A second dozen and more take the same hues lighter or darker: dashed or
    // dotted lines would tell them apart too, but stroking dashes costs the
    // window a hundred milliseconds and more for forty Lies.
    const QColor base(kLieColors[index % kLieColorCount]);
    switch (index / kLieColorCount % 4) {
    case 1:
        return base.lighter(140);
    case 2:
        return base.darker(150);
    case 3:
        return base.lighter(175);
    default:
        return base;
    }
}

void TChartForm::showHistory(const HistoryChart &history, int weakLimit, int strongLimit)
{
    // A filter typed for the last History names other Lies; kept, it would
    // open this one with lines hidden or an empty chart.
    {
        const QSignalBlocker quiet(ChartFilter);
        ChartFilter->clear();
    }
    showSeries(history.series, weakLimit, strongLimit);
    QStringList notes;
    if (history.unlinkedAnswers > 0)
        notes.append(history.unlinkedAnswers == 1 ? QString(kUnlinkedOne)
                                                  : QString(kUnlinkedMany).arg(history.unlinkedAnswers));
    // The texts for one hold no "%1": given a number, Qt warns of it.
    if (history.unreadableSummaries > 0)
        notes.append(history.unreadableSummaries == 1 ? QString(kUnreadableOne)
                                                      : QString(kUnreadableMany).arg(history.unreadableSummaries));
    lUnlinked->setText(notes.join(QLatin1Char('\n')));
    lUnlinked->setVisible(!notes.isEmpty());
}

void TChartForm::showSeries(const std::vector<ChartSeries> &given, int weakLimit, int strongLimit)
{
    // The Lies with something to draw come first, so the charted ones are
    // never empty lines while Lies with answers go unlisted beyond the limit.
    // (A Lie without points gives the CSV no rows, so its order is the same.)
    shown = given;
    std::stable_partition(shown.begin(), shown.end(), [](const ChartSeries &s) { return !s.points.empty(); });
    const std::vector<ChartSeries> &series = shown;
    lUnlinked->clear();
    lUnlinked->hide();

    auto *chart = new QChart;
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->legend()->setAlignment(Qt::AlignBottom);

    qint64 first = std::numeric_limits<qint64>::max();
    qint64 last = std::numeric_limits<qint64>::min();
    int skipped = 0;
    const std::size_t charted = std::min(series.size(), kChartedLimit);
    std::size_t totalPoints = 0;
    for (std::size_t i = 0; i < charted; ++i)
        totalPoints += series[i].points.size();
    // Thousands of point markers only hide the lines and slow the drawing;
    // the lines alone still show where each point is, and hovering names it.
    const bool markers = totalPoints <= kMarkerLimit;
    std::vector<LieLines> lies;
    lies.reserve(charted);
    for (std::size_t i = 0; i < charted; ++i) {
        const ChartSeries &s = series[i];
        auto *line = new QLineSeries;
        line->setName(seriesName(s));
        line->setPointsVisible(markers);
        QList<QPointF> points;
        points.reserve(static_cast<qsizetype>(s.points.size()));
        QList<QPointF> summaryPoints;
        QHash<int, QHash<QXYSeries::PointConfiguration, QVariant>> hidden;
        for (const auto &p : s.points) {
            const qint64 ms = toMs(p.when);
            first = std::min(first, ms);
            last = std::max(last, ms);
            if (p.source == ResponseSource::Summary) {
                // Its square stands in the summaries' series; the line's own
                // round point there would hide it.
                hidden.insert(static_cast<int>(points.size()), {{QXYSeries::PointConfiguration::Visibility, false}});
                summaryPoints.append(QPointF(static_cast<qreal>(ms), p.value));
            }
            points.append(QPointF(static_cast<qreal>(ms), p.value));
        }
        // Whole lists in one go: a signal per point costs the window far more.
        line->replace(points);
        if (markers && !hidden.isEmpty())
            line->setPointsConfiguration(hidden);
        QPen pen(lieColor(i), 2.0);
        line->setPen(pen);
        connect(line, &QXYSeries::hovered, this,
                [this, line](const QPointF &at, bool entered) { showPointToolTip(*line, at, entered); });
        QScatterSeries *squares = nullptr;
        if (markers && !summaryPoints.isEmpty()) {
            squares = new QScatterSeries;
            squares->setName(line->name());
            squares->setMarkerShape(QScatterSeries::MarkerShapeRectangle);
            squares->setMarkerSize(kSummaryMarkerSize);
            squares->setColor(lieColor(i));
            squares->setBorderColor(lieColor(i));
            squares->setProperty("summary", true);
            squares->replace(summaryPoints);
            connect(squares, &QXYSeries::hovered, this,
                    [this, squares](const QPointF &at, bool entered) { showPointToolTip(*squares, at, entered); });
        }
        lies.push_back({line, squares});
        skipped += s.skipped;
    }

    // Some room on each side keeps the first and last points off the frame; a
    // single moment gets a day around it.
    if (first > last)
        first = last = QDateTime::currentDateTime().toMSecsSinceEpoch();
    const qint64 margin = first == last ? kDayMs / 2 : std::max(kHourMs / 2, (last - first) / 30);
    // Not beyond the years the points are in: with a response dated in the
    // year 1 or 9999 the margin would reach years the axis labels as -0334
    // or 37973.
    const int firstYear = QDateTime::fromMSecsSinceEpoch(first).date().year();
    const int lastYear = QDateTime::fromMSecsSinceEpoch(last).date().year();
    first = std::max(first - margin, QDateTime(QDate(firstYear, 1, 1), QTime(0, 0)).toMSecsSinceEpoch());
    last = std::min(last + margin, QDateTime(QDate(lastYear, 12, 31), QTime(23, 59, 59, 999)).toMSecsSinceEpoch());

    std::vector<QXYSeries *> limits = {
        limitLine(QString(kWeakLimitName).arg(weakLimit), weakLimit, first, last, QColor(0x1f, 0x3a, 0x93)),
        limitLine(QString(kStrongLimitName).arg(strongLimit), strongLimit, first, last, QColor(0xc0, 0x1f, 0x1f))};

    auto *timeAxis = new QDateTimeAxis;
    timeAxis->setFormat(last - first > 4 * kDayMs ? kDateFormat : kDateTimeFormat);
    timeAxis->setTickCount(5);
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
    const auto add = [&](QXYSeries *s) {
        chart->addSeries(s);
        s->attachAxis(timeAxis);
        s->attachAxis(valueAxis);
    };
    for (const auto &lie : lies)
        add(lie.line);
    for (auto *limit : limits)
        add(limit);
    for (const auto &lie : lies) {
        if (lie.summaries)
            add(lie.summaries);
    }
    for (const auto &lie : lies)
        keepOutOfChartLegend(*chart, lie);

    // Smoothing thousands of segments costs more than it shows.
    chartView->setRenderHint(QPainter::Antialiasing, markers);
    QChart *old = chartView->chart();
    hoverTip.clear();
    chartView->setChart(chart);
    delete old;
    lPointKey->setVisible(std::any_of(lies.begin(), lies.end(), [](const LieLines &lie) { return lie.summaries; }));
    lieLines = std::move(lies);
    limitLines = std::move(limits);
    applyPalette();
    fillLegend(charted);
    // What the chart shows, for those who cannot see it; each Lie of the list
    // beside it carries its responses as text.
    const QString description = textFromBytes(chartDescription(series));
    setAccessibleDescription(description);
    chartView->setAccessibleDescription(description);
    chartView->viewport()->setAccessibleDescription(description);

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

void TChartForm::fillLegend(std::size_t charted)
{
    const QSignalBlocker quiet(ChartLegend);
    ChartLegend->clear();
    for (std::size_t i = 0; i < charted; ++i) {
        const ChartSeries &s = shown[i];
        const bool unnamed = s.statement.find_first_not_of(' ') == std::string::npos;
        const QString statement = textFromBytes(unnamed ? s.lieFileName : s.statement);
        auto *item = new QListWidgetItem(lieSwatch(i), statement);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Checked);
        item->setToolTip(QString(kLegendToolTip).arg(statement, textFromBytes(s.lieFileName)));
        item->setData(Qt::UserRole, static_cast<qulonglong>(i));
        item->setData(Qt::AccessibleDescriptionRole, textFromBytes(seriesDescription(s)));
        ChartLegend->addItem(item);
    }
    applyFilter();
}

void TChartForm::applyFilter()
{
    const QString wanted = ChartFilter->text().trimmed();
    for (int row = 0; row < ChartLegend->count(); ++row) {
        QListWidgetItem *item = ChartLegend->item(row);
        item->setHidden(!wanted.isEmpty() && !item->text().contains(wanted, Qt::CaseInsensitive));
        updateVisibility(item);
    }
}

void TChartForm::updateVisibility(QListWidgetItem *item)
{
    const auto index = item->data(Qt::UserRole).toULongLong();
    if (index >= lieLines.size())
        return;
    // A Lie filtered out of the list leaves the chart too, so the filter
    // shows the lines it names and no others.
    const bool visible = item->checkState() == Qt::Checked && !item->isHidden();
    const LieLines &lie = lieLines[index];
    lie.line->setVisible(visible);
    if (lie.summaries)
        lie.summaries->setVisible(visible);
    // Showing a series shows its legend marker again.
    keepOutOfChartLegend(*chart(), lie);
}

void TChartForm::keepOutOfChartLegend(QChart &chart, const LieLines &lie)
{
    // The list beside the chart names the Lies; the chart's own legend keeps
    // only the limits, which the list does not hold.
    for (auto *marker : chart.legend()->markers(lie.line))
        marker->setVisible(false);
    if (lie.summaries) {
        for (auto *marker : chart.legend()->markers(lie.summaries))
            marker->setVisible(false);
    }
}

void TChartForm::applyPalette()
{
    QChart *chart = chartView->chart();
    const QPalette &pal = palette();
    const bool dark = isDark(pal);
    const QColor ground = groundOf(pal);
    const QColor text = inkOf(pal);
    QColor grid = text;
    grid.setAlpha(50);
    chart->setBackgroundBrush(ground);
    chart->setBackgroundPen(Qt::NoPen);
    chart->setPlotAreaBackgroundVisible(false);
    chart->setTitleBrush(text);
    chart->legend()->setLabelColor(text);
    for (auto *axis : chart->axes()) {
        axis->setLabelsColor(text);
        axis->setTitleBrush(text);
        axis->setGridLineColor(grid);
        axis->setLinePenColor(grid);
    }
    chartView->setBackgroundBrush(ground);
    // The limits' deep blue and red vanish on a dark ground.
    const QColor limitColors[] = {QColor(0x1f, 0x3a, 0x93), QColor(0xc0, 0x1f, 0x1f)};
    for (std::size_t i = 0; i < limitLines.size() && i < std::size(limitColors); ++i) {
        QPen pen = limitLines[i]->pen();
        pen.setColor(dark ? limitColors[i].lighter(190) : limitColors[i]);
        limitLines[i]->setPen(pen);
    }
    // Squares get a rim of the ground, so one on a line stands out from it.
    for (const auto &lie : lieLines) {
        if (lie.summaries)
            lie.summaries->setBorderColor(ground);
    }
}

void TChartForm::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::StyleChange)
        applyPalette();
}

void TChartForm::setLieFolder(const std::string &lieFolder)
{
    lieFolder_ = lieFolder;
}

QString TChartForm::proposedCsvPath() const
{
    const std::string name = csvFileNameProposal(lieFolder_, SystemClock().now());
    const QString folder =
        lieFolder_.empty() ? QDir::homePath() : QFile::decodeName(QByteArray::fromStdString(lieFolder_));
    return QDir(folder).filePath(QFile::decodeName(QByteArray::fromStdString(name)));
}

QString TChartForm::pointToolTip(const QXYSeries &series, QPointF at)
{
    const QList<QPointF> points = series.points();
    if (points.isEmpty())
        return {};
    const auto nearest = std::min_element(points.begin(), points.end(), [at](const QPointF &a, const QPointF &b) {
        return std::abs(a.x() - at.x()) < std::abs(b.x() - at.x());
    });
    const QDateTime when = QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(nearest->x()));
    const bool summary = series.property("summary").toBool();
    return QString(summary ? kSummaryToolTip : kToolTip)
        .arg(series.name(), when.toString(kToolTipDateFormat), QString::number(static_cast<int>(nearest->y())));
}

void TChartForm::showPointToolTip(const QXYSeries &series, QPointF at, bool entered)
{
    hoverTip = entered ? pointToolTip(series, at) : QString();
    if (entered)
        QToolTip::showText(QCursor::pos(), hoverTip, chartView);
    else
        QToolTip::hideText();
}

bool TChartForm::eventFilter(QObject *watched, QEvent *event)
{
    // When the mouse comes to rest the window asks the chart for a tool tip;
    // the chart has none of its own and would take the point's away.
    if (watched == chartView->viewport() && event->type() == QEvent::ToolTip && !hoverTip.isEmpty()) {
        QToolTip::showText(static_cast<QHelpEvent *>(event)->globalPos(), hoverTip, chartView);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

TChartForm::~TChartForm() = default;

QString TChartForm::askSavePath()
{
    if (chooseSavePath)
        return chooseSavePath();
    QFileDialog dialog(this, kSaveDialogTitle, proposedCsvPath(), kCsvFilter);
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
