#include "gui/TSplashForm.h"

#include <QEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QVBoxLayout>
#include <qdrawutil.h>

#include <iterator>

namespace varnok {

namespace {

constexpr int kClientWidth = 175;
constexpr int kClientHeight = 194;
constexpr int kPictureWidth = 36;
constexpr int kPictureHeight = 32;
constexpr int kCaptionPixelSize = 21;
constexpr QRgb kInk = 0xFF000080; // navy

// An outer lowered bevel, a 2-pixel border and an inner lowered bevel.
class SunkenPanel : public QFrame {
public:
    explicit SunkenPanel(QWidget *parent) : QFrame(parent) { setContentsMargins(4, 4, 4, 4); }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        qDrawShadePanel(&painter, rect(), palette(), true, 1);
        qDrawShadePanel(&painter, rect().adjusted(3, 3, -3, -3), palette(), true, 1);
    }
};

// A white panel with a raised bevel 2 pixels wide.
class WhitePanel : public QFrame {
public:
    explicit WhitePanel(QWidget *parent) : QFrame(parent) { setContentsMargins(2, 2, 2, 2); }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        const QBrush white(Qt::white);
        qDrawShadePanel(&painter, rect(), palette(), false, 2, &white);
    }
};

// The picture stretched over the whole widget, pixels kept square-edged.
class StretchedImage : public QWidget {
public:
    StretchedImage(const QImage &image, QWidget *parent) : QWidget(parent), image_(image) {}

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.drawImage(rect(), image_);
    }

private:
    QImage image_;
};

} // namespace

TSplashForm::TSplashForm(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setObjectName("SplashForm");
    // Frameless, so the title shows nowhere; a screen reader names the window by it.
    setWindowTitle("About Varnok");
    setModal(true);
    setFixedSize(kClientWidth, kClientHeight);

    Panel1 = new SunkenPanel(this);
    Panel1->setObjectName("Panel1");
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(Panel1);

    Panel2 = new WhitePanel(Panel1);
    Panel2->setObjectName("Panel2");
    auto *inPanel1 = new QVBoxLayout(Panel1);
    inPanel1->setContentsMargins(0, 0, 0, 0);
    inPanel1->addWidget(Panel2);

    Label1 = new QLabel(kAboutCaption, Panel2);
    Label1->setObjectName("Label1");
    QFont font("Arial");
    font.setPixelSize(kCaptionPixelSize);
    Label1->setFont(font);
    Label1->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    QPalette black = Label1->palette();
    black.setColor(QPalette::WindowText, Qt::black);
    Label1->setPalette(black);

    Image1 = new StretchedImage(picture(), Panel2);
    Image1->setObjectName("Image1");

    auto *inPanel2 = new QVBoxLayout(Panel2);
    inPanel2->setContentsMargins(0, 0, 0, 0);
    inPanel2->setSpacing(0);
    inPanel2->addWidget(Label1);
    inPanel2->addWidget(Image1, 1);

    for (QWidget *clickable : {static_cast<QWidget *>(Panel2), static_cast<QWidget *>(Label1), Image1})
        clickable->installEventFilter(this);

    // Centred on the screen, not over the main window; having been placed,
    // the dialog keeps this position when shown.
    const QScreen *screen = parent && parent->screen() ? parent->screen() : QGuiApplication::primaryScreen();
    if (screen) {
        const QRect area = screen->geometry();
        move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
    }
}

bool TSplashForm::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonPress && (watched == Panel2 || watched == Label1 || watched == Image1)) {
        accept();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

QImage TSplashForm::picture()
{
    // A reaction gauge above the trace of a pen recorder: the program's two
    // halves, measuring and writing.
    QImage image(kPictureWidth, kPictureHeight, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, false);
    const QColor ink = QColor::fromRgba(kInk);
    painter.setPen(QPen(ink, 1));
    painter.setBrush(Qt::NoBrush);

    // The dial: a half circle with five ticks and the needle past the middle.
    painter.drawArc(QRect(3, 2, 30, 30), 0, 180 * 16);
    painter.drawLine(3, 17, 32, 17);
    const QPoint ticks[][2] = {
        {{5, 10}, {7, 11}}, {{10, 5}, {11, 7}}, {{18, 3}, {18, 5}}, {{26, 5}, {25, 7}}, {{31, 10}, {29, 11}}};
    for (const auto &tick : ticks)
        painter.drawLine(tick[0], tick[1]);
    painter.drawLine(18, 16, 25, 8);
    painter.drawLine(19, 16, 26, 8);
    painter.fillRect(QRect(16, 15, 4, 2), ink);

    // The trace: calm, then a sharp reaction, then calm again.
    const QPoint trace[] = {{1, 26},  {6, 26},  {8, 24},  {10, 27}, {12, 25}, {14, 26}, {16, 20},
                            {18, 31}, {20, 21}, {22, 29}, {24, 25}, {27, 26}, {30, 25}, {34, 26}};
    painter.drawPolyline(trace, static_cast<int>(std::size(trace)));
    painter.end();
    return image;
}

} // namespace varnok
