#include "platform/textfile.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <condition_variable>
#include <cstdlib>
#include <cstdio>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <deque>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <new>
#include <random>
#include <string_view>
#include <system_error>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/memory.h"
#include "platform/thread.h"

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

bool linksOutOfItsFolder(const std::string &path)
{
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
        return false;
    const auto slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    char target[PATH_MAX];
    char home[PATH_MAX];
    // A dangling link leads nowhere that could be read; a folder that cannot
    // be resolved is no place to trust.
    if (!::realpath(path.c_str(), target))
        return false;
    if (!::realpath(folder.c_str(), home))
        return true;
    const std::string inside = std::string(home) == "/" ? "/" : std::string(home) + "/";
    return std::string_view(target).substr(0, inside.size()) != inside;
}

namespace {

// A piece small enough that a Cancel is heard within a few hundredths of a
// second even from a slow disk.
constexpr std::size_t kReadPiece = std::size_t{4} << 20;

// Opens a file for reading when it is a document at all: a regular file,
// no link out of its folder. Closed again by the caller.
Status openDocument(const std::string &path, int &fd, struct stat &info)
{
    // Opening a FIFO for reading waits for a writer, and a device such as
    // /dev/zero never ends: neither is a document. O_NONBLOCK lets the open
    // return so the kind can be checked; it means nothing for a regular file.
    constexpr int kFlags = O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    // Only a link needs to be followed to see where it leads: the open that
    // does not follow one tells them apart without a look of its own.
    fd = ::open(path.c_str(), kFlags | O_NOFOLLOW);
    if (fd < 0 && errno == ELOOP) {
        if (linksOutOfItsFolder(path))
            return Status::failed(EXDEV);
        fd = ::open(path.c_str(), kFlags);
    }
    if (fd < 0)
        return Status::lastError();
    Status kind;
    if (::fstat(fd, &info) != 0)
        kind = Status::lastError();
    else if (S_ISDIR(info.st_mode))
        kind = Status::failed(EISDIR);
    else if (!S_ISREG(info.st_mode))
        kind = Status::failed(EINVAL);
    if (!kind) {
        ::close(fd);
        fd = -1;
    }
    return kind;
}

} // namespace

Status forEachLine(const std::string &path, const std::function<bool(std::string_view line)> &each)
{
    int fd = -1;
    struct stat info {};
    if (const Status opened = openDocument(path, fd, info); !opened)
        return opened;
    const std::unique_ptr<int, void (*)(int *)> closer(&fd, [](int *f) { ::close(*f); });
    std::string line;
    bool afterCR = false;
    std::vector<char> piece(1 << 16);
    for (;;) {
        ssize_t got;
        do
            got = ::read(fd, piece.data(), piece.size());
        while (got < 0 && errno == EINTR);
        if (got < 0)
            return Status::lastError();
        if (got == 0)
            break;
        std::string_view rest(piece.data(), static_cast<std::size_t>(got));
        while (!rest.empty()) {
            if (afterCR && rest.front() == '\n') {
                rest.remove_prefix(1);
                afterCR = false;
                continue;
            }
            afterCR = false;
            const auto end = rest.find_first_of(std::string_view("\r\n\0", 3));
            line.append(rest.substr(0, end));
            if (end == std::string_view::npos)
                break;
            // As splitLines, the text ends at a NUL byte.
            if (rest[end] == '\0') {
                if (!line.empty())
                    each(line);
                return Status();
            }
            afterCR = rest[end] == '\r';
            rest.remove_prefix(end + 1);
            if (!each(line))
                return Status();
            line.clear();
        }
    }
    if (!line.empty())
        each(line);
    return Status();
}

FileReader::~FileReader()
{
    if (fd_ >= 0)
        ::close(fd_);
}

Status FileReader::open(const std::string &path)
{
    if (fd_ >= 0)
        ::close(fd_);
    struct stat info {};
    return openDocument(path, fd_, info);
}

Status FileReader::read(char *into, std::size_t room, std::size_t &got)
{
    got = 0;
    if (fd_ < 0)
        return Status::failed(EBADF);
    ssize_t n;
    do
        n = ::read(fd_, into, room);
    while (n < 0 && errno == EINTR);
    if (n < 0)
        return Status::lastError();
    got = static_cast<std::size_t>(n);
    return Status();
}

