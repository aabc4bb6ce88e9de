#include <QApplication>
#include <cstdio>
#include <cstdlib>

#include "app/TfHello.h"
#include "app/startup.h"
#include "platform/clock.h"
#include "platform/random.h"

int main(int argc, char **argv)
{
    // Without a display Qt would abort with a backtrace; say it plainly instead.
    const char *platform = std::getenv("QT_QPA_PLATFORM");
    const bool headlessPlatform = platform && (std::string(platform) == "offscreen" || std::string(platform) == "minimal");
    if (!headlessPlatform && !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) {
        std::fprintf(stderr, "varnok: no display found (neither DISPLAY nor WAYLAND_DISPLAY is set).\n"
                             "Start Varnok from a desktop session, or under Xvfb for a virtual one.\n");
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName("Varnok");

    varnok::SystemClock clock;
    varnok::SeededRandom random(varnok::seedFromTime(clock.now()));
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i)
        arguments.emplace_back(argv[i]);
    varnok::TfHello window(arguments, {clock, random});
    window.show();
    return app.exec();
}
