#pragma once

#include <QFrame>

namespace varnok {

// The strip under the pages that blinks red and blue while a test runs, so a
// glance tells that one is under way.
class BlinkStrip : public QFrame {
    Q_OBJECT
public:
    explicit BlinkStrip(QWidget *parent);

    // Running shows the blue half; idle shows neither.
    void setRunning(bool running);
    // Swaps red and blue.
    void blink();

private:
    QWidget *Shape1;
    QWidget *Shape2;
};

} // namespace varnok
