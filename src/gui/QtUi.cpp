#include "gui/QtUi.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileDialog>
#include <QGridLayout>
#include <QScreen>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>
#include <QWindow>
#include <atomic>
#include <exception>
#include <thread>

#include "core/text.h"
#include "gui/TChangeDlg.h"
#include "gui/accessible.h"
#include "gui/bytetext.h"
#include "gui/TETDialog.h"
#include "gui/TStartTest.h"
#include "gui/TConflictDlg.h"
#include "gui/framing.h"
#include "platform/thread.h"

namespace varnok {

namespace {
constexpr char kTitle[] = "Varnok";
constexpr int kInputLimit = 255;

// A message box sizes itself to its text; a short text would leave no room
// for the title. A spacer across the bottom of its grid keeps it wide enough.
void roomForTitle(QMessageBox &box)
{
    const int needed = titleBarWidth(box.windowTitle(), box.font());
    if (auto *grid = qobject_cast<QGridLayout *>(box.layout()))
        grid->addItem(new QSpacerItem(needed, 0, QSizePolicy::Minimum, QSizePolicy::Minimum), grid->rowCount(), 0, 1,
                      grid->columnCount());
}
// A job that ends sooner shows no progress bar at all.
constexpr int kProgressDelayMs = 500;
constexpr int kProgressSteps = 1000;
constexpr int kProgressPollMs = 50;

// While a long job runs the window repaints and answers its timers, but takes
// no input except on the progress bar: a second command started meanwhile
// would work on the state the job is still reading.
class InputGuard : public QObject {
public:
    InputGuard(QWidget *window, QWidget *allowed) : window_(window), allowed_(allowed)
    {
        qApp->installEventFilter(this);
    }
    ~InputGuard() override { qApp->removeEventFilter(this); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::Shortcut:
        case QEvent::ShortcutOverride:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
            break;
        case QEvent::Close:
            // Closing the window would save and leave under the running job.
            return event->spontaneous() && watched == window_;
        default:
            return false;
        }
        if (auto *widget = qobject_cast<QWidget *>(watched))
            return !(widget == allowed_ || allowed_->isAncestorOf(widget));
        // Input from the window system reaches a window's native window
        // first, and only then the widget under the mouse or in focus.
        if (auto *native = qobject_cast<QWindow *>(watched))
            return native != allowed_->windowHandle();
        return true;
    }

private:
    QWidget *window_;
    QWidget *allowed_;
};

} // namespace

QtUi::QtUi(QWidget *window) : window_(window)
{
}

QtUi::~QtUi() = default;

QWidget *QtUi::dialogParent() const
{
    // Before the window is first shown (the first-start questions), a dialog
    // parented to it would make the window's native window early, and a window
    // made before it is placed is put with its inside, not its frame, at the
    // stored spot: the title bar would land above the screen. Such a dialog
    // stands on its own, centred on the screen.
    return window_->isVisible() ? window_ : nullptr;
}

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
    QMessageBox box(QMessageBox::NoIcon, kTitle, toQt(text), QMessageBox::Ok, dialogParent());
    box.setObjectName("MessageBox");
    roomForTitle(box);
    box.exec();
}

void QtUi::error(const std::string &text)
{
    QMessageBox box(QMessageBox::Critical, kTitle, toQt(text), QMessageBox::Ok, dialogParent());
    box.setObjectName("ErrorBox");
    roomForTitle(box);
    box.exec();
}

bool QtUi::confirm(const std::string &text)
{
    return askYesNo(text, true);
}

bool QtUi::confirmDefaultNo(const std::string &text)
{
    return askYesNo(text, false);
}

bool QtUi::askYesNo(const std::string &text, bool yesByDefault)
{
    QMessageBox box(QMessageBox::Question, "Confirm", toQt(text), QMessageBox::NoButton, dialogParent());
    box.setObjectName("ConfirmBox");
    roomForTitle(box);
    QPushButton *yes = box.addButton("&Yes", QMessageBox::YesRole);
    QPushButton *no = box.addButton("&No", QMessageBox::NoRole);
    box.setDefaultButton(yesByDefault ? yes : no);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes;
}

std::optional<std::string> QtUi::inputText(const std::string &caption, const std::string &prompt,
                                           const std::string &proposed)
{
    QInputDialog dialog(dialogParent());
    dialog.setObjectName("InputBox");
    dialog.setWindowTitle(toQt(caption));
    dialog.setLabelText(toQt(prompt));
    dialog.setTextValue(toQt(proposed));
    dialog.setOkButtonText("OK");
    dialog.setCancelButtonText("Cancel");
    if (auto *field = dialog.findChild<QLineEdit *>()) {
        field->setMaxLength(kInputLimit);
        // Wide enough that the proposed text shows from its start and the
        // title whole, within reason. The dialog's layout sets its own
        // minimum, so the field carries the width.
        const int text = field->fontMetrics().horizontalAdvance(dialog.textValue()) + 24;
        const int title = titleBarWidth(dialog.windowTitle(), dialog.font()) - 24;
        field->setMinimumWidth(std::min(std::max(text, title), window_->screen()->availableGeometry().width() / 2));
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
    QFileDialog dialog(dialogParent());
    dialog.setObjectName("OpenDialog2");
    nameDialogParts(&dialog);
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
    QFileDialog dialog(dialogParent());
    dialog.setObjectName("SaveDialog1");
    nameDialogParts(&dialog);
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

namespace {

// Eats the person's keys, clicks and shortcuts. Held back instead (as the
// event loop does when told to exclude input), they would all be carried out
// once the wait ends: a key meant for the external editor would press a button
// of this window.
class InputDiscarder : public QObject {
protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::ShortcutOverride:
            // Accepted, so no shortcut is even looked for.
            event->accept();
            return true;
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::Shortcut:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::NonClientAreaMouseButtonPress:
        case QEvent::NonClientAreaMouseButtonRelease:
        case QEvent::NonClientAreaMouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TabletPress:
        case QEvent::TabletRelease:
        case QEvent::TabletMove:
        case QEvent::Drop:
            return true;
        default:
            return false;
        }
    }
};

} // namespace

