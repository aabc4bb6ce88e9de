#pragma once

#include <string>

namespace varnok {

// Tells when files are added to, removed from or renamed in one folder by
// anyone, this program included. Nothing is read until asked: a window
// watches descriptor() for reading and then calls takeChanges().
class FolderWatch {
public:
    FolderWatch();
    ~FolderWatch();
    FolderWatch(const FolderWatch &) = delete;
    FolderWatch &operator=(const FolderWatch &) = delete;

    // Watches this folder from now on, instead of any before. False when it
    // cannot be watched (the lists then change only when re-read).
    bool watch(const std::string &folder);
    const std::string &folder() const { return folder_; }

    // Readable while changes wait to be taken; -1 without a watch.
    int descriptor() const { return fd_; }

    // Takes the waiting changes; true when any concerned the folder's names,
    // or the folder itself went or came back.
    bool takeChanges();

    // Waits up to timeoutMs for a change and takes it.
    bool waitForChange(int timeoutMs);

private:
    // Watches whatever folder now has the name, if any, in place of the one
    // watched before.
    void rearm();

    int fd_ = -1;
    int watch_ = -1;
    int parentWatch_ = -1;
    std::string folder_;
    std::string name_; // the folder's name in its parent
};

} // namespace varnok
