#pragma once

#include <QDialog>
#include <optional>

#include "testrun/report.h"

class QCheckBox;
class QDateEdit;
class QDialogButtonBox;
class QLabel;

namespace varnok {

// Asks which days a report covers: from a first day, up to a last one, or
// (both boxes clear, as at first) the whole journal. Made once and kept, so
// it offers the days chosen last.
class TReportDlg : public QDialog {
    Q_OBJECT
public:
    explicit TReportDlg(QWidget *parent = nullptr);

    // Shows the dialog with a title and a line saying which Lies the report
    // is of; empty on Cancel.
    std::optional<ReportRange> ask(const QString &title, const QString &lies);

    QCheckBox *cbReportFrom;
    QDateEdit *ReportFrom;
    QCheckBox *cbReportTo;
    QDateEdit *ReportTo;
    QLabel *lReportLies;
    QDialogButtonBox *buttons;

private:
    void updateControls();
};

} // namespace varnok
