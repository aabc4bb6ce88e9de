#include "gui/ReportCommand.h"

#include <QApplication>
#include <QBuffer>
#include <QChart>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGraphicsScene>
#include <QLocale>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>
#include <QThread>
#include <cerrno>
#include <exception>

#include "core/jobpart.h"
#include "core/text.h"
#include "gui/ReportPdf.h"
#include "gui/TChartForm.h"
#include "gui/TReportDlg.h"
#include "gui/bytetext.h"
#include "platform/files.h"
#include "platform/textfile.h"
#include "platform/userdirs.h"

namespace varnok {

namespace {

const char *const kExportTitle = "Export report";
const char *const kPrintTitle = "Print report";
const char *const kSelectedLies = "The report is of the %1 Lies selected on the Lies page.";
const char *const kSelectedLie = "The report is of the Lie selected on the Lies page.";
const char *const kAllLies = "The report is of all %1 Lies; select some on the Lies page for fewer.";
const char *const kPdfFilter = "PDF files (*.pdf)";
const char *const kPdfSuffix = "pdf";
const char *const kSaved = "Report saved: %s";
const char *const kPrinted = "Report sent to the printer";
const char *const kPrinterFailed = "The printer could not be started";
const char *const kCreator = "Varnok";
const char *const kDocumentTitle = "%1 report";
// The chart is laid out at about the size the chart window has on a screen,
// so its labels keep the proportions a person knows, then scaled to the page.
constexpr double kChartLayoutWidth = 900;
// The part of the bar the reading takes; drawing the pages takes the rest.
constexpr double kGatherShare = 0.35;
constexpr double kDrawShare = 0.97;

// Runs on the window's thread and waits for it: chart widgets live there.
void onWindowThread(const std::function<void()> &work)
{
    if (QThread::currentThread() == QCoreApplication::instance()->thread()) {
        work();
        return;
    }
    std::exception_ptr failure;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [&] {
            try {
                work();
            } catch (...) {
                failure = std::current_exception();
            }
        },
        Qt::BlockingQueuedConnection);
    if (failure)
        std::rethrow_exception(failure);
}

// Paper is white whatever the desktop's theme.
QPalette paperPalette()
{
    QPalette palette;
    for (const auto role : {QPalette::Window, QPalette::Base})
        palette.setColor(role, Qt::white);
    for (const auto role : {QPalette::WindowText, QPalette::Text})
        palette.setColor(role, Qt::black);
    return palette;
}

void paintChart(TChartForm &form, QPainter &painter, const QRectF &box, const std::vector<ChartSeries> &series,
                const ReactionLimits &limits)
{
    form.showSeries(series, limits.weak, limits.strong);
    QChart *chart = form.chart();
    const QSizeF size(kChartLayoutWidth, kChartLayoutWidth * box.height() / box.width());
    chart->setGeometry(QRectF(QPointF(0, 0), size));
    // The chart lays itself out on posted events.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    chart->scene()->render(&painter, box, QRectF(QPointF(0, 0), size), Qt::IgnoreAspectRatio);
}

} // namespace

ReportCommand::ReportCommand(QWidget *window, Context &ctx) : QObject(window), window_(window), ctx_(ctx)
{
}

ReportCommand::~ReportCommand() = default;

QString ReportCommand::proposedPath() const
{
    // Never the lie folder, which is the current folder: a report is for taking along.
    const auto documents = userDocumentsFolder();
    const QString folder = documents ? QFile::decodeName(QByteArray::fromStdString(*documents)) : QDir::homePath();
    const std::string name = reportFileNameProposal(ctx_.state.lieFolder, ctx_.clock.now());
    return QDir(folder).filePath(QFile::decodeName(QByteArray::fromStdString(name)));
}

std::optional<ReportRange> ReportCommand::askRange(const QString &title)
{
    if (ctx_.state.run.running) {
        ctx_.ui.message(kReportAfterTest);
        return std::nullopt;
    }
    if (!rangeDialog_)
        rangeDialog_ = new TReportDlg(window_);
    const std::size_t selected = ctx_.state.lies.selectedNames().size();
    const QString lies = selected == 1  ? QString(kSelectedLie)
                         : selected > 1 ? QString(kSelectedLies).arg(selected)
                                        : QString(kAllLies).arg(ctx_.state.lies.names().size());
    return rangeDialog_->ask(title, lies);
}

