#include <QImage>
#include <QPalette>
#include <QtTest>

#include "gui/ScaleSlider.h"
#include "gui/guitest.h"

using namespace varnok;

namespace {

QPalette paletteOf(QRgb window, QRgb button, QRgb highlight)
{
    QPalette palette;
    palette.setColor(QPalette::Window, QColor(window));
    palette.setColor(QPalette::Button, QColor(button));
    palette.setColor(QPalette::Highlight, QColor(highlight));
    palette.setColor(QPalette::WindowText, qGray(window) < 128 ? Qt::white : Qt::black);
    return palette;
}

} // namespace

class ScaleSliderTest : public QObject {
    Q_OBJECT

private slots:
    void limitMarksStandOutFromTheGround()
    {
        const struct {
            const char *name;
            QPalette palette;
            bool highlightAsItIs;
        } cases[] = {
            {"light desktop", paletteOf(0xefefef, 0xefefef, 0x308cc6), true},
            // A dark theme whose highlight is a deep blue: the marks were all
            // but invisible on its grey tab page.
            {"dark, deep blue highlight", paletteOf(0x222020, 0x424245, 0x12608a), false},
            {"dark, bright highlight", paletteOf(0x2a2a2a, 0x353535, 0x3daee9), true},
            {"light, pale highlight", paletteOf(0xf4f4f4, 0xe0e0e0, 0xa8d8f8), false},
            {"grey highlight on dark", paletteOf(0x202020, 0x303030, 0x404040), false},
        };
        for (const auto &c : cases) {
            const QColor highlight = c.palette.color(QPalette::Highlight);
            const QColor mark = ScaleSlider::limitMarkColor(c.palette);
            // The window, the buttons, and a tab page in the buttons' shade
            // made lighter, as the Fusion style paints it.
            const QColor grounds[] = {c.palette.color(QPalette::Window), c.palette.color(QPalette::Button),
                                      c.palette.color(QPalette::Button).lighter(125)};
            for (const QColor &ground : grounds)
                QVERIFY2(ScaleSlider::contrast(mark, ground) >= 3.0,
                         qPrintable(QString("%1: %2 on %3").arg(c.name, mark.name(), ground.name())));
            QVERIFY2((mark == highlight) == c.highlightAsItIs, c.name);
            // Lighter or darker, it keeps the highlight's hue.
            if (highlight.hsvHue() >= 0)
                QVERIFY2(std::abs(mark.hsvHue() - highlight.hsvHue()) <= 3, c.name);
        }
        QCOMPARE(ScaleSlider::contrast(Qt::white, Qt::black), 21.0);
        QCOMPARE(ScaleSlider::contrast(QColor(0x808080), QColor(0x808080)), 1.0);
    }

    void drawsTheMarksInThatColour()
    {
        ScaleSlider scale;
        scale.setRange(1, 25);
        scale.setLimits(5, 20);
        scale.setPalette(paletteOf(0x222020, 0x424245, 0x12608a));
        scale.resize(300, scale.sizeHint().height());
        const QImage image = scale.grab().toImage();
        const QColor mark = ScaleSlider::limitMarkColor(scale.palette());
        // The tip of each triangle is thin and blended; its base row is whole.
        const int base = image.height() / image.devicePixelRatio() - 2;
        for (int limit : {5, 20}) {
            const QPoint at = QPoint(scale.positionOf(limit), base) * image.devicePixelRatio();
            QCOMPARE(image.pixelColor(at).rgb(), mark.rgb());
        }
    }
};

VARNOK_GUI_TEST(ScaleSliderTest);

#include "scaleslider_test.moc"
