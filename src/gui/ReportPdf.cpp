#include "gui/ReportPdf.h"

#include <QFontMetricsF>
#include <QLocale>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QTextLayout>
#include <algorithm>
#include <cstdio>
#include <map>
#include <utility>

#include "core/jobpart.h"
#include "gui/TChartForm.h"
#include "gui/bytetext.h"

namespace varnok {

namespace {

const char *const kFontFamily = "DejaVu Sans";
const char *const kReportHeading = "Report of the journal";
const char *const kWholeJournal = "the whole journal";
const char *const kFromTo = "%1 to %2";
const char *const kFromOnly = "from %1";
const char *const kUpTo = "up to %1";
const char *const kDatesLine = "Dates: %1";
const char *const kHeldLine = " (responses from %1 to %2)";
const char *const kMadeLine = "Made on: %1";
const char *const kLiesLine = "Lies: %1";
const char *const kResponsesLine = "Responses: %1";
const char *const kNothingToChart = "There are no responses in these dates to chart.";
const char *const kUnreadableHeading = "These files could not be read; what they hold is not in this report:";
const char *const kUnlinkedOne =
    "1 answer in the test summaries is for a statement no Lie has now (edited or deleted since) and is left out.";
const char *const kUnlinkedMany =
    "%1 answers in the test summaries are for a statement no Lie has now (edited or "
    "deleted since) and are left out.";
const char *const kChartHeading = "Responses over time, Lies %1 to %2";
const char *const kChartHeadingOne = "Responses over time, Lie %1";
const char *const kEssayKey = "essay response";
const char *const kSummaryKey = "answer from a test summary (no essay asked)";
const char *const kPageNumber = "Page %1";
const char *const kLieFileLine = "%1 \u00B7 %2";
const char *const kResponseCountOne = "1 response";
const char *const kResponseCountMany = "%1 responses";
const char *const kLieUnreadable = "(the Lie's file could not be read)";
const char *const kDateColumn = "Date";
const char *const kResponseColumn = "Response";
const char *const kSourceColumn = "From";
const char *const kEssaySource = "essay";
const char *const kSummarySource = "test summary";
const char *const kNoResponses = "No responses in these dates.";
const char *const kExplanationsHeading = "Explanations";
const char *const kNothingWritten = "(nothing written)";
const char *const kSkippedOne = "1 response line could not be read and is left out.";
const char *const kSkippedMany = "%1 response lines could not be read and are left out.";

const QColor kInk(0, 0, 0);
const QColor kGrey(0x55, 0x55, 0x55);
const QColor kRule(0xaa, 0xaa, 0xaa);

QString dayText(const Day &day)
{
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", day.year, day.month, day.day);
    return QString::fromLatin1(text);
}

QString timeText(const DateTime &t)
{
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d", t.year, t.month, t.day, t.hour, t.minute);
    return QString::fromLatin1(text);
}

QString utf8(const std::string &text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString statementText(const Lines &statement)
{
    QStringList lines;
    for (const auto &line : statement)
        lines.append(utf8(line));
    return lines.join(QLatin1Char(' ')).simplified();
}

QFont reportFont(double points, bool bold)
{
    QFont font(kFontFamily);
    font.setPointSizeF(points);
    font.setBold(bold);
    // The PDF embeds the outlines, which hinting leaves alone; what it
    // changes is each letter's advance, rounded to a whole dot of the page
    // (1200 to the inch in a PDF). No eye sees that, and each letter's place
    // is then written as a whole number: a quarter less to write and to
    // compress in a long report.
    font.setHintingPreference(QFont::PreferFullHinting);
    // Without shaping, "fi" stays two letters: a ligature would keep a
    // search of the PDF for "first" from finding it.
    font.setStyleStrategy(QFont::PreferNoShaping);
    return font;
}

// The pages as they are filled: a cursor that moves down the page's text
// area and starts a new, numbered page where the next thing does not fit.
// Lengths are given in points and drawn at the device's resolution.
class Pages {
public:
    Pages(QPainter &painter, QPagedPaintDevice &device)
        : painter_(painter), device_(device), scale_(device.logicalDpiY() / 72.0)
    {
        const double footerRoom = pt(24);
        area_ = QRectF(0, 0, device.width(), device.height() - footerRoom);
        y_ = area_.top();
    }

    double pt(double points) const { return points * scale_; }
    double width() const { return area_.width(); }
    double left() const { return area_.left(); }
    double y() const { return y_; }
    void moveDown(double points) { y_ += pt(points); }
    bool atTop() const { return y_ <= area_.top(); }

    void newPage()
    {
        drawPageNumber();
        device_.newPage();
        ++page_;
        y_ = area_.top();
    }
    // Starts a new page unless this much room is left on this one.
    void need(double height)
    {
        if (!atTop() && y_ + height > area_.bottom())
            newPage();
    }
    void finish() { drawPageNumber(); }

    // A paragraph wrapped to the width, lines carried over to the next page
    // where the page is full. An empty text gives one empty line.
    void paragraph(const QString &text, const QFont &font, const QColor &color = kInk, double indent = 0)
    {
        QTextLayout layout(text, font, &device_);
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        const double lineWidth = width() - pt(indent);
        layout.beginLayout();
        double height = 0;
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(lineWidth);
            line.setPosition(QPointF(0, height));
            height += line.height();
        }
        layout.endLayout();
        painter_.setPen(color);
        for (int i = 0; i < layout.lineCount(); ++i) {
            const QTextLine line = layout.lineAt(i);
            need(line.height());
            line.draw(&painter_, QPointF(left() + pt(indent), y_ - line.y()));
            y_ += line.height();
        }
    }

    // One line of text at a place on the current line, not wrapped.
    // The report's fonts, made for the device once and kept: a font made
    // anew for a line is looked up in the font database again, which costs
    // more than drawing the line.
    const QFont &font(double points, bool bold = false)
    {
        const auto key = std::make_pair(points, bold);
        auto it = fonts_.find(key);
        if (it == fonts_.end())
            it = fonts_.emplace(key, QFont(reportFont(points, bold), &device_)).first;
        return it->second;
    }

    void text(double x, const QString &text, const QFont &font, const QColor &color = kInk)
    {
        // Set only when it changes, for the same reason.
        if (&font != painterFont_) {
            painter_.setFont(font);
            painterFont_ = &font;
        }
        painter_.setPen(color);
        painter_.drawText(QPointF(left() + x, y_ + QFontMetricsF(font, &device_).ascent()), text);
    }

    void rule(double indent = 0)
    {
        painter_.setPen(QPen(kRule, pt(0.5)));
        painter_.drawLine(QPointF(left() + pt(indent), y_), QPointF(area_.right(), y_));
    }

    // For drawing that sets the painter's font itself.
    QPainter &painter()
    {
        painterFont_ = nullptr;
        return painter_;
    }
    QRectF rest() const { return QRectF(area_.left(), y_, area_.width(), area_.bottom() - y_); }
    double lineHeight(const QFont &font) const { return QFontMetricsF(font, &device_).lineSpacing(); }

private:
    void drawPageNumber()
    {
        painterFont_ = nullptr;
        painter_.setFont(font(8));
        painter_.setPen(kGrey);
        const QRectF footer(0, device_.height() - pt(14), device_.width(), pt(14));
        painter_.drawText(footer, Qt::AlignHCenter | Qt::AlignBottom, QString(kPageNumber).arg(page_));
    }

    QPainter &painter_;
    QPagedPaintDevice &device_;
    double scale_;
    std::map<std::pair<double, bool>, QFont> fonts_;
    const QFont *painterFont_ = nullptr;
    QRectF area_;
    double y_ = 0;
    int page_ = 1;
};

QString rangeText(const ReportContent &content)
{
    const ReportRange &range = content.range;
    QString dates;
    if (range.whole())
        dates = kWholeJournal;
    else if (range.from && range.to)
        dates = QString(kFromTo).arg(dayText(*range.from), dayText(*range.to));
    else if (range.from)
        dates = QString(kFromOnly).arg(dayText(*range.from));
    else
        dates = QString(kUpTo).arg(dayText(*range.to));
    QString line = QString(kDatesLine).arg(dates);
    if (content.firstDay && content.lastDay)
        line += QString(kHeldLine).arg(dayText(*content.firstDay), dayText(*content.lastDay));
    return line;
}

void drawFirstPage(Pages &pages, const ReportContent &content)
{
    pages.paragraph(utf8(content.folderName), pages.font(22, true));
    pages.paragraph(kReportHeading, pages.font(14), kGrey);
    pages.moveDown(18);
    const QFont &body = pages.font(11);
    pages.paragraph(rangeText(content), body);
    pages.paragraph(QString(kMadeLine).arg(timeText(content.made)), body);
    pages.paragraph(QString(kLiesLine).arg(content.lies.size()), body);
    pages.paragraph(QString(kResponsesLine).arg(content.responseCount), body);
    pages.moveDown(12);
    if (content.responseCount == 0)
        pages.paragraph(kNothingToChart, body);
    if (content.unlinkedAnswers > 0)
        pages.paragraph(
            QString(content.unlinkedAnswers == 1 ? kUnlinkedOne : kUnlinkedMany).arg(content.unlinkedAnswers), body);
    if (!content.unreadable.empty()) {
        pages.moveDown(6);
        pages.paragraph(kUnreadableHeading, pages.font(11, true));
        for (const auto &name : content.unreadable)
            pages.paragraph(textFromBytes(name), body, kInk, 12);
    }
}

// The Lie's swatch as the chart draws it: its line with a round point.
void drawSwatch(QPainter &painter, const QRectF &box, const QColor &color, bool square)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QPointF centre = box.center();
    const double r = box.height() / 4;
    if (square) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(color);
        painter.drawRect(QRectF(centre.x() - r, centre.y() - r, 2 * r, 2 * r));
    } else {
        painter.setPen(QPen(color, box.height() / 6));
        painter.drawLine(QPointF(box.left(), centre.y()), QPointF(box.right(), centre.y()));
        painter.setBrush(color);
        painter.drawEllipse(centre, r, r);
    }
    painter.restore();
}

