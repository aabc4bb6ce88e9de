// A FIFO or a device where a document, the settings or a picture should be:
// reading must neither wait for a writer that never comes nor read without
// end. Each is refused like a file that cannot be opened, and the program
// goes on.

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "app/startup.h"
#include "platform/textfile.h"
#include "support/fakeui.h"
#include "testrun/history.h"
#include "testrun/testdrive.h"

namespace varnok {
namespace {

using testing::Harness;
using testing::TempFolder;

// Should a reader block on the FIFO, this opens its other end after a while,
// writes the bytes and closes it, so the read ends with them instead of
// hanging the test; a reader that refused the FIFO never sees them.
class FifoRescue {
public:
    FifoRescue(std::string path, std::string bytes)
        : path_(std::move(path)), bytes_(std::move(bytes)), thread_([this] { run(); })
    {
    }
    ~FifoRescue()
    {
        {
            std::lock_guard lock(mutex_);
            done_ = true;
        }
        wake_.notify_all();
        thread_.join();
    }
    FifoRescue(const FifoRescue &) = delete;
    FifoRescue &operator=(const FifoRescue &) = delete;

    bool rescued() const { return rescued_; }

private:
    void run()
    {
        std::unique_lock lock(mutex_);
        if (wake_.wait_for(lock, std::chrono::seconds(2), [this] { return done_; }))
            return;
        while (!done_) {
            // Succeeds only while a reader has the FIFO open.
            const int fd = ::open(path_.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            if (fd >= 0) {
                rescued_ = ::write(fd, bytes_.data(), bytes_.size()) >= 0;
                ::close(fd);
            }
            wake_.wait_for(lock, std::chrono::milliseconds(50), [this] { return done_; });
        }
    }

    std::string path_;
    std::string bytes_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool done_ = false;
    bool rescued_ = false;
    std::thread thread_;
};

void makeFifo(const std::string &path)
{
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0) << path;
}

TEST(SpecialFiles, OnlyRegularFilesAreRead)
{
    TempFolder f;
    makeFifo(f.file("fifo.ess"));
    ASSERT_EQ(::symlink("/dev/null", f.file("null.ess").c_str()), 0);
    ASSERT_EQ(::symlink("/dev/zero", f.file("zero.ess").c_str()), 0);
    ::mkdir(f.file("folder.ess").c_str(), 0700);
    f.write("plain.ess", "text");
    ASSERT_EQ(::symlink(f.file("plain.ess").c_str(), f.file("link.ess").c_str()), 0);

    std::string bytes = "untouched";
    {
        FifoRescue rescue(f.file("fifo.ess"), "from the FIFO");
        ASSERT_FALSE(readFileBytes(f.file("fifo.ess"), bytes));
        EXPECT_FALSE(rescue.rescued()) << "the read waited for a writer";
    }
    // A device that ends at once is no document either; one that never ends
    // (checked only once the others are refused) must not fill the memory.
    ASSERT_FALSE(readFileBytes(f.file("null.ess"), bytes));
    ASSERT_FALSE(readFileBytes(f.file("folder.ess"), bytes));
    const Status zero = readFileBytes(f.file("zero.ess"), bytes);
    EXPECT_FALSE(zero);
    EXPECT_NE(zero.error(), 0);
    EXPECT_EQ(bytes, "untouched");
    Lines lines;
    EXPECT_FALSE(readLines(f.file("fifo.ess"), lines));
    EXPECT_TRUE(lines.empty());

    // A link to a regular file is read as that file.
    ASSERT_TRUE(readFileBytes(f.file("link.ess"), bytes));
    EXPECT_EQ(bytes, "text");
}

TEST(SpecialFiles, ASettingsFileThatIsAFifoGivesTheDefaults)
{
    Harness h;
    makeFifo(h.folder.file("Varnok.Ini"));
    FifoRescue rescue(h.folder.file("Varnok.Ini"), "[Settings]\r\nWidth=999\r\n");
    startUp(h.ctx, {{h.folder.path()}, "/nowhere/", h.folder.path(), "x"});
    EXPECT_FALSE(rescue.rescued()) << "start-up waited for a writer";
    EXPECT_EQ(h.state.options.width, 415);
    EXPECT_EQ(h.state.lieFolder, h.folder.path());
}

TEST(SpecialFiles, HistoryAndReviewReportAnEssayThatIsNoFile)
{
    for (const bool fifo : {true, false}) {
        SCOPED_TRACE(fifo ? "FIFO" : "link to /dev/null");
        Harness h;
        h.folder.write("a.lie", "a\r\n");
        if (fifo)
            makeFifo(h.folder.file("a.ess"));
        else
            ASSERT_EQ(::symlink("/dev/null", h.folder.file("a.ess").c_str()), 0);
        FifoRescue rescue(h.folder.file("a.ess"), "a\r\n\r\n2026-01-03 0905am  RESPONSE: 7\r\n");
        h.state.lies.reread(h.state.lieFolder);
        h.state.lies.selectAll();
        h.ui.memo = "before";
        bLiesHistoryClick(h.ctx);
        EXPECT_EQ(h.ui.messages, std::vector<std::string>{"Cannot open file " + h.folder.file("a.ess") + "."});
        EXPECT_EQ(h.ui.memo, "before");
        EXPECT_FALSE(rescue.rescued()) << "History waited for a writer";
    }

    testing::TestDrive td;
    td.lie("a.lie", "a");
    makeFifo(td.h.folder.file("a.ess"));
    FifoRescue rescue(td.h.folder.file("a.ess"), "a\r\n");
    td.reread();
    td.h.state.lies.selectAll();
    td.startFull("Run");
    td.answer(1);
    EXPECT_FALSE(rescue.rescued()) << "the review waited for a writer";
    EXPECT_EQ(td.h.ui.messages, std::vector<std::string>{"Cannot open file " + td.h.folder.file("a.ess") + "."});
    // The summary was written before; the FIFO was left as it was.
    EXPECT_TRUE(td.exists("Run.tst"));
    struct stat info {};
    ASSERT_EQ(::lstat(td.h.folder.file("a.ess").c_str(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
}

} // namespace
} // namespace varnok
