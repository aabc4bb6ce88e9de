#pragma once

#include <memory>
#include <string>

namespace varnok {

struct FolderClaim;

// One running Varnok per lie folder: a second one would write the same
// essays and settings behind the first one's back.
//
// The lock is a file outside the lie folder, so that a sync tool never
// carries it to another machine and no listing ever shows it: in the user's
// runtime folder ($XDG_RUNTIME_DIR/varnok/), else in the cache folder
// (~/.cache/varnok/), named by this machine and the folder's real path. It is
// held with flock, which the kernel lets go when the process ends however it
// ends, so a crash never leaves a folder locked.
class FolderLock {
public:
    ~FolderLock();
    FolderLock(const FolderLock &) = delete;
    FolderLock &operator=(const FolderLock &) = delete;

    // The real path the lock is for.
    const std::string &folder() const { return folder_; }

private:
    friend FolderClaim claimFolder(const std::string &, const std::string &);
    FolderLock(int fd, std::string path, std::string folder);
    int fd_;
    std::string path_;
    std::string folder_;
};

struct FolderClaim {
    // Set when this process now holds the folder.
    std::shared_ptr<FolderLock> lock;
    // When another process holds it: its process id (0 when it could not be
    // read).
    long holder = 0;
    bool heldElsewhere = false;
};

// Where the locks and the windows' doorbells live; made private to the user
// when missing. Ends in the separator; empty when there is no such place.
std::string lockFolderPath();

// Takes the lock of a lie folder in lockFolder. Neither taken nor held
// elsewhere when the lock file cannot be made at all: Varnok then runs
// without one, as it did before there were locks.
FolderClaim claimFolder(const std::string &lieFolder, const std::string &lockFolder);

// A folder's real path (links resolved, no trailing separator); the path as
// given when it cannot be resolved.
std::string realFolderPath(const std::string &path);

// Whether two paths name the same folder once links are resolved.
bool sameFolder(const std::string &a, const std::string &b);

// The path of the local socket a running window listens on, by process id.
std::string doorbellPath(const std::string &lockFolder, long pid);

} // namespace varnok
