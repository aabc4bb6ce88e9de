// Times listing and sorting a lie folder of 1,000, 10,000 and 100,000 Lies,
// and the first listing of a fresh program (the Lies, Essays and Tests lists),
// each size in a fresh child process so the peak memory is its own; then the
// three lists as the window keeps them, from one reading of the folder.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "core/filelist.h"
#include "platform/files.h"

namespace {

using Clock = std::chrono::steady_clock;

double seconds(Clock::time_point from)
{
    return std::chrono::duration<double>(Clock::now() - from).count();
}

void makeFolder(const std::string &folder, int lies)
{
    std::filesystem::create_directories(folder);
    for (int i = 0; i < lies; ++i) {
        // Mixed letter case, so the case-insensitive order has work to do.
        const std::string name = (i % 2 ? "Lie number " : "lie Number ") + std::to_string((i * 7919) % lies) + ".lie";
        std::ofstream(folder + name, std::ios::binary) << "A statement.\r\n";
    }
    for (int i = 0; i < lies / 10; ++i)
        std::ofstream(folder + "Essay " + std::to_string(i) + ".ess", std::ios::binary) << "x\r\n";
}

void measure(const std::string &folder, int lies)
{
    varnok::FileList liesList("*.lie"), essays("*.ess;*.gen"), tests("*.tst");
    const auto start = Clock::now();
    liesList.reread(folder);
    essays.reread(folder);
    tests.reread(folder);
    const double first = seconds(start);

    const auto again = Clock::now();
    constexpr int rounds = 5;
    for (int i = 0; i < rounds; ++i)
        liesList.reread(folder);
    const double reread = seconds(again) / rounds;

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%8d Lies: three lists %.3f s, re-read of the Lies %.3f s (%.2f us a file), %d listed, peak %.1f MB\n",
                lies, first, reread, reread * 1e6 / lies, liesList.count(), usage.ru_maxrss / 1024.0);
    // As the window does it: the folder read once for the three lists, then
    // read again after one Lie was added, and once more with nothing changed.
    varnok::FileList windowLies("*.lie"), windowEssays("*.ess;*.gen"), windowTests("*.tst");
    const auto readAll = [&] {
        const auto files = varnok::listFolderUnordered(folder, "*.lie;*.ess;*.gen;*.tst");
        windowLies.refreshFrom(files);
        windowEssays.refreshFrom(files);
        windowTests.refreshFrom(files);
    };
    auto step = Clock::now();
    readAll();
    const double windowFirst = seconds(step);
    std::ofstream(folder + "One more.lie", std::ios::binary) << "A statement.\r\n";
    step = Clock::now();
    readAll();
    const double windowAdded = seconds(step);
    step = Clock::now();
    readAll();
    const double windowSame = seconds(step);
    std::filesystem::remove(folder + "One more.lie");

    std::printf("%8d Lies, as the window reads them: first %.3f s, one Lie added %.3f s, nothing changed %.3f s\n",
                lies, windowFirst, windowAdded, windowSame);
    std::fflush(stdout);
}

} // namespace

int main()
{
    const std::string base =
        std::filesystem::temp_directory_path() / ("varnok-bench-listing-" + std::to_string(getpid()));
    for (int lies : {1000, 10000, 100000}) {
        const std::string folder = base + "/" + std::to_string(lies) + "/";
        makeFolder(folder, lies);
        const pid_t child = fork();
        if (child == 0) {
            measure(folder, lies);
            _exit(0);
        }
        int status = 0;
        waitpid(child, &status, 0);
    }
    std::filesystem::remove_all(base);
    return 0;
}
