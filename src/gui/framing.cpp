#include "gui/framing.h"

#include <QCursor>
#include <QEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace varnok {

namespace {

int clampedSpan(qint64 wanted, int minimum, int available)
{
    return static_cast<int>(std::clamp<qint64>(wanted, std::min(minimum, available), available));
}

int clampedStart(qint64 wanted, int span, int areaStart, int areaSpan)
{
    return static_cast<int>(std::clamp<qint64>(wanted, areaStart, qint64{areaStart} + areaSpan - span));
}

const char *const kKeeperName = "varnokOuterSize";

// Shrinks the inside of its window by the frame once the frame is known.
class OuterSizeKeeper : public QObject {
public:
    OuterSizeKeeper(QWidget *window, QSize outer) : QObject(window), window_(window), outer_(outer)
    {
        setObjectName(kKeeperName);
        window->installEventFilter(this);
    }
    bool apply()
    {
        const QSize frame = window_->frameGeometry().size() - window_->size();
        if (frame.width() <= 0 && frame.height() <= 0)
            return false;
        window_->resize(outer_ - frame);
        return true;
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == window_ &&
            (event->type() == QEvent::Move || event->type() == QEvent::Resize || event->type() == QEvent::Expose ||
             event->type() == QEvent::Show) &&
            window_->isVisible() && apply())
            deleteLater();
        return false;
    }

private:
    QWidget *window_;
    QSize outer_;
};

} // namespace

QRect boundsOnScreen(qint64 left, qint64 top, qint64 width, qint64 height, QSize minimum, const QRect &area)
{
    const int w = clampedSpan(width, minimum.width(), area.width());
    const int h = clampedSpan(height, minimum.height(), area.height());
    return {clampedStart(left, w, area.left(), area.width()), clampedStart(top, h, area.top(), area.height()), w, h};
}

int titleBarWidth(const QString &title, QFont font)
{
    // Title bars use a bold face, often larger than a small program font; an
    // icon, three buttons and the margins take some 150 pixels more.
    constexpr int kTitleBarExtras = 150;
    font.setBold(true);
    if (font.pointSizeF() > 0 && font.pointSizeF() < 10)
        font.setPointSizeF(10);
    return QFontMetrics(font).horizontalAdvance(title) + kTitleBarExtras;
}

void roomForTitle(QWidget *window)
{
    window->setMinimumWidth(std::max(window->minimumWidth(), titleBarWidth(window->windowTitle(), window->font())));
}

void centreOnScreen(QWidget *window)
{
    // A dialog that was never sized takes its layout's size only when shown:
    // centred before that, it would be centred at the wrong size.
    if (!window->testAttribute(Qt::WA_Resized))
        window->adjustSize();
    const auto frameOf = [](const QWidget *w) {
        const QRect outer = w->frameGeometry();
        const QRect inner = w->geometry();
        return QMargins(inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
                        outer.bottom() - inner.bottom());
    };
    QMargins frame = frameOf(window);
    if (frame.isNull() && window->parentWidget())
        frame = frameOf(window->parentWidget()->window());
    const QSize outer = window->size().grownBy(frame);
    const QRect area = window->parentWidget() ? screenAreaAt(window->parentWidget()->window()->frameGeometry().center())
                                              : screenAreaAt(QCursor::pos());
    window->move(area.left() + (area.width() - outer.width()) / 2, area.top() + (area.height() - outer.height()) / 2);
}

QRect besideWindow(const QRect &main, QSize outer, int minimumWidth, const QRect &area)
{
    const int roomRight = area.right() - main.right();
    const int roomLeft = main.left() - area.left();
    // Narrower, down to its least width, rather than over the main window.
    int width = outer.width();
    if (width > std::max(roomRight, roomLeft) && std::max(roomRight, roomLeft) >= minimumWidth)
        width = std::max(roomRight, roomLeft);
    int x;
    if (roomRight >= width)
        x = main.right() + 1;
    else if (roomLeft >= width)
        x = main.left() - width;
    else if (roomRight >= roomLeft)
        x = area.right() + 1 - width;
    else
        x = area.left();
    const int y = std::clamp(main.top(), area.top(), std::max(area.top(), area.bottom() + 1 - outer.height()));
    return {QPoint(std::max(x, area.left()), y), QSize(width, outer.height())};
}

QRect screenAreaAt(QPoint topLeft)
{
    QScreen *screen = QGuiApplication::screenAt(topLeft);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

void setOuterSize(QWidget *window, QSize outer)
{
    for (QObject *keeper : window->findChildren<QObject *>(kKeeperName, Qt::FindDirectChildrenOnly))
        delete keeper;
    // Framed already: the frame is known now.
    const QSize frame = window->frameGeometry().size() - window->size();
    window->resize(outer - frame);
    if (frame.width() <= 0 && frame.height() <= 0)
        new OuterSizeKeeper(window, outer);
}

} // namespace varnok
