// One Generate through the window, for bench_generator: the program's window
// on a folder of essays, every essay selected, Generate clicked and its
// questions answered at once. Prints the seconds from the essay type chosen
// to the command's end (the essay written and the lists read again), and
// how long of that the "How many lines?" question was on the screen.
//
//   bench_generate_window DIR
//
// It uses the display it is given, else the offscreen platform.
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QEvent>
#include <QListView>
#include <QPushButton>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "gui/TfHello.h"
#include "platform/clock.h"
#include "platform/random.h"

namespace {

// Answers each dialog as soon as it shows and notes when.
class Answerer : public QObject {
public:
    QElapsedTimer clock;
    qint64 typeChosen = -1;
    qint64 asked = 0;
    qint64 questionTime = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *dialog = qobject_cast<QDialog *>(watched);
        if (event->type() == QEvent::Show && dialog && dialog->objectName() != "ProgressDialog") {
            const bool lineCount = dialog->objectName() == "InputBox";
            if (lineCount)
                asked = clock.nsecsElapsed();
            QTimer::singleShot(0, dialog, [this, dialog, lineCount] {
                if (lineCount)
                    questionTime += clock.nsecsElapsed() - asked;
                else if (dialog->objectName() == "ETDialog")
                    typeChosen = clock.nsecsElapsed();
                dialog->accept();
            });
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: bench_generate_window DIR\n");
        return 2;
    }
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY"))
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    varnok::SystemClock clock;
    varnok::SeededRandom random(1);
    varnok::TfHello window({clock, random});
    window.start({argv[1]});
    window.show();
    QApplication::processEvents();
    window.setPage(varnok::Page::Essays);
    window.findChild<QListView *>("FileListBox2")->selectAll();
    QApplication::processEvents();

    Answerer answerer;
    app.installEventFilter(&answerer);
    answerer.clock.start();
    QTimer::singleShot(0, [&] {
        window.findChild<QPushButton *>("bFunEssay")->click();
        const qint64 end = answerer.clock.nsecsElapsed();
        if (answerer.typeChosen < 0) {
            std::fprintf(stderr, "the essay type was never asked\n");
            std::exit(1);
        }
        std::printf("%.4f %.4f\n", (end - answerer.typeChosen) / 1e9, answerer.questionTime / 1e9);
        std::fflush(stdout);
        // Nothing of the exit is measured; the settings file stays as it was.
        std::_Exit(0);
    });
    return app.exec();
}
