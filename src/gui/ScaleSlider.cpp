#include "gui/ScaleSlider.h"

#include <QPainter>
#include <QPolygon>
#include <QStyle>
#include <QStyleOptionSlider>
#include <algorithm>
#include <cmath>
#include <iterator>

namespace varnok {

namespace {

constexpr int kTickRoom = 9; // below the groove: ticks and the limit marks
constexpr int kTickLength = 4;
constexpr int kTickValues[] = {1, 5, 10, 15, 20, 25};
// What a small mark needs to be made out against its ground (the
// contrast ratio asked of graphical objects in accessibility guidance).
constexpr double kMarkContrast = 3.0;

double luminance(const QColor &color)
{
    const auto linear = [](float c) { return c <= 0.04045f ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); };
    const QColor rgb = color.toRgb();
    return 0.2126 * linear(rgb.redF()) + 0.7152 * linear(rgb.greenF()) + 0.0722 * linear(rgb.blueF());
}

} // namespace

double ScaleSlider::contrast(const QColor &a, const QColor &b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor ScaleSlider::limitMarkColor(const QPalette &palette)
{
    // The scale stands on the window or on a tab page, which some styles
    // paint in the buttons' shade made a little lighter; the mark must show
    // on each. A dark theme's highlight is often a deep blue that all but
    // vanishes there, so it is made lighter (or, on a light ground, darker)
    // until it shows.
    const QColor grounds[] = {palette.color(QPalette::Window), palette.color(QPalette::Button),
                              palette.color(QPalette::Button).lighter(130)};
    const auto shows = [&grounds](const QColor &mark) {
        return std::all_of(std::begin(grounds), std::end(grounds),
                           [&mark](const QColor &ground) { return contrast(mark, ground) >= kMarkContrast; });
    };
    const bool darkGround = luminance(grounds[0]) + luminance(grounds[1]) < 2 * 0.18;
    const QColor highlight = palette.color(QPalette::Highlight);
    const QColor hsl = highlight.toHsl();
    const float target = darkGround ? 1.0f : 0.0f;
    QColor mark = highlight;
    for (int step = 1; step <= 20 && !shows(mark); ++step) {
        const float lightness = hsl.lightnessF() + (target - hsl.lightnessF()) * static_cast<float>(step) / 20.0f;
        mark = QColor::fromHslF(hsl.hslHueF(), hsl.hslSaturationF(), lightness).toRgb();
    }
    return mark;
}

ScaleSlider::ScaleSlider(QWidget *parent) : QSlider(Qt::Horizontal, parent)
{
}

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

    // A small filled triangle under each limit, in the highlight's hue so it
    // reads as a mark rather than one more tick.
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(limitMarkColor(palette()));
    for (int limit : {weak_, strong_}) {
        if (limit < minimum() || limit > maximum())
            continue;
        const int x = positionOf(limit);
        painter.drawPolygon(
            QPolygon({QPoint(x, top), QPoint(x - 4, top + kTickRoom - 1), QPoint(x + 4, top + kTickRoom - 1)}));
    }
}

} // namespace varnok
