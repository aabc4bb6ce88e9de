#pragma once

// Tells the process that started this one when the window was first drawn:
// "painted" on standard output once the first paint of the watched window,
// with everything drawn in the same pass, has finished.

#include <QApplication>
#include <QEvent>
#include <QWidget>
#include <cstdio>
#include <functional>
#include <unistd.h>

class FirstPaintApp : public QApplication {
public:
    using QApplication::QApplication;

    // Watched for its first paint; afterDispatch runs after every event
    // handled at the outermost level from then on.
    QWidget *watched = nullptr;
    std::function<void()> afterPaint;

    bool notify(QObject *receiver, QEvent *event) override
    {
        if (receiver == watched && event->type() == QEvent::Paint)
            paintSeen_ = true;
        ++depth_;
        const bool result = QApplication::notify(receiver, event);
        --depth_;
        if (depth_ == 0 && paintSeen_) {
            if (!painted_) {
                painted_ = true;
                say("painted");
            }
            if (afterPaint)
                afterPaint();
        }
        return result;
    }

    static void say(const char *line)
    {
        std::printf("%s\n", line);
        std::fflush(stdout);
    }

private:
    int depth_ = 0;
    bool paintSeen_ = false;
    bool painted_ = false;
};
