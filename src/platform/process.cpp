#include "platform/process.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <system_error>
#include <unistd.h>

// Closing every inherited descriptor and changing the folder inside the spawn
// itself needs glibc 2.34; doing either after a fork of a threaded window
// program would be far more fragile.
#if !defined(__GLIBC__) || __GLIBC__ < 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ < 34)
#error "Starting programs needs posix_spawn_file_actions_addclosefrom_np (glibc 2.34 or later)"
#endif

extern char **environ;

namespace varnok {

namespace {

constexpr std::string_view kStartErrorPrefix = "The editor \"";
constexpr std::string_view kStartErrorMiddle = "\" could not be started: ";

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

// Owns the spawn attributes and file actions so every return path frees them.
class SpawnSetup {
public:
    SpawnSetup()
    {
        actionsError = posix_spawn_file_actions_init(&actions);
        attributesError = posix_spawnattr_init(&attributes);
    }
    ~SpawnSetup()
    {
        if (actionsError == 0)
            posix_spawn_file_actions_destroy(&actions);
        if (attributesError == 0)
            posix_spawnattr_destroy(&attributes);
    }
    SpawnSetup(const SpawnSetup &) = delete;
    SpawnSetup &operator=(const SpawnSetup &) = delete;

    int prepare(const std::string &workingFolder)
    {
        if (actionsError != 0)
            return actionsError;
        if (attributesError != 0)
            return attributesError;
        if (!workingFolder.empty()) {
            if (int e = posix_spawn_file_actions_addchdir_np(&actions, workingFolder.c_str()))
                return e;
        }
        // The window program holds descriptors of its own (display connection,
        // event pipes, open files); an editor must see none of them.
        if (int e = posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1))
            return e;

        // The window's threads may block or ignore signals; an editor starts
        // as if launched from a desktop: nothing blocked, every signal default.
        sigset_t none;
        sigemptyset(&none);
        sigset_t all;
        sigfillset(&all);
        sigdelset(&all, SIGKILL);
        sigdelset(&all, SIGSTOP);
        if (int e = posix_spawnattr_setsigmask(&attributes, &none))
            return e;
        if (int e = posix_spawnattr_setsigdefault(&attributes, &all))
            return e;
        return posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    }

    posix_spawn_file_actions_t actions{};
    posix_spawnattr_t attributes{};

private:
    int actionsError = 0;
    int attributesError = 0;
};

} // namespace

std::vector<std::string> splitCommandLine(std::string_view commandLine)
{
    const auto nul = commandLine.find('\0');
    if (nul != std::string_view::npos)
        commandLine = commandLine.substr(0, nul);

    std::vector<std::string> words;
    std::size_t p = 0;
    const std::size_t end = commandLine.size();
    while (p < end && isBlank(commandLine[p]))
        ++p;
    if (p == end)
        return words;

    // The program name: quotes group and vanish, backslashes are plain.
    bool inQuotes = false;
    std::string word;
    for (; p < end && (inQuotes || !isBlank(commandLine[p])); ++p) {
        if (commandLine[p] == '"')
            inQuotes = !inQuotes;
        else
            word += commandLine[p];
    }
    words.push_back(std::move(word));

    inQuotes = false; // a quote left open in the program name does not carry over
    for (;;) {
        while (p < end && isBlank(commandLine[p]))
            ++p;
        if (p == end)
            break;
        word.clear();
        for (;;) {
            std::size_t slashes = 0;
            while (p < end && commandLine[p] == '\\') {
                ++slashes;
                ++p;
            }
            if (p < end && commandLine[p] == '"') {
                word.append(slashes / 2, '\\');
                if (slashes % 2 == 1) {
                    word += '"';
                } else if (inQuotes && p + 1 < end && commandLine[p + 1] == '"') {
                    word += '"';
                    ++p;
                } else {
                    inQuotes = !inQuotes;
                }
                ++p;
                continue;
            }
            word.append(slashes, '\\');
            if (p == end || (!inQuotes && isBlank(commandLine[p])))
                break;
            word += commandLine[p++];
        }
        words.push_back(std::move(word));
    }
    return words;
}

