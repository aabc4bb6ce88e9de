#include "platform/trash.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <set>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/files.h"

namespace varnok {

namespace {

std::string parentOf(const std::string &path)
{
    const auto slash = path.find_last_of(kSeparator, path.size() > 1 ? path.size() - 2 : 0);
    if (slash == std::string::npos)
        return {};
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

std::string withoutTrailingSeparator(std::string path)
{
    while (path.size() > 1 && path.back() == kSeparator)
        path.pop_back();
    return path;
}

// The device of a path's nearest existing ancestor (or itself).
bool deviceOfNearest(std::string path, dev_t &device)
{
    path = withoutTrailingSeparator(path);
    while (!path.empty()) {
        struct stat info {};
        if (::stat(path.c_str(), &info) == 0) {
            device = info.st_dev;
            return true;
        }
        path = parentOf(path);
    }
    return false;
}

// The mount point of the file system holding a folder: the last ancestor on
// the same device.
std::string topDirectoryOf(const std::string &folder, dev_t device)
{
    std::string top = withoutTrailingSeparator(folder);
    while (top != "/") {
        const std::string up = parentOf(top);
        struct stat info {};
        if (up.empty() || ::stat(up.c_str(), &info) != 0 || info.st_dev != device)
            break;
        top = up;
    }
    return top;
}

// A folder of our own: made 0700 when missing, a real folder (no link) owned
// by this user when present. One left open to others (a .Trash-<uid> made
// 0777 by some tool, a home Trash of 0755) would show them what we delete, or
// let them swap it before Undo: it is closed first, or not used.
bool ownFolder(const std::string &path)
{
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST)
        return false;
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::getuid())
        return false;
    if ((info.st_mode & 077) == 0)
        return true;
    return ::chmod(path.c_str(), info.st_mode & 07700) == 0 && ::lstat(path.c_str(), &info) == 0 &&
           (info.st_mode & 077) == 0;
}

bool usableTrash(const std::string &trash)
{
    return ownFolder(trash) && ownFolder(trash + "/files") && ownFolder(trash + "/info");
}

// The Trash at the top of a file system, made when allowed; empty when none.
std::string topDirectoryTrash(const std::string &top)
{
    const std::string base = top == "/" ? std::string() : top;
    const std::string uid = std::to_string(::getuid());
    // A shared ".Trash" counts only when an administrator made it sticky and
    // it is no link: otherwise another user could read or swap our files.
    struct stat info {};
    const std::string shared = base + "/.Trash";
    if (::lstat(shared.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && (info.st_mode & S_ISVTX) &&
        usableTrash(shared + "/" + uid))
        return shared + "/" + uid;
    const std::string own = base + "/.Trash-" + uid;
    return usableTrash(own) ? own : std::string();
}

std::string twoDigits(int value)
{
    char text[8];
    std::snprintf(text, sizeof text, "%02d", value);
    return text;
}

std::string deletionDate(const DateTime &t)
{
    return std::to_string(t.year) + "-" + twoDigits(t.month) + "-" + twoDigits(t.day) + "T" + twoDigits(t.hour) + ":" +
           twoDigits(t.minute) + ":" + twoDigits(t.second);
}

bool writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// The name in the Trash: the file's own, or with ".2", ".3", ... before its
// extension when the Trash holds that name already.
std::string candidateName(const std::string &name, int attempt)
{
    if (attempt == 1)
        return name;
    const auto dot = name.rfind('.');
    // Built up rather than "." + ...: GCC 12 at -O2 warns (wrongly) of
    // overlapping copies in that operator.
    std::string suffix = ".";
    suffix += std::to_string(attempt);
    if (dot == std::string::npos || dot == 0)
        return name + suffix;
    return name.substr(0, dot) + suffix + name.substr(dot);
}

// The longest name a folder takes.
std::size_t longestName(const std::string &folder)
{
    const long max = ::pathconf(folder.c_str(), _PC_NAME_MAX);
    return max > 0 ? static_cast<std::size_t>(max) : NAME_MAX;
}

// A name short enough that its info file (".trashinfo" added) and a number
// of a further attempt still fit: the stem is cut, at a whole UTF-8
// character, and the extension kept, so the Trash still shows what it was.
std::string nameForTrash(const std::string &name, std::size_t longest)
{
    static constexpr std::size_t kRoom = sizeof ".trashinfo" - 1 + sizeof ".9999" - 1;
    if (name.size() + kRoom <= longest)
        return name;
    const std::size_t budget = longest > kRoom ? longest - kRoom : 1;
    const auto dot = name.rfind('.');
    std::string extension = dot != std::string::npos && dot > 0 && name.size() - dot <= 16 ? name.substr(dot) : "";
    std::size_t keep = budget > extension.size() ? budget - extension.size() : 1;
    keep = std::min(keep, name.size() - extension.size());
    while (keep > 1 && (static_cast<unsigned char>(name[keep]) & 0xC0) == 0x80)
        --keep;
    return name.substr(0, keep) + extension;
}

bool diskFull(int error)
{
    return error == ENOSPC || error == EDQUOT;
}

// An info file older than this without its file was left by a move that
// never ended (a kill, a crash, a power cut); a younger one may belong to a
// move another program is making right now.
constexpr std::time_t kStrayInfoAge = 10 * 60;

// Removes such info files, once per Trash and run: a file manager would list
// them as entries that cannot be restored.
void removeStrayInfoFiles(const std::string &trash)
{
    static std::mutex guard;
    static std::set<std::string> cleaned;
    {
        const std::lock_guard<std::mutex> lock(guard);
        if (!cleaned.insert(trash).second)
            return;
    }
    DIR *folder = ::opendir((trash + "/info").c_str());
    if (!folder)
        return;
    static constexpr std::string_view kSuffix = ".trashinfo";
    const std::time_t now = std::time(nullptr);
    while (const dirent *entry = ::readdir(folder)) {
        const std::string_view name = entry->d_name;
        if (name.size() <= kSuffix.size() || !name.ends_with(kSuffix))
            continue;
        const std::string infoPath = trash + "/info/" + std::string(name);
        const std::string filePath = trash + "/files/" + std::string(name.substr(0, name.size() - kSuffix.size()));
        struct stat info {};
        if (::lstat(infoPath.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || now - info.st_mtime < kStrayInfoAge)
            continue;
        struct stat file {};
        if (::lstat(filePath.c_str(), &file) != 0 && errno == ENOENT)
            ::unlink(infoPath.c_str());
    }
    ::closedir(folder);
}

bool readSmallFile(const std::string &path, std::string &bytes)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return false;
    char buffer[4096];
    bytes.clear();
    ssize_t n = 0;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0 && bytes.size() < 65536)
        bytes.append(buffer, static_cast<std::size_t>(n));
    ::close(fd);
    return n == 0;
}

std::string absoluteFolderOf(const std::string &path)
{
    std::string folder = parentOf(path[0] == kSeparator ? path : currentFolder() + path);
    char resolved[PATH_MAX];
    if (folder.empty() || !::realpath(folder.c_str(), resolved))
        return {};
    return resolved;
}

} // namespace

