#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "app/startup.h"
#include "platform/files.h"
#include "support/fakeui.h"
#include "support/unprivileged.h"

namespace varnok {
namespace {

using testing::Harness;

TEST(InstallPath, InstalledProgramsLiveUnderUsrOrOptOrInABinFolder)
{
    struct Case {
        const char *folder;
        bool installed;
    };
    const Case cases[] = {
        {"/usr/bin/", true},
        {"/usr/local/bin/", true},
        {"/usr/games/", true},
        {"/usr/", true},
        {"/usr", true},
        {"/opt/varnok/", true},
        {"/opt/varnok/bin/", true},
        {"/home/me/.local/bin/", true},
        {"/home/me/apps/bin", true},
        {"/home/me/bin//", true},
        {"bin/", true},
        {"/home/me/varnok/build/", false},
        {"/home/me/varnok/build-run/", false},
        {"/home/me/bin/varnok/", false},
        {"/home/me/binaries/", false},
        {"/home/me/cabin/", false},
        {"/tmp/usr/bin-old/", false},
        {"/usrdata/", false},
        {"/optional/", false},
        {"usr/lib/", false},
        {"/", false},
        {"", false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(isInstalledProgramFolder(c.folder), c.installed) << '"' << c.folder << '"';
}

TEST(InstallPath, ARunFromTheBuildFolderKeepsTheLiesBesideTheProgram)
{
    Harness h;
    h.ui.answerOpen(std::nullopt);
    startUp(h.ctx, {{}, h.folder.path() + "build/", h.folder.path() + "data/", "x"});
    EXPECT_EQ(h.state.lieFolder, h.folder.path() + "build/Lies/");
    EXPECT_TRUE(folderExists(h.state.lieFolder));
    EXPECT_FALSE(h.folder.exists("data"));

    // An existing folder is used as it is, and an argument still wins.
    Harness again;
    ASSERT_TRUE(createFolders(again.folder.path() + "build/Lies"));
    again.folder.write("build/Lies/Varnok.Ini", "[Settings]\r\nWidth=500\r\n");
    startUp(again.ctx, {{}, again.folder.path() + "build/", again.folder.path() + "data/", "x"});
    EXPECT_EQ(again.state.lieFolder, again.folder.path() + "build/Lies/");
    EXPECT_EQ(again.state.options.width, 500);
    EXPECT_TRUE(again.ui.messages.empty());

    Harness named;
    named.ui.answerOpen(std::nullopt);
    startUp(named.ctx, {{named.folder.path() + "mine"}, "/usr/bin/", named.folder.path() + "data/", "x"});
    EXPECT_EQ(named.state.lieFolder, named.folder.path() + "mine/");
    EXPECT_FALSE(named.folder.exists("data"));
}

TEST(InstallPath, AProgramInstalledUnderAHomePrefixUsesTheDataFolder)
{
    Harness h;
    ASSERT_TRUE(createFolders(h.folder.path() + "prefix/bin"));
    h.ui.answerOpen(std::nullopt);
    startUp(h.ctx, {{}, h.folder.path() + "prefix/bin/", h.folder.path() + "data/", "x"});
    EXPECT_EQ(h.state.lieFolder, h.folder.path() + "data/Lies/");
    EXPECT_FALSE(h.folder.exists("prefix/bin/Lies"));
}

TEST(InstallPath, AnInstalledProgramUsesTheDataFolderEvenWhenItCouldWriteBesideItself)
{
    // Folders that the administrator could create; the program must not.
    for (const std::string programFolder : {"/opt/varnok-installpath-test/", "/usr/lib/varnok-installpath-test/"}) {
        Harness h;
        h.ui.answerOpen(std::nullopt);
        startUp(h.ctx, {{}, programFolder, h.folder.path() + "data/", "x"});
        EXPECT_EQ(h.state.lieFolder, h.folder.path() + "data/Lies/") << programFolder;
        EXPECT_TRUE(folderExists(h.state.lieFolder));
        const bool strayFolder = folderExists(programFolder);
        EXPECT_FALSE(strayFolder) << programFolder;
        if (strayFolder) {
            ::rmdir((programFolder + "Lies").c_str());
            ::rmdir(programFolder.c_str());
        }
    }
}

TEST(InstallPath, AProgramFolderOfTheUsersOwnNeedsAWritableLieFolder)
{
    if (!testing::canRunUnprivileged())
        GTEST_SKIP() << "running as root without the right to become another user";

    // "Lies" exists beside the program but the user may not write in it.
    Harness h;
    ASSERT_TRUE(createFolders(h.folder.path() + "app/Lies"));
    ASSERT_EQ(::chmod((h.folder.path() + "app/Lies").c_str(), 0500), 0);
    EXPECT_EQ(
        testing::checkUnprivileged(h.folder.path(),
                                   [&] {
                                       h.ui.answerOpen(std::nullopt);
                                       startUp(h.ctx, {{}, h.folder.path() + "app/", h.folder.path() + "data/", "x"});
                                       EXPECT_EQ(h.state.lieFolder, h.folder.path() + "data/Lies/");
                                   }),
        "");

    // A read-only program folder with a writable "Lies" made for the user.
    Harness shared;
    ASSERT_TRUE(createFolders(shared.folder.path() + "app/Lies"));
    ASSERT_EQ(::chmod((shared.folder.path() + "app").c_str(), 0500), 0);
    EXPECT_EQ(testing::checkUnprivileged(
                  shared.folder.path(),
                  [&] {
                      shared.ui.answerOpen(std::nullopt);
                      startUp(shared.ctx, {{}, shared.folder.path() + "app/", shared.folder.path() + "data/", "x"});
                      EXPECT_EQ(shared.state.lieFolder, shared.folder.path() + "app/Lies/");
                      EXPECT_FALSE(shared.folder.exists("data"));
                  }),
              "");
    ::chmod((shared.folder.path() + "app").c_str(), 0700);
}

} // namespace
} // namespace varnok
