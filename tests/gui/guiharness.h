#pragma once

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "gui/TfHello.h"
#include "documents/documents.h"
#include "platform/files.h"
#include "support/fakeui.h"

namespace varnok::testing {

// A main window on a temporary lie folder that already has its settings, so
// the first-start questions stay away unless a test wants them.
struct Window {
    explicit Window(const std::string &settings = "[Settings]\r\nWidth=415\r\n")
    {
        folder.write("Varnok.Ini", settings);
        window = std::make_unique<TfHello>(TfHello::Services{clock, random});
        window->start({folder.path()});
        // Deleted files go to a Trash of the test's own, never the user's.
        window->state().homeTrash = home.path() + "Trash/";
        window->show();
    }
    ~Window()
    {
        window.reset();
        setCurrentFolder(startFolder);
    }
    template <typename T = QWidget>
    T *find(const char *name)
    {
        return window->findChild<T *>(name);
    }

    std::string startFolder = currentFolder();
    TempFolder folder;
    TempFolder home;
    FixedClock clock{DateTime{2026, 12, 7, 17, 27, 0, 0}};
    ScriptedRandom random;
    std::unique_ptr<TfHello> window;
};

// Answers modal dialogs as they appear: each handler gets the dialog on top
// and closes it. Texts of message boxes are collected.
class ModalAnswerer : public QObject {
public:
    using Handler = std::function<void(QWidget *)>;
    ModalAnswerer()
    {
        timer_.setInterval(20);
        QObject::connect(&timer_, &QTimer::timeout, this, [this] { poll(); });
        timer_.start();
    }
    void then(Handler handler) { handlers_.push_back(std::move(handler)); }
    // Accepts the next message box, keeping its text.
    void acceptMessage()
    {
        then([this](QWidget *w) {
            auto *box = qobject_cast<QMessageBox *>(w);
            texts.push_back(box ? box->text() : QString("<not a message box>"));
            if (box)
                box->accept();
            else if (auto *dialog = qobject_cast<QDialog *>(w))
                dialog->reject();
        });
    }
    bool done() const { return handlers_.empty(); }
    QStringList texts;

private:
    void poll()
    {
        QWidget *top = QApplication::activeModalWidget();
        // After a failed check no box waits for an answer that will not come.
        if (top && QTest::currentTestFailed()) {
            dismiss(top);
            return;
        }
        if (!top || handlers_.empty() || top == last_)
            return;
        last_ = top;
        Handler handler = std::move(handlers_.front());
        handlers_.erase(handlers_.begin());
        QTimer::singleShot(0, top, [handler, top] {
            // Under a window manager a person answers a box once it is on the
            // screen and has the focus; closed before the manager has even
            // mapped it, the focus is left nowhere, which no person meets.
            QPointer<QWidget> shown(top);
            if (QGuiApplication::platformName() == "xcb")
                (void)QTest::qWaitForWindowActive(top, 15000);
            if (shown)
                handler(top);
            // A check that failed inside the handler returned before it
            // answered; left open, the box would hang every test after it.
            if (shown && shown->isVisible() && QTest::currentTestFailed())
                dismiss(shown);
        });
        QObject::connect(top, &QObject::destroyed, this, [this, top] {
            if (last_ == top)
                last_ = nullptr;
        });
        QObject::connect(qobject_cast<QDialog *>(top), &QDialog::finished, this, [this, top] {
            if (last_ == top)
                last_ = nullptr;
        });
    }
    static void dismiss(QWidget *top)
    {
        if (auto *dialog = qobject_cast<QDialog *>(top))
            dialog->reject();
        else
            top->close();
    }
    QTimer timer_;
    std::vector<Handler> handlers_;
    QWidget *last_ = nullptr;
};

} // namespace varnok::testing
