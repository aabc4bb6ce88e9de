#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <pwd.h>
#include <filesystem>
#include <functional>
#include <sched.h>
#include <string>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include "core/text.h"
#include "platform/files.h"
#include "platform/textfile.h"
#include "platform/trash.h"
#include "support/fakeui.h"

namespace varnok {
namespace {

using testing::TempFolder;

const DateTime kDeletedAt{2026, 12, 7, 17, 27, 5, 0};

std::string infoText(const std::string &path)
{
    return "[Trash Info]\nPath=" + path + "\nDeletionDate=2026-12-07T17:27:05\n";
}

std::string readAll(const std::string &path)
{
    std::string bytes;
    EXPECT_TRUE(readFileBytes(path, bytes)) << path;
    return bytes;
}

std::string withoutSlash(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

mode_t modeOf(const std::string &path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? (info.st_mode & 07777) : 0;
}

TEST(Trash, PathsAreWrittenAsUrls)
{
    const struct {
        const char *path;
        const char *encoded;
    } cases[] = {
        {"/home/ann/Lies/Money.lie", "/home/ann/Lies/Money.lie"},
        {"/a b/c~d_e-f.lie", "/a%20b/c~d_e-f.lie"},
        {"/x/100%?#&;=.ess", "/x/100%25%3F%23%26%3B%3D.ess"},
        {"/x/\xC3\xA4rger\xFF.lie", "/x/%C3%A4rger%FF.lie"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(percentEncodePath(c.path), c.encoded) << c.path;
}

TEST(Trash, HomeTrashTakesFilesWithTheirInfoAndGivesThemBack)
{
    TempFolder lies, home;
    const std::string trash = home.path() + "data/Trash/"; // made with its parent
    const std::string bytes = std::string("Money is evil.\r\n\xE4\0tail", 21);
    lies.write("Money \xC3\xA9.lie", bytes);

    const TrashOutcome first = moveToTrash(lies.file("Money \xC3\xA9.lie"), trash, kDeletedAt);
    ASSERT_TRUE(first.trashed);
    EXPECT_EQ(first.trashed->originalPath, lies.file("Money \xC3\xA9.lie"));
    EXPECT_EQ(first.trashed->trashedPath, trash + "files/Money \xC3\xA9.lie");
    EXPECT_EQ(first.trashed->infoPath, trash + "info/Money \xC3\xA9.lie.trashinfo");
    EXPECT_FALSE(lies.exists("Money \xC3\xA9.lie"));
    EXPECT_EQ(readAll(first.trashed->trashedPath), bytes);
    EXPECT_EQ(readAll(first.trashed->infoPath), infoText(percentEncodePath(lies.path()) + "Money%20%C3%A9.lie"));
    for (const char *folder : {"", "files", "info"})
        EXPECT_EQ(modeOf(trash + folder), 0700u) << folder;

    // The same name again, and a name without extension, get names of their own.
    lies.write("Money \xC3\xA9.lie", "second\r\n");
    const TrashOutcome second = moveToTrash(lies.file("Money \xC3\xA9.lie"), trash, kDeletedAt);
    ASSERT_TRUE(second.trashed);
    EXPECT_EQ(second.trashed->trashedPath, trash + "files/Money \xC3\xA9.2.lie");
    EXPECT_EQ(second.trashed->infoPath, trash + "info/Money \xC3\xA9.2.lie.trashinfo");

    // Back under the original name, byte for byte, never over another file.
    EXPECT_EQ(restoreFromTrash(*first.trashed), RestoreResult::Restored);
    EXPECT_EQ(lies.read("Money \xC3\xA9.lie"), bytes);
    EXPECT_FALSE(fileExists(first.trashed->infoPath));
    EXPECT_EQ(restoreFromTrash(*second.trashed), RestoreResult::NameTaken);
    EXPECT_EQ(lies.read("Money \xC3\xA9.lie"), bytes);
    EXPECT_EQ(readAll(second.trashed->trashedPath), "second\r\n");
    EXPECT_EQ(restoreFromTrash(*first.trashed), RestoreResult::Gone);
}

TEST(Trash, WhatCannotBeTrashedSaysWhy)
{
    TempFolder lies, home;
    lies.write("a.lie", "x");
    lies.write("blocker", "a file where the Trash's folder would be");
    ::mkdir(lies.file("folder.lie").c_str(), 0700);
    const std::string trash = home.path() + "Trash/";
    const struct {
        const char *what;
        std::string path;
        std::string homeTrash;
        TrashFailure failure;
    } cases[] = {
        {"no such file", lies.file("gone.lie"), trash, TrashFailure::Gone},
        {"a folder", lies.file("folder.lie"), trash, TrashFailure::Gone},
        {"no home at all", lies.file("a.lie"), "", TrashFailure::NoHome},
        {"home Trash cannot be made", lies.file("a.lie"), lies.file("blocker") + "/Trash/", TrashFailure::NoTrash},
    };
    for (const auto &c : cases) {
        const TrashOutcome outcome = moveToTrash(c.path, c.homeTrash, kDeletedAt);
        EXPECT_FALSE(outcome.trashed) << c.what;
        EXPECT_EQ(outcome.failure, c.failure) << c.what;
    }
    EXPECT_EQ(lies.read("a.lie"), "x");

    // Without HOME (a service, a cron job) the account's home still has a Trash.
    const std::string savedHome = std::getenv("HOME") ? std::getenv("HOME") : "";
    ::unsetenv("HOME");
    const std::string fallback = homeTrashFolder();
    ::setenv("HOME", savedHome.c_str(), 1);
    if (!std::getenv("XDG_DATA_HOME") && ::getpwuid(::getuid())) {
        EXPECT_EQ(fallback, withTrailingSeparator(::getpwuid(::getuid())->pw_dir) + ".local/share/Trash/");
    }
}

// A name too long for its info file goes in cut, keeping its extension.
TEST(Trash, LongNamesGoInShortenedAndComeBackWhole)
{
    TempFolder lies, home;
    const std::string trash = home.path() + "Trash/";
    std::string umlauts;
    for (int i = 0; i < 125; ++i)
        umlauts += "\xC3\xA4";
    for (const std::string &name : {std::string(236, 'a') + ".lie", std::string(237, 'b') + ".lie",
                                    std::string(251, 'c') + ".ess", umlauts + ".tst", std::string(255, 'd')}) {
        lies.write(name, name.substr(0, 3));
        const TrashOutcome outcome = moveToTrash(lies.file(name), trash, kDeletedAt);
        ASSERT_TRUE(outcome.trashed) << name.size();
        const std::string entry = baseName(outcome.trashed->trashedPath);
        EXPECT_EQ(entry.size() == name.size(), name.size() <= 240) << name.size();
        EXPECT_TRUE(entry.ends_with(name.substr(name.size() - 4)) && isValidUtf8(entry)) << entry;
        EXPECT_EQ(readAll(outcome.trashed->infoPath), infoText(percentEncodePath(lies.file(name))));
        EXPECT_EQ(restoreFromTrash(*outcome.trashed), RestoreResult::Restored);
    }
}

// Back only untouched: not with info removed, rewritten, or the file swapped.
TEST(Trash, OnlyTheFileTakenGoesBack)
{
    for (int meanwhile = 0; meanwhile < 4; ++meanwhile) {
        TempFolder lies, home;
        lies.write("Lie 0.lie", "mine\r\n");
        const auto taken = moveToTrash(lies.file("Lie 0.lie"), home.path() + "Trash/", kDeletedAt).trashed;
        ASSERT_TRUE(taken);
        if (meanwhile == 1)
            ::unlink(taken->infoPath.c_str());
        if (meanwhile == 2)
            writeFileAtomic(taken->infoPath, infoText("/elsewhere/Lie%200.lie"));
        if (meanwhile == 3)
            writeFileAtomic(taken->trashedPath, "a stranger\r\n");
        EXPECT_EQ(restoreFromTrash(*taken), meanwhile ? RestoreResult::Replaced : RestoreResult::Restored);
        EXPECT_EQ(lies.exists("Lie 0.lie"), meanwhile == 0) << meanwhile;
    }
}

// A Trash open to others is made ours alone; an old info file without its
// file (an interrupted move) goes, a young one (a move under way) stays.
TEST(Trash, ReusedTrashIsClosedAndStrayInfoFilesGo)
{
    TempFolder lies, home;
    const std::string trash = home.path() + "Trash/";
    for (const auto &[folder, mode] : {std::pair{trash, 0755}, {trash + "files", 0777}, {trash + "info", 0770}}) {
        ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
        ASSERT_EQ(::chmod(folder.c_str(), static_cast<mode_t>(mode)), 0);
    }
    for (const char *name :
         {"info/old.lie.trashinfo", "info/young.lie.trashinfo", "info/kept.lie.trashinfo", "files/kept.lie"})
        writeFileAtomic(trash + name, infoText(name));
    const struct timeval hourAgo[2] = {{std::time(nullptr) - 3600, 0}, {std::time(nullptr) - 3600, 0}};
    for (const char *name : {"info/old.lie.trashinfo", "info/kept.lie.trashinfo"})
        ASSERT_EQ(::utimes((trash + name).c_str(), hourAgo), 0);

    lies.write("a.lie", "a");
    ASSERT_TRUE(moveToTrash(lies.file("a.lie"), trash, kDeletedAt).trashed);
    for (const char *folder : {"", "files", "info"})
        EXPECT_EQ(modeOf(trash + folder), 0700u) << folder;
    EXPECT_EQ(listFolder(trash + "info/", "*"),
              (std::vector<std::string>{"a.lie.trashinfo", "kept.lie.trashinfo", "young.lie.trashinfo"}));
}

// Runs checks on a file system of the test's own: a fresh tmpfs, mounted in a
// mount namespace that only a forked child has, so no Trash left at the top
// of a real file system (by an earlier run or the desktop) is in the way and
// nothing is left behind. The child's failures are printed as they happen and
// fail the test. Returns why it could not run, or nothing.
std::string onPrivateFileSystem(const std::function<void(const std::string &top)> &checks)
{
    TempFolder top;
    int reason[2];
    if (::pipe(reason) != 0)
        return "no pipe";
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(reason[0]);
        const auto refuse = [&](const std::string &why) {
            const std::string text = why + ": " + std::strerror(errno);
            (void)!::write(reason[1], text.data(), text.size());
            ::_exit(77);
        };
        if (::unshare(CLONE_NEWNS) != 0) {
            // Without the right to mount, a user namespace of its own gives it.
            const std::string uid = std::to_string(::getuid()), gid = std::to_string(::getgid());
            if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0)
                refuse("no mount namespace of its own");
            const auto put = [&](const char *file, const std::string &text) {
                const int fd = ::open(file, O_WRONLY | O_CLOEXEC);
                if (fd < 0 || ::write(fd, text.data(), text.size()) != static_cast<ssize_t>(text.size()))
                    refuse(file);
                ::close(fd);
            };
            put("/proc/self/setgroups", "deny");
            put("/proc/self/uid_map", uid + " " + uid + " 1");
            put("/proc/self/gid_map", gid + " " + gid + " 1");
        }
        if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount("varnok-test", top.path().c_str(), "tmpfs", 0, "mode=0755") != 0)
            refuse("cannot mount a file system of its own");
        checks(withoutSlash(top.path()));
        ::_exit(::testing::Test::HasFailure() ? 1 : 0);
    }
    ::close(reason[1]);
    std::string why(512, '\0');
    const ssize_t got = child > 0 ? ::read(reason[0], why.data(), why.size()) : -1;
    ::close(reason[0]);
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child)
        return "cannot fork";
    if (WIFEXITED(status) && WEXITSTATUS(status) == 77)
        return why.substr(0, static_cast<std::size_t>(std::max<ssize_t>(got, 0)));
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "failed on the file system of its own, see above";
    return {};
}

// A file on another file system goes to the Trash at that file system's top.
TEST(Trash, OtherFileSystemsUseTheTrashAtTheirTop)
{
    const std::string why = onPrivateFileSystem([](const std::string &top) {
        TempFolder home;
        const std::string uid = std::to_string(::getuid());
        const std::string own = top + "/.Trash-" + uid;
        const std::string shared = top + "/.Trash";
        const std::string folder = top + "/deep/lies/";
        ASSERT_TRUE(createFolders(folder));
        writeFileAtomic(folder + "a b.lie", "one\r\n");
        writeFileAtomic(folder + "c.lie", "two\r\n");

        // Without a shared .Trash: the user's own .Trash-<uid>, the path
        // recorded relative to the top.
        const TrashOutcome first = moveToTrash(folder + "a b.lie", home.path() + "Trash/", kDeletedAt);
        ASSERT_TRUE(first.trashed);
        EXPECT_EQ(first.trashed->trashedPath, own + "/files/a b.lie");
        EXPECT_EQ(readAll(first.trashed->infoPath), infoText("deep/lies/a%20b.lie"));
        EXPECT_FALSE(folderExists(home.path() + "Trash")) << "the home Trash is not for other file systems";
        EXPECT_EQ(restoreFromTrash(*first.trashed), RestoreResult::Restored);
        EXPECT_EQ(readAll(folder + "a b.lie"), "one\r\n");

        // A shared, sticky .Trash made by an administrator: a folder per user in it.
        ASSERT_EQ(::mkdir(shared.c_str(), 01777), 0);
        ::chmod(shared.c_str(), 01777);
        const TrashOutcome second = moveToTrash(folder + "c.lie", home.path() + "Trash/", kDeletedAt);
        ASSERT_TRUE(second.trashed);
        EXPECT_EQ(second.trashed->trashedPath, shared + "/" + uid + "/files/c.lie");
        EXPECT_EQ(restoreFromTrash(*second.trashed), RestoreResult::Restored);
    });
    if (!why.empty())
        GTEST_SKIP() << why;
}

// A shared .Trash counts only when it is a sticky folder and no link, and a
// Trash folder is used only when it is the user's own real folder: otherwise
// another user could read or swap what is trashed. Whatever Trash is used is
// the owner's alone.
TEST(Trash, ATopTrashIsUsedOnlyWhenNoOneElseCanReachIt)
{
    const std::string why = onPrivateFileSystem([](const std::string &top) {
        const std::string uid = std::to_string(::getuid());
        const std::string shared = top + "/.Trash", own = top + "/.Trash-" + uid, elsewhere = top + "/elsewhere";
        const std::string sharedOwn = shared + "/" + uid;
        const struct {
            const char *what;
            std::function<void()> prepare;
            std::string trash; // empty: none is used
        } cases[] = {
            {"shared and sticky", [&] { ::mkdir(shared.c_str(), 0777), ::chmod(shared.c_str(), 01777); }, sharedOwn},
            {"shared but not sticky", [&] { ::mkdir(shared.c_str(), 0777), ::chmod(shared.c_str(), 0777); }, own},
            {"shared, a link to a sticky folder",
             [&] {
                 ::mkdir(elsewhere.c_str(), 0777), ::chmod(elsewhere.c_str(), 01777);
                 ::symlink(elsewhere.c_str(), shared.c_str());
             },
             own},
            {"own, a link to a folder",
             [&] {
                 ::mkdir(elsewhere.c_str(), 0700);
                 ::symlink(elsewhere.c_str(), own.c_str());
             },
             ""},
            {"own, its files a link",
             [&] {
                 ::mkdir(own.c_str(), 0700), ::mkdir(elsewhere.c_str(), 0700);
                 ::symlink(elsewhere.c_str(), (own + "/files").c_str());
             },
             ""},
            {"own, open to everyone", [&] { ::mkdir(own.c_str(), 0777), ::chmod(own.c_str(), 0777); }, own},
        };
        TempFolder home;
        for (const auto &c : cases) {
            SCOPED_TRACE(c.what);
            std::error_code ignored;
            for (const std::string &path : {shared, own, elsewhere})
                std::filesystem::remove_all(path, ignored);
            c.prepare();
            writeFileAtomic(top + "/Money.lie", "money");
            const TrashOutcome outcome = moveToTrash(top + "/Money.lie", home.path() + "Trash/", kDeletedAt);
            if (c.trash.empty()) {
                EXPECT_FALSE(outcome.trashed);
                EXPECT_EQ(outcome.failure, TrashFailure::NoTrash);
                EXPECT_EQ(readAll(top + "/Money.lie"), "money");
                continue;
            }
            ASSERT_TRUE(outcome.trashed);
            EXPECT_EQ(outcome.trashed->trashedPath, c.trash + "/files/Money.lie");
            for (const char *folder : {"", "/files", "/info"})
                EXPECT_EQ(modeOf(c.trash + folder), 0700u) << folder;
            EXPECT_EQ(modeOf(outcome.trashed->infoPath), 0600u);
        }
    });
    if (!why.empty())
        GTEST_SKIP() << why;
}

// A name in the Trash is taken by its info file or by a file without one;
// neither is ever overwritten, the new entry takes the next free name.
TEST(Trash, TakenNamesInTheTrashAreNeverOverwritten)
{
    const struct {
        const char *what;
        std::vector<std::string> taken; // relative to the Trash
        std::string entry;
    } cases[] = {
        {"a file without its info", {"files/Money.lie"}, "Money.2.lie"},
        {"an info without its file", {"info/Money.lie.trashinfo"}, "Money.2.lie"},
        {"both, then a file without info",
         {"files/Money.lie", "info/Money.lie.trashinfo", "files/Money.2.lie"},
         "Money.3.lie"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder lies, home;
        const std::string trash = home.path() + "Trash/";
        ASSERT_TRUE(createFolders(trash + "files/") && createFolders(trash + "info/"));
        for (const auto &name : c.taken)
            writeFileAtomic(trash + name, "taken " + name);
        lies.write("Money.lie", "money");
        const TrashOutcome outcome = moveToTrash(lies.file("Money.lie"), trash, kDeletedAt);
        ASSERT_TRUE(outcome.trashed);
        EXPECT_EQ(outcome.trashed->trashedPath, trash + "files/" + c.entry);
        EXPECT_EQ(readAll(outcome.trashed->trashedPath), "money");
        for (const auto &name : c.taken)
            EXPECT_EQ(readAll(trash + name), "taken " + name);
    }
}

} // namespace
} // namespace varnok
