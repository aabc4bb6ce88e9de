// The lie folder is a private journal: what the program creates is its
// owner's, what it replaces keeps the owner's choice of mode, and no name it
// writes through can be guessed or planted.

#include <gtest/gtest.h>

#include <set>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "app/startup.h"
#include "documents/commands.h"
#include "platform/files.h"
#include "platform/textfile.h"
#include "support/fakeui.h"
#include "support/unprivileged.h"

namespace varnok {
namespace {

using testing::Harness;
using testing::TempFolder;

mode_t modeOf(const std::string &path)
{
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0)
        return 0;
    return info.st_mode & 07777;
}

bool isLink(const std::string &path)
{
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
}

class Umask {
public:
    explicit Umask(mode_t mask) : saved_(::umask(mask)) {}
    ~Umask() { ::umask(saved_); }

private:
    mode_t saved_;
};

TEST(Privacy, LieFoldersTheProgramCreatesAreForTheirOwnerOnly)
{
    // However open the umask, a created folder is 0700.
    for (const mode_t mask : {mode_t{0}, mode_t{022}}) {
        SCOPED_TRACE(mask);
        Umask umask(mask);
        Harness h;
        const std::string lies = h.folder.path() + "journal/private/Lies";
        h.ui.answerOpen(std::nullopt);
        startUp(h.ctx, {{lies}, "/nowhere/", h.folder.path(), "x"});
        EXPECT_EQ(h.state.lieFolder, lies + "/");
        for (const auto &folder : {h.folder.path() + "journal", h.folder.path() + "journal/private", lies})
            EXPECT_EQ(modeOf(folder), 0700u) << folder;

        // The per-user data folder standing in for the program's.
        Harness other;
        other.folder.write("ro", "not a folder");
        other.ui.answerOpen(std::nullopt);
        startUp(other.ctx, {{}, other.folder.path() + "ro/", other.folder.path() + "data/", "x"});
        EXPECT_EQ(modeOf(other.folder.path() + "data"), 0700u);
        EXPECT_EQ(modeOf(other.folder.path() + "data/Lies"), 0700u);

        // The folder dialog's New.
        other.ui.answerInput(other.folder.path() + "made/deeper");
        ASSERT_TRUE(newLieFolder(other.ctx, other.folder.path()));
        EXPECT_EQ(modeOf(other.folder.path() + "made"), 0700u);
        EXPECT_EQ(modeOf(other.folder.path() + "made/deeper"), 0700u);
    }
}

TEST(Privacy, NewFilesAreTheOwnersAloneAndReplacedFilesKeepTheirMode)
{
    struct Case {
        mode_t umask;
        mode_t created;
    };
    // The umask can only take rights away.
    for (const Case c : {Case{022, 0600}, Case{077, 0600}, Case{027, 0600}, Case{0, 0600}, Case{0277, 0400}}) {
        SCOPED_TRACE(c.umask);
        Umask umask(c.umask);
        Harness h;
        // A folder that others may enter and list.
        ASSERT_EQ(::chmod(h.folder.path().c_str(), 0755), 0);
        h.ui.answerInput("A new lie");
        bLiesNewClick(h.ctx);
        EXPECT_EQ(modeOf(h.folder.file("A new lie.lie")), c.created);
        // A replaced file keeps its mode, whatever the umask says.
        for (const mode_t kept : {mode_t{0600}, mode_t{0644}, mode_t{0640}, mode_t{0660}}) {
            ASSERT_EQ(::chmod(h.folder.file("A new lie.lie").c_str(), kept), 0);
            h.ui.answerInput("A new lie");
            bLiesNewClick(h.ctx);
            EXPECT_EQ(modeOf(h.folder.file("A new lie.lie")), kept);
        }
        EXPECT_TRUE(h.ui.messages.empty());
    }
}

// A settings file that was a pipe or a link to a device is replaced by a
// regular file at exit; the pipe's open mode must not become the new file's.
TEST(Privacy, WhatReplacesAPipeOrDeviceIsPrivate)
{
    Umask umask(0);
    TempFolder folder;
    const std::string pipe = folder.file("Varnok.Ini");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0666), 0);
    ASSERT_TRUE(writeLines(pipe, {"[Settings]"}));
    EXPECT_EQ(modeOf(pipe), 0600u);
    const std::string device = folder.file("Other.ini");
    ASSERT_EQ(::symlink("/dev/null", device.c_str()), 0);
    ASSERT_TRUE(writeLines(device, {"[Settings]"}));
    EXPECT_FALSE(isLink(device));
    EXPECT_EQ(modeOf(device), 0600u);
}

TEST(Privacy, AFileItsOwnerMadeReadOnlyIsNotReplaced)
{
    if (!testing::canRunUnprivileged())
        GTEST_SKIP() << "running as root without the right to become another user";
    Harness h;
    h.folder.write("Kept.lie", "kept\r\n");
    ASSERT_EQ(::chmod(h.folder.file("Kept.lie").c_str(), 0444), 0);
    const std::string messages = testing::runUnprivileged(h.folder.path(), [&] {
        h.ui.answerInput("Kept");
        bLiesNewClick(h.ctx);
        return h.ui.messages.empty() ? std::string() : h.ui.messages[0];
    });
    EXPECT_EQ(messages, "Cannot create file " + h.folder.file("Kept.lie") + ".");
    EXPECT_EQ(h.folder.read("Kept.lie"), "kept\r\n");
    EXPECT_EQ(h.folder.names(), std::vector<std::string>{"Kept.lie"});
}

