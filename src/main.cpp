#include <QApplication>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

#include "gui/Doorbell.h"
#include "gui/TfHello.h"
#include "app/commandline.h"
#include "app/startup.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/random.h"

int main(int argc, char **argv)
{
    // Answered before Qt starts, so they work without a display.
    const auto commandLine = varnok::parseCommandLine(std::vector<std::string>(argv + std::min(argc, 1), argv + argc));
    if (commandLine.action == varnok::CommandLineAction::RefuseOption) {
        std::fputs(varnok::refusedOptionText(commandLine.refusedOption).c_str(), stderr);
        return varnok::kUsageExitStatus;
    }
    if (commandLine.action != varnok::CommandLineAction::Run) {
        const bool help = commandLine.action == varnok::CommandLineAction::ShowHelp;
        std::fputs((help ? varnok::helpText() : varnok::versionText()).c_str(), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }

    // Without a display Qt would abort with a backtrace; say it plainly instead.
    const char *platform = std::getenv("QT_QPA_PLATFORM");
    const bool headlessPlatform =
        platform && (std::string(platform) == "offscreen" || std::string(platform) == "minimal");
    if (!headlessPlatform && !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) {
        std::fprintf(stderr,
                     "varnok: no display found (neither DISPLAY nor WAYLAND_DISPLAY is set).\n"
                     "Start Varnok from a desktop session, or under Xvfb for a virtual one.\n");
        return 1;
    }
    // A write beyond the file-size limit (ulimit -f) then fails as a full disk
    // does, with a message, instead of ending the program.
    std::signal(SIGXFSZ, SIG_IGN);
    // Lies kept under a shared folder such as /tmp would be open to every user.
    if (!varnok::userDataFolder()) {
        std::fputs(varnok::noHomeFolderText(static_cast<unsigned>(::getuid())).c_str(), stderr);
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName("Varnok");
    // Ties the window to the installed desktop entry and its icon.
    QApplication::setDesktopFileName("org.varnok.Varnok");

    varnok::SystemClock clock;
    varnok::SeededRandom random(varnok::seedFromTime(clock.now()));
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i)
        arguments.emplace_back(argv[i]);
    varnok::TfHello window({clock, random});
    // The lists of a large folder fill once the window is up.
    if (!window.start(arguments, varnok::ListsFill::Later)) {
        // The folder is open in another Varnok: that window comes forward
        // instead of a second one writing behind its back.
        const auto &state = window.state();
        if (varnok::Doorbell::ring(state.lockFolder, state.folderHolder))
            return 0;
        std::fprintf(stderr,
                     "varnok: the lie folder %s is open in another Varnok (process %ld), which does not answer.\n",
                     state.lieFolder.c_str(), state.folderHolder);
        return 1;
    }
    window.show();
    return app.exec();
}
