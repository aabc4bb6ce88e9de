#!/usr/bin/python3
"""Varnok through AT-SPI alone, on a lie folder of its own: every page and
dialog has no focusable control without a name, and a test of three Lies taken
with the scale's Value and the buttons' Action gives the expected summary.
  atspi_test.py VARNOK [--save FOLDER]   (FOLDER gets the running test page's tree)
Exit status 77: the test cannot run here, and ctest reports a skip."""
import os
import re
import sys
import tempfile
import time

try:
    sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "../../scripts"))
    import pyatspi
    from atspi import CLICK, ESCAPE, Session, close, dump, fail, find, menu, press, tab, unnamed, wait, window
except ImportError as missing:
    print(f"SKIP: {missing} (scripts/setup installs python3-pyatspi)")
    sys.exit(77)

LIES = {"Manual.lie": "Nobody reads the manual", "Money.lie": "Money buys happiness", "Time.lie": "I am always on time"}
ANSWERS = [22, 7, 13]  # 7 asks for no essay
SUMMARY = ["Accessible run", "", "Nobody reads the manual", "", "", "RESPONSE: 22", "", "Money buys happiness", "",
           "", "RESPONSE: 7", "", "I am always on time", "", "", "RESPONSE: 13", "", ""]
TIME_LINE = re.compile(r"Test Time: \d+  Hours  \d+  Minutes  \d+ Seconds")


def take_test(app, main, lies, report, save):
    heard = []  # the scale's descriptions as a screen reader is told them
    pyatspi.Registry.registerEventListener(lambda e: heard.append(e.source.description),
                                           "object:property-change:accessible-description")
    tab(main, "Start Here")
    for choice in ["Cancel", "Sample", "Full"]:
        press(main, "Start Test")
        params = wait(lambda: window(app, "Test Params"), "the test parameters")
        report += [f"Test Params: {p}" for p in unnamed(params)]
        close(app, params, "Test Params", choice)
        if choice == "Sample":
            sample = wait(lambda: window(app, "Test Sample"), "the sample prompt")
            report += [f"sample prompt: {p}" for p in unnamed(sample)]
            close(app, sample, "Test Sample", "Cancel")
    naming = wait(lambda: window(app, "Test"), "the test name prompt")
    report += [f"test name prompt: {p}" for p in unnamed(naming)]
    wait(lambda: find(naming, "text", "Enter Test Name"), "the name field").queryEditableText().setTextContents(
        "Accessible run")
    press(naming, "OK")
    scale = wait(lambda: find(main, "slider", "Reaction"), "the reaction scale")
    report += [f"running test: {p}" for p in unnamed(main)]
    if save:
        with open(os.path.join(save, "test-page-tree.txt"), "w") as out:
            dump(main, out)
    press(main, "Next Lie")  # before the scale is moved
    close(app, wait(lambda: window(app, "Varnok"), "the request for an answer"), "Varnok", "OK")
    for number, (text, answer) in enumerate(zip(LIES.values(), ANSWERS), 1):
        wait(lambda: any(d.startswith(f"Lie {number} of 3: {text}\n") for d in heard), f"Lie {number} announced")
        if not scale.description.endswith("weak limit 5, strong limit 20"):
            fail(f"the scale's description names no limits: {scale.description!r}")
        scale.queryValue().currentValue = answer
        wait(lambda: scale.queryValue().currentValue == answer, f"the scale at {answer}")
        press(main, "Next Lie")
    for lie, statement in [("Manual", "Nobody"), ("Time", "I am")]:  # the review opens their essays in turn
        memo = wait(lambda: find(main, "push button", "OK") and find(main, "text", "Document text"), "the editor")
        wait(lambda: memo.queryText().getText(0, -1).startswith(statement), f"{lie}.ess in the editor")
        report += [f"review: {p}" for p in unnamed(main)]
        text, said = memo.queryText(), f"Said by {lie}."
        memo.queryEditableText().insertText(text.characterCount, said, len(said))
        wait(lambda: text.getText(0, -1).endswith(said), f"the explanation in {lie}.ess")
        press(main, "OK")
    wait(lambda: find(main, "push button", "Start Test"), "the end of the review")
    with open(os.path.join(lies, "Accessible run.tst"), "rb") as f:
        lines = f.read().decode().split("\r\n")
    if lines[:-2] != SUMMARY or not TIME_LINE.fullmatch(lines[-2]) or lines[-1] != "":
        fail(f"the summary differs from the expected one: {lines!r}")
    for lie in ["Manual", "Time"]:
        with open(os.path.join(lies, f"{lie}.ess"), "rb") as f:
            if not f.read().endswith(f"EXPLAIN YOURSELF\r\n\r\nSaid by {lie}.".encode()):
                fail(f"{lie}.ess lacks the block or the explanation")


