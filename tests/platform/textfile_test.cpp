#include <cerrno>
#include <csignal>
#include <cstdio>
#include <sys/resource.h>
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
        FileBytes into;
        ASSERT_TRUE(readFileBytes(folder.file("f.ess"), into)) << size;
        EXPECT_TRUE(into.view() == bytes) << size;
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
        FileBytes into;
        ASSERT_TRUE(readFileBytes("/proc/self/mountinfo", into));
        EXPECT_EQ(into.view(), expected);
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

// A large file is written a block at a time on a thread of its own, straight
// to the disk where it can be; the file-size limit stops it wherever it
// falls: in the first block, at a block's edge, within a later one, in the
// tail that goes through the cache, or in the last block of a file that has
// no tail.
TEST(WriteFileAtomic, AWriteStoppedAnywhereFailsWholeAndKeepsTheOldFile)
{
    constexpr std::size_t kMB = std::size_t{1} << 20;
    std::string bytes;
    for (std::size_t i = 0; bytes.size() < 4 * kMB + 100; ++i)
        bytes += std::to_string(i) + (i % 7 ? " " : "\r\n");
    bytes.resize(4 * kMB + 100);
    const struct {
        std::size_t size, limit;
    } cases[] = {{bytes.size(), 0},
                 {bytes.size(), 1},
                 {bytes.size(), kMB - 1},
                 {bytes.size(), kMB},
                 {bytes.size(), kMB + 1},
                 {bytes.size(), 2 * kMB + kMB / 2},
                 {bytes.size(), 4 * kMB},
                 {bytes.size(), 4 * kMB + 99},
                 {bytes.size(), 4 * kMB + 100},
                 {3 * kMB, 2 * kMB + 4096},
                 {3 * kMB, 3 * kMB}};
    testing::TempFolder folder;
    folder.write("a.gen", "old");
    struct rlimit kept {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &kept), 0);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    for (const auto &c : cases) {
        SCOPED_TRACE(::testing::Message() << c.size << " bytes, limit " << c.limit);
        const std::string_view wanted = std::string_view(bytes).substr(0, c.size);
        struct rlimit small = kept;
        small.rlim_cur = c.limit;
        ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
        const Status status = writeFileAtomic(folder.file("a.gen"), [&](const BytePut &put) {
            // In pieces of uneven sizes, as an essay's chunks come.
            for (std::size_t at = 0, n = 1; at < wanted.size(); at += n, n = n * 3 % 300007 + 1)
                if (!put(wanted.substr(at, n)))
                    return;
        });
        ::setrlimit(RLIMIT_FSIZE, &kept);
        if (c.limit >= c.size) {
            EXPECT_TRUE(status);
            EXPECT_TRUE(folder.read("a.gen") == wanted);
            folder.write("a.gen", "old");
        } else {
            EXPECT_EQ(status.error(), EFBIG);
            EXPECT_EQ(folder.read("a.gen"), "old");
        }
        EXPECT_EQ(folder.names(), std::vector<std::string>{"a.gen"});
    }
    std::signal(SIGXFSZ, previous);
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