std::vector<std::string> editorArguments(std::string_view editorText, const std::string &fileName)
{
    auto argv = splitCommandLine(editorText);
    if (argv.empty())
        return argv;
    argv.push_back(fileName);
    return argv;
}

Result<pid_t> startProcess(const std::vector<std::string> &argv, const std::string &workingFolder)
{
    if (argv.empty() || argv.front().empty())
        return Status::failed(ENOENT);
    SpawnSetup setup;
    if (int failure = setup.prepare(workingFolder))
        return Status::failed(failure);
    std::vector<char *> args;
    args.reserve(argv.size() + 1);
    for (const auto &arg : argv)
        args.push_back(const_cast<char *>(arg.c_str()));
    args.push_back(nullptr);
    pid_t pid = -1;
    // glibc reports a failed folder change or exec as the result, so
    // a missing editor is known here and not by a child's exit code.
    if (int failure = posix_spawnp(&pid, args.front(), &setup.actions, &setup.attributes, args.data(), environ))
        return Status::failed(failure);
    return pid;
}

bool processFinished(pid_t pid)
{
    for (;;) {
        const pid_t r = ::waitpid(pid, nullptr, WNOHANG);
        if (r == pid)
            return true;
        if (r == 0)
            return false;
        if (errno != EINTR)
            return true; // ECHILD: reaped already, nothing left to wait for
    }
}

void waitProcess(pid_t pid)
{
    while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
    }
}

Status runAndWait(const std::vector<std::string> &argv, const std::string &workingFolder)
{
    const auto pid = startProcess(argv, workingFolder);
    if (!pid)
        return pid.status();
    waitProcess(*pid);
    return Status();
}

std::string describeStartError(const std::string &command, int error)
{
    std::string text(kStartErrorPrefix);
    text += command;
    text += kStartErrorMiddle;
    text += std::generic_category().message(error);
    return text;
}

std::string findOnPath(std::string_view name, std::string_view searchPath)
{
    if (name.empty() || name.find('/') != std::string_view::npos)
        return {};
    std::size_t start = 0;
    for (;;) {
        const auto colon = searchPath.find(':', start);
        auto folder =
            searchPath.substr(start, colon == std::string_view::npos ? std::string_view::npos : colon - start);
        // An empty entry means the current folder, as for every PATH search.
        std::string candidate = folder.empty() ? std::string(".") : std::string(folder);
        candidate += '/';
        candidate += name;
        struct stat info {};
        if (::stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::access(candidate.c_str(), X_OK) == 0)
            return candidate;
        if (colon == std::string_view::npos)
            return {};
        start = colon + 1;
    }
}

std::string defaultEditorCommand(std::string_view searchPath)
{
    // Each of these keeps its process alive until its window is closed, which
    // is what waiting for the editor relies on; without the flag most of them
    // hand the file to a running instance and return at once.
    static constexpr std::string_view blocking[][2] = {
        {"gedit", "gedit --wait"},
        {"kate", "kate --block"},
        {"mousepad", "mousepad --disable-server"},
        {"geany", "geany --new-instance"},
    };
    for (const auto &candidate : blocking)
        if (!findOnPath(candidate[0], searchPath).empty())
            return std::string(candidate[1]);
    if (!findOnPath("xterm", searchPath).empty())
        return findOnPath("nano", searchPath).empty() ? "xterm -e vi" : "xterm -e nano";
    return "gedit --wait";
}

std::string defaultEditorCommand()
{
    const char *path = std::getenv("PATH");
    return defaultEditorCommand(path ? std::string_view(path) : std::string_view("/usr/local/bin:/usr/bin:/bin"));
}

} // namespace varnok