QString ReportCommand::askSavePath()
{
    if (chooseSavePath_)
        return chooseSavePath_(proposedPath());
    QFileDialog dialog(window_, kExportTitle, proposedPath(), kPdfFilter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(kPdfSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

bool ReportCommand::askPrinter(QPrinter &printer)
{
    if (setUpPrinter_)
        return setUpPrinter_(printer);
    QPrintDialog dialog(&printer, window_);
    dialog.setWindowTitle(kPrintTitle);
    return dialog.exec() == QDialog::Accepted;
}

void ReportCommand::exportReport()
{
    runCommand(ctx_, [this] {
        const auto range = askRange(kExportTitle);
        if (!range)
            return;
        const QString path = askSavePath();
        if (path.isEmpty())
            return;
        const ReportRequest request = reportRequest(ctx_.state, *range, ctx_.clock.now());
        QPageLayout layout(reportPageSize(QLocale()), QPageLayout::Portrait, QMarginsF(18, 18, 18, 18),
                           QPageLayout::Millimeter);
        if (writePdf(request, path, layout))
            ctx_.view.setStatus(formatMessage(kSaved, utf8Bytes(QDir::toNativeSeparators(path))));
    });
}

void ReportCommand::printReport()
{
    runCommand(ctx_, [this] {
        const auto range = askRange(kPrintTitle);
        if (!range)
            return;
        QPrinter printer(QPrinter::HighResolution);
        printer.setPageSize(reportPageSize(QLocale()));
        printer.setPageMargins(QMarginsF(18, 18, 18, 18), QPageLayout::Millimeter);
        printer.setDocName(QFileInfo(proposedPath()).completeBaseName());
        if (!askPrinter(printer))
            return;
        const ReportRequest request = reportRequest(ctx_.state, *range, ctx_.clock.now());
        // "Print to file" is a file like any other Varnok writes.
        if (printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty()) {
            if (writePdf(request, printer.outputFileName(), printer.pageLayout()))
                ctx_.view.setStatus(formatMessage(kSaved, utf8Bytes(printer.outputFileName())));
            return;
        }
        if (printTo(request, printer))
            ctx_.view.setStatus(kPrinted);
    });
}

bool ReportCommand::makeReport(const ReportRequest &request, const ReportOutput &output)
{
    const ReactionLimits limits = reactionLimits(ctx_.state.options);
    TChartForm chartForm;
    chartForm.setPalette(paperPalette());
    const ReportChartPainter chart = [&](QPainter &painter, const QRectF &box, const std::vector<ChartSeries> &s) {
        onWindowThread([&] { paintChart(chartForm, painter, box, s, limits); });
    };
    return ctx_.ui.runLong(kMakingReportCaption, [&](JobProgress &progress) {
        JobPart gathering(&progress, 0.0, kGatherShare);
        const ReportContent content = gatherReport(request, &gathering);
        const DrawReport draw = [&](QPainter &painter, QPagedPaintDevice &device, double drawnAt) {
            JobPart drawing(&progress, kGatherShare, drawnAt);
            drawReport(painter, device, content, chart, drawing);
        };
        output(content, draw, progress);
    });
}

bool ReportCommand::writePdf(const ReportRequest &request, const QString &path, const QPageLayout &layout)
{
    const std::string target = QFile::encodeName(path).toStdString();
    return makeReport(request, [&](const ReportContent &content, const DrawReport &draw, JobProgress &progress) {
        // Made whole in memory: nothing reaches the disk until it is done.
        QByteArray bytes;
        {
            QBuffer buffer(&bytes);
            buffer.open(QIODevice::WriteOnly);
            QPdfWriter writer(&buffer);
            writer.setPageLayout(layout);
            writer.setCreator(kCreator);
            writer.setTitle(QString(kDocumentTitle).arg(QString::fromStdString(content.folderName)));
            QPainter painter;
            if (!painter.begin(&writer))
                failCannotCreate(target);
            draw(painter, writer, kDrawShare);
            painter.end();
        }
        if (beforeWrite_)
            beforeWrite_(progress);
        const std::string_view pdf(bytes.constData(), static_cast<std::size_t>(bytes.size()));
        const Status written = writeFileAtomic(
            target, [&](const BytePut &put) { put(pdf); }, [&] { return !progress.cancelled(); });
        if (written.error() == ECANCELED)
            throw JobCancelled{};
        if (!written)
            failCannotCreate(target, written);
    });
}

bool ReportCommand::printTo(const ReportRequest &request, QPrinter &printer)
{
    return makeReport(request, [&](const ReportContent &, const DrawReport &draw, JobProgress &) {
        QPainter painter;
        if (!painter.begin(&printer))
            throw CommandError(kPrinterFailed);
        try {
            draw(painter, printer, 1.0);
        } catch (const JobCancelled &) {
            // A printer that cannot drop a started job prints the pages drawn so far.
            printer.abort();
            throw;
        }
        painter.end();
    });
}

} // namespace varnok
