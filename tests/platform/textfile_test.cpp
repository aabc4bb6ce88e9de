#include <cerrno>
#include <gtest/gtest.h>

#include "platform/textfile.h"
#include "support/fakeui.h"

namespace varnok {
namespace {

TEST(SplitLines, BreaksAtEveryKindOfLineEnd)
{
    EXPECT_EQ(splitLines("a\r\nb\rc\nd"), (Lines{"a", "b", "c", "d"}));
    EXPECT_EQ(splitLines("a\r\n"), (Lines{"a"}));
    EXPECT_EQ(splitLines(""), Lines{});
    EXPECT_EQ(splitLines("\r\n"), (Lines{""}));
    EXPECT_EQ(splitLines("a\n\nb\n"), (Lines{"a", "", "b"}));
    EXPECT_EQ(splitLines("a\r\r\nb"), (Lines{"a", "", "b"}));
    EXPECT_EQ(splitLines(std::string_view("ab\0cd\r\nx", 9)), (Lines{"ab"}));
}

} // namespace
} // namespace varnok

namespace varnok {

TEST(WriteFileAtomic, AWriteNoLongerWantedLeavesTheOldFileAndNoTemporary)
{
    testing::TempFolder folder;
    const std::string path = folder.file("a.gen");
    for (const bool existed : {false, true}) {
        SCOPED_TRACE(existed);
        if (existed)
            folder.write("a.gen", "old");
        int asked = 0;
        errno = 0;
        EXPECT_FALSE(writeFileAtomic(path, "new", [&] { return ++asked, false; }));
        EXPECT_EQ(errno, ECANCELED);
        EXPECT_EQ(asked, 1);
        EXPECT_EQ(folder.names(), existed ? std::vector<std::string>{"a.gen"} : std::vector<std::string>{});
        if (existed) {
            EXPECT_EQ(folder.read("a.gen"), "old");
        }
    }
    EXPECT_TRUE(writeFileAtomic(path, "new", [] { return true; }));
    EXPECT_EQ(folder.read("a.gen"), "new");
}

} // namespace varnok