def check_chart(app, main, lies, report):
    tab(main, "Lies")
    press(main, "Select All")
    press(main, "History")
    chart = wait(lambda: window(app, "Reaction History"), "the chart")
    report += [f"chart: {p}" for p in unnamed(chart)]
    with open(os.path.join(lies, "Manual.ess"), "rb") as f:
        stamp = re.search(rb"\d{4}-\d\d-\d\d", f.read()).group(0).decode()
    day = time.strftime("%-d %b %Y", time.strptime(stamp, "%Y-%m-%d"))
    if chart.description != f"Reaction history of 3 Lies, on {day}":
        fail(f"the chart is described as {chart.description!r}")
    legend = find(chart, "list", "Lies charted")
    said = sorted(legend.getChildAtIndex(i).description for i in range(legend.childCount))
    if said != [f"13 on {day}", f"22 on {day}", f"7 on {day} from a test summary"]:
        fail(f"the legend's responses read {said!r}")
    close(app, chart, "Reaction History", "Close")


def run(varnok, save):
    home = tempfile.TemporaryDirectory(prefix="varnok-atspi-")
    lies = os.path.join(home.name, "Lies")
    os.makedirs(lies)
    for name, text in LIES.items():
        with open(os.path.join(lies, name), "wb") as f:
            f.write(text.encode() + b"\r\n")
    session = Session(varnok, lies, home.name)
    app, report = session.app, []

    def walk(title, opening, how):
        opening()
        top = wait(lambda: window(app, title), f"the window '{title}'")
        report.extend(f"{title}: {p}" for p in unnamed(top))
        close(app, top, title, how)
    try:
        # A first start in a folder without settings explains, then offers a file.
        walk("Varnok", lambda: None, "OK")
        walk("Open", lambda: None, "Cancel")
        main = wait(lambda: window(app, "Varnok", main=True), "the main window")
        for page in ["Essays", "Lies", "Tests", "Program Options", "Start Here"]:
            report += [f"page {page}: {p}" for p in unnamed(tab(main, page))]
        menu(app, "Find...")
        report += [f"find: {p}" for p in unnamed(wait(lambda: find(app, "text", "Find text"), "find").parent)]
        walk("About Varnok", lambda: menu(app, "About"), CLICK)
        walk("Varnok Help", lambda: menu(app, "Read me"), ESCAPE)
        walk("Select Font", lambda: press(tab(main, "Program Options"), "Set font..."), "Cancel")
        walk("Select Folder", lambda: press(tab(main, "Lies"), "Open Lies"), "Cancel")
        take_test(app, main, lies, report, save)
        check_chart(app, main, lies, report)
        walk("Indicate Essay Type", lambda: press(tab(main, "Essays"), "Generate"), "Cancel")
        tab(main, "Tests")
        menu(app, "Select All")
        walk("Confirm", lambda: press(main, "Delete"), "No")  # and the list is read anew
        find(tab(main, "Program Options"), "check box", "Allow Renames").queryAction().doAction(0)  # Toggle
        tab(main, "Tests")
        menu(app, "Select All")
        walk("Rename (Be sure to include the .tst suffix)", lambda: press(main, "Rename"), "Cancel")
        if report:
            fail("focusable controls without a name:\n  " + "\n  ".join(report))
        if (status := session.exit()) != 0:
            fail(f"Varnok ended with status {status}")
    finally:
        session.stop()
        home.cleanup()
    print("PASS: every focusable control has a name; a test of three Lies taken through AT-SPI alone")


if __name__ == "__main__":
    if len(sys.argv) < 2 or not os.access(sys.argv[1], os.X_OK):
        sys.exit(__doc__)
    if not os.environ.get("DBUS_SESSION_BUS_ADDRESS") or not os.path.exists("/usr/libexec/at-spi-bus-launcher"):
        print("SKIP: needs a session bus of its own (dbus-run-session) and at-spi2-core")
        sys.exit(77)
    run(sys.argv[1], sys.argv[3] if sys.argv[2:3] == ["--save"] else None)