std::string homeTrashFolder()
{
    const char *dataHome = std::getenv("XDG_DATA_HOME");
    if (dataHome && dataHome[0] == kSeparator)
        return withTrailingSeparator(dataHome) + "Trash/";
    const auto home = homeFolder();
    if (!home || home->front() != kSeparator)
        return {};
    return withTrailingSeparator(*home) + ".local/share/Trash/";
}

std::string percentEncodePath(const std::string &path)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(path.size());
    for (char ch : path) {
        const auto c = static_cast<unsigned char>(ch);
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
                           c == '_' || c == '.' || c == '~' || c == '/';
        if (plain) {
            out += ch;
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

TrashOutcome moveToTrash(const std::string &path, const std::string &homeTrash, const DateTime &deletedAt)
{
    TrashOutcome outcome;
    struct stat info {};
    if (path.empty() || ::lstat(path.c_str(), &info) != 0 || S_ISDIR(info.st_mode)) {
        outcome.failure = TrashFailure::Gone;
        return outcome;
    }
    const std::string folder = absoluteFolderOf(path);
    if (folder.empty()) {
        outcome.failure = TrashFailure::Gone;
        return outcome;
    }
    const std::string original = (folder == "/" ? std::string() : folder) + "/" + baseName(path);
    if (::access(folder.c_str(), W_OK | X_OK) != 0) {
        outcome.failure = TrashFailure::Refused;
        return outcome;
    }

    // Renaming is the only move that keeps the file whole whatever happens,
    // so only a Trash on the file's own file system will do.
    std::string trash;
    std::string recordedPath = original;
    dev_t homeDevice{};
    // Without a home there is no way to tell whose Trash a file system's
    // top would be for, so nothing is trashed at all.
    if (homeTrash.empty()) {
        outcome.failure = TrashFailure::NoHome;
        return outcome;
    }
    if (!deviceOfNearest(homeTrash, homeDevice)) {
        outcome.failure = TrashFailure::NoTrash;
        return outcome;
    }
    if (homeDevice == info.st_dev) {
        const std::string home = withoutTrailingSeparator(homeTrash);
        if (createFolders(parentOf(home)) && usableTrash(home))
            trash = home;
    } else {
        const std::string top = topDirectoryOf(folder, info.st_dev);
        trash = topDirectoryTrash(top);
        // Relative to the top, so the entry still holds when the disk is
        // mounted elsewhere.
        if (top != "/")
            recordedPath = original.substr(top.size() + 1);
    }
    if (trash.empty()) {
        outcome.failure = TrashFailure::NoTrash;
        return outcome;
    }

    removeStrayInfoFiles(trash);

    const std::string content =
        "[Trash Info]\nPath=" + percentEncodePath(recordedPath) + "\nDeletionDate=" + deletionDate(deletedAt) + "\n";
    const std::string name =
        nameForTrash(baseName(original), std::min(longestName(trash + "/info"), longestName(trash + "/files")));
    int error = 0;
    for (int attempt = 1; attempt < 10000; ++attempt) {
        const std::string entry = candidateName(name, attempt);
        const std::string infoPath = trash + "/info/" + entry + ".trashinfo";
        const std::string trashedPath = trash + "/files/" + entry;
        // The info file, made exclusively, reserves the name.
        const int fd = ::open(infoPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            error = errno;
            break;
        }
        const bool written = writeAll(fd, content) && ::fsync(fd) == 0;
        error = written ? 0 : errno;
        ::close(fd);
        struct stat taken {};
        if (written && ::lstat(trashedPath.c_str(), &taken) != 0) {
            // Never over a file that takes the name between the check and now.
            int moved = ::renameat2(AT_FDCWD, path.c_str(), AT_FDCWD, trashedPath.c_str(), RENAME_NOREPLACE);
            if (moved != 0 && (errno == EINVAL || errno == ENOSYS))
                moved = ::rename(path.c_str(), trashedPath.c_str());
            if (moved == 0) {
                outcome.trashed = TrashedFile{original, trashedPath, infoPath, content, info.st_dev, info.st_ino};
                return outcome;
            }
            error = errno;
        }
        ::unlink(infoPath.c_str());
        if (written && (error == EEXIST || ::lstat(trashedPath.c_str(), &taken) == 0))
            continue; // a file without its info file holds the name
        break;
    }
    outcome.failure = diskFull(error) ? TrashFailure::DiskFull : TrashFailure::CannotMove;
    outcome.error = error;
    return outcome;
}

std::string trashFailureReason(const TrashOutcome &outcome)
{
    switch (outcome.failure) {
    case TrashFailure::NoHome:
        return "you have no home folder to hold a Trash";
    case TrashFailure::NoTrash:
        return "there is no Trash on its file system";
    case TrashFailure::DiskFull:
        return "the disk holding the Trash is full";
    case TrashFailure::Gone:
    case TrashFailure::Refused:
    case TrashFailure::CannotMove:
        break;
    }
    if (outcome.error == ENAMETOOLONG)
        return "its name is too long for the Trash";
    if (outcome.error != 0)
        return std::string("it could not be moved there (") + std::strerror(outcome.error) + ")";
    return "it could not be moved there";
}

RestoreResult restoreFromTrash(const TrashedFile &file)
{
    struct stat info {};
    if (::lstat(file.trashedPath.c_str(), &info) != 0)
        return RestoreResult::Gone;
    // The Trash may have been emptied and the name taken by another file
    // deleted from elsewhere: that one is not ours to move.
    std::string infoText;
    if (!readSmallFile(file.infoPath, infoText) || infoText != file.infoText || info.st_dev != file.device ||
        info.st_ino != file.inode)
        return RestoreResult::Replaced;
    if (::lstat(file.originalPath.c_str(), &info) == 0 || resolveNoCase(file.originalPath) != file.originalPath)
        return RestoreResult::NameTaken;
    if (!renameNoReplace(file.trashedPath, file.originalPath))
        return errno == EEXIST ? RestoreResult::NameTaken : RestoreResult::Failed;
    ::unlink(file.infoPath.c_str());
    return RestoreResult::Restored;
}

} // namespace varnok
