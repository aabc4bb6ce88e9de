#include "platform/textfile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace varnok {

Lines splitLines(std::string_view text)
{
    const auto nul = text.find('\0');
    if (nul != std::string_view::npos)
        text = text.substr(0, nul);
    Lines lines;
    std::size_t start = 0;
    const std::size_t size = text.size();
    for (std::size_t i = 0; i < size; ++i) {
        const char c = text[i];
        if (c != '\r' && c != '\n')
            continue;
        lines.emplace_back(text.substr(start, i - start));
        if (c == '\r' && i + 1 < size && text[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < size)
        lines.emplace_back(text.substr(start));
    return lines;
}

std::string joinLines(const Lines &lines)
{
    std::size_t total = 0;
    for (const auto &line : lines)
        total += line.size() + 2;
    std::string text;
    text.reserve(total);
    for (const auto &line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

bool readFileBytes(const std::string &path, std::string &bytes)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
        const int saved = S_ISDIR(info.st_mode) ? EISDIR : errno;
        ::close(fd);
        errno = saved;
        return false;
    }
    std::string data;
    if (info.st_size > 0)
        data.reserve(static_cast<std::size_t>(info.st_size));
    char buffer[1 << 16];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            const int saved = errno;
            ::close(fd);
            errno = saved;
            return false;
        }
        if (got == 0)
            break;
        data.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(fd);
    bytes = std::move(data);
    return true;
}

bool readLines(const std::string &path, Lines &lines)
{
    std::string bytes;
    if (!readFileBytes(path, bytes))
        return false;
    lines = splitLines(bytes);
    return true;
}

namespace {

std::string folderOf(const std::string &path)
{
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return {};
    return path.substr(0, slash + 1);
}

std::string baseOf(const std::string &path)
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

mode_t currentUmask()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

// Creates a new temporary file beside the target. The name is random and the
// file is opened with O_EXCL and O_NOFOLLOW, so a planted file or symbolic link
// of the same name is never written through.
int createTemporary(const std::string &target, std::string &tempPath)
{
    static std::random_device seed;
    static std::mt19937_64 engine(seed());
    static const char alphabet[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    const std::string folder = folderOf(target);
    std::string base = baseOf(target);
    if (base.size() > 200)
        base.resize(200);
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string suffix;
        for (int i = 0; i < 12; ++i)
            suffix += alphabet[engine() % (sizeof alphabet - 1)];
        tempPath = folder + "." + base + "." + suffix + ".tmp";
        const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd >= 0)
            return fd;
        if (errno != EEXIST)
            return -1;
    }
    return -1;
}

bool writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t put = ::write(fd, bytes.data(), bytes.size());
        if (put < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(put));
    }
    return true;
}

} // namespace

bool writeFileAtomic(const std::string &path, std::string_view bytes)
{
    struct stat existing {};
    const bool replacing = ::stat(path.c_str(), &existing) == 0;
    if (replacing && S_ISDIR(existing.st_mode)) {
        errno = EISDIR;
        return false;
    }
    std::string tempPath;
    const int fd = createTemporary(path, tempPath);
    if (fd < 0)
        return false;
    const mode_t mode = replacing ? (existing.st_mode & 07777) : (0666 & ~currentUmask());
    bool ok = ::fchmod(fd, mode) == 0 && writeAll(fd, bytes) && ::fsync(fd) == 0;
    int saved = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        saved = errno;
    }
    if (ok && ::rename(tempPath.c_str(), path.c_str()) != 0) {
        ok = false;
        saved = errno;
    }
    if (!ok) {
        ::unlink(tempPath.c_str());
        errno = saved;
        return false;
    }
    // Make the rename itself durable; a failure here loses nothing already written.
    const std::string folder = folderOf(path);
    const int dirFd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

bool writeLines(const std::string &path, const Lines &lines)
{
    return writeFileAtomic(path, joinLines(lines));
}

} // namespace varnok
