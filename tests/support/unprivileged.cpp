#include "support/unprivileged.h"

#include <cstdio>
#include <exception>
#include <filesystem>
#include <gtest/gtest.h>
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

namespace varnok::testing {

namespace {

constexpr uid_t kNobody = 65534;

bool dropRoot()
{
    if (::geteuid() != 0)
        return true;
    return ::setgroups(0, nullptr) == 0 && ::setgid(kNobody) == 0 && ::setuid(kNobody) == 0 && ::geteuid() != 0;
}

void handOver(const std::string &folder)
{
    if (::geteuid() != 0 || folder.empty())
        return;
    if (::lchown(folder.c_str(), kNobody, kNobody) != 0)
        return;
    // Every level, so that folders made inside for the test are the user's too.
    std::error_code ignored;
    for (const auto &entry : std::filesystem::recursive_directory_iterator(folder, ignored))
        (void)::lchown(entry.path().c_str(), kNobody, kNobody);
}

} // namespace

bool canRunUnprivileged()
{
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(dropRoot() ? 0 : 1);
    int status = 0;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::string runUnprivileged(const std::string &folder, const std::function<std::string()> &body)
{
    int fds[2];
    if (::pipe(fds) != 0)
        return "child: no pipe";
    const pid_t child = ::fork();
    if (child < 0)
        return "child: cannot fork";
    if (child == 0) {
        ::close(fds[0]);
        handOver(folder);
        std::string out;
        if (!dropRoot()) {
            out = "child: cannot give up root";
        } else {
            try {
                out = body();
            } catch (const std::exception &e) {
                out = std::string("child: exception: ") + e.what();
            }
        }
        std::string_view rest = out;
        while (!rest.empty()) {
            const ssize_t put = ::write(fds[1], rest.data(), rest.size());
            if (put <= 0)
                ::_exit(3);
            rest.remove_prefix(static_cast<std::size_t>(put));
        }
        // No exit handlers: the child's copy of the test must not report or
        // clean up anything.
        ::_exit(0);
    }
    ::close(fds[1]);
    std::string result;
    char buffer[4096];
    ssize_t got;
    while ((got = ::read(fds[0], buffer, sizeof buffer)) > 0)
        result.append(buffer, static_cast<std::size_t>(got));
    ::close(fds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return "child: ended with status " + std::to_string(status);
    return result;
}

std::string checkUnprivileged(const std::string &folder, const std::function<void()> &checks)
{
    return runUnprivileged(folder, [&checks] {
        checks();
        // The child ends without flushing; its report must not be lost.
        std::fflush(stdout);
        return ::testing::Test::HasFailure() ? std::string("child: a check failed, see its report above")
                                             : std::string();
    });
}

} // namespace varnok::testing
