#include "gui/TETDialog.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "gui/framing.h"

namespace varnok {

TETDialog::TETDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName("ETDialog");
    setWindowTitle("Indicate Essay Type");
    auto *layout = new QVBoxLayout(this);
    auto *group = new QGroupBox("Essay types", this);
    group->setObjectName("rgET");
    auto *groupLayout = new QVBoxLayout(group);
    rgET = new QButtonGroup(this);
    auto *responses = new QRadioButton("Varnok Essay Responses", group);
    responses->setObjectName("rgET0");
    auto *plain = new QRadioButton("Plain Text Files", group);
    plain->setObjectName("rgET1");
    rgET->addButton(responses, 0);
    rgET->addButton(plain, 1);
    responses->setChecked(true);
    groupLayout->addWidget(responses);
    groupLayout->addWidget(plain);
    layout->addWidget(group);
    auto *tip = new QLabel("Tip: Varnok Essays are parsed to extract responses", this);
    tip->setObjectName("Label2");
    tip->setWordWrap(true);
    layout->addWidget(tip);
    auto *buttons = new QDialogButtonBox(this);
    QPushButton *ok = buttons->addButton("OK", QDialogButtonBox::AcceptRole);
    ok->setObjectName("OKBtn");
    ok->setDefault(true);
    QPushButton *cancel = buttons->addButton("Cancel", QDialogButtonBox::RejectRole);
    cancel->setObjectName("CancelBtn");
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    // A fixed dialog, as wide as its title needs.
    roomForTitle(this);
    setFixedSize(sizeHint().expandedTo(minimumSize()));
}

std::optional<EssayType> TETDialog::ask()
{
    centreOnScreen(this);
    if (exec() != QDialog::Accepted)
        return std::nullopt;
    return rgET->checkedId() == 1 ? EssayType::PlainText : EssayType::EssayResponses;
}

} // namespace varnok
