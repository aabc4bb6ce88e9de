#include <QApplication>
#include <QtTest>
#include <cstdio>

#include "gui/guitest.h"

// Runs every window test class of this stage in one process. These tests
// need a real X server with a window manager (scripts/with-wm gives one):
// offscreen there is no frame, no activation and no real focus.
int main(int argc, char **argv)
{
    if (qgetenv("QT_QPA_PLATFORM") != "xcb" || qgetenv("DISPLAY").isEmpty()) {
        std::fprintf(stderr, "varnok_wm_tests: run under scripts/with-wm (needs DISPLAY and QT_QPA_PLATFORM=xcb)\n");
        return 2;
    }
    // A test that fails inside a modal dialog should end in a minute, not hang.
    if (qEnvironmentVariableIsEmpty("QTEST_FUNCTION_TIMEOUT"))
        qputenv("QTEST_FUNCTION_TIMEOUT", "90000");
    QApplication app(argc, argv);
    int failed = 0;
    for (auto &factory : varnok::guiTestRegistry()) {
        std::unique_ptr<QObject> test(factory());
        failed += QTest::qExec(test.get(), argc, argv);
    }
    return failed == 0 ? 0 : 1;
}
