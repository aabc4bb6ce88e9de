#include "gui/ScaleSlider.h"

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QAccessibleWidget>
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

const char *const kScaleName = "Reaction";
const char *const kLimitsDescription = "1 is weak, 25 strong; weak limit %1, strong limit %2";

// Qt's own slider interface sets a value as the program does, which is no
// answer; a person using a screen reader or switch access answers through
// this one.
class ScaleAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit ScaleAccessible(ScaleSlider *scale) : QAccessibleWidget(scale, QAccessible::Slider) {}

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface *>(this);
        return QAccessibleWidget::interface_cast(type);
    }
    QString text(QAccessible::Text t) const override
    {
        return t == QAccessible::Value ? QString::number(scale()->value()) : QAccessibleWidget::text(t);
    }
    QVariant currentValue() const override { return scale()->value(); }
    void setCurrentValue(const QVariant &value) override
    {
        if (scale()->isEnabled() && scale()->isVisible())
            scale()->operate(qRound(value.toDouble()));
    }
    QVariant maximumValue() const override { return scale()->maximum(); }
    QVariant minimumValue() const override { return scale()->minimum(); }
    QVariant minimumStepSize() const override { return scale()->singleStep(); }

private:
    ScaleSlider *scale() const { return static_cast<ScaleSlider *>(widget()); }
};

QAccessibleInterface *scaleAccessible(const QString &className, QObject *object)
{
    if (className == QLatin1String(ScaleSlider::staticMetaObject.className()))
        return new ScaleAccessible(static_cast<ScaleSlider *>(object));
    return nullptr;
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
    [[maybe_unused]] static const bool factoryInstalled = (QAccessible::installFactory(scaleAccessible), true);
    setAccessibleName(kScaleName);
}

void ScaleSlider::setLimits(int weak, int strong)
{
    weak_ = weak;
    strong_ = strong;
    setToolTip(QString("Weak limit %1, strong limit %2").arg(weak).arg(strong));
    describe();
    update();
}

void ScaleSlider::setSubject(const QString &subject)
{
    subject_ = subject;
    describe();
}

void ScaleSlider::describe()
{
    const QString limits = QString(kLimitsDescription).arg(weak_).arg(strong_);
    setAccessibleDescription(subject_.isEmpty() ? limits : subject_ + "\n" + limits);
}

void ScaleSlider::operate(int value)
{
    setSliderPosition(std::clamp(value, minimum(), maximum()));
    triggerAction(QAbstractSlider::SliderMove);
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
