#include "platform/folderlock.h"

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string_view>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

#include "platform/files.h"

namespace varnok {

namespace {

std::string realFolder(const std::string &path)
{
    char resolved[PATH_MAX];
    if (!::realpath(path.c_str(), resolved))
        return path.size() > 1 && path.back() == kSeparator ? path.substr(0, path.size() - 1) : path;
    return resolved;
}

std::string hostName()
{
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0 || !name[0])
        return "localhost";
    std::string host = name;
    for (char &c : host)
        if (c == kSeparator)
            c = '_';
    return host;
}

std::string keyOf(const std::string &realPath)
{
    std::uint64_t hash = 1469598103934665603ull;
    for (const unsigned char c : realPath) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}

// A folder of the user's alone: made 0700, no link, owned by this user; one
// open to others is closed first.
bool privateFolder(const std::string &path)
{
    if (!folderExists(path) && !createFolders(path))
        return false;
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::getuid())
        return false;
    return (info.st_mode & 077) == 0 || ::chmod(path.c_str(), 0700) == 0;
}

long readHolder(int fd)
{
    char text[32] = {};
    const ssize_t n = ::pread(fd, text, sizeof text - 1, 0);
    if (n <= 0)
        return 0;
    return std::strtol(text, nullptr, 10);
}

} // namespace

FolderLock::FolderLock(int fd, std::string path, std::string folder)
    : fd_(fd), path_(std::move(path)), folder_(std::move(folder))
{
}

FolderLock::~FolderLock()
{
    // Removed while still held: a process that opened the old file meanwhile
    // sees, once it has the lock, that the name no longer leads to it.
    ::unlink(path_.c_str());
    ::close(fd_);
}

std::string lockFolderPath()
{
    std::string base;
    if (const char *runtime = std::getenv("XDG_RUNTIME_DIR");
        runtime && runtime[0] == kSeparator && folderExists(runtime))
        base = withTrailingSeparator(runtime) + "varnok/";
    else if (const char *cache = std::getenv("XDG_CACHE_HOME"); cache && cache[0] == kSeparator)
        base = withTrailingSeparator(cache) + "varnok/";
    else if (const auto home = homeFolder(); home && home->front() == kSeparator)
        base = withTrailingSeparator(*home) + ".cache/varnok/";
    return !base.empty() && privateFolder(base) ? base : std::string();
}

FolderClaim claimFolder(const std::string &lieFolder, const std::string &lockFolder)
{
    FolderClaim claim;
    if (lockFolder.empty())
        return claim;
    const std::string folder = realFolder(lieFolder);
    // The host is in the name as well: a home shared by several machines
    // shares its cache folder, and a lock taken on one says nothing on another.
    const std::string path = lockFolder + hostName() + "-" + keyOf(folder) + ".lock";
    for (int attempt = 0; attempt < 10; ++attempt) {
        const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd < 0)
            return claim;
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int error = errno;
            if (error == EWOULDBLOCK) {
                claim.heldElsewhere = true;
                claim.holder = readHolder(fd);
            }
            ::close(fd);
            return claim;
        }
        struct stat held {
        }, named{};
        if (::fstat(fd, &held) != 0 || ::stat(path.c_str(), &named) != 0 || held.st_ino != named.st_ino ||
            held.st_dev != named.st_dev) {
            ::close(fd); // its holder removed it as we took it: try the new one
            continue;
        }
        // Not a document: written in place, since replacing the file would
        // leave the lock on the old one. A reader seeing a half-written id
        // only fails to ring the doorbell and says so.
        const std::string text = std::to_string(::getpid()) + "\n" + folder + "\n";
        if (::ftruncate(fd, 0) != 0 || ::pwrite(fd, text.data(), text.size(), 0) < 0) {
            // The lock holds without the id; a second start then cannot
            // bring this window forward, but still keeps off the folder.
        }
        claim.lock = std::shared_ptr<FolderLock>(new FolderLock(fd, path, folder));
        return claim;
    }
    return claim;
}

std::string realFolderPath(const std::string &path)
{
    return realFolder(path);
}

bool sameFolder(const std::string &a, const std::string &b)
{
    return realFolder(a) == realFolder(b);
}

std::string doorbellPath(const std::string &lockFolder, long pid)
{
    return lockFolder.empty() ? std::string() : lockFolder + hostName() + "-" + std::to_string(pid) + ".socket";
}

} // namespace varnok
