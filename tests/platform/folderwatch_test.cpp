#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/folderwatch.h"
#include "support/fakeui.h"

namespace varnok {
namespace {

using testing::TempFolder;

TEST(FolderWatch, TellsOfNamesComingAndGoingButNotOfWrites)
{
    TempFolder folder, other;
    folder.write("a.lie", "x");
    FolderWatch watch;
    ASSERT_TRUE(watch.watch(folder.path()));
    EXPECT_FALSE(watch.takeChanges());
    const auto started = std::filesystem::current_path();
    std::filesystem::current_path(folder.path()); // as the program does; removed, it then tells nothing

    const struct {
        const char *what;
        std::function<void()> act;
        bool told;
    } steps[] = {
        {"a file made", [&] { folder.write("b.lie", "x"); }, true},
        {"a file renamed", [&] { std::rename(folder.file("b.lie").c_str(), folder.file("c.lie").c_str()); }, true},
        {"a file removed", [&] { ::unlink(folder.file("c.lie").c_str()); }, true},
        {"a file moved in",
         [&] {
             other.write("d.lie", "x");
             std::rename(other.file("d.lie").c_str(), folder.file("d.lie").c_str());
         },
         true},
        {"a file moved out", [&] { std::rename(folder.file("d.lie").c_str(), other.file("d.lie").c_str()); }, true},
        {"a file written in place",
         [&] {
             FILE *f = std::fopen(folder.file("a.lie").c_str(), "ab");
             std::fputs("more", f);
             std::fclose(f);
         },
         false},
        {"a file made in another folder", [&] { other.write("e.lie", "x"); }, false},
        // A folder deleted and made again is followed again once it is back.
        {"the folder removed", [&] { std::filesystem::remove_all(folder.path()); }, true},
        {"the folder made again", [&] { ::mkdir(folder.path().c_str(), 0700); }, true},
        {"a file made in the folder made again", [&] { folder.write("h.lie", "x"); }, true},
    };
    for (const auto &step : steps) {
        step.act();
        EXPECT_EQ(watch.waitForChange(step.told ? 1000 : 100), step.told) << step.what;
        EXPECT_FALSE(watch.takeChanges()) << step.what << ": taken once";
    }
    std::filesystem::current_path(started);

    // Another folder from now on; the first one is no longer watched.
    ASSERT_TRUE(watch.watch(other.path()));
    folder.write("f.lie", "x");
    EXPECT_FALSE(watch.waitForChange(100));
    other.write("g.lie", "x");
    EXPECT_TRUE(watch.waitForChange(1000));
    EXPECT_FALSE(watch.watch(other.file("g.lie"))) << "a file is no folder";
}

} // namespace
} // namespace varnok
