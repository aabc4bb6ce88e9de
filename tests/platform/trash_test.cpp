#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <pwd.h>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <sys/time.h>
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

// A file on another file system goes to the Trash at that file system's top.
// /dev/shm is a file system of its own on most machines; the test's entries
// there are removed again.
TEST(Trash, OtherFileSystemsUseTheTrashAtTheirTop)
{
    struct stat tmp {
    }, shm{};
    TempFolder home;
    if (::stat(home.path().c_str(), &tmp) != 0 || ::stat("/dev/shm", &shm) != 0 || tmp.st_dev == shm.st_dev ||
        ::access("/dev/shm", W_OK) != 0)
        GTEST_SKIP() << "no second writable file system at /dev/shm";
    const std::string uid = std::to_string(::getuid());
    const std::string own = "/dev/shm/.Trash-" + uid;
    const std::string shared = "/dev/shm/.Trash";
    if (fileExists(own) || folderExists(own) || folderExists(shared))
        GTEST_SKIP() << "a Trash exists on /dev/shm already; not touching it";

    char pattern[] = "/dev/shm/varnok-trash-XXXXXX";
    ASSERT_TRUE(::mkdtemp(pattern));
    const std::string folder = std::string(pattern) + "/";
    const std::string sub = std::string(pattern).substr(std::string("/dev/shm/").size());
    writeFileAtomic(folder + "a b.lie", "one\r\n");
    writeFileAtomic(folder + "c.lie", "two\r\n");

    // Without a shared .Trash: the user's own .Trash-<uid>, made 0700, the
    // path recorded relative to the top.
    const TrashOutcome first = moveToTrash(folder + "a b.lie", home.path() + "Trash/", kDeletedAt);
    ASSERT_TRUE(first.trashed);
    EXPECT_EQ(first.trashed->trashedPath, own + "/files/a b.lie");
    EXPECT_EQ(readAll(first.trashed->infoPath), infoText(sub + "/a%20b.lie"));
    EXPECT_EQ(modeOf(own), 0700u);
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

    std::error_code ignored;
    std::filesystem::remove_all(own, ignored);
    std::filesystem::remove_all(shared, ignored);
    std::filesystem::remove_all(pattern, ignored);
}

} // namespace
} // namespace varnok