Status readFileBytes(const std::string &path, std::string &bytes)
{
    return readFileBytes(path, bytes, {});
}

namespace {

// Reads the file at path whole, refusing what readFileBytes refuses.
// room(n, kept) gives memory for at least n bytes that holds the first kept
// bytes read before; on success the file's bytes are the first `size` of the
// memory room gave last.
template <typename Room>
Status readWhole(const std::string &path, const ReadPieces &pieces, const Room &room, std::size_t &size)
{
    int fd = -1;
    struct stat info {};
    if (Status kind = openDocument(path, fd, info); !kind)
        return kind;
    // Refused before a byte is allocated: reading a file that cannot fit
    // would end the program rather than the command.
    if (info.st_size > 0 && static_cast<std::uint64_t>(info.st_size) > memoryForFiles()) {
        ::close(fd);
        return Status::failed(EFBIG);
    }
    // Read straight into the result, sized as the file is now; a file that
    // grows meanwhile is read on to its end, one that shrinks is cut where
    // it ends.
    const auto readSome = [fd](char *into, std::size_t room) {
        ssize_t got;
        do
            got = ::read(fd, into, room);
        while (got < 0 && errno == EINTR);
        return got;
    };
    std::size_t capacity = static_cast<std::size_t>(std::max<off_t>(info.st_size, 0));
    char *data = room(capacity, 0);
    size = 0;
    for (;;) {
        ssize_t got;
        if (size < capacity) {
            got = readSome(data + size, pieces ? std::min(capacity - size, kReadPiece) : capacity - size);
        } else {
            // Most likely the end; growing the text for a read that gives
            // nothing would cost as much as the text itself.
            char more[1 << 16];
            got = readSome(more, sizeof more);
            if (got > 0) {
                capacity = std::max(2 * size, size + static_cast<std::size_t>(got));
                data = room(capacity, size);
                std::memcpy(data + size, more, static_cast<std::size_t>(got));
            }
        }
        if (got < 0) {
            const Status failure = Status::lastError();
            ::close(fd);
            return failure;
        }
        if (got == 0)
            break;
        size += static_cast<std::size_t>(got);
        if (pieces && !pieces(size, std::max(size, capacity))) {
            ::close(fd);
            return Status::failed(ECANCELED);
        }
    }
    ::close(fd);
    return Status();
}

} // namespace

Status readFileBytes(const std::string &path, std::string &bytes, const ReadPieces &pieces)
{
    std::string data;
    std::size_t size = 0;
    const auto room = [&data](std::size_t bytes, std::size_t) {
        data.resize(bytes);
        return data.data();
    };
    if (Status read = readWhole(path, pieces, room, size); !read)
        return read;
    data.resize(size);
    bytes = std::move(data);
    return Status();
}

Status readFileBytes(const std::string &path, FileBytes &bytes)
{
    std::unique_ptr<char[]> data;
    std::size_t size = 0;
    const auto room = [&data](std::size_t bytes, std::size_t kept) {
        std::unique_ptr<char[]> more(new char[bytes]);
        if (kept > 0)
            std::memcpy(more.get(), data.get(), kept);
        data = std::move(more);
        return data.get();
    };
    if (Status read = readWhole(path, {}, room, size); !read)
        return read;
    bytes.data_ = std::move(data);
    bytes.size_ = size;
    return Status();
}

