#pragma once

#include <QFont>
#include <QRect>
#include <QString>

class QWidget;

namespace varnok {

// Stored outer bounds (frame included) moved and shrunk as little as needed to
// lie wholly in `area`, the screen's free space, and no smaller than `minimum`
// unless the area is: the title bar is always on the screen.
QRect boundsOnScreen(qint64 left, qint64 top, qint64 width, qint64 height, QSize minimum, const QRect &area);

// The screen's free space where a window with these stored bounds opens: the
// screen under its top left corner, else the primary one.
QRect screenAreaAt(QPoint topLeft);

// Gives a top-level window the outer size `outer`, frame included. The frame
// a window manager adds is known only once it has framed the window, so until
// then the inside gets the whole size and is shrunk by the frame as soon as it
// is known (once, on the event that brings it, not on a timer).
void setOuterSize(QWidget *window, QSize outer);

// How wide a window must be for its title bar to show `title` whole.
int titleBarWidth(const QString &title, QFont font);

// Makes a window wide enough for the window manager to show its whole title,
// besides the icon and buttons of a title bar.
void roomForTitle(QWidget *window);

// Where a window whose frame is `outer` big goes beside `main` (a frame) in
// `area`: to its right where that fits, else to its left, made narrower down
// to minimumWidth if that lets it fit, else on the side with more room,
// covering as little of `main` as the area allows. Level with main's top,
// kept in the area. Gives the frame's bounds.
QRect besideWindow(const QRect &main, QSize outer, int minimumWidth, const QRect &area);

// Puts a window's frame in the middle of the free space of its screen. Before
// the window was ever framed, the parent's frame stands in for its own.
void centreOnScreen(QWidget *window);

} // namespace varnok
