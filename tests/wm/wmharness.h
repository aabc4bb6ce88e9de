#pragma once

#include <QApplication>
#include <QScreen>
#include <QtTest>

#include "gui/guiharness.h"

namespace varnok::testing {

// How long the window manager may take to map, frame, activate or focus a
// window on a machine that is busy with other builds.
inline constexpr int kSettle = 15000;

// The window under the window manager, active and with its frame known.
struct ActiveWindow : Window {
    explicit ActiveWindow(const std::string &settings = "[Settings]\r\nWidth=415\r\n") : Window(settings)
    {
        window->activateWindow();
        active = QTest::qWaitForWindowActive(window.get(), kSettle);
    }
    bool active = false;
};

// Gives `target` the keyboard focus in its (active) window and presses a key
// there, as a person's key press arrives: at the focused widget.
inline bool pressOn(QWidget *target, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QWidget *window = target->window();
    window->activateWindow();
    if (!QTest::qWaitForWindowActive(window, kSettle)) {
        qWarning("pressOn: %s never became active", qPrintable(window->windowTitle()));
        return false;
    }
    // The manager may hand the window the focus a moment after Qt calls it
    // active; until then a focus set inside it does not hold.
    const auto focused = [&] {
        if (QApplication::focusWidget() != target)
            target->setFocus(Qt::TabFocusReason);
        return QApplication::focusWidget() == target;
    };
    if (!QTest::qWaitFor(focused, kSettle)) {
        qWarning("pressOn: the focus stays on %s",
                 QApplication::focusWidget() ? qPrintable(QApplication::focusWidget()->objectName()) : "nothing");
        return false;
    }
    QTest::keyClick(QApplication::focusWidget(), key, modifiers);
    return true;
}

// Room a window manager's title bar needs besides the title: icon and three
// buttons of about 20 pixels each, with margins.
inline constexpr int kTitleBarExtras = 150;

// The title measured in a bold face no smaller than 10 points, as title bars
// commonly use.
inline int titleWidth(const QString &title)
{
    QFont font = QApplication::font();
    font.setBold(true);
    if (font.pointSizeF() > 0 && font.pointSizeF() < 10)
        font.setPointSizeF(10);
    return QFontMetrics(font).horizontalAdvance(title);
}

inline QRect screenArea(QWidget *window)
{
    return window->screen()->availableGeometry();
}

} // namespace varnok::testing
