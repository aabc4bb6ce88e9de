#include <QCheckBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QMenuBar>
#include <QPrinter>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardPaths>
#include <QtTest>
#include <csignal>
#include <cstring>
#include <sys/resource.h>
#include <sys/stat.h>

#include "documents/commands.h"
#include "documents/documents.h"
#include "gui/ReportCommand.h"
#include "gui/TReportDlg.h"
#include "gui/guiharness.h"
#include "gui/guitest.h"
#include "support/stamps.h"

using namespace varnok;
using namespace varnok::testing;

namespace {

// Thirteen Lies, so the report holds two charts; Lie 1 answered in
// January, March and May, every other one in March.
void writeJournal(const TempFolder &folder)
{
    for (int n = 1; n <= 13; ++n) {
        const std::string statement = "Statement number " + std::to_string(n) + " is true.";
        const std::string name = (n < 10 ? "Lie0" : "Lie") + std::to_string(n);
        folder.write(name + ".lie", statement + "\r\n");
        Lines essay = {statement};
        for (const int month : n == 1 ? std::vector<int>{1, 3, 5} : std::vector<int>{3}) {
            essay.insert(essay.end(),
                         {"", responseLine(at(2026, month, n, 9, 30), (n + month) % 25 + 1), "", "EXPLAIN YOURSELF",
                          "Reason " + std::to_string(n) + "-" + std::to_string(month)});
        }
        folder.write(name + ".ess", joinLines(essay));
    }
}

QString run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(60000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

// Answers the range dialog with the given days, an empty one left open.
void answerRange(ModalAnswerer &answers, const QDate &from, const QDate &to)
{
    answers.then([from, to](QWidget *w) {
        auto *dialog = qobject_cast<TReportDlg *>(w);
        QVERIFY(dialog);
        dialog->cbReportFrom->setChecked(from.isValid());
        dialog->cbReportTo->setChecked(to.isValid());
        if (from.isValid())
            dialog->ReportFrom->setDate(from);
        if (to.isValid())
            dialog->ReportTo->setDate(to);
        dialog->buttons->button(QDialogButtonBox::Ok)->click();
    });
}

struct ReportWindow : Window {
    ReportWindow()
    {
        writeJournal(folder);
        refreshLists(window->context());
        report = window->findChild<ReportCommand *>();
        target = QString::fromStdString(folder.path()) + "out/report.pdf";
        QDir().mkpath(QFileInfo(target).path());
        report->setSavePathChooser([this](const QString &) { return target; });
    }
    ReportCommand *report = nullptr;
    QString target;
};

} // namespace

class ReportTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        for (const char *tool : {"pdftotext", "pdfinfo", "pdffonts"})
            if (QStandardPaths::findExecutable(tool).isEmpty())
                QSKIP("poppler-utils is not installed (scripts/setup installs it)");
    }

    void aReportReadsBackWithItsDaysPagesPaperAndFonts()
    {
        struct Row {
            QLocale locale;
            QString paper;
        };
        const Row rows[] = {{QLocale(QLocale::German, QLocale::Germany), "595 x 842 pts (A4)"},
                            {QLocale(QLocale::English, QLocale::UnitedStates), "612 x 792 pts (letter)"}};
        for (const auto &row : rows) {
            QLocale::setDefault(row.locale);
            ReportWindow w;
            ModalAnswerer answers;
            answerRange(answers, QDate(2026, 3, 1), QDate(2026, 3, 31));
            w.find<QPushButton>("bLiesReport")->click();
            QLocale::setDefault(QLocale::c());
            QVERIFY(answers.done());
            QVERIFY2(QFileInfo::exists(w.target), qPrintable(w.target));
            struct stat written {};
            QCOMPARE(::stat(w.target.toLocal8Bit().constData(), &written), 0);
            QCOMPARE(written.st_mode & 0777, 0600u);

            const QString info = run("pdfinfo", {w.target});
            QVERIFY2(info.contains(QRegularExpression("Page size: +" + QRegularExpression::escape(row.paper))),
                     qPrintable(info));
            const int pages = QRegularExpression("Pages: +(\\d+)").match(info).captured(1).toInt();
            QVERIFY2(pages >= 4, qPrintable(info));
            const QString text = run("pdftotext", {"-enc", "UTF-8", w.target, "-"}).simplified();
            // Every statement, the March response lines and their explanations in
            // order; nothing of January or May.
            int last = -1;
            for (int n = 1; n <= 13; ++n) {
                QVERIFY2(text.contains(QString("Statement number %1 is true.").arg(n)), qPrintable(text));
                const QString line =
                    QString::fromStdString(responseLine(at(2026, 3, n, 9, 30), (n + 3) % 25 + 1)).simplified();
                const int found = text.indexOf(line);
                const int reason = text.indexOf(QString("Reason %1-3").arg(n));
                QVERIFY2(found > last && reason > found, qPrintable(line));
                last = reason;
            }
            QVERIFY(!text.contains("Reason 1-1") && !text.contains("Reason 1-5"));
            QVERIFY(!text.contains("RESPONSE: 3 ") && !text.contains("2026-05-01"));
            QVERIFY(text.contains("Responses: 13"));
            // Twelve Lies a chart; every page numbered.
            QVERIFY(run("pdftotext", {"-f", "2", "-l", "2", w.target, "-"}).contains("Lies 1 to 12"));
            QVERIFY(run("pdftotext", {"-f", "3", "-l", "3", w.target, "-"}).contains("Lie 13"));
            QVERIFY(run("pdftotext", {"-f", QString::number(pages), "-l", QString::number(pages), w.target, "-"})
                        .contains(QString("Page %1").arg(pages)));

            const QStringList fonts = run("pdffonts", {w.target}).split('\n', Qt::SkipEmptyParts).mid(2);
            QVERIFY(!fonts.isEmpty());
            for (const QString &font : fonts)
                QVERIFY2(font.section(' ', -5, -5, QString::SectionSkipEmpty) == "yes", qPrintable(font));
        }
    }

    void cancelOrAFailedWriteLeavesNothingAndTheProgressShows()
    {
        ReportWindow w;
        ModalAnswerer answers;
        answerRange(answers, QDate(), QDate());
        bool sawProgress = false;
        QString failure;
        QTimer watch;
        watch.setInterval(10);
        connect(&watch, &QTimer::timeout, [&] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                failure = box->text();
                box->accept();
            }
            auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            if (!dialog || dialog->objectName() != "ProgressDialog" || !dialog->isVisible() || sawProgress)
                return;
            sawProgress = dialog->findChild<QProgressBar *>("ProgressBar")->value() > 0 &&
                          dialog->findChild<QLabel *>("ProgressCaption")->text() == "Making the report...";
            if (sawProgress)
                dialog->findChild<QPushButton *>("bCancelJob")->click();
        });
        watch.start();
        // The report is drawn; the write waits until the person has cancelled.
        w.report->setBeforeWrite([](JobProgress &progress) {
            for (int i = 0; i < 2000 && !progress.cancelled(); ++i)
                QThread::msleep(5);
        });
        w.find<QPushButton>("bLiesReport")->click();
        QVERIFY(sawProgress);
        QVERIFY(!QFileInfo::exists(w.target));
        QCOMPARE(QDir(QFileInfo(w.target).path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList());

        // A write that fails halfway (at a file-size limit, as on a full disk).
        rlimit kept{};
        QCOMPARE(::getrlimit(RLIMIT_FSIZE, &kept), 0);
        const rlimit small{4096, kept.rlim_max};
        std::signal(SIGXFSZ, SIG_IGN);
        w.report->setBeforeWrite([&](JobProgress &) { ::setrlimit(RLIMIT_FSIZE, &small); });
        answerRange(answers, QDate(), QDate());
        w.find<QPushButton>("bLiesReport")->click();
        ::setrlimit(RLIMIT_FSIZE, &kept);
        QCOMPARE(failure, "Cannot create file " + w.target + ": " + std::strerror(EFBIG) + ".");
        QCOMPARE(QDir(QFileInfo(w.target).path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList());
    }

    void printToFileAndTheMenusAndTheDialogsChecks()
    {
        ReportWindow w;
        auto *print = w.window->findChild<QAction *>("Print1");
        QVERIFY(print && w.window->findChild<QAction *>("ExportReport1"));
        QCOMPARE(print->shortcut(), QKeySequence(QKeySequence::Print));
        w.report->setPrinterSetup([&](QPrinter &printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(w.target);
            return true;
        });
        ModalAnswerer answers;
        // No report while a test runs, whose answers are not stored yet.
        answers.acceptMessage();
        w.window->state().run.running = true;
        print->trigger();
        w.window->state().run.running = false;
        QCOMPARE(answers.texts, QStringList{kReportAfterTest});
        // A first day after the last is refused until it is put right.
        bool refused = false;
        answers.then([&](QWidget *w) {
            auto *dialog = qobject_cast<TReportDlg *>(w);
            QPushButton *ok = dialog->buttons->button(QDialogButtonBox::Ok);
            dialog->cbReportFrom->setChecked(true);
            dialog->cbReportTo->setChecked(true);
            dialog->ReportFrom->setDate(QDate(2026, 5, 2));
            dialog->ReportTo->setDate(QDate(2026, 5, 1));
            refused = !ok->isEnabled();
            dialog->cbReportTo->setChecked(false);
            ok->click();
        });
        print->trigger();
        QVERIFY(answers.done());
        QVERIFY(refused);
        const QString text = run("pdftotext", {w.target, "-"}).simplified();
        QVERIFY2(text.contains("Dates: from 2026-05-02") && text.contains("Responses: 0"), qPrintable(text));
        QVERIFY(!text.contains("Reason"));
    }
};

VARNOK_GUI_TEST(ReportTest);
#include "report_test.moc"
