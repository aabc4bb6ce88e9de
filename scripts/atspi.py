#!/usr/bin/python3
"""Varnok as assistive technology meets it: a small AT-SPI driver.

Started inside a session bus of its own (dbus-run-session) on an X screen
(scripts/with-wm), where the first AT-SPI call has the session bus start
at-spi-bus-launcher and with it the accessibility bus, it starts the program, finds
controls by role and name, presses them, waits for what the program shows, and
lists the focusable controls without a name. tests/a11y/atspi_test.py drives a
whole test with it. By hand, it prints the tree of the main window as a screen
reader gets it, and the nameless controls:

  scripts/with-wm dbus-run-session -- /usr/bin/python3 scripts/atspi.py VARNOK LIE-FOLDER
"""
import os
import subprocess
import sys
import time

import pyatspi
from gi.repository import Atspi, GLib

TIMEOUT = 30
CLICK, ESCAPE = "a click", "Escape"  # closing a window that has no buttons
# The entries of a list or tree are its data, which may be empty (a folder's size).
CELLS = {"table cell", "list item", "tree item"}
TOP_ROLES = {"frame", "dialog", "alert", "window", "file chooser", "font chooser"}


def fail(text):
    raise SystemExit(f"FAIL: {text}")


def pump():
    context = GLib.MainContext.default()
    while context.pending():
        context.iteration(False)


def wait(condition, what):
    """Waits for a state of the program or an event from it, not for a time."""
    end = time.monotonic() + TIMEOUT
    while True:
        pump()
        try:
            found = condition()
        except GLib.GError:  # a window closed while it was read
            found = None
        if found:
            return found
        if time.monotonic() > end:
            fail(f"waited {TIMEOUT} s for {what}")
        time.sleep(0.02)


def has(obj, state):
    return obj.getState().contains(state)


def descendants(obj):
    for i in range(obj.childCount):
        child = obj.getChildAtIndex(i)
        if child is not None:
            yield child
            yield from descendants(child)


def find(root, role, name, showing=True):
    for obj in descendants(root):
        if obj.getRoleName() == role and obj.name == name and (not showing or has(obj, pyatspi.STATE_SHOWING)):
            return obj
    return None


def window(app, title, main=False):
    """A shown window of the program: the main window, or another by its title."""
    for i in range(app.childCount):
        top = app.getChildAtIndex(i)
        if top is not None and top.name == title and has(top, pyatspi.STATE_SHOWING):
            if (top.getRoleName() == "frame" and title == "Varnok") == main:
                return top
    return None


def press(root, name, role="push button"):
    wait(lambda: find(root, role, name), f"{role} '{name}'").queryAction().doAction(0)


def menu(app, item):
    """A menu command. Qt carries it out before it answers, so one that opens a
    modal window answers only when that closes: the answer is not waited for,
    what the command does is."""
    command = wait(lambda: find(app, "menu item", item, showing=False), item).queryAction()
    Atspi.set_timeout(200, -1)
    try:
        command.doAction(0)
    except GLib.GError:
        pass
    finally:
        Atspi.set_timeout(TIMEOUT * 1000, -1)


def tab(main, name):
    """Brings a page to the front; what is shown of the window is then that page."""
    page = wait(lambda: find(main, "page tab", name), f"tab {name}")
    page.queryAction().doAction(0)
    wait(lambda: page.parent.name == name, f"page {name} in front")  # the tab list is named after it
    return main


def close(app, top, title, how):
    if how in (CLICK, ESCAPE):  # input from the window system: once the window is up and in front
        wait(lambda: has(top, pyatspi.STATE_ACTIVE), f"'{title}' in front")
    if how == CLICK:
        box = top.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        pyatspi.Registry.generateMouseEvent(box.x + box.width // 2, box.y + box.height // 2, "b1c")
    elif how == ESCAPE:
        pyatspi.Registry.generateKeyboardEvent(0xff1b, None, pyatspi.KEY_SYM)
    else:
        press(top, how)
    wait(lambda: not window(app, title), f"'{title}' to close")


def unnamed(root):
    """The focusable controls without a name, shown or not, and a nameless window."""
    problems = []
    if root.getRoleName() in TOP_ROLES and not root.name:
        problems.append(f"a {root.getRoleName()} without a title")
    for obj in descendants(root):
        if obj.getRoleName() not in CELLS and has(obj, pyatspi.STATE_FOCUSABLE) and not obj.name.strip():
            path, up = [], obj
            while up is not None and up != root:
                path.append(f"{up.getRoleName()} {up.name!r}")
                up = up.parent
            problems.append(" < ".join(path))
    return problems


def dump(obj, out, depth=0):
    """The shown part of the tree, as pyatspi reads it."""
    line = f"{'  ' * depth}[{obj.getRoleName()}] {obj.name!r}"
    if obj.description:
        line += f" description={obj.description!r}"
    try:
        line += f" value={obj.queryValue().currentValue:g}"
    except NotImplementedError:
        pass
    out.write(line + "\n")
    for child in (obj.getChildAtIndex(i) for i in range(obj.childCount)):
        if child is not None and has(child, pyatspi.STATE_SHOWING):
            dump(child, out, depth + 1)


class Session:
    """Varnok on a lie folder, with a home of its own, seen on the accessibility bus."""

    def __init__(self, varnok, lies, home):
        Atspi.set_timeout(TIMEOUT * 1000, -1)  # a program under the sanitizers may answer slowly
        env = dict(os.environ, HOME=home, XDG_DATA_HOME=os.path.join(home, "data"),
                   XDG_CONFIG_HOME=os.path.join(home, "config"), QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
        self.program = subprocess.Popen([varnok, lies], env=env)
        self.app = wait(self._ours, "Varnok on the AT-SPI bus")
        self.app.set_cache_mask(Atspi.Cache.NONE)  # every state read fresh from the program

    def _ours(self):
        desktop = pyatspi.Registry.getDesktop(0)
        apps = (desktop.getChildAtIndex(i) for i in range(desktop.childCount))
        return next((a for a in apps if a is not None and a.get_process_id() == self.program.pid), None)

    def exit(self):
        """Ends Varnok with File > Exit; its exit status."""
        menu(self.app, "Exit")
        status = self.program.wait(TIMEOUT)
        self.program = None
        return status

    def stop(self):
        if self.program is not None:
            self.program.kill()
            self.program.wait()


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    session = Session(sys.argv[1], sys.argv[2], os.environ.get("HOME", "/tmp"))
    try:
        main = wait(lambda: window(session.app, "Varnok", main=True), "the main window")
        dump(main, sys.stdout)
        print("\n".join(["Unnamed:"] + unnamed(main)))
        session.exit()
    finally:
        session.stop()
