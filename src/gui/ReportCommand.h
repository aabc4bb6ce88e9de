#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <optional>

#include "core/context.h"
#include "testrun/report.h"

class QPageLayout;
class QPagedPaintDevice;
class QPainter;
class QPrinter;
class QWidget;

namespace varnok {

class TReportDlg;

// "Export report..." and "Print...": a report of the journal as PDF, made off
// the window's thread with the progress bar and Cancel; the charts alone are
// drawn on the window's thread, where the chart window's code runs.
class ReportCommand : public QObject {
    Q_OBJECT
public:
    ReportCommand(QWidget *window, Context &ctx);
    ~ReportCommand() override;

    void exportReport();
    void printReport();

    // "<lie folder name> report YYYY-MM-DD.pdf" in the documents folder.
    QString proposedPath() const;

    // Tests answer the file and print dialogs through these rather than
    // modal dialogs; an empty path or false means Cancel.
    using SavePathChooser = std::function<QString(const QString &proposed)>;
    void setSavePathChooser(SavePathChooser chooser) { chooseSavePath_ = std::move(chooser); }
    using PrinterSetup = std::function<bool(QPrinter &)>;
    void setPrinterSetup(PrinterSetup setup) { setUpPrinter_ = std::move(setup); }
    // Runs in the job once the report is drawn, before a byte is written.
    void setBeforeWrite(std::function<void(JobProgress &)> step) { beforeWrite_ = std::move(step); }

private:
    std::optional<ReportRange> askRange(const QString &title);
    QString askSavePath();
    bool askPrinter(QPrinter &printer);
    // Draws the report read for the request on a device the output begins,
    // the drawing ending at drawnAt of the progress bar.
    using DrawReport = std::function<void(QPainter &, QPagedPaintDevice &, double drawnAt)>;
    using ReportOutput = std::function<void(const ReportContent &, const DrawReport &, JobProgress &)>;
    // Reads the report off the window's thread with the progress bar and
    // Cancel, then hands it to the output. False when cancelled.
    bool makeReport(const ReportRequest &request, const ReportOutput &output);
    // Writes the report to a file as every file is written: whole or not at
    // all. False when cancelled.
    bool writePdf(const ReportRequest &request, const QString &path, const QPageLayout &layout);
    bool printTo(const ReportRequest &request, QPrinter &printer);

    QWidget *window_;
    Context &ctx_;
    QPointer<TReportDlg> rangeDialog_;
    SavePathChooser chooseSavePath_;
    PrinterSetup setUpPrinter_;
    std::function<void(JobProgress &)> beforeWrite_;
};

} // namespace varnok
