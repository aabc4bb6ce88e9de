#include "platform/files.h"

#include "platform/collate.h"
#include "platform/textfile.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <ctime>

namespace varnok {

namespace {

char foldCase(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool matchPattern(std::string_view name, std::string_view pattern)
{
    // "*.lie" and the like, what every list asks for: only the name's end
    // decides, and trying each place for the star would cost far more.
    if (pattern.size() > 1 && pattern.front() == '*' && pattern.find_first_of("*?", 1) == std::string_view::npos) {
        const std::size_t tail = pattern.size() - 1;
        return name.size() >= tail && equalNoCase(name.substr(name.size() - tail), pattern.substr(1));
    }
    // Iterative wildcard match with one back-track point: linear in practice.
    std::size_t n = 0, p = 0, starP = std::string_view::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || foldCase(pattern[p]) == foldCase(name[n]))) {
            ++n;
            ++p;
        } else if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

std::string folderPart(const std::string &path)
{
    const auto slash = path.rfind(kSeparator);
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

} // namespace

bool fileExists(const std::string &path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

bool folderExists(const std::string &path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool folderWritable(const std::string &path)
{
    return folderExists(path) && ::access(path.c_str(), W_OK | X_OK) == 0;
}

Status createFolders(const std::string &path)
{
    if (path.empty())
        return Status::failed(ENOENT);
    std::string partial;
    std::size_t pos = 0;
    while (pos <= path.size()) {
        auto next = path.find(kSeparator, pos);
        if (next == std::string::npos)
            next = path.size();
        partial = path.substr(0, next);
        pos = next + 1;
        if (partial.empty() || folderExists(partial))
            continue;
        if (::mkdir(partial.c_str(), 0700) != 0 && errno != EEXIST)
            return Status::lastError();
    }
    return folderExists(path) ? Status() : Status::failed(ENOTDIR);
}

Status removeFile(const std::string &path)
{
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0)
        return Status::lastError();
    if (S_ISDIR(info.st_mode))
        return Status::failed(EISDIR);
    return ::unlink(path.c_str()) == 0 ? Status() : Status::lastError();
}

std::string baseName(std::string_view path)
{
    const auto slash = path.rfind(kSeparator);
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

Status renameNoReplace(const std::string &from, const std::string &to)
{
    struct stat info {};
    if (::lstat(to.c_str(), &info) == 0)
        return Status::failed(EEXIST);
    // A name that differs only in letter case names the same document here.
    if (resolveNoCase(to) != to && !equalNoCase(baseName(resolveNoCase(to)), baseName(from)))
        return Status::failed(EEXIST);
    if (::lstat(from.c_str(), &info) != 0)
        return Status::lastError();
    if (S_ISDIR(info.st_mode))
        return Status::failed(EISDIR);
    // One step that never replaces a target, even one that appears between
    // the checks above and now; a kill leaves the old name or the new, never both.
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return Status();
    if (errno != EINVAL && errno != ENOSYS)
        return Status::lastError();
    // The file system cannot rename without replacing. link + unlink cannot
    // replace either, though a kill between the two leaves both names.
    if (::link(from.c_str(), to.c_str()) == 0)
        return ::unlink(from.c_str()) == 0 ? Status() : Status::lastError();
    if (errno == EEXIST)
        return Status::lastError();
    // File systems without hard links: fall back to a checked rename.
    if (::lstat(to.c_str(), &info) == 0)
        return Status::failed(EEXIST);
    return ::rename(from.c_str(), to.c_str()) == 0 ? Status() : Status::lastError();
}

std::string resolveNoCase(const std::string &path)
{
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0)
        return path;
    const std::string folder = folderPart(path);
    const std::string name = baseName(path);
    std::unique_ptr<DIR, int (*)(DIR *)> dir(::opendir(folder.empty() ? "." : folder.c_str()), ::closedir);
    if (!dir)
        return path;
    while (const dirent *entry = ::readdir(dir.get())) {
        if (equalNoCase(entry->d_name, name))
            return folder + entry->d_name;
    }
    return path;
}

namespace {

std::string foldedName(std::string_view name)
{
    std::string folded(name);
    for (char &c : folded)
        c = foldCase(c);
    return folded;
}

} // namespace

FolderNamesNoCase::FolderNamesNoCase(const std::string &folder) : folder_(folder)
{
    std::unique_ptr<DIR, int (*)(DIR *)> dir(::opendir(folder.empty() ? "." : folder.c_str()), ::closedir);
    if (!dir)
        return;
    while (const dirent *entry = ::readdir(dir.get())) {
        exact_.insert(entry->d_name);
        folded_.emplace(foldedName(entry->d_name), entry->d_name);
    }
}

std::string FolderNamesNoCase::resolve(const std::string &name) const
{
    if (exact_.count(name))
        return folder_ + name;
    const auto found = folded_.find(foldedName(name));
    return folder_ + (found == folded_.end() ? name : found->second);
}

int compareNoCase(std::string_view a, std::string_view b)
{
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const auto ca = static_cast<unsigned char>(foldCase(a[i]));
        const auto cb = static_cast<unsigned char>(foldCase(b[i]));
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    const int raw = a.compare(b);
    return raw < 0 ? -1 : (raw > 0 ? 1 : 0);
}

bool lessNoCase(std::string_view a, std::string_view b)
{
    return compareNoCase(a, b) < 0;
}

bool equalNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (foldCase(a[i]) != foldCase(b[i]))
            return false;
    return true;
}

bool matchesMask(std::string_view name, std::string_view mask)
{
    std::size_t start = 0;
    while (start <= mask.size()) {
        auto end = mask.find(';', start);
        if (end == std::string_view::npos)
            end = mask.size();
        const auto pattern = mask.substr(start, end - start);
        if (!pattern.empty() && matchPattern(name, pattern))
            return true;
        start = end + 1;
    }
    return false;
}

std::vector<std::string> listFolderUnordered(const std::string &folder, std::string_view mask)
{
    std::vector<std::string> names;
    if (mask.empty())
        return names;
    std::unique_ptr<DIR, int (*)(DIR *)> dir(::opendir(folder.empty() ? "." : folder.c_str()), ::closedir);
    if (!dir)
        return names;
    const int dirFd = ::dirfd(dir.get());
    while (const dirent *entry = ::readdir(dir.get())) {
        const std::string_view name(entry->d_name);
        // The program makes names such as "...and yet.lie" from a person's
        // text, so a leading "." hides nothing; only its own temporaries are.
        if (name.empty() || isTemporaryName(name))
            continue;
        if (!matchesMask(name, mask))
            continue;
        bool plain = entry->d_type == DT_REG;
        if (entry->d_type == DT_UNKNOWN || entry->d_type == DT_LNK) {
            struct stat info {};
            plain = ::fstatat(dirFd, entry->d_name, &info, 0) == 0 && S_ISREG(info.st_mode);
        }
        if (plain)
            names.emplace_back(name);
    }
    return names;
}

std::vector<std::string> listFolder(const std::string &folder, std::string_view mask)
{
    std::vector<std::string> names = listFolderUnordered(folder, mask);
    NameCollator::user().sort(names);
    return names;
}

std::size_t fileSize(const std::string &path)
{
    return foundFileSize(path).value_or(0);
}

std::optional<std::size_t> foundFileSize(const std::string &path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return std::nullopt;
    return static_cast<std::size_t>(std::max<off_t>(info.st_size, 0));
}

std::optional<DateTime> fileModifiedTime(const std::string &path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return std::nullopt;
    std::tm local{};
    if (!localtime_r(&info.st_mtime, &local))
        return std::nullopt;
    return DateTime::fromLocal(local);
}

Status canListFolder(const std::string &path)
{
    DIR *dir = ::opendir(path.c_str());
    if (!dir)
        return Status::lastError();
    ::closedir(dir);
    return Status();
}

std::string currentFolder()
{
    std::string buffer(PATH_MAX, '\0');
    if (!::getcwd(buffer.data(), buffer.size()))
        return {};
    buffer.resize(std::char_traits<char>::length(buffer.c_str()));
    return withTrailingSeparator(buffer);
}

Status setCurrentFolder(const std::string &path)
{
    return ::chdir(path.c_str()) == 0 ? Status() : Status::lastError();
}

std::string programFolder()
{
    std::string buffer(PATH_MAX, '\0');
    const ssize_t got = ::readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (got <= 0)
        return currentFolder();
    buffer.resize(static_cast<std::size_t>(got));
    return folderPart(buffer);
}

std::optional<std::string> homeFolder()
{
    const char *home = std::getenv("HOME");
    if (home && *home)
        return std::string(home);
    // A service or a cron job may run without HOME; the account still has one.
    if (const passwd *entry = ::getpwuid(::getuid()); entry && entry->pw_dir && *entry->pw_dir)
        return std::string(entry->pw_dir);
    return std::nullopt;
}

std::optional<std::string> userDataFolderFor(const char *xdgDataHome, const std::optional<std::string> &home)
{
    if (xdgDataHome && xdgDataHome[0] == kSeparator)
        return withTrailingSeparator(xdgDataHome) + kDataSubfolder;
    if (!home || home->empty())
        return std::nullopt;
    return withTrailingSeparator(*home) + ".local/share/" + kDataSubfolder;
}

std::optional<std::string> userConfigFolder()
{
    if (const char *config = std::getenv("XDG_CONFIG_HOME"); config && config[0] == kSeparator)
        return withTrailingSeparator(config) + "varnok/";
    const auto home = homeFolder();
    if (!home || home->front() != kSeparator)
        return std::nullopt;
    return withTrailingSeparator(*home) + ".config/varnok/";
}

std::optional<std::string> userDataFolder()
{
    return userDataFolderFor(std::getenv("XDG_DATA_HOME"), homeFolder());
}

std::vector<std::string> systemDataFoldersFor(const char *xdgDataDirs)
{
    std::vector<std::string> folders;
    const std::string_view list = xdgDataDirs ? xdgDataDirs : "";
    std::size_t start = 0;
    while (start <= list.size()) {
        const std::size_t end = std::min(list.find(':', start), list.size());
        const std::string_view entry = list.substr(start, end - start);
        // Relative entries are to be ignored; they would depend on the current folder.
        if (!entry.empty() && entry.front() == kSeparator)
            folders.push_back(withTrailingSeparator(std::string(entry)));
        start = end + 1;
    }
    if (list.empty())
        folders = {"/usr/local/share/", "/usr/share/"};
    return folders;
}

std::vector<std::string> systemDataFolders()
{
    return systemDataFoldersFor(std::getenv("XDG_DATA_DIRS"));
}

std::string withTrailingSeparator(std::string path)
{
    if (path.empty() || path.back() != kSeparator)
        path += kSeparator;
    return path;
}

} // namespace varnok