Status readLines(const std::string &path, Lines &lines)
{
    std::string bytes;
    if (Status read = readFileBytes(path, bytes); !read)
        return read;
    lines = splitLines(bytes);
    return Status();
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

constexpr char kTemporaryAlphabet[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
constexpr std::size_t kTemporarySuffixLength = 12;
constexpr std::string_view kTemporaryEnd = ".varnok-tmp";

// Creates a new temporary file beside the target. The name is random and the
// file is opened with O_EXCL and O_NOFOLLOW, so a planted file or symbolic link
// of the same name is never written through. The name is drawn afresh from the
// system's random source every time: a generator state kept in the process
// would be copied by fork, and every copy would walk the same names.
int createTemporary(const std::string &target, std::string &tempPath)
{
    static std::random_device source;
    constexpr unsigned letters = sizeof kTemporaryAlphabet - 1;
    const std::string folder = folderOf(target);
    std::string base = baseOf(target);
    if (base.size() > 200)
        base.resize(200);
    for (int attempt = 0; attempt < 100; ++attempt) {
        // Six letters from each of two 64-bit draws.
        std::string suffix;
        for (int half = 0; half < 2; ++half) {
            std::uint64_t bits = (std::uint64_t{source()} << 32) | source();
            for (std::size_t i = 0; i < kTemporarySuffixLength / 2; ++i) {
                suffix += kTemporaryAlphabet[bits % letters];
                bits /= letters;
            }
        }
        tempPath = folder + "." + base + "." + suffix + std::string(kTemporaryEnd);
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

// Writes produced bytes in blocks: millions of small pieces would otherwise
// cost a system call each. Once a file comes to more than a block, its
// blocks are written on a thread of their own while the caller goes on
// producing, and where the file system takes them, straight to the disk
// rather than through the page cache: copying tens of megabytes into the
// cache and having them written back from there took about a third of the
// processor time of making them, and the flush at the end waited for what
// was left. The last, partial block goes through the cache; so does all of
// a file that is written where direct writes are refused.
class BlockWriter {
public:
    // The thread that writes allocates nothing: every block it gives back
    // has its place already.
    explicit BlockWriter(int fd) : fd_(fd) { spare_.reserve(kBlocks); }
    ~BlockWriter() { stopWriting(); }
    BlockWriter(const BlockWriter &) = delete;
    BlockWriter &operator=(const BlockWriter &) = delete;

    bool put(std::string_view piece)
    {
        while (!piece.empty() && ok_) {
            if (!filling_ && !(filling_ = spareBlock()))
                break;
            const std::size_t taken = std::min(piece.size(), kBlock - filled_);
            std::memcpy(filling_.get() + filled_, piece.data(), taken);
            filled_ += taken;
            piece.remove_prefix(taken);
            if (filled_ == kBlock)
                handOver();
        }
        return ok_;
    }

    // Writes what is left and waits for all of it; false, with errno set,
    // if anything could not be written.
    bool finish()
    {
        stopWriting();
        if (ok_ && writeFailed_) {
            ok_ = false;
            error_ = writeError_;
        }
        if (ok_ && filled_ > 0) {
            // The tail is rarely a whole number of the disk's blocks.
            if (direct_ && !setDirect(false)) {
                ok_ = false;
                error_ = errno;
            } else if (!writeCached(filling_.get(), filled_)) {
                ok_ = false;
                error_ = errno;
            }
            filled_ = 0;
        }
        if (!ok_)
            errno = error_;
        return ok_;
    }

private:
    // Whole blocks of this size are written, at offsets that are multiples
    // of it, from memory aligned to kAlign: what direct writes ask of all
    // the disks in use.
    static constexpr std::size_t kBlock = std::size_t{1} << 20;
    static constexpr std::size_t kAlign = 4096;
    // One filled by the caller while the other is written.
    static constexpr std::size_t kBlocks = 2;

    struct Free {
        void operator()(char *p) const { std::free(p); }
    };
    using Block = std::unique_ptr<char, Free>;

    // A block to fill: a new one, or one written already; none once
    // something failed.
    Block spareBlock()
    {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return !spare_.empty() || made_ < kBlocks || writeFailed_; });
        if (writeFailed_) {
            ok_ = false;
            error_ = writeError_;
            return {};
        }
        if (!spare_.empty()) {
            Block block = std::move(spare_.back());
            spare_.pop_back();
            return block;
        }
        Block block(static_cast<char *>(std::aligned_alloc(kAlign, kBlock)));
        if (!block)
            throw std::bad_alloc();
        ++made_;
        return block;
    }

    // A full block to the writing thread, which starts with the first; or
    // written here if no thread can be had.
    void handOver()
    {
        filled_ = 0;
        if (!writer_.joinable() && !noThread_) {
            try {
                writer_ = startThread([this] { writeBlocks(); });
            } catch (const std::system_error &) {
                noThread_ = true;
            }
        }
        if (noThread_) {
            int error = 0;
            if (!writeBlock(filling_.get(), error)) {
                ok_ = false;
                error_ = error;
            }
            std::lock_guard lock(mutex_);
            spare_.push_back(std::move(filling_));
            return;
        }
        std::lock_guard lock(mutex_);
        waiting_.push_back(std::move(filling_));
        changed_.notify_all();
    }

    void writeBlocks()
    {
        std::unique_lock lock(mutex_);
        for (;;) {
            changed_.wait(lock, [this] { return stop_ || !waiting_.empty(); });
            if (waiting_.empty())
                return;
            Block block = std::move(waiting_.front());
            waiting_.pop_front();
            if (!writeFailed_) {
                lock.unlock();
                int error = 0;
                const bool written = writeBlock(block.get(), error);
                lock.lock();
                if (!written) {
                    writeFailed_ = true;
                    writeError_ = error;
                }
            }
            spare_.push_back(std::move(block));
            changed_.notify_all();
        }
    }

    // Waits until every block handed over is written.
    void stopWriting()
    {
        if (!writer_.joinable())
            return;
        {
            std::lock_guard lock(mutex_);
            stop_ = true;
        }
        changed_.notify_all();
        writer_.join();
    }

    bool writeBlock(const char *data, int &error)
    {
        std::size_t size = kBlock;
        if (!directTried_) {
            directTried_ = true;
            direct_ = setDirect(true);
        }
        if (direct_) {
            ssize_t put;
            do
                put = ::write(fd_, data, size);
            while (put < 0 && errno == EINTR);
            if (put == static_cast<ssize_t>(size)) {
                written_ += size;
                return true;
            }
            if (put < 0 && errno != EINVAL) {
                error = errno;
                return false;
            }
            // Refused after all, or written in part: the rest goes through
            // the cache.
            if (put > 0) {
                data += put;
                size -= static_cast<std::size_t>(put);
                written_ += static_cast<std::size_t>(put);
            }
            direct_ = false;
            if (!setDirect(false)) {
                error = errno;
                return false;
            }
        }
        if (!writeCached(data, size)) {
            error = errno;
            return false;
        }
        return true;
    }

    bool setDirect(bool on)
    {
#ifdef O_DIRECT
        const int flags = ::fcntl(fd_, F_GETFL);
        return flags >= 0 && ::fcntl(fd_, F_SETFL, on ? flags | O_DIRECT : flags & ~O_DIRECT) == 0;
#else
        return !on;
#endif
    }

    bool writeCached(const char *data, std::size_t size)
    {
        const bool written = writeAll(fd_, std::string_view(data, size));
        startWriteBack(size);
        return written;
    }

    // What goes through the cache is flushed to disk once the file is whole;
    // asking the system to start on each block as it is written lets the
    // disk work while the rest is made, rather than all of it at the end.
    // What lies a few blocks behind is waited for and then let go of from
    // the cache: the blocks that follow get that memory again rather than
    // ever more of it, which for a file of a hundred megabytes is most of
    // the cost of writing it on a machine short of free memory.
    void startWriteBack(std::size_t bytes)
    {
        if (bytes == 0)
            return;
#ifdef SYNC_FILE_RANGE_WRITE
        ::sync_file_range(fd_, static_cast<off_t>(written_), static_cast<off_t>(bytes), SYNC_FILE_RANGE_WRITE);
        written_ += bytes;
        if (written_ >= released_ + kKeptBehind + kBlock) {
            const std::size_t upTo = written_ - kKeptBehind;
            const auto from = static_cast<off_t>(released_);
            const auto length = static_cast<off_t>(upTo - released_);
            ::sync_file_range(fd_, from, length,
                              SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE | SYNC_FILE_RANGE_WAIT_AFTER);
            ::posix_fadvise(fd_, from, length, POSIX_FADV_DONTNEED);
            released_ = upTo;
        }
#else
        written_ += bytes;
#endif
    }

    static constexpr std::size_t kKeptBehind = std::size_t{4} << 20;

    const int fd_;
    // The caller's side.
    Block filling_;
    std::size_t filled_ = 0;
    bool ok_ = true;
    int error_ = 0;
    bool noThread_ = false;
    // Shared with the writing thread.
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Block> waiting_;
    std::vector<Block> spare_;
    std::size_t made_ = 0;
    bool stop_ = false;
    bool writeFailed_ = false;
    int writeError_ = 0;
    std::thread writer_;
    // The writing's side: on the writing thread while there is one.
    bool directTried_ = false;
    bool direct_ = false;
    std::size_t written_ = 0;
    // Written back and dropped from the cache up to here.
    std::size_t released_ = 0;
};

Status replaceAtomically(const std::string &path, const std::function<bool(int fd)> &writeBody,
                         const std::function<bool()> &stillWanted = {})
{
    struct stat existing {};
    const bool replacing = ::stat(path.c_str(), &existing) == 0;
    if (replacing && S_ISDIR(existing.st_mode))
        return Status::failed(EISDIR);
    // The rename would replace a file its owner made read-only; writing it in
    // place would not be allowed, so neither is this.
    if (replacing && ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0)
        return Status::lastError();
    std::string tempPath;
    const int fd = createTemporary(path, tempPath);
    if (fd < 0)
        return Status::lastError();
    // A journal is private: a new file is its owner's alone, also in a
    // folder others may enter. A replaced file keeps the mode its owner chose;
    // a pipe or device in its place says nothing about that, so what replaces
    // it is new.
    const bool keepMode = replacing && S_ISREG(existing.st_mode);
    const mode_t mode = keepMode ? (existing.st_mode & 07777) : (0600 & ~currentUmask());
    Status result;
    if (::fchmod(fd, mode) != 0 || !writeBody(fd) || ::fsync(fd) != 0)
        result = Status::lastError();
    if (::close(fd) != 0 && result)
        result = Status::lastError();
    if (result && stillWanted && !stillWanted())
        result = Status::failed(ECANCELED);
    if (result && ::rename(tempPath.c_str(), path.c_str()) != 0)
        result = Status::lastError();
    if (!result) {
        ::unlink(tempPath.c_str());
        return result;
    }
    // Make the rename itself durable; a failure here loses nothing already written.
    const std::string folder = folderOf(path);
    const int dirFd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return Status();
}

} // namespace

Status writeFileAtomic(const std::string &path, std::string_view bytes)
{
    return replaceAtomically(path, [bytes](int fd) { return writeAll(fd, bytes); });
}

Status writeFileAtomic(const std::string &path, const std::function<void(const BytePut &put)> &produce)
{
    return writeFileAtomic(path, produce, {});
}

Status writeFileAtomic(const std::string &path, const std::function<void(const BytePut &put)> &produce,
                       const std::function<bool()> &stillWanted)
{
    return replaceAtomically(
        path,
        [&produce](int fd) {
            BlockWriter writer(fd);
            produce([&writer](std::string_view piece) { return writer.put(piece); });
            return writer.finish();
        },
        stillWanted);
}

bool isTemporaryName(std::string_view name)
{
    // "." base "." suffix ".varnok-tmp", with a base of at least one byte.
    constexpr std::size_t tail = 1 + kTemporarySuffixLength + kTemporaryEnd.size();
    if (name.size() < 2 + tail || name.front() != '.' ||
        name.substr(name.size() - kTemporaryEnd.size()) != kTemporaryEnd)
        return false;
    const std::string_view suffix = name.substr(name.size() - tail, tail - kTemporaryEnd.size());
    if (suffix.front() != '.')
        return false;
    const std::string_view alphabet(kTemporaryAlphabet, sizeof kTemporaryAlphabet - 1);
    return suffix.substr(1).find_first_not_of(alphabet) == std::string_view::npos;
}

std::size_t removeStaleTemporaries(const std::string &folder, long maxAgeSeconds)
{
    std::unique_ptr<DIR, int (*)(DIR *)> dir(::opendir(folder.empty() ? "." : folder.c_str()), ::closedir);
    if (!dir)
        return 0;
    const int dirFd = ::dirfd(dir.get());
    const std::time_t now = std::time(nullptr);
    std::size_t removed = 0;
    while (const dirent *entry = ::readdir(dir.get())) {
        if (!isTemporaryName(entry->d_name))
            continue;
        struct stat info {};
        if (::fstatat(dirFd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(info.st_mode) ||
            info.st_uid != ::geteuid() || now - info.st_mtime < maxAgeSeconds)
            continue;
        if (::unlinkat(dirFd, entry->d_name, 0) == 0)
            ++removed;
    }
    return removed;
}

Status writeLines(const std::string &path, const Lines &lines)
{
    return writeFileAtomic(path, joinLines(lines));
}

} // namespace varnok
