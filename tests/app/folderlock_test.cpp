#include <gtest/gtest.h>

#include <string>
#include <unistd.h>

#include "app/startup.h"
#include "platform/folderlock.h"
#include "support/fakeui.h"

namespace varnok {
namespace {

using testing::Harness;
using testing::TempFolder;

// Another Varnok's lock is, to flock, just another open file of the lock:
// one taken here stands in for a second process. Start-up stops before
// anything is asked or read; Open Lie set refuses the held folder and keeps
// its own; a folder let go can be taken.
TEST(FolderLock, AFolderAnotherVarnokHoldsIsNeitherStartedInNorOpened)
{
    TempFolder locks, second;
    Harness h;
    h.state.lockFolder = locks.path();
    const StartupPlaces places{{h.folder.path()}, "/nowhere/", h.folder.path(), "x"};
    FolderClaim other = claimFolder(h.folder.path(), locks.path());
    ASSERT_TRUE(other.lock);
    EXPECT_FALSE(startUp(h.ctx, places));
    EXPECT_EQ(h.state.folderHolder, ::getpid());
    EXPECT_TRUE(h.ui.log.empty()) << "no first-start question while the other one works";

    other.lock.reset();
    h.folder.write("Varnok.Ini", "");
    ASSERT_TRUE(startUp(h.ctx, places));
    EXPECT_EQ(locks.names().size(), 1u);
    EXPECT_EQ(h.folder.names(), std::vector<std::string>{"Varnok.Ini"}) << "nothing of the lock in the lie folder";

    const struct {
        const char *what;
        std::string folder;
        bool heldByOther;
        bool switched;
    } cases[] = {
        {"held by another", second.path(), true, false},
        {"the same folder by another path", h.folder.path() + ".", false, true},
        {"free", second.path(), false, true},
        {"back, the first let go", h.folder.path(), false, true},
    };
    for (const auto &c : cases) {
        FolderClaim holder = c.heldByOther ? claimFolder(c.folder, locks.path()) : FolderClaim{};
        const std::string before = h.state.lieFolder;
        h.ui.messages.clear();
        EXPECT_EQ(openLieSet(h.ctx, c.folder), c.switched) << c.what;
        EXPECT_EQ(sameFolder(h.state.lieFolder, c.folder), c.switched || sameFolder(before, c.folder)) << c.what;
        EXPECT_EQ(h.ui.messages.size(), c.switched ? 0u : 1u) << c.what;
        // Whatever happened, this one holds the folder it is in.
        EXPECT_TRUE(claimFolder(h.state.lieFolder, locks.path()).heldElsewhere) << c.what;
    }
}

} // namespace
} // namespace varnok
