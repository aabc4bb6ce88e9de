// The steps of an atomic write and of a rename, seen from below: the test
// program is linked with the file-system calls below wrapped (see
// tests/CMakeLists.txt), so a test can record them, make one fail, or end the
// process right after one, as a crash there would.

#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "documents/commands.h"
#include "platform/files.h"
#include "platform/textfile.h"
#include "support/fakeui.h"

namespace varnok {
namespace {

struct Call {
    std::string op;
    std::string path;    // fsync: the file synced; rename: the old name
    std::string target;  // rename: the new name
    long long size = -1; // fsync: the file's size then
};

// What the wrappers do; everything off passes every call straight through.
struct Seam {
    bool recording = false;
    std::vector<Call> calls;
    int renameError = 0;      // errno rename gives instead of renaming
    int renameat2Error = 0;   // errno renameat2 gives instead of renaming
    int exitAfterChanges = 0; // _exit once this many names have changed
    int changes = 0;

    void reset() { *this = Seam(); }
    // Counts a call that changed a name in a folder; a crash may come next.
    void changed()
    {
        if (exitAfterChanges > 0 && ++changes == exitAfterChanges)
            ::_exit(42);
    }
};
Seam seam;

std::string pathOf(int fd)
{
    char buffer[PATH_MAX];
    const ssize_t got = ::readlink(("/proc/self/fd/" + std::to_string(fd)).c_str(), buffer, sizeof buffer - 1);
    return got > 0 ? std::string(buffer, static_cast<std::size_t>(got)) : std::string();
}

std::string realPath(const std::string &path)
{
    char *real = ::realpath(path.c_str(), nullptr);
    std::string result = real ? real : path;
    std::free(real);
    return result;
}

} // namespace
} // namespace varnok

using varnok::seam;

extern "C" {
int __real_fsync(int fd);
int __real_rename(const char *from, const char *to);
int __real_renameat2(int fromDir, const char *from, int toDir, const char *to, unsigned flags);
int __real_link(const char *from, const char *to);
int __real_unlink(const char *path);

int __wrap_fsync(int fd)
{
    if (seam.recording) {
        struct stat info {};
        ::fstat(fd, &info);
        seam.calls.push_back({"fsync", varnok::pathOf(fd), {}, static_cast<long long>(info.st_size)});
    }
    return __real_fsync(fd);
}

int __wrap_rename(const char *from, const char *to)
{
    if (seam.recording)
        seam.calls.push_back({"rename", varnok::realPath(from), to, -1});
    if (seam.renameError != 0) {
        errno = seam.renameError;
        return -1;
    }
    const int result = __real_rename(from, to);
    if (result == 0)
        seam.changed();
    return result;
}

int __wrap_renameat2(int fromDir, const char *from, int toDir, const char *to, unsigned flags)
{
    if (seam.renameat2Error != 0) {
        errno = seam.renameat2Error;
        return -1;
    }
    const int result = __real_renameat2(fromDir, from, toDir, to, flags);
    if (result == 0)
        seam.changed();
    return result;
}

int __wrap_link(const char *from, const char *to)
{
    const int result = __real_link(from, to);
    if (result == 0)
        seam.changed();
    return result;
}

int __wrap_unlink(const char *path)
{
    const int result = __real_unlink(path);
    if (result == 0)
        seam.changed();
    return result;
}
}

