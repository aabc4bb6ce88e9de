#include "gui/accessible.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAction>
#include <QComboBox>
#include <QFontDialog>
#include <QLineEdit>
#include <QListView>

namespace varnok {

void nameClearButton(QLineEdit *field)
{
    // The button is made with the field's clear action and takes its text.
    if (auto *clear = field->findChild<QAction *>("_q_qlineeditclearaction")) {
        clear->setText("Clear");
        clear->setToolTip("Clear the field");
    }
}

void nameDialogParts(QWidget *dialog)
{
    for (auto *combo : dialog->findChildren<QComboBox *>()) {
        QString name = combo->accessibleName();
        if (QAccessibleInterface *box = QAccessible::queryAccessibleInterface(combo); box && name.isEmpty())
            name = box->text(QAccessible::Name); // its label's words
        combo->view()->setAccessibleName(name.isEmpty() ? QStringLiteral("Choices") : name.remove('&'));
    }
    if (!qobject_cast<QFontDialog *>(dialog))
        return;
    // The font dialog makes its fields, and then its lists, in this order;
    // only the first field is its label's buddy.
    const char *const names[] = {"Font", "Font style", "Size"};
    const auto fields = dialog->findChildren<QLineEdit *>(Qt::FindDirectChildrenOnly);
    const auto lists = dialog->findChildren<QListView *>(Qt::FindDirectChildrenOnly);
    for (qsizetype i = 0; i < 3; ++i) {
        if (i < fields.size() && fields[i]->accessibleName().isEmpty())
            fields[i]->setAccessibleName(names[i]);
        if (i < lists.size() && lists[i]->accessibleName().isEmpty())
            lists[i]->setAccessibleName(names[i]);
    }
}

} // namespace varnok