void drawCharts(Pages &pages, const ReportContent &content, const ReportChartPainter &paintChart, JobProgress &progress)
{
    // Only Lies with responses have lines; their numbers are those of the Lie sections.
    std::vector<std::size_t> charted;
    for (std::size_t i = 0; i < content.lies.size(); ++i)
        if (!content.lies[i].responses.empty())
            charted.push_back(i);
    const QFont &legend = pages.font(9);
    for (std::size_t start = 0; start < charted.size(); start += kLiesPerReportChart) {
        progress.checkpoint(static_cast<double>(start) / static_cast<double>(charted.size()));
        const std::size_t end = std::min(charted.size(), start + kLiesPerReportChart);
        pages.newPage();
        const QString heading = end - start == 1
                                    ? QString(kChartHeadingOne).arg(charted[start] + 1)
                                    : QString(kChartHeading).arg(charted[start] + 1).arg(charted[end - 1] + 1);
        pages.paragraph(heading, pages.font(14, true));
        pages.moveDown(6);
        std::vector<ChartSeries> series;
        bool summaries = false;
        for (std::size_t n = start; n < end; ++n) {
            const ReportLie &lie = content.lies[charted[n]];
            ChartSeries s;
            s.lieFileName = lie.lieName;
            s.statement = statementText(lie.statement).toStdString();
            s.points = lie.responses;
            summaries = summaries || std::any_of(s.points.begin(), s.points.end(), [](const ResponsePoint &p) {
                            return p.source == ResponseSource::Summary;
                        });
            series.push_back(std::move(s));
        }
        const QRectF rest = pages.rest();
        const QRectF box(rest.left(), rest.top(), rest.width(), std::min(rest.height() * 0.62, rest.width() * 0.75));
        paintChart(pages.painter(), box, series);
        pages.moveDown(box.height() / pages.pt(1) + 8);

        const double swatch = pages.pt(22);
        const double line = pages.lineHeight(legend);
        for (std::size_t n = start; n < end; ++n) {
            const ReportLie &lie = content.lies[charted[n]];
            const QString name = lie.statement.empty() ? textFromBytes(lie.lieName) : statementText(lie.statement);
            const QString shown = QFontMetricsF(legend, pages.painter().device())
                                      .elidedText(QString("%1. %2").arg(charted[n] + 1).arg(name), Qt::ElideRight,
                                                  pages.width() - swatch - pages.pt(6));
            drawSwatch(pages.painter(), QRectF(pages.left(), pages.y(), swatch, line), TChartForm::lieColor(n - start),
                       false);
            pages.text(swatch + pages.pt(6), shown, legend);
            pages.moveDown(line / pages.pt(1));
        }
        pages.moveDown(6);
        drawSwatch(pages.painter(), QRectF(pages.left(), pages.y(), swatch, line), kGrey, false);
        pages.text(swatch + pages.pt(6), kEssayKey, legend, kGrey);
        pages.moveDown(line / pages.pt(1));
        if (summaries) {
            drawSwatch(pages.painter(), QRectF(pages.left(), pages.y(), swatch, line), kGrey, true);
            pages.text(swatch + pages.pt(6), kSummaryKey, legend, kGrey);
            pages.moveDown(line / pages.pt(1));
        }
    }
}

