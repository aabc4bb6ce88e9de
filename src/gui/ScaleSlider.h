#pragma once

#include <QSlider>

namespace varnok {

// The reaction scale: a horizontal slider with ticks at 1, 5, 10, ... and the
// weak and strong limits marked, drawn below the groove. The style's own ticks
// come at even steps from the minimum (1, 6, 11, ...), which would not line up
// with the numbers people count in, so the slider draws its own.
class ScaleSlider : public QSlider {
    Q_OBJECT
public:
    explicit ScaleSlider(QWidget *parent = nullptr);

    // Limits outside the range are not marked.
    void setLimits(int weak, int strong);
    // What the scale answers, such as "Lie 3 of 12: Money buys happiness":
    // told to assistive technology with the limits, as the scale's
    // description, since the scale keeps the focus while the Lies change.
    // Empty between tests.
    void setSubject(const QString &subject);
    // Moves the scale as the person does: the value changes and the move
    // counts as an answer. Assistive technology sets the value this way.
    void operate(int value);
    int weakLimit() const { return weak_; }
    int strongLimit() const { return strong_; }

    // The horizontal centre of the handle at a value, in widget coordinates.
    int positionOf(int value) const;

    // The colour of the limit marks: the highlight's hue, light or dark
    // enough to stand out from the ground the scale is drawn on.
    static QColor limitMarkColor(const QPalette &palette);
    // The contrast ratio of two colours, from 1 (alike) to 21.
    static double contrast(const QColor &a, const QColor &b);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void describe();

    QString subject_;
    int weak_ = 0;
    int strong_ = 0;
};

} // namespace varnok
