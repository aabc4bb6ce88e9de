#include "gui/QtUi.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>
#include <QWidget>

#include "core/text.h"
#include "gui/TChangeDlg.h"
#include "gui/bytetext.h"
#include "gui/TETDialog.h"
#include "gui/TStartTest.h"

namespace varnok {

namespace {
constexpr char kTitle[] = "Varnok";
constexpr int kInputLimit = 255;
} // namespace

QtUi::QtUi(QWidget *window) : window_(window) {}

QtUi::~QtUi() = default;

QString QtUi::toQt(const std::string &text)
{
    return textFromBytes(text);
}

std::string QtUi::fromQt(const QString &text)
{
    return utf8Bytes(text);
}

void QtUi::message(const std::string &text)
{
    QMessageBox box(QMessageBox::NoIcon, kTitle, toQt(text), QMessageBox::Ok, window_);
    box.setObjectName("MessageBox");
    box.exec();
}

void QtUi::error(const std::string &text)
{
    QMessageBox box(QMessageBox::Critical, kTitle, toQt(text), QMessageBox::Ok, window_);
    box.setObjectName("ErrorBox");
    box.exec();
}

bool QtUi::confirm(const std::string &text)
{
    QMessageBox box(QMessageBox::Question, "Confirm", toQt(text), QMessageBox::NoButton, window_);
    box.setObjectName("ConfirmBox");
    QPushButton *yes = box.addButton("&Yes", QMessageBox::YesRole);
    QPushButton *no = box.addButton("&No", QMessageBox::NoRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes;
}

std::optional<std::string> QtUi::inputText(const std::string &caption, const std::string &prompt,
                                           const std::string &proposed)
{
    QInputDialog dialog(window_);
    dialog.setObjectName("InputBox");
    dialog.setWindowTitle(toQt(caption));
    dialog.setLabelText(toQt(prompt));
    dialog.setTextValue(toQt(proposed));
    dialog.setOkButtonText("OK");
    dialog.setCancelButtonText("Cancel");
    if (auto *field = dialog.findChild<QLineEdit *>()) {
        field->setMaxLength(kInputLimit);
        field->selectAll();
    }
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return fromQt(dialog.textValue());
}

TestChoice QtUi::askTestParams()
{
    if (!startTest_)
        startTest_ = new TStartTest(window_);
    return startTest_->ask();
}

std::optional<RenameAnswer> QtUi::askRename(const std::string &caption, const std::string &folder,
                                            const std::string &from)
{
    if (!changeDlg_)
        changeDlg_ = new TChangeDlg(window_);
    return changeDlg_->ask(caption, folder, from);
}

std::optional<EssayType> QtUi::askEssayType()
{
    if (!etDialog_)
        etDialog_ = new TETDialog(window_);
    return etDialog_->ask();
}

std::optional<std::string> QtUi::openTextFile(const std::optional<std::string> &proposedName)
{
    if (proposedName)
        lastOpenName_ = toQt(*proposedName);
    QFileDialog dialog(window_);
    dialog.setObjectName("OpenDialog2");
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters({"Text Files (*.txt)", "All Files (*)"});
    dialog.setOption(QFileDialog::ReadOnly);
    const QFileInfo last(lastOpenName_);
    dialog.setDirectory(last.isAbsolute() ? last.absolutePath() : QDir::currentPath());
    if (!lastOpenName_.isEmpty())
        dialog.selectFile(last.fileName());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    lastOpenName_ = dialog.selectedFiles().first();
    return lastOpenName_.toLocal8Bit().toStdString();
}

std::optional<std::string> QtUi::saveTextFile(const std::string &folder)
{
    QFileDialog dialog(window_);
    dialog.setObjectName("SaveDialog1");
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter("Text file (*.txt)");
    dialog.setDefaultSuffix("txt");
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setDirectory(toQt(folder));
    if (!lastSaveName_.isEmpty())
        dialog.selectFile(QFileInfo(lastSaveName_).fileName());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    lastSaveName_ = dialog.selectedFiles().first();
    return lastSaveName_.toLocal8Bit().toStdString();
}

void QtUi::waitWhile(const std::function<bool()> &condition)
{
    while (condition())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

void QtUi::waitBlocked(const std::function<bool()> &condition)
{
    // The window takes no input while the external program runs, but it
    // still repaints.
    window_->setEnabled(false);
    while (condition()) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 50);
        QThread::msleep(20);
    }
    window_->setEnabled(true);
}

SaveAnswer QtUi::askSaveEdit(const std::string &fileName)
{
    QMessageBox box(QMessageBox::Warning, kTitle,
                    "The file " + toQt(fileName) + " is open in the editor with changes that are not saved.",
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, window_);
    box.setObjectName("SaveEditBox");
    box.setInformativeText("Do you want to save them before Varnok closes?");
    box.setDefaultButton(QMessageBox::Yes);
    switch (box.exec()) {
    case QMessageBox::Yes:
        return SaveAnswer::Save;
    case QMessageBox::No:
        return SaveAnswer::Discard;
    default:
        return SaveAnswer::Cancel;
    }
}

} // namespace varnok