namespace varnok {
namespace {

using testing::TempFolder;
using Names = std::vector<std::string>;

class WriteSteps : public ::testing::Test {
protected:
    void SetUp() override { seam.reset(); }
    void TearDown() override { seam.reset(); }
};

// The temporary's bytes reach the disk before it takes the document's name,
// and the folder's new entry after: a crash at any moment leaves the old
// text or the whole new one.
TEST_F(WriteSteps, BytesAreSyncedBeforeTheRenameAndTheFolderAfter)
{
    for (const bool inPieces : {false, true}) {
        SCOPED_TRACE(inPieces ? "produced in pieces" : "given whole");
        seam.reset();
        TempFolder f;
        f.write("essay.ess", "old");
        const std::string bytes = "the new text\r\n";
        seam.recording = true;
        const auto pieces = [&bytes](const BytePut &put) {
            put(std::string_view(bytes).substr(0, 4));
            put(std::string_view(bytes).substr(4));
        };
        const Status written =
            inPieces ? writeFileAtomic(f.file("essay.ess"), pieces) : writeFileAtomic(f.file("essay.ess"), bytes);
        seam.recording = false;
        ASSERT_TRUE(written);

        ASSERT_EQ(seam.calls.size(), 3u);
        const Call &sync = seam.calls[0], &rename = seam.calls[1], &folder = seam.calls[2];
        EXPECT_EQ(rename.op, "rename");
        EXPECT_EQ(rename.target, f.file("essay.ess"));
        EXPECT_TRUE(isTemporaryName(baseName(rename.path))) << rename.path;
        EXPECT_EQ(sync.op, "fsync");
        EXPECT_EQ(sync.path, rename.path) << "the temporary is synced, and before its rename";
        EXPECT_EQ(sync.size, static_cast<long long>(bytes.size())) << "synced before every byte was written";
        EXPECT_EQ(folder.op, "fsync");
        EXPECT_EQ(folder.path, realPath(f.path()));
        EXPECT_EQ(f.read("essay.ess"), bytes);
    }
}

// A rename that fails is the write's failure, with its reason: the old
// file stays, the temporary goes, and the command says it could not write.
TEST_F(WriteSteps, AFailedRenameIsReportedAndChangesNothing)
{
    for (const int error : {EIO, ENOSPC, EXDEV, EACCES}) {
        SCOPED_TRACE(error);
        TempFolder f;
        f.write("essay.ess", "old");
        seam.renameError = error;
        const Status written = writeFileAtomic(f.file("essay.ess"), "new");
        EXPECT_FALSE(written);
        EXPECT_EQ(written.error(), error);
        EXPECT_EQ(f.read("essay.ess"), "old");
        EXPECT_EQ(f.names(), Names{"essay.ess"});
        seam.reset();
    }

    testing::Harness h;
    seam.renameError = EIO;
    h.ui.answerInput("A new lie");
    bLiesNewClick(h.ctx);
    seam.reset();
    EXPECT_EQ(h.ui.messages, Names{"Cannot create file " + h.folder.file("A new lie.lie") + "."});
    EXPECT_EQ(h.folder.names(), Names{});
}

// Ended right after any step of a rename that changed a name, as a kill
// there would end it: exactly one of the two names is left, with the text.
TEST_F(WriteSteps, ARenameEndedAfterAnyStepLeavesExactlyOneName)
{
    for (const bool fileSystemRefusesNoReplace : {false, true}) {
        for (int step = 1; step <= 3; ++step) {
            SCOPED_TRACE(std::string(fileSystemRefusesNoReplace ? "fallback, " : "") + "step " + std::to_string(step));
            TempFolder f;
            f.write("Money.lie", "money");
            const pid_t child = ::fork();
            ASSERT_GE(child, 0);
            if (child == 0) {
                seam.exitAfterChanges = step;
                if (fileSystemRefusesNoReplace)
                    seam.renameat2Error = EINVAL;
                ::_exit(renameNoReplace(f.file("Money.lie"), f.file("Cash.lie")) ? 0 : 1);
            }
            int status = 0;
            ASSERT_EQ(::waitpid(child, &status, 0), child);
            ASSERT_TRUE(WIFEXITED(status));
            const Names left = f.names();
            // Where no rename in one step exists, link and unlink are two, and
            // a crash between them leaves both names; that is all it can do.
            if (fileSystemRefusesNoReplace && step == 1) {
                EXPECT_EQ(left, (Names{"Cash.lie", "Money.lie"}));
                continue;
            }
            EXPECT_EQ(left, Names{"Cash.lie"});
            EXPECT_EQ(f.read("Cash.lie"), "money");
        }
    }
}

} // namespace
} // namespace varnok
