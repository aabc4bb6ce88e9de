#include "gui/TConflictDlg.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include "gui/bytetext.h"
#include "gui/framing.h"

namespace varnok {

namespace {

QPlainTextEdit *sideText(QWidget *parent, const char *name)
{
    auto *text = new QPlainTextEdit(parent);
    text->setObjectName(name);
    text->setReadOnly(true);
    text->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    return text;
}

} // namespace

TConflictDlg::TConflictDlg(QWidget *parent) : QDialog(parent)
{
    setObjectName("ConflictDlg");
    setWindowTitle("Resolve Conflict Copy");
    auto *layout = new QGridLayout(this);
    mainLabel_ = new QLabel(this);
    mainLabel_->setObjectName("MainLabel");
    mainLabel_->setWordWrap(true);
    copyLabel_ = new QLabel(this);
    copyLabel_->setObjectName("CopyLabel");
    copyLabel_->setWordWrap(true);
    mainText_ = sideText(this, "MainText");
    copyText_ = sideText(this, "CopyText");
    layout->addWidget(mainLabel_, 0, 0);
    layout->addWidget(copyLabel_, 0, 1);
    layout->addWidget(mainText_, 1, 0);
    layout->addWidget(copyText_, 1, 1);
    auto *note = new QLabel(
        "Join adds the copy's blocks the file lacks below the file's text. The copy, or the "
        "file the copy replaces, goes to the Trash.",
        this);
    note->setWordWrap(true);
    layout->addWidget(note, 2, 0, 1, 2);

    auto *buttons = new QDialogButtonBox(this);
    const auto add = [&](const char *caption, const char *name, ConflictChoice choice) {
        QPushButton *button = buttons->addButton(caption, QDialogButtonBox::ActionRole);
        button->setObjectName(name);
        connect(button, &QPushButton::clicked, this, [this, choice] {
            choice_ = choice;
            accept();
        });
        return button;
    };
    // Joining loses nothing, so it is what Enter does.
    add("&Join", "JoinBtn", ConflictChoice::Join)->setDefault(true);
    add("Keep &file", "KeepMainBtn", ConflictChoice::KeepMain);
    add("Keep &copy", "KeepCopyBtn", ConflictChoice::KeepCopy);
    QPushButton *cancel = buttons->addButton("Cancel", QDialogButtonBox::RejectRole);
    cancel->setObjectName("CancelBtn");
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons, 3, 0, 1, 2);
    resize(760, 460);
}

ConflictChoice TConflictDlg::ask(const ConflictView &view)
{
    mainLabel_->setText(textFromBytes(view.mainName));
    copyLabel_->setText(textFromBytes(view.copyName + "\n" + view.copyHint));
    mainText_->setPlainText(textFromBytes(view.mainText));
    copyText_->setPlainText(textFromBytes(view.copyText));
    choice_ = ConflictChoice::Cancel;
    centreOnScreen(this);
    if (exec() != QDialog::Accepted)
        return ConflictChoice::Cancel;
    return choice_;
}

} // namespace varnok