void drawTableHeader(Pages &pages, const QFont &font, const double columns[3])
{
    pages.text(columns[0], kDateColumn, font, kGrey);
    pages.text(columns[1], kResponseColumn, font, kGrey);
    pages.text(columns[2], kSourceColumn, font, kGrey);
    pages.moveDown(pages.lineHeight(font) / pages.pt(1) + 1);
    pages.rule(columns[0] / pages.pt(1));
    pages.moveDown(2);
}

void drawLie(Pages &pages, const ReportLie &lie, std::size_t number)
{
    const QFont &heading = pages.font(13, true);
    const QFont &small = pages.font(9);
    const QFont &bold = pages.font(10, true);
    const QFont &body = pages.font(10);
    // A statement is never left alone at the foot of a page.
    pages.need(pages.lineHeight(heading) * 2 + pages.lineHeight(body) * 4);
    pages.moveDown(pages.atTop() ? 0 : 14);
    if (lie.statement.empty()) {
        pages.paragraph(QString("%1. %2").arg(number).arg(textFromBytes(lie.lieName)), heading);
    } else {
        for (std::size_t i = 0; i < lie.statement.size(); ++i) {
            const QString line = utf8(lie.statement[i]);
            pages.paragraph(i == 0 ? QString("%1. %2").arg(number).arg(line) : line, heading);
        }
    }
    const QString count =
        lie.responses.size() == 1 ? QString(kResponseCountOne) : QString(kResponseCountMany).arg(lie.responses.size());
    pages.paragraph(QString(kLieFileLine).arg(textFromBytes(lie.lieName), count), small, kGrey);
    if (lie.statement.empty() && lie.responses.empty() && lie.blocks.empty())
        pages.paragraph(kLieUnreadable, small, kGrey);
    if (lie.skipped > 0)
        pages.paragraph(QString(lie.skipped == 1 ? kSkippedOne : kSkippedMany).arg(lie.skipped), small, kGrey);
    pages.moveDown(6);

    if (lie.responses.empty()) {
        pages.paragraph(kNoResponses, body, kGrey, 12);
    } else {
        const double columns[3] = {pages.pt(12), pages.pt(150), pages.pt(230)};
        const double row = pages.lineHeight(body) * 1.1;
        drawTableHeader(pages, small, columns);
        for (const auto &point : lie.responses) {
            if (pages.y() + row > pages.rest().bottom()) {
                pages.newPage();
                drawTableHeader(pages, small, columns);
            }
            pages.text(columns[0], timeText(point.when), body);
            pages.text(columns[1], QString::number(point.value), body);
            pages.text(columns[2], point.source == ResponseSource::Summary ? kSummarySource : kEssaySource, body);
            pages.moveDown(row / pages.pt(1));
        }
    }

    if (lie.blocks.empty())
        return;
    pages.moveDown(8);
    pages.need(pages.lineHeight(bold) * 3);
    pages.paragraph(kExplanationsHeading, bold);
    for (const auto &block : lie.blocks) {
        pages.moveDown(5);
        pages.need(pages.lineHeight(bold) + pages.lineHeight(body) * 2);
        pages.paragraph(utf8(block.responseLine), bold, kInk, 12);
        if (block.explanation.empty())
            pages.paragraph(kNothingWritten, body, kGrey, 12);
        for (const auto &line : block.explanation) {
            if (line.empty())
                pages.moveDown(5);
            else
                pages.paragraph(utf8(line), body, kInk, 12);
        }
    }
}

} // namespace

