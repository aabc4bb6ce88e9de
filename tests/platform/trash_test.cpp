#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/files.h"
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
        {"no home at all", lies.file("a.lie"), "", TrashFailure::NoTrash},
        {"home Trash cannot be made", lies.file("a.lie"), lies.file("blocker") + "/Trash/", TrashFailure::NoTrash},
    };
    for (const auto &c : cases) {
        const TrashOutcome outcome = moveToTrash(c.path, c.homeTrash, kDeletedAt);
        EXPECT_FALSE(outcome.trashed) << c.what;
        EXPECT_EQ(outcome.failure, c.failure) << c.what;
    }
    EXPECT_EQ(lies.read("a.lie"), "x");
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
