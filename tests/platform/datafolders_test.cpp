#include <gtest/gtest.h>

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

#include "platform/files.h"

namespace varnok {
namespace {

using Folders = std::vector<std::string>;

TEST(DataFolders, ThePerUserFolderNeverFallsBackToASharedPlace)
{
    struct Case {
        const char *xdgDataHome;
        std::optional<std::string> home;
        std::optional<std::string> expected;
    };
    const Case cases[] = {
        {nullptr, "/home/me", "/home/me/.local/share/varnok/"},
        {nullptr, "/home/me/", "/home/me/.local/share/varnok/"},
        {"/data/me", "/home/me", "/data/me/varnok/"},
        {"/data/me", std::nullopt, "/data/me/varnok/"},
        // A relative XDG_DATA_HOME is invalid and ignored.
        {"data", "/home/me", "/home/me/.local/share/varnok/"},
        {"", "/home/me", "/home/me/.local/share/varnok/"},
        {nullptr, std::nullopt, std::nullopt},
        {"data", std::nullopt, std::nullopt},
        {nullptr, "", std::nullopt},
    };
    for (const auto &c : cases)
        EXPECT_EQ(userDataFolderFor(c.xdgDataHome, c.home), c.expected)
            << (c.xdgDataHome ? c.xdgDataHome : "(unset)") << " " << c.home.value_or("(none)");
}

TEST(DataFolders, SharedFoldersComeFromXdgDataDirsWithTheStandardDefault)
{
    struct Case {
        const char *xdgDataDirs;
        Folders expected;
    };
    const Folders standard{"/usr/local/share/", "/usr/share/"};
    const Case cases[] = {
        {nullptr, standard},
        {"", standard},
        {"/usr/share", {"/usr/share/"}},
        {"/opt/share/:/usr/share", {"/opt/share/", "/usr/share/"}},
        {"/a::/b:", {"/a/", "/b/"}},
        {"relative:/b", {"/b/"}},
        // Set, but naming nothing usable: nothing is searched.
        {":", {}},
        {"relative", {}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(systemDataFoldersFor(c.xdgDataDirs), c.expected) << (c.xdgDataDirs ? c.xdgDataDirs : "(unset)");
}

TEST(DataFolders, WithoutHomeTheAccountsHomeIsUsed)
{
    const passwd *entry = ::getpwuid(::getuid());
    if (!entry || !entry->pw_dir || !*entry->pw_dir)
        GTEST_SKIP() << "this account has no home in the password database";
    const std::string accountHome = entry->pw_dir;
    const char *saved = std::getenv("HOME");
    const std::optional<std::string> savedHome = saved ? std::optional<std::string>(saved) : std::nullopt;

    ::setenv("HOME", "/somewhere/else", 1);
    EXPECT_EQ(homeFolder(), "/somewhere/else");
    ::unsetenv("HOME");
    EXPECT_EQ(homeFolder(), accountHome);
    ::setenv("HOME", "", 1);
    EXPECT_EQ(homeFolder(), accountHome);

    if (savedHome)
        ::setenv("HOME", savedHome->c_str(), 1);
    else
        ::unsetenv("HOME");
}

} // namespace
} // namespace varnok