QPageSize reportPageSize(const QLocale &locale)
{
    // Where Letter is the paper in the shops.
    static const QLocale::Territory kLetterTerritories[] = {
        QLocale::UnitedStates, QLocale::Canada,     QLocale::Mexico,           QLocale::Philippines,
        QLocale::Chile,        QLocale::Colombia,   QLocale::Venezuela,        QLocale::CostaRica,
        QLocale::Guatemala,    QLocale::PuertoRico, QLocale::DominicanRepublic};
    const bool letter = locale.measurementSystem() == QLocale::ImperialUSSystem ||
                        std::find(std::begin(kLetterTerritories), std::end(kLetterTerritories), locale.territory()) !=
                            std::end(kLetterTerritories);
    return QPageSize(letter ? QPageSize::Letter : QPageSize::A4);
}

void drawReport(QPainter &painter, QPagedPaintDevice &device, const ReportContent &content,
                const ReportChartPainter &paintChart, JobProgress &progress)
{
    Pages pages(painter, device);
    drawFirstPage(pages, content);
    // A chart costs about as much as a dozen Lies' pages.
    const double chartShare = 0.3;
    JobPart charting(&progress, 0.0, chartShare);
    drawCharts(pages, content, paintChart, charting);
    JobPart writing(&progress, chartShare, 1.0);
    const std::size_t count = content.lies.size();
    for (std::size_t i = 0; i < count; ++i) {
        if (i % 8 == 0)
            writing.checkpoint(static_cast<double>(i) / static_cast<double>(count));
        if (i == 0)
            pages.newPage();
        drawLie(pages, content.lies[i], i + 1);
    }
    pages.finish();
    progress.checkpoint(1.0);
}

} // namespace varnok
