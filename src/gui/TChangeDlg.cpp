#include "gui/TChangeDlg.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "gui/QtUi.h"
#include "gui/framing.h"

namespace varnok {

TChangeDlg::TChangeDlg(QWidget *parent) : QDialog(parent)
{
    setObjectName("ChangeDlg");
    setFixedSize(388, 123);
    auto *frame = new QGroupBox(this);
    frame->setObjectName("Bevel1");
    frame->setGeometry(8, 8, 281, 105);
    CurrentDir = new QLabel(this);
    CurrentDir->setObjectName("CurrentDir");
    CurrentDir->setGeometry(24, 20, 260, 20);
    auto *fromLabel = new QLabel("From:", this);
    fromLabel->setObjectName("Label1");
    fromLabel->setGeometry(24, 48, 38, 21);
    FromFileName = new QLineEdit(this);
    FromFileName->setObjectName("FromFileName");
    FromFileName->setGeometry(64, 48, 209, 21);
    auto *toLabel = new QLabel("To:", this);
    toLabel->setObjectName("Label2");
    toLabel->setGeometry(24, 80, 38, 21);
    ToFileName = new QLineEdit(this);
    ToFileName->setObjectName("ToFileName");
    ToFileName->setGeometry(64, 80, 209, 21);
    fromLabel->setBuddy(FromFileName);
    toLabel->setBuddy(ToFileName);
    auto *ok = new QPushButton("OK", this);
    ok->setObjectName("OKBtn");
    ok->setGeometry(300, 8, 77, 27);
    ok->setDefault(true);
    auto *cancel = new QPushButton("Cancel", this);
    cancel->setObjectName("CancelBtn");
    cancel->setGeometry(300, 40, 77, 27);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

std::optional<RenameAnswer> TChangeDlg::ask(const std::string &caption, const std::string &folder,
                                            const std::string &from)
{
    setWindowTitle(QtUi::toQt(caption));
    CurrentDir->setText(QtUi::toQt(folder));
    CurrentDir->setToolTip(CurrentDir->text());
    FromFileName->setText(QtUi::toQt(from));
    ToFileName->clear();
    ToFileName->setFocus();
    centreOnScreen(this);
    if (exec() != QDialog::Accepted)
        return std::nullopt;
    return RenameAnswer{QtUi::fromQt(FromFileName->text()), QtUi::fromQt(ToFileName->text())};
}

} // namespace varnok
