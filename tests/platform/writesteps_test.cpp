// The steps of an atomic write and of a rename, seen from below: the test
// program is linked with the file-system calls below wrapped (see
// tests/CMakeLists.txt), so a test can record them, make one fail, or end the
// process right after one, as a crash there would.

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <utility>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "documents/commands.h"
#include "platform/files.h"
#include "platform/textfile.h"
#include "platform/trash.h"
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
    // Runs once, just before the next call that gives a file a name: what
    // another program does between a check and the step itself.
    std::function<void()> meanwhile;

    void reset() { *this = Seam(); }
    void beforeNaming()
    {
        if (auto act = std::exchange(meanwhile, nullptr))
            act();
    }
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
    seam.beforeNaming();
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
    if (seam.recording)
        seam.calls.push_back({"rename", varnok::realPath(from), to, -1});
    if (seam.renameat2Error != 0) {
        errno = seam.renameat2Error;
        return -1;
    }
    seam.beforeNaming();
    const int result = __real_renameat2(fromDir, from, toDir, to, flags);
    if (result == 0)
        seam.changed();
    return result;
}

int __wrap_link(const char *from, const char *to)
{
    seam.beforeNaming();
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

// A Trash entry's info file is on the disk before the file moves in, so a
// crash in between never leaves a trashed file without its way back.
TEST_F(WriteSteps, TheTrashInfoIsSyncedBeforeTheFileMoves)
{
    TempFolder lies, home;
    lies.write("Money.lie", "money");
    seam.recording = true;
    const TrashOutcome outcome = moveToTrash(lies.file("Money.lie"), home.path() + "Trash/", DateTime{2026, 12, 7});
    seam.recording = false;
    ASSERT_TRUE(outcome.trashed);
    const auto step = [](const std::string &op, const std::string &path) {
        return std::find_if(seam.calls.begin(), seam.calls.end(),
                            [&](const Call &call) { return call.op == op && call.path == path; });
    };
    const auto sync = step("fsync", realPath(outcome.trashed->infoPath));
    const auto move = step("rename", realPath(lies.path()) + "/Money.lie");
    ASSERT_NE(sync, seam.calls.end()) << "the info file is never synced";
    ASSERT_NE(move, seam.calls.end());
    EXPECT_LT(sync - seam.calls.begin(), move - seam.calls.begin());
    std::string info;
    ASSERT_TRUE(readFileBytes(outcome.trashed->infoPath, info));
    EXPECT_EQ(sync->size, static_cast<long long>(info.size())) << "synced before it was written whole";
}

// Every step that gives a file another name leaves alone a file that took
// that name after the program looked: both texts stay, under their names.
TEST_F(WriteSteps, ANameThatAppearsMeanwhileIsNeverReplaced)
{
    const struct {
        const char *what;
        int renameat2Error;
        std::function<void(testing::Harness &)> rename;
    } cases[] = {
        {"a rename", 0,
         [](testing::Harness &h) {
             EXPECT_FALSE(renameNoReplace(h.folder.file("Money.lie"), h.folder.file("Cash.lie")));
         }},
        {"a rename where the file system has no such step", EINVAL,
         [](testing::Harness &h) {
             EXPECT_FALSE(renameNoReplace(h.folder.file("Money.lie"), h.folder.file("Cash.lie")));
         }},
        {"the Rename command", 0,
         [](testing::Harness &h) {
             h.state.lies.reread(h.state.lieFolder);
             h.state.lies.setSelected(0, true);
             h.ui.answerRename(RenameAnswer{"Money.lie", "Cash.lie"});
             h.ui.answerConfirm(true);
             bLiesRenameClick(h.ctx);
         }},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        seam.reset();
        testing::Harness h;
        h.folder.write("Money.lie", "money");
        seam.renameat2Error = c.renameat2Error;
        seam.meanwhile = [&h] { h.folder.write("Cash.lie", "cash"); };
        c.rename(h);
        EXPECT_EQ(h.folder.names(), (Names{"Cash.lie", "Money.lie"}));
        EXPECT_EQ(h.folder.read("Cash.lie"), "cash");
        EXPECT_EQ(h.folder.read("Money.lie"), "money");
    }

    // Put back from the Trash while a new file of its old name appears.
    seam.reset();
    TempFolder lies, home;
    lies.write("Money.lie", "old");
    const TrashOutcome trashed = moveToTrash(lies.file("Money.lie"), home.path() + "Trash/", DateTime{2026, 12, 7});
    ASSERT_TRUE(trashed.trashed);
    seam.meanwhile = [&lies] { lies.write("Money.lie", "new"); };
    EXPECT_EQ(restoreFromTrash(*trashed.trashed), RestoreResult::NameTaken);
    EXPECT_EQ(lies.read("Money.lie"), "new");
    std::string kept;
    EXPECT_TRUE(readFileBytes(trashed.trashed->trashedPath, kept));
    EXPECT_EQ(kept, "old");
}

} // namespace
} // namespace varnok
