#include <cerrno>
#include <cstdio>
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

// Files are read whole at every size around the reading's steps, also
// where the system gives no size ahead (as for /proc).
TEST(ReadFileBytes, ReadsWholeFilesOfEverySize)
{
    testing::TempFolder folder;
    for (const std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{65535}, std::size_t{65536},
                                   std::size_t{65537}, std::size_t{(1 << 20) + 3}}) {
        std::string bytes(size, 'x');
        for (std::size_t i = 0; i < size; i += 7)
            bytes[i] = static_cast<char>(i % 251);
        folder.write("f.ess", bytes);
        std::string read = "old";
        ASSERT_TRUE(readFileBytes(folder.file("f.ess"), read)) << size;
        EXPECT_TRUE(read == bytes) << size;
    }
    std::string expected;
    if (std::FILE *file = std::fopen("/proc/self/mountinfo", "rb")) {
        char buffer[4096];
        std::size_t got;
        while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
            expected.append(buffer, got);
        std::fclose(file);
        std::string read;
        ASSERT_TRUE(readFileBytes("/proc/self/mountinfo", read));
        EXPECT_FALSE(read.empty());
        EXPECT_EQ(read, expected);
    }
}

// Bytes handed over piece by piece arrive whole and in order, whatever the
// pieces' sizes: tiny ones by the million, empty ones, ones larger than any
// block the writer gathers, and none at all.
TEST(WriteFileAtomic, BytesMadeWhileWritingArriveWholeInOrder)
{
    const std::string big(3 << 20, 'b');
    const std::string quarter(1 << 18, 'q');
    const struct {
        const char *what;
        std::vector<std::string_view> pieces;
        int repeats;
    } cases[] = {
        {"nothing", {}, 1},
        {"small and empty pieces past several blocks", {"ab", "", "c\r\n", "defgh"}, 400000},
        {"a piece larger than a block between small ones", {"x", big, "y"}, 2},
        {"quarter blocks between small ones, many megabytes", {"x", quarter, "yz"}, 40},
    };
    testing::TempFolder folder;
    for (const auto &c : cases) {
        std::string expected;
        for (int r = 0; r < c.repeats; ++r)
            for (const auto piece : c.pieces)
                expected += piece;
        const bool written = writeFileAtomic(folder.file("out.gen"), [&c](const BytePut &put) {
                                 for (int r = 0; r < c.repeats; ++r)
                                     for (const auto piece : c.pieces)
                                         if (!put(piece))
                                             return;
                             }).ok();
        ASSERT_TRUE(written) << c.what;
        EXPECT_TRUE(folder.read("out.gen") == expected) << c.what;
        EXPECT_EQ(folder.names(), std::vector<std::string>{"out.gen"}) << c.what;
    }
    // A missing folder: nothing is produced and nothing is left behind.
    bool produced = false;
    EXPECT_FALSE(writeFileAtomic(folder.path() + "missing/out.gen", [&](const BytePut &) { produced = true; }).ok());
    EXPECT_FALSE(produced);
    EXPECT_EQ(folder.names(), std::vector<std::string>{"out.gen"});
}

} // namespace
} // namespace varnok

namespace varnok {

TEST(WriteFileAtomic, AWriteNoLongerWantedLeavesTheOldFileAndNoTemporary)
{
    testing::TempFolder folder;
    const std::string path = folder.file("a.gen");
    const auto produce = [](const BytePut &put) { put("new "), put("bytes"); };
    for (const bool existed : {false, true}) {
        SCOPED_TRACE(existed);
        if (existed)
            folder.write("a.gen", "old");
        int asked = 0;
        const Status status = writeFileAtomic(path, produce, [&] { return ++asked, false; });
        EXPECT_FALSE(status);
        EXPECT_EQ(status.error(), ECANCELED);
        EXPECT_EQ(asked, 1);
        EXPECT_EQ(folder.names(), existed ? std::vector<std::string>{"a.gen"} : std::vector<std::string>{});
        if (existed) {
            EXPECT_EQ(folder.read("a.gen"), "old");
        }
    }
    EXPECT_TRUE(writeFileAtomic(path, produce, [] { return true; }));
    EXPECT_EQ(folder.read("a.gen"), "new bytes");
}

} // namespace varnok
