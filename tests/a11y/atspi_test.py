#!/usr/bin/python3
"""Varnok as a screen reader meets it, over a private AT-SPI bus.

Runs the real program on a lie folder of its own and, through AT-SPI alone:
walks the tree of every page and every dialog and fails on a focusable control
without a name or a window without a title; then takes a test of three Lies
(the scale set through its Value interface, the buttons pressed through their
Action interface, the review's essays answered in the text area) and compares
the summary file with the expected one, byte for byte.

  atspi_test.py VARNOK [--save FOLDER]   (inside dbus-run-session, on an X screen)

--save writes the tree of the running test page to FOLDER/test-page-tree.txt.
Exit status 77 means the test could not run here (ctest reports a skip).
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

SKIP = 77
TIMEOUT = 30
try:
    import pyatspi
    from gi.repository import Atspi, GLib
except ImportError as missing:
    print(f"SKIP: {missing} (scripts/setup installs python3-pyatspi)")
    sys.exit(SKIP)

LIES = {"Manual.lie": "Nobody reads the manual", "Money.lie": "Money buys happiness",
        "Time.lie": "I am always on time"}
ANSWERS = [22, 7, 13]  # in list order; 7 asks for no essay, 22 and 13 do
EXPECTED_SUMMARY = ["Accessible run", "",
                    "Nobody reads the manual", "", "", "RESPONSE: 22", "",
                    "Money buys happiness", "", "", "RESPONSE: 7", "",
                    "I am always on time", "", "", "RESPONSE: 13", "", ""]
TIME_LINE = re.compile(r"Test Time: \d+  Hours  \d+  Minutes  \d+ Seconds")
CLICK, ESCAPE = "a click", "Escape"  # closing a window that has no buttons
CELLS = {"table cell", "list item", "tree item"}
TOP_ROLES = {"frame", "dialog", "alert", "window", "file chooser", "font chooser"}

descriptions = []  # (source name, new description) as a screen reader hears them


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
        if top is None or top.name != title or not has(top, pyatspi.STATE_SHOWING):
            continue
        if (top.getRoleName() == "frame" and title == "Varnok") == main:
            return top
    return None


def press(root, name, role="push button"):
    control = wait(lambda: find(root, role, name), f"{role} '{name}'")
    control.queryAction().doAction(0)


def unnamed(root):
    """The focusable controls without a name, shown or not, and the nameless windows."""
    problems = []
    if root.getRoleName() in TOP_ROLES and not root.name:
        problems.append(f"window of role {root.getRoleName()} without a title")
    for obj in descendants(root):
        # The entries of a list or tree are its data, which may be empty (a folder's size).
        if obj.getRoleName() in CELLS:
            continue
        if has(obj, pyatspi.STATE_FOCUSABLE) and not obj.name.strip():
            path, up = [], obj
            while up is not None and up != root:
                path.append(f"{up.getRoleName()} {up.name!r}")
                up = up.parent
            problems.append(" < ".join(path))
    return problems


def walk(top, where, report):
    report.extend(f"{where}: {p}" for p in unnamed(top))


def dump(obj, out, depth=0):
    line = f"{'  ' * depth}[{obj.getRoleName()}] {obj.name!r}"
    if obj.description:
        line += f" description={obj.description!r}"
    try:
        line += f" value={obj.queryValue().currentValue:g}"
    except NotImplementedError:
        pass
    out.write(line + "\n")
    for i in range(obj.childCount):
        child = obj.getChildAtIndex(i)
        if child is not None and has(child, pyatspi.STATE_SHOWING):
            dump(child, out, depth + 1)


def dialog_walk(app, report, open_it, title, close_with):
    """Opens a window, walks it and closes it with one of its buttons."""
    open_it()
    top = wait(lambda: window(app, title), f"the window '{title}'")
    walk(top, title, report)
    if close_with == CLICK:
        box = top.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        pyatspi.Registry.generateMouseEvent(box.x + box.width // 2, box.y + box.height // 2, "b1c")
    elif close_with == ESCAPE:
        wait(lambda: has(top, pyatspi.STATE_ACTIVE), f"'{title}' to take the keyboard")
        pyatspi.Registry.generateKeyboardEvent(0xff1b, None, pyatspi.KEY_SYM)
    else:
        press(top, close_with)
    wait(lambda: not window(app, title), f"'{title}' to close")


def menu(app, item):
    """A menu command. Qt carries it out before it answers, so one that opens a
    modal window answers only when that closes: the answer is not waited for,
    what the command does is."""
    def choose():
        command = wait(lambda: find(app, "menu item", item, showing=False), item).queryAction()
        Atspi.set_timeout(200, -1)
        try:
            command.doAction(0)
        except GLib.GError:
            pass
        finally:
            Atspi.set_timeout(TIMEOUT * 1000, -1)
    return choose


def tab(main, name):
    """Brings a page to the front; what is shown of the window is then that page."""
    page = wait(lambda: find(main, "page tab", name), f"tab {name}")
    page.queryAction().doAction(0)
    wait(lambda: page.parent.name == name, f"page {name} in front")  # the tab list is named after it
    return main


def run(varnok, save):
    folder = tempfile.mkdtemp(prefix="varnok-atspi-")
    lies = os.path.join(folder, "Lies")
    os.makedirs(lies)
    for name, text in LIES.items():
        with open(os.path.join(lies, name), "wb") as f:
            f.write(text.encode() + b"\r\n")
    bus = subprocess.Popen(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"])
    env = dict(os.environ, HOME=folder, XDG_DATA_HOME=os.path.join(folder, "data"),
               XDG_CONFIG_HOME=os.path.join(folder, "config"), QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
    program = None
    Atspi.set_timeout(TIMEOUT * 1000, -1)  # a program under the sanitizers may answer slowly
    try:
        pyatspi.Registry.registerEventListener(
            lambda e: descriptions.append((e.source.name, e.source.description)),
            "object:property-change:accessible-description")
        program = subprocess.Popen([varnok, lies], env=env)

        def ours():
            desktop = pyatspi.Registry.getDesktop(0)
            for i in range(desktop.childCount):
                app = desktop.getChildAtIndex(i)
                if app is not None and app.get_process_id() == program.pid:
                    return app
            return None
        app = wait(ours, "Varnok on the AT-SPI bus")
        app.set_cache_mask(Atspi.Cache.NONE)  # every state read fresh from the program
        report = []

        # A first start in a folder without settings explains, then offers a file.
        first = wait(lambda: window(app, "Varnok"), "the first-start message")
        walk(first, "first-start message", report)
        press(first, "OK")
        opened = wait(lambda: window(app, "Open"), "the open dialog")
        walk(opened, "open dialog", report)
        press(opened, "Cancel")
        main = wait(lambda: window(app, "Varnok", main=True),
                    "the main window")

        for name in ["Essays", "Lies", "Tests", "Program Options", "Start Here"]:
            walk(tab(main, name), f"page {name}", report)
        menu(app, "Find...")()
        walk(wait(lambda: find(app, "text", "Find text"), "the find field").parent, "find panel", report)
        dialog_walk(app, report, menu(app, "About"), "About Varnok", CLICK)
        dialog_walk(app, report, menu(app, "Read me"), "Varnok Help", ESCAPE)
        options = tab(main, "Program Options")
        dialog_walk(app, report, lambda: press(options, "Set font..."), "Select Font", "Cancel")
        dialog_walk(app, report, lambda: press(tab(main, "Lies"), "Open Lies"), "Select Folder", "Cancel")

        # The test, by AT-SPI alone.
        tab(main, "Start Here")
        params = lambda: press(main, "Start Test")
        dialog_walk(app, report, params, "Test Params", "Cancel")
        params()
        dialog = wait(lambda: window(app, "Test Params"), "the test parameters")
        walk(dialog, "Test Params", report)
        dialog_walk(app, report, lambda: press(dialog, "Sample"), "Test Sample", "Cancel")
        params()
        press(wait(lambda: window(app, "Test Params"), "the test parameters"), "Full")
        naming = wait(lambda: window(app, "Test"), "the test name prompt")
        walk(naming, "test name prompt", report)
        field = wait(lambda: find(naming, "text", "Enter Test Name"), "the test name field")
        field.queryEditableText().setTextContents("Accessible run")
        press(naming, "OK")
        scale = wait(lambda: find(main, "slider", "Reaction"), "the reaction scale")
        walk(main, "running test", report)
        if save:
            with open(os.path.join(save, "test-page-tree.txt"), "w") as out:
                dump(main, out)
        dialog_walk(app, report, lambda: press(main, "Next Lie"), "Varnok", "OK")
        for number, (text, answer) in enumerate(zip(LIES.values(), ANSWERS), 1):
            heard = f"Lie {number} of 3: {text}"
            wait(lambda: any(d.startswith(heard) for _, d in descriptions), f"'{heard}' announced")
            if "weak limit 5, strong limit 20" not in scale.description:
                fail(f"the scale's description names no limits: {scale.description!r}")
            scale.queryValue().currentValue = answer
            wait(lambda: scale.queryValue().currentValue == answer, f"the scale at {answer}")
            press(main, "Next Lie")

        # The review opens an essay for 22 and one for 13 in the built-in editor.
        for lie in ["Manual", "Time"]:
            memo = wait(lambda: find(main, "text", "Document text") if find(main, "push button", "OK") else None,
                        f"the essay of {lie} open for editing")
            walk(main, "review", report)
            text = memo.queryText()
            if "EXPLAIN YOURSELF" not in text.getText(0, -1):
                fail(f"the essay of {lie} shows no response block")
            wait(lambda: has(memo, pyatspi.STATE_EDITABLE), f"the essay of {lie} editable")
            explanation = f"Said by {lie}."
            memo.queryEditableText().insertText(text.characterCount, explanation, len(explanation))
            wait(lambda: text.getText(0, -1).endswith(f"Said by {lie}."), f"the explanation in {lie}'s essay")
            press(main, "OK")
        wait(lambda: find(main, "push button", "Start Test"), "the end of the review")

        with open(os.path.join(lies, "Accessible run.tst"), "rb") as f:
            lines = f.read().decode().split("\r\n")
        if lines[:-2] != EXPECTED_SUMMARY or not TIME_LINE.fullmatch(lines[-2]) or lines[-1] != "":
            fail(f"summary differs from the expected one: {lines!r}")
        for lie in ["Manual", "Time"]:
            with open(os.path.join(lies, f"{lie}.ess"), "rb") as f:
                essay = f.read()
            if not essay.endswith(f"EXPLAIN YOURSELF\r\n\r\nSaid by {lie}.".encode()):
                fail(f"{lie}.ess lacks the explanation typed: {essay!r}")

        # The chart of the history, in words.
        page = tab(main, "Lies")
        press(page, "Select All")
        press(page, "History")
        chart = wait(lambda: window(app, "Reaction History"), "the chart")
        walk(chart, "chart", report)
        with open(os.path.join(lies, "Manual.ess"), "rb") as f:
            stamp = re.search(rb"(\d{4})-(\d\d)-(\d\d) ", f.read())
        day = time.strftime("%-d %b %Y", time.strptime(stamp.group(0).decode().strip(), "%Y-%m-%d"))
        wanted = f"Reaction history of 3 Lies, on {day}"
        if chart.description != wanted:
            fail(f"chart description {chart.description!r}, not {wanted!r}")
        legend = find(chart, "list", "Lies charted")
        points = sorted(legend.getChildAtIndex(i).description for i in range(legend.childCount))
        if points != [f"{n} on {day}{s}" for n, s in [(13, ""), (22, ""), (7, " from a test summary")]]:
            fail(f"the legend's responses read {points!r}")
        press(chart, "Close")

        # The other dialogs: essay type, rename, confirm.
        dialog_walk(app, report, lambda: press(tab(main, "Essays"), "Generate"), "Indicate Essay Type", "Cancel")
        tests = tab(main, "Tests")
        menu(app, "Select All")()
        dialog_walk(app, report, lambda: press(tests, "Delete"), "Confirm", "No")
        renames = find(tab(main, "Program Options"), "check box", "Allow Renames")
        renames.queryAction().doAction(0)
        wait(lambda: has(renames, pyatspi.STATE_CHECKED), "Allow Renames ticked")
        tab(main, "Tests")
        menu(app, "Select All")()
        dialog_walk(app, report, lambda: press(main, "Rename"), "Rename (Be sure to include the .tst suffix)", "Cancel")

        if report:
            fail("unnamed controls:\n  " + "\n  ".join(report))
        menu(app, "Exit")()
        status = program.wait(TIMEOUT)
        program = None
        if status != 0:
            fail(f"Varnok ended with status {status}")
    finally:
        if program is not None:
            program.kill()
            program.wait()
        bus.terminate()
        bus.wait()
        shutil.rmtree(folder, ignore_errors=True)
    print("PASS: every focusable control is named; a test of three Lies taken by AT-SPI alone")


if __name__ == "__main__":
    if len(sys.argv) < 2 or not os.access(sys.argv[1], os.X_OK):
        sys.exit(__doc__)
    if not os.environ.get("DBUS_SESSION_BUS_ADDRESS") or not os.path.exists("/usr/libexec/at-spi-bus-launcher"):
        print("SKIP: needs a session bus of its own (dbus-run-session) and at-spi2-core")
        sys.exit(SKIP)
    run(sys.argv[1], sys.argv[3] if len(sys.argv) > 3 and sys.argv[2] == "--save" else None)
