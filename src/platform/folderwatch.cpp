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
// The folder's own removal tells nothing while anyone (this program, whose
// current folder it is, or a shell) still has it open: its parent tells of
// its name going and coming back.
constexpr std::uint32_t kParentEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_ONLYDIR;

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
    std::string path = folder;
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    const auto slash = path.rfind('/');
    name_ = slash == std::string::npos ? path : path.substr(slash + 1);
    const std::string parent = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    watch_ = ::inotify_add_watch(fd_, folder.c_str(), kNameEvents | IN_ONLYDIR);
    if (!name_.empty())
        parentWatch_ = ::inotify_add_watch(fd_, parent.c_str(), kParentEvents);
    return watch_ >= 0;
}

void FolderWatch::rearm()
{
    // The same folder still there keeps its watch.
    const int now = ::inotify_add_watch(fd_, folder_.c_str(), kNameEvents | IN_ONLYDIR);
    if (watch_ >= 0 && watch_ != now)
        ::inotify_rm_watch(fd_, watch_);
    watch_ = now;
}

bool FolderWatch::takeChanges()
{
    if (fd_ < 0)
        return false;
    bool changed = false;
    bool moved = false;
    alignas(inotify_event) char buffer[16384];
    for (;;) {
        const ssize_t got = ::read(fd_, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        for (ssize_t at = 0; at < got;) {
            const auto *event = reinterpret_cast<const inotify_event *>(buffer + at);
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            if (event->wd == parentWatch_ && parentWatch_ >= 0) {
                if (event->mask & IN_IGNORED)
                    parentWatch_ = -1;
                else if (event->len && name_ == event->name)
                    changed = moved = true;
                continue;
            }
            // IN_IGNORED and IN_Q_OVERFLOW included: when in doubt, re-read.
            const bool overflow = event->mask & IN_Q_OVERFLOW;
            const bool own = watch_ >= 0 && event->wd == watch_;
            if (own || overflow)
                changed = true;
            if (overflow || (own && (event->mask & (IN_IGNORED | IN_DELETE_SELF | IN_MOVE_SELF))))
                moved = true;
        }
    }
    if (moved && !folder_.empty())
        rearm();
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
