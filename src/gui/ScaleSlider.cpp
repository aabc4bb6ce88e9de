#include "gui/ScaleSlider.h"

#include <QPainter>
#include <QPolygon>
#include <QStyle>
#include <QStyleOptionSlider>

namespace varnok {

namespace {

constexpr int kTickRoom = 9; // below the groove: ticks and the limit marks
constexpr int kTickLength = 4;
constexpr int kTickValues[] = {1, 5, 10, 15, 20, 25};

} // namespace

ScaleSlider::ScaleSlider(QWidget *parent) : QSlider(Qt::Horizontal, parent) {}

void ScaleSlider::setLimits(int weak, int strong)
{
    weak_ = weak;
    strong_ = strong;
    setToolTip(QString("Weak limit %1, strong limit %2").arg(weak).arg(strong));
    update();
}

QSize ScaleSlider::sizeHint() const
{
    return QSlider::sizeHint() + QSize(0, kTickRoom);
}

QSize ScaleSlider::minimumSizeHint() const
{
    return QSlider::minimumSizeHint() + QSize(0, kTickRoom);
}

int ScaleSlider::positionOf(int value) const
{
    QStyleOptionSlider option;
    initStyleOption(&option);
    option.rect.setHeight(height() - kTickRoom);
    const QRect groove = style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, this);
    const QRect handle = style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
    const int span = groove.width() - handle.width();
    return groove.x() + handle.width() / 2 +
           QStyle::sliderPositionFromValue(minimum(), maximum(), value, span, option.upsideDown);
}

void ScaleSlider::paintEvent(QPaintEvent *)
{
    // The slider itself in the upper part, so the ticks below stay clear of it.
    QPainter painter(this);
    QStyleOptionSlider option;
    initStyleOption(&option);
    option.rect.setHeight(height() - kTickRoom);
    option.subControls = QStyle::SC_SliderGroove | QStyle::SC_SliderHandle;
    style()->drawComplexControl(QStyle::CC_Slider, &option, &painter, this);

    const int top = height() - kTickRoom + 1;
    painter.setPen(palette().color(QPalette::WindowText));
    for (int value : kTickValues)
        painter.drawLine(positionOf(value), top, positionOf(value), top + kTickLength);

    // A small filled triangle under each limit, in the highlight colour so it
    // reads as a mark rather than one more tick.
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(palette().color(QPalette::Highlight));
    for (int limit : {weak_, strong_}) {
        if (limit < minimum() || limit > maximum())
            continue;
        const int x = positionOf(limit);
        painter.drawPolygon(QPolygon({QPoint(x, top), QPoint(x - 4, top + kTickRoom - 1), QPoint(x + 4, top + kTickRoom - 1)}));
    }
}

} // namespace varnok