void QtUi::waitBlocked(const std::function<bool()> &condition)
{
    // The window takes no input while the external program runs, but it
    // still repaints, and a close of the window still arrives.
    InputDiscarder discarder;
    QCoreApplication::instance()->installEventFilter(&discarder);
    window_->setEnabled(false);
    while (condition()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(20);
    }
    // What came in while the program ended is discarded as well.
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    QCoreApplication::instance()->removeEventFilter(&discarder);
    window_->setEnabled(true);
}

bool QtUi::runLong(const std::string &caption, const std::function<void(JobProgress &)> &job)
{
    // Shown only past the delay, so a short job does not flash a window.
    QDialog dialog(window_);
    dialog.setObjectName("ProgressDialog");
    dialog.setWindowTitle(kTitle);
    dialog.setWindowModality(Qt::WindowModal);
    auto *layout = new QVBoxLayout(&dialog);
    auto *label = new QLabel(toQt(caption), &dialog);
    label->setObjectName("ProgressCaption");
    layout->addWidget(label);
    auto *bar = new QProgressBar(&dialog);
    bar->setObjectName("ProgressBar");
    bar->setRange(0, kProgressSteps);
    bar->setMinimumWidth(300);
    layout->addWidget(bar);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, &dialog);
    buttons->button(QDialogButtonBox::Cancel)->setObjectName("bCancelJob");
    layout->addWidget(buttons);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);

    JobProgress progress;
    // Escape and the close box reject the dialog too. The job stops at its
    // next checkpoint, which may take a while: until then the dialog stays and
    // says so, rather than leave a window that looks idle but takes no input.
    QObject::connect(&dialog, &QDialog::rejected, &dialog, [&] {
        progress.cancel();
        label->setText("Cancelling...");
        buttons->setEnabled(false);
        dialog.show();
    });
    InputGuard guard(window_, &dialog);

    QEventLoop loop;
    std::atomic<bool> finished{false};
    bool cancelled = false;
    std::exception_ptr failure;
    std::thread worker = startThread([&] {
        try {
            job(progress);
        } catch (const JobCancelled &) {
            cancelled = true;
        } catch (...) {
            failure = std::current_exception();
        }
        finished.store(true);
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });

    QElapsedTimer clock;
    clock.start();
    QTimer poll;
    poll.setInterval(kProgressPollMs);
    QObject::connect(&poll, &QTimer::timeout, &dialog, [&] {
        if (!dialog.isVisible() && clock.elapsed() >= kProgressDelayMs && !progress.cancelled())
            dialog.show();
        if (dialog.isVisible())
            bar->setValue(static_cast<int>(progress.fraction() * kProgressSteps));
    });
    poll.start();
    if (!finished.load())
        loop.exec();
    worker.join();
    poll.stop();
    dialog.hide();
    if (failure)
        std::rethrow_exception(failure);
    return !cancelled;
}

SaveAnswer QtUi::askSaveEdit(const std::string &fileName)
{
    QMessageBox box(QMessageBox::Warning, kTitle,
                    "The file " + toQt(fileName) + " is open in the editor with changes that are not saved.",
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, dialogParent());
    box.setObjectName("SaveEditBox");
    roomForTitle(box);
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

ChangedFileAnswer QtUi::askChangedFile(const std::string &text)
{
    QMessageBox box(QMessageBox::Warning, kTitle, toQt(text), QMessageBox::NoButton, dialogParent());
    box.setObjectName("ChangedFileBox");
    roomForTitle(box);
    QPushButton *both = box.addButton("Keep &both", QMessageBox::AcceptRole);
    both->setObjectName("KeepBoth");
    QPushButton *replace = box.addButton("&Replace", QMessageBox::DestructiveRole);
    replace->setObjectName("Replace");
    QPushButton *back = box.addButton("Back to &editing", QMessageBox::RejectRole);
    back->setObjectName("BackToEditing");
    box.setDefaultButton(both);
    box.setEscapeButton(back);
    box.exec();
    if (box.clickedButton() == both)
        return ChangedFileAnswer::KeepBoth;
    return box.clickedButton() == replace ? ChangedFileAnswer::Replace : ChangedFileAnswer::KeepEditing;
}

ConflictChoice QtUi::askResolveConflict(const ConflictView &view)
{
    if (!conflictDlg_)
        conflictDlg_ = new TConflictDlg(window_);
    return conflictDlg_->ask(view);
}

} // namespace varnok
