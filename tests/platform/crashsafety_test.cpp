#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <random>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "app/startup.h"
#include "platform/files.h"
#include "platform/textfile.h"
#include "support/fakeui.h"

namespace varnok {
namespace {

using testing::TempFolder;
using Names = std::vector<std::string>;

// An essay of about three megabytes whose every line says which version it
// belongs to, so a mix of two versions or a cut-off one cannot pass as whole.
std::string largeEssay(char version)
{
    std::string text;
    const std::string line = std::string("Version ") + version + ": " + std::string(90, version) + "\r\n";
    while (text.size() < 3 * 1024 * 1024)
        text += line;
    return text;
}

std::vector<std::string> temporariesIn(const TempFolder &folder)
{
    std::vector<std::string> found;
    for (const auto &name : folder.names())
        if (isTemporaryName(name))
            found.push_back(name);
    return found;
}

void ageFile(const std::string &path, int seconds)
{
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    const struct timespec times[2] = {{info.st_atime - seconds, 0}, {info.st_mtime - seconds, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

// A count of steps a forked child has completed, in memory both processes
// share, so the parent can kill it after a chosen number of steps instead of
// after a guessed time (a child slowed by a busy machine or a sanitizer may
// not have done anything yet).
class StepCount {
public:
    StepCount()
        : count_(static_cast<std::atomic<long> *>(
              ::mmap(nullptr, sizeof(std::atomic<long>), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0)))
    {
        if (count_ == MAP_FAILED)
            count_ = nullptr;
        else
            new (count_) std::atomic<long>(0);
    }
    ~StepCount()
    {
        if (count_)
            ::munmap(count_, sizeof(std::atomic<long>));
    }
    bool valid() const { return count_ != nullptr; }
    void reset() { count_->store(0); }
    void done() { count_->fetch_add(1); }
    // Waits until the child has done `steps`; false when it ended first
    // (and was reaped).
    bool waitFor(pid_t child, long steps) const
    {
        while (count_->load() < steps) {
            int status = 0;
            if (::waitpid(child, &status, WNOHANG) != 0)
                return false;
            ::usleep(20); // the child needs the processor more than the parent
        }
        return true;
    }

private:
    std::atomic<long> *count_;
};

// A writer killed at any moment leaves the essay as it was or as it was to
// become, whole, and nothing it left behind is ever listed.
TEST(CrashSafety, KilledWritesLeaveOldOrNewContentWhole)
{
    TempFolder folder;
    const std::string path = folder.file("Money.ess");
    const std::string versions[2] = {largeEssay('A'), largeEssay('B')};
    ASSERT_TRUE(writeFileAtomic(path, versions[0]));

    // The kill follows one or two whole writes, so it falls into whatever
    // part of the next one the child is in: creating, writing, flushing,
    // renaming. Which version was written last is then chosen by the test,
    // not by how fast the machine is.
    StepCount writes;
    ASSERT_TRUE(writes.valid());
    std::mt19937 pick(20261207);
    std::uniform_int_distribution<long> after(1, 2);

    int seen[2] = {0, 0};
    int current = 0; // the version the file holds
    for (int kill = 0; kill < 100; ++kill) {
        writes.reset();
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (int i = current + 1;; ++i) {
                if (!writeFileAtomic(path, versions[i % 2]))
                    ::_exit(3);
                writes.done();
            }
        }
        ASSERT_TRUE(writes.waitFor(child, after(pick))) << "the writer ended on its own";
        ASSERT_EQ(::kill(child, SIGKILL), 0);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the writer failed on its own, status " << status;

        std::string left;
        ASSERT_TRUE(readFileBytes(path, left));
        ASSERT_TRUE(left == versions[0] || left == versions[1]) << "kill " << kill << ": " << left.size() << " bytes";
        current = left == versions[0] ? 0 : 1;
        ++seen[current];
        ASSERT_EQ(listFolder(folder.path(), "*.ess"), Names{"Money.ess"});
        ASSERT_EQ(listFolder(folder.path(), "*"), Names{"Money.ess"});
    }
    // Both versions occurred, or the kills did not fall where they should.
    EXPECT_GT(seen[0], 0);
    EXPECT_GT(seen[1], 0);

    // Hidden leftovers of the kills are temporaries by name; once stale they
    // are removed, and the essay stays.
    auto leftovers = temporariesIn(folder);
    for (const auto &name : folder.names())
        EXPECT_TRUE(name == "Money.ess" || isTemporaryName(name)) << name;
    for (const auto &name : leftovers)
        ageFile(folder.file(name), 2 * kStaleTemporaryAge);
    EXPECT_EQ(removeStaleTemporaries(folder.path()), leftovers.size());
    EXPECT_EQ(folder.names(), Names{"Money.ess"});
    std::string last;
    ASSERT_TRUE(readFileBytes(path, last));
    EXPECT_TRUE(last == versions[0] || last == versions[1]);
}

// A Lie renamed back and forth and killed at any moment is found under one
// of its names, whole, never under both and never under neither.
TEST(CrashSafety, KilledRenamesLeaveExactlyOneName)
{
    TempFolder folder;
    const std::string names[2] = {"Money.lie", "Cash.lie"};
    const std::string text = largeEssay('R');
    folder.write(names[0], text);

    // Killed after one to four renames, while it is in the next one.
    StepCount renames;
    ASSERT_TRUE(renames.valid());
    std::mt19937 pick(20261208);
    std::uniform_int_distribution<long> after(1, 4);
    int seen[2] = {0, 0};
    for (int kill = 0; kill < 100; ++kill) {
        renames.reset();
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (int i = folder.exists(names[0]) ? 0 : 1;; i = 1 - i) {
                if (!renameNoReplace(folder.file(names[i]), folder.file(names[1 - i])))
                    ::_exit(3);
                renames.done();
            }
        }
        ASSERT_TRUE(renames.waitFor(child, after(pick))) << "the renamer ended on its own";
        ASSERT_EQ(::kill(child, SIGKILL), 0);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the renamer failed on its own, status " << status;

        const Names left = folder.names();
        ASSERT_EQ(left.size(), 1u) << "kill " << kill << ": " << ::testing::PrintToString(left);
        ASSERT_EQ(folder.read(left[0]), text);
        ++seen[left[0] == names[0] ? 0 : 1];
    }
    // Both names occurred, or the kills did not fall where they should.
    EXPECT_GT(seen[0], 0);
    EXPECT_GT(seen[1], 0);
}

TEST(CrashSafety, OnlyStaleTemporariesOfThisProgramAreRemoved)
{
    TempFolder folder;
    TempFolder elsewhere;
    elsewhere.write("victim", "keep me");
    const struct {
        const char *name;
        bool temporary;
    } names[] = {
        {".Money.ess.AbCdEf012345.varnok-tmp", true},
        {".a.aaaaaaaaaaaa.varnok-tmp", true},
        {".Money.ess.AbCdEf01234.varnok-tmp", false},   // suffix one short
        {".Money.ess.AbCdEf01234-.varnok-tmp", false},  // not from the alphabet
        {"Money.ess.AbCdEf012345.varnok-tmp", false},   // not hidden
        {"..AbCdEf012345.varnok-tmp", false},           // no name before the suffix
        {".Money.ess.AbCdEf012345.varnok-tmp~", false}, // another program's backup
        {".Money.ess.AbCdEf012345.varnok-TMP", false},  // the marker is exact
        // Without the marker a name may be anybody's, also one of the form
        // the program used before it had one.
        {".Money.ess.AbCdEf012345.tmp", false},
        {".notes.txt.aaaaaaaaaaaa.tmp", false},
        {".Money.ess", false},
    };
    for (const auto &n : names) {
        SCOPED_TRACE(n.name);
        EXPECT_EQ(isTemporaryName(n.name), n.temporary);
        folder.write(n.name, "x");
        ageFile(folder.file(n.name), 2 * kStaleTemporaryAge);
    }
    // A fresh one may belong to a write in progress; a link is never followed
    // nor removed, whatever its name.
    folder.write(".Fresh.lie.abcdefghijkl.varnok-tmp", "x");
    ASSERT_EQ(::symlink(elsewhere.file("victim").c_str(), folder.file(".Link.lie.abcdefghijkl.varnok-tmp").c_str()), 0);
    ageFile(elsewhere.file("victim"), 2 * kStaleTemporaryAge);

    EXPECT_EQ(removeStaleTemporaries(folder.path()), 2u);
    EXPECT_EQ(folder.names(),
              (Names{"..AbCdEf012345.varnok-tmp", ".Fresh.lie.abcdefghijkl.varnok-tmp",
                     ".Link.lie.abcdefghijkl.varnok-tmp", ".Money.ess", ".Money.ess.AbCdEf01234-.varnok-tmp",
                     ".Money.ess.AbCdEf01234.varnok-tmp", ".Money.ess.AbCdEf012345.tmp",
                     ".Money.ess.AbCdEf012345.varnok-TMP", ".Money.ess.AbCdEf012345.varnok-tmp~",
                     ".notes.txt.aaaaaaaaaaaa.tmp", "Money.ess.AbCdEf012345.varnok-tmp"}));
    EXPECT_EQ(elsewhere.read("victim"), "keep me");
    EXPECT_EQ(removeStaleTemporaries(folder.file("missing/")), 0u);
}

TEST(CrashSafety, OpeningALieFolderRemovesWhatCrashesLeftThere)
{
    testing::Harness h;
    h.folder.write("Varnok.Ini", "[Settings]\r\n");
    h.folder.write(".Money.ess.AbCdEf012345.varnok-tmp", "a private copy");
    h.folder.write(".Money.ess.ZyXwVu987654.varnok-tmp", "a write in progress");
    ageFile(h.folder.file(".Money.ess.AbCdEf012345.varnok-tmp"), 2 * kStaleTemporaryAge);
    startUp(h.ctx, {{h.folder.path()}, "/nowhere/", h.folder.path(), "x"});
    EXPECT_EQ(h.folder.names(), (Names{".Money.ess.ZyXwVu987654.varnok-tmp", "Varnok.Ini"}));

    TempFolder other;
    other.write(".a.lie.000000000000.varnok-tmp", "x");
    ageFile(other.file(".a.lie.000000000000.varnok-tmp"), 2 * kStaleTemporaryAge);
    openLieSet(h.ctx, other.path());
    EXPECT_EQ(other.names(), Names{});
}

} // namespace
} // namespace varnok
