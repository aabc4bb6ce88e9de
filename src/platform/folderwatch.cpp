#include "platform/folderwatch.h"

#include <cerrno>
#include <cstdint>
#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

namespace varnok {

namespace {

// Names come and go; a write into a file changes no list. The folder itself
// moved or removed changes every list.
constexpr std::uint32_t kNameEvents =
    IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF | IN_ATTRIB;

} // namespace

FolderWatch::FolderWatch() : fd_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC))
{
}

FolderWatch::~FolderWatch()
{
    if (fd_ >= 0)
        ::close(fd_);
}

bool FolderWatch::watch(const std::string &folder)
{
    if (fd_ < 0)
        return false;
    for (int *wd : {&watch_, &parentWatch_}) {
        if (*wd >= 0)
            ::inotify_rm_watch(fd_, *wd);
        *wd = -1;
    }
    folder_.clear();
    takeChanges(); // what the old folder left waiting
    folder_ = folder;
    watch_ = ::inotify_add_watch(fd_, folder.c_str(), kNameEvents | IN_ONLYDIR);
    return watch_ >= 0;
}

namespace {

std::string withoutSeparator(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

} // namespace

void FolderWatch::lost()
{
    if (watch_ >= 0)
        ::inotify_rm_watch(fd_, watch_); // moved away: it would follow another folder
    watch_ = -1;
    if (parentWatch_ < 0) {
        const std::string path = withoutSeparator(folder_);
        const auto slash = path.rfind('/');
        const std::string parent = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
        parentWatch_ = ::inotify_add_watch(fd_, parent.c_str(), IN_CREATE | IN_MOVED_TO | IN_ONLYDIR);
    }
    // Made again before the parent was watched: nothing would tell.
    rearm();
}

bool FolderWatch::rearm()
{
    watch_ = ::inotify_add_watch(fd_, folder_.c_str(), kNameEvents | IN_ONLYDIR);
    if (watch_ < 0)
        return false;
    if (parentWatch_ >= 0)
        ::inotify_rm_watch(fd_, parentWatch_);
    parentWatch_ = -1;
    return true;
}

bool FolderWatch::takeChanges()
{
    if (fd_ < 0)
        return false;
    bool changed = false;
    bool gone = false;
    alignas(inotify_event) char buffer[16384];
    for (;;) {
        const ssize_t got = ::read(fd_, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        for (ssize_t at = 0; at < got;) {
            const auto *event = reinterpret_cast<const inotify_event *>(buffer + at);
            // IN_IGNORED and IN_Q_OVERFLOW included: when in doubt, re-read.
            if (event->wd == watch_ || (event->mask & IN_Q_OVERFLOW))
                changed = true;
            if (event->wd == watch_ && (event->mask & (IN_IGNORED | IN_DELETE_SELF | IN_MOVE_SELF)))
                gone = true;
            if (event->wd == parentWatch_ && parentWatch_ >= 0 && watch_ < 0 && rearm())
                changed = true;
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
    if (gone && !folder_.empty())
        lost();
    return changed;
}

bool FolderWatch::waitForChange(int timeoutMs)
{
    if (fd_ < 0)
        return false;
    pollfd entry{fd_, POLLIN, 0};
    if (::poll(&entry, 1, timeoutMs) <= 0)
        return false;
    return takeChanges();
}

} // namespace varnok
