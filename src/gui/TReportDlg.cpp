#include "gui/TReportDlg.h"

#include <QCheckBox>
#include <QDate>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace varnok {

namespace {

const char *const kFromCaption = "&From:";
const char *const kToCaption = "&To:";
const char *const kDateFormat = "yyyy-MM-dd";
const char *const kOrderNote = "The first day is after the last.";
// Days a new report reaches back when the first day is ticked.
constexpr int kProposedDays = 30;

Day dayOf(const QDate &date)
{
    return {date.year(), date.month(), date.day()};
}

} // namespace

TReportDlg::TReportDlg(QWidget *parent) : QDialog(parent)
{
    setObjectName("ReportDialog");
    lReportLies = new QLabel(this);
    lReportLies->setObjectName("lReportLies");
    cbReportFrom = new QCheckBox(kFromCaption, this);
    cbReportFrom->setObjectName("cbReportFrom");
    cbReportTo = new QCheckBox(kToCaption, this);
    cbReportTo->setObjectName("cbReportTo");
    const QDate today = QDate::currentDate();
    ReportFrom = new QDateEdit(today.addDays(-kProposedDays), this);
    ReportFrom->setObjectName("ReportFrom");
    ReportTo = new QDateEdit(today, this);
    ReportTo->setObjectName("ReportTo");
    for (QDateEdit *edit : {ReportFrom, ReportTo}) {
        edit->setDisplayFormat(kDateFormat);
        edit->setCalendarPopup(true);
        connect(edit, &QDateEdit::dateChanged, this, &TReportDlg::updateControls);
    }
    connect(cbReportFrom, &QCheckBox::toggled, this, &TReportDlg::updateControls);
    connect(cbReportTo, &QCheckBox::toggled, this, &TReportDlg::updateControls);
    auto *orderNote = new QLabel(kOrderNote, this);
    orderNote->setObjectName("lReportOrder");
    buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *grid = new QGridLayout;
    grid->addWidget(cbReportFrom, 0, 0);
    grid->addWidget(ReportFrom, 0, 1);
    grid->addWidget(cbReportTo, 1, 0);
    grid->addWidget(ReportTo, 1, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lReportLies);
    layout->addLayout(grid);
    layout->addWidget(orderNote);
    layout->addWidget(buttons);
    updateControls();
}

void TReportDlg::updateControls()
{
    ReportFrom->setEnabled(cbReportFrom->isChecked());
    ReportTo->setEnabled(cbReportTo->isChecked());
    const bool reversed = cbReportFrom->isChecked() && cbReportTo->isChecked() && ReportFrom->date() > ReportTo->date();
    findChild<QLabel *>("lReportOrder")->setVisible(reversed);
    buttons->button(QDialogButtonBox::Ok)->setEnabled(!reversed);
}

std::optional<ReportRange> TReportDlg::ask(const QString &title, const QString &lies)
{
    setWindowTitle(title);
    lReportLies->setText(lies);
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    if (exec() != QDialog::Accepted)
        return std::nullopt;
    ReportRange range;
    if (cbReportFrom->isChecked())
        range.from = dayOf(ReportFrom->date());
    if (cbReportTo->isChecked())
        range.to = dayOf(ReportTo->date());
    return range;
}

} // namespace varnok
