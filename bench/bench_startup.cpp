// Times the program's start-up from exec to the first paint of its window,
// next to a minimal Qt program (bench_startup_minimal: a tab widget and five
// empty lists) started the same way, for lie folders of 0, 10,000 and
// 100,000 Lies. Every start is a fresh process; the two programs take turns,
// five times each, and the medians are compared. Also shown: when the
// program's lists have filled, which happens after the first paint.
//
//   bench_startup                 0, 10,000 and 100,000 Lies
//   bench_startup 0 1000          the sizes given
//   bench_startup --window DIR    one start of the program on DIR (child)
//
// It uses the display it is given (scripts/with-wm for Xvfb with openbox),
// else the offscreen platform. The child repeats what main() does after the
// command line: the same window, started the same way.

#include <sys/wait.h>
#include <unistd.h>

#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/startup.h"
#include "firstpaint.h"
#include "gui/TfHello.h"
#include "platform/clock.h"
#include "platform/random.h"

namespace fs = std::filesystem;

namespace {

constexpr int kRuns = 5;

// ---- the program's start (child) ----------------------------------------

int startWindow(int argc, char **argv, const std::string &folder)
{
    FirstPaintApp app(argc, argv);
    QApplication::setApplicationName("Varnok");
    QApplication::setDesktopFileName("org.varnok.Varnok");
    varnok::SystemClock clock;
    varnok::SeededRandom random(varnok::seedFromTime(clock.now()));
    varnok::TfHello window({clock, random});
    app.watched = &window;
    app.afterPaint = [&window] {
        if (!window.listsFilling()) {
            FirstPaintApp::say("filled");
            // Nothing of the exit matters here, the settings file least.
            _exit(0);
        }
    };
    window.start({folder}, varnok::ListsFill::Later);
    window.show();
    // The lists may arrive with no event for the window afterwards.
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [] {});
    poll.start(5);
    return app.exec();
}

// ---- driver ------------------------------------------------------------------

using Clock = std::chrono::steady_clock;

struct Start {
    double painted = -1; // ms from fork
    double filled = -1;
};

Start runChild(const std::vector<std::string> &argv)
{
    int fds[2];
    if (pipe(fds) != 0) {
        std::perror("pipe");
        std::exit(1);
    }
    const auto begin = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(fds[1], STDOUT_FILENO);
        close(fds[0]);
        close(fds[1]);
        std::vector<char *> args;
        for (const auto &arg : argv)
            args.push_back(const_cast<char *>(arg.c_str()));
        args.push_back(nullptr);
        execv(args[0], args.data());
        std::perror(args[0]);
        _exit(127);
    }
    close(fds[1]);
    Start start;
    std::string pending;
    char buffer[256];
    ssize_t got;
    while ((got = read(fds[0], buffer, sizeof buffer)) > 0) {
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - begin).count();
        pending.append(buffer, static_cast<std::size_t>(got));
        for (auto end = pending.find('\n'); end != std::string::npos; end = pending.find('\n')) {
            const std::string line = pending.substr(0, end);
            pending.erase(0, end + 1);
            if (line == "painted")
                start.painted = ms;
            else if (line == "filled")
                start.filled = ms;
        }
    }
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (start.painted < 0) {
        std::fprintf(stderr, "%s did not report its first paint\n", argv[0].c_str());
        std::exit(1);
    }
    return start;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

std::string loadAverage()
{
    double load[3] = {0, 0, 0};
    if (getloadavg(load, 3) != 3)
        return "unknown";
    char text[64];
    std::snprintf(text, sizeof text, "%.2f %.2f %.2f", load[0], load[1], load[2]);
    return text;
}

void makeFolder(const std::string &folder, int lies)
{
    fs::remove_all(folder);
    fs::create_directories(folder);
    // Settings in place: a first start would ask its question.
    std::ofstream(folder + "Varnok.Ini", std::ios::binary) << "[Settings]\r\nWidth=415\r\nHeight=400\r\n";
    for (int i = 0; i < lies; ++i)
        std::ofstream(folder + "Statement " + std::to_string(i) + ".lie", std::ios::binary) << "Statement\r\n";
    // On the disk before the starts are timed: the writing back of a hundred
    // thousand new files would otherwise take the processor from them.
    sync();
}

void benchSize(int lies, const std::string &root, const std::string &self, const std::string &minimal)
{
    const std::string folder = root + std::to_string(lies) + "/";
    makeFolder(folder, lies);
    const std::string loadBefore = loadAverage();
    // One start of each first, so that both find their libraries and the
    // folder in the page cache.
    runChild({self, "--window", folder});
    runChild({minimal});
    std::vector<double> painted, filled, bare;
    for (int i = 0; i < kRuns; ++i) {
        const Start window = runChild({self, "--window", folder});
        painted.push_back(window.painted);
        filled.push_back(window.filled);
        bare.push_back(runChild({minimal}).painted);
    }
    const double p = median(painted), m = median(bare);
    std::printf(
        "%7d Lies: first paint %6.0f ms, minimal window %6.0f ms, ratio %.2f  (lists filled %6.0f ms)  "
        "load %s -> %s\n",
        lies, p, m, p / m, median(filled), loadBefore.c_str(), loadAverage().c_str());
    std::fflush(stdout);
    fs::remove_all(folder);
}

} // namespace

int main(int argc, char **argv)
{
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY"))
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
    if (argc == 3 && std::strcmp(argv[1], "--window") == 0)
        return startWindow(argc, argv, argv[2]);

    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.push_back(std::atoi(argv[i]));
    if (sizes.empty())
        sizes = {0, 10000, 100000};
    const std::string self = fs::read_symlink("/proc/self/exe").string();
    const std::string minimal = (fs::path(self).parent_path() / "bench_startup_minimal").string();
    const char *tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/varnok-startup-XXXXXX";
    if (!mkdtemp(pattern.data())) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::string root = pattern + "/";
    const char *platform = std::getenv("QT_QPA_PLATFORM");
    std::printf("start-up from exec to first paint, medians of %d (platform %s)\n", kRuns,
                platform ? platform : "from DISPLAY");
    for (const int lies : sizes)
        if (lies >= 0)
            benchSize(lies, root, self, minimal);
    fs::remove_all(root);
    return 0;
}
