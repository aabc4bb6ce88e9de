#include "gui/BlinkStrip.h"

#include <QGridLayout>

namespace varnok {

BlinkStrip::BlinkStrip(QWidget *parent) : QFrame(parent)
{
    setObjectName("Panel1");
    setFixedHeight(10);
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setLineWidth(2);
    auto *strip = new QGridLayout(this);
    strip->setContentsMargins(2, 2, 2, 2);
    Shape1 = new QWidget(this);
    Shape1->setObjectName("Shape1");
    Shape1->setStyleSheet("background-color: red;");
    Shape2 = new QWidget(this);
    Shape2->setObjectName("Shape2");
    Shape2->setStyleSheet("background-color: blue;");
    strip->addWidget(Shape1, 0, 0);
    strip->addWidget(Shape2, 0, 0);
    Shape1->setAccessibleName("Red light");
    Shape2->setAccessibleName("Blue light");
    Shape1->hide();
    Shape2->hide();
    setRunning(false);
}

void BlinkStrip::setRunning(bool running)
{
    // Blinking alone would tell only those who see it.
    setAccessibleName(running ? "Test in progress" : "No test running");
    Shape1->setVisible(false);
    Shape2->setVisible(running);
}

void BlinkStrip::blink()
{
    Shape1->setVisible(!Shape1->isVisible());
    Shape2->setVisible(!Shape2->isVisible());
}

} // namespace varnok