// The names of the files created in a folder while `writes` runs, in order.
std::vector<std::string> namesCreatedWhile(const std::string &folder, const std::function<void()> &writes)
{
    const int fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd < 0)
        return {};
    ::inotify_add_watch(fd, folder.c_str(), IN_CREATE);
    writes();
    std::vector<std::string> names;
    alignas(inotify_event) char buffer[65536];
    ssize_t got;
    while ((got = ::read(fd, buffer, sizeof buffer)) > 0) {
        for (char *at = buffer; at < buffer + got;) {
            const auto *event = reinterpret_cast<const inotify_event *>(at);
            if (event->len > 0)
                names.emplace_back(event->name);
            at += sizeof(inotify_event) + event->len;
        }
    }
    ::close(fd);
    return names;
}

TEST(Privacy, TemporaryNamesCannotBeForeseen)
{
    TempFolder folder;
    const std::string target = folder.file("x.ess");
    // Two writes here and one in each of two processes forked from the same
    // state: a generator copied by fork would repeat its names there.
    const auto created = namesCreatedWhile(folder.path(), [&] {
        writeFileAtomic(target, "one");
        writeFileAtomic(target, "two");
        for (int child = 0; child < 2; ++child) {
            const pid_t pid = ::fork();
            if (pid == 0)
                ::_exit(writeFileAtomic(target, "three").ok() ? 0 : 1);
            int status = 0;
            ::waitpid(pid, &status, 0);
        }
    });
    if (created.empty())
        GTEST_SKIP() << "no file-system notifications here";
    // The target itself arrives by rename, not by creation.
    ASSERT_EQ(created.size(), 4u);
    std::set<std::string> temporaries;
    for (const auto &name : created) {
        EXPECT_TRUE(isTemporaryName(name)) << name;
        EXPECT_EQ(name.rfind(".x.ess.", 0), 0u) << name;
        temporaries.insert(name);
    }
    EXPECT_EQ(temporaries.size(), 4u) << "a temporary name came twice";
    EXPECT_EQ(folder.names(), std::vector<std::string>{"x.ess"});
    EXPECT_EQ(folder.read("x.ess"), "three");
}

TEST(Privacy, PlantedLinksAreNeverWrittenThrough)
{
    TempFolder folder;
    TempFolder elsewhere;
    // Links at every name a careless writer might use beside x.ess, and one
    // at x.ess itself.
    const std::vector<std::string> planted = {".x.ess.tmp",
                                              "x.ess.tmp",
                                              ".x.ess.swp",
                                              "x.ess~",
                                              "x.ess.new",
                                              ".x.ess.new",
                                              "x.ess.bak",
                                              "#x.ess#",
                                              ".x.ess.tmp.0",
                                              ".x.ess.aaaaaaaaaaaa.tmp",
                                              ".x.ess.000000000000.tmp",
                                              ".x.ess.aaaaaaaaaaaa.varnok-tmp",
                                              "x.ess"};
    for (std::size_t i = 0; i < planted.size(); ++i) {
        const std::string victim = "victim" + std::to_string(i);
        elsewhere.write(victim, "not yours");
        ASSERT_EQ(::chmod(elsewhere.file(victim).c_str(), 0600), 0);
        ASSERT_EQ(::symlink(elsewhere.file(victim).c_str(), folder.file(planted[i]).c_str()), 0);
    }
    // A dangling link must not make its target appear either.
    ASSERT_EQ(::symlink(elsewhere.file("created").c_str(), folder.file("y.ess").c_str()), 0);

    ASSERT_TRUE(writeFileAtomic(folder.file("x.ess"), "mine"));
    ASSERT_TRUE(writeFileAtomic(folder.file("x.ess"), "mine again"));
    ASSERT_TRUE(writeFileAtomic(folder.file("y.ess"), "also mine"));

    for (std::size_t i = 0; i < planted.size(); ++i)
        EXPECT_EQ(elsewhere.read("victim" + std::to_string(i)), "not yours") << planted[i];
    EXPECT_FALSE(elsewhere.exists("created"));
    // The link at the target was replaced by the file; the others stay links.
    EXPECT_FALSE(isLink(folder.file("x.ess")));
    EXPECT_EQ(folder.read("x.ess"), "mine again");
    EXPECT_FALSE(isLink(folder.file("y.ess")));
    EXPECT_EQ(folder.read("y.ess"), "also mine");
    for (std::size_t i = 0; i + 1 < planted.size(); ++i)
        EXPECT_TRUE(isLink(folder.file(planted[i]))) << planted[i];
    EXPECT_EQ(folder.names().size(), planted.size() + 1) << "no temporary file stays";
}

} // namespace
} // namespace varnok
