#include <gtest/gtest.h>

#include "platform/textfile.h"

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
