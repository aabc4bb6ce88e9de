#include "generator/gatherer.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstring>
#include <exception>
#include <mutex>
#include <thread>
#include <utility>

#include "core/bytescan.h"
#include "platform/memory.h"
#include "platform/textfile.h"
#include "platform/thread.h"

namespace varnok {

namespace {

// Where the lines of a text end, found the way splitLines finds them: at
// the next CR or LF. Lines are some eighty bytes: the places of both in a
// block of 64 bytes are found at once and kept for the lines that end
// there, rather than two searches begun for every line.
class LineBreaks {
public:
    explicit LineBreaks(std::string_view text) : text_(text) {}

    // The end of the line that starts at pos: its CR or LF, or the end of the text.
    std::size_t lineEnd(std::size_t pos)
    {
        for (;;) {
            if (pos - block_ >= kPlacesBytes) {
                const std::size_t block = pos / kPlacesBytes * kPlacesBytes;
                // The text's last bytes are searched the plain way.
                if (block + kPlacesBytes > text_.size())
                    return std::min(text_.find_first_of("\r\n", pos), text_.size());
                block_ = block;
                places_ = placesOf(text_.data() + block_, '\r', '\n');
            }
            if (const std::uint64_t from = places_ >> (pos - block_))
                return pos + static_cast<std::size_t>(__builtin_ctzll(from));
            pos = block_ + kPlacesBytes;
        }
    }

    // Where the next line starts after a line that ends at end (before the text's end).
    std::size_t nextLine(std::size_t end) const
    {
        return text_[end] == '\r' && end + 1 < text_.size() && text_[end + 1] == '\n' ? end + 2 : end + 1;
    }

private:
    std::string_view text_;
    // No block yet: every place is past it.
    std::size_t block_ = 0 - kPlacesBytes;
    std::uint64_t places_ = 0;
};

// Tells whether a line holds a word, searching the text once from front to
// back: the next place the word occurs is kept until the lines walk past it.
// A word without CR or LF cannot reach across a line break, so a place inside
// a line means the whole word is in it.
class WordPlaces {
public:
    WordPlaces(std::string_view text, std::string_view word) : text_(text), word_(word) {}

    bool inLine(std::size_t start, std::size_t end)
    {
        if (!searched_ || next_ < start) {
            searched_ = true;
            next_ = text_.find(word_, start);
            if (next_ == std::string_view::npos)
                next_ = text_.size();
        }
        return next_ < end;
    }

private:
    std::string_view text_;
    std::string_view word_;
    std::size_t next_ = 0;
    bool searched_ = false;
};

std::string_view beforeNul(std::string_view bytes)
{
    if (bytes.empty())
        return bytes;
    const void *nul = std::memchr(bytes.data(), '\0', bytes.size());
    return nul ? bytes.substr(0, static_cast<std::size_t>(static_cast<const char *>(nul) - bytes.data())) : bytes;
}

} // namespace

Gatherer::FileText Gatherer::look(EssayType type, std::string_view bytes)
{
    FileText file{beforeNul(bytes)};
    // Nothing before the first keyword line counts, so the lines are only
    // looked at from there on.
    if (type != EssayType::PlainText)
        file.keyword = std::min(file.text.find(kExplainYourself), file.text.size());
    return file;
}

void Gatherer::addFileText(const FileText &file)
{
    if (type_ == EssayType::PlainText)
        addPlainBytes(file.text);
    else
        addEssayBytes(file.text, file.keyword);
}

void Gatherer::addPlainBytes(std::string_view text)
{
    LineBreaks breaks(text);
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t end = breaks.lineEnd(pos);
        take(text.substr(pos, end - pos));
        if (end == text.size())
            break;
        pos = breaks.nextLine(end);
    }
}

void Gatherer::addEssayBytes(std::string_view text, std::size_t first)
{
    if (first >= text.size())
        return;
    LineBreaks breaks(text);
    WordPlaces keyword(text, kExplainYourself);
    WordPlaces response(text, kResponseWord);
    std::size_t end = breaks.lineEnd(first);
    while (end < text.size()) {
        const std::size_t pos = breaks.nextLine(end);
        end = breaks.lineEnd(pos);
        if (end > pos && !response.inLine(pos, end) && !keyword.inLine(pos, end))
            take(text.substr(pos, end - pos));
    }
}

void Gatherer::take(std::string_view line)
{
    text_ += line;
    ++lines_;
    if (keepLineEnds_)
        ends_.push_back(text_.size());
}

Gatherer::Taken Gatherer::take()
{
    Taken taken{std::move(text_), std::move(ends_)};
    text_.clear();
    ends_.clear();
    lines_ = 0;
    return taken;
}

namespace {

// The files read ahead of the gathering on a thread of its own. The two
// sides meet a few times per megabyte rather than per file: with one file at
// a time, waking each other took more than a tenth of a large gathering.
class ReadAhead {
public:
    // room: where the gathering will write, for the reader to prefault.
    ReadAhead(const std::vector<std::string> &paths, EssayType type, char *room, std::size_t roomSize)
        : paths_(paths), type_(type), room_(room), roomSize_(roomSize), reader_(startThread([this] { run(); }))
    {
    }
    ~ReadAhead()
    {
        {
            std::lock_guard lock(mutex_);
            stop_ = true;
        }
        changed_.notify_all();
        reader_.join();
    }
    ReadAhead(const ReadAhead &) = delete;
    ReadAhead &operator=(const ReadAhead &) = delete;

    struct File {
        FileBytes bytes;
        Gatherer::FileText text;
        Status status;
        // Thrown while reading (out of memory): thrown again to the gathering.
        std::exception_ptr failure;
    };

    // How much text the gathering has written into its room.
    void gathered(std::size_t bytes) { gathered_.store(bytes, std::memory_order_relaxed); }

    // The files read since the last call, in order; waits for at least one.
    // Empty once every file was handed over or the reading stopped.
    std::vector<File> take()
    {
        std::vector<File> files;
        bool wake = false;
        {
            std::unique_lock lock(mutex_);
            takerWaiting_ = true;
            changed_.wait(lock, [this] { return !ready_.empty() || done_; });
            takerWaiting_ = false;
            files.swap(ready_);
            readyBytes_ = 0;
            wake = readerWaiting_;
        }
        if (wake)
            changed_.notify_all();
        return files;
    }

private:
    // The reader hands over what it read in batches of about this size, and
    // stops while this much is waiting.
    static constexpr std::size_t kBatch = std::size_t{1} << 20;
    static constexpr std::size_t kAhead = 4 * kBatch;
    // The gathering's first write to each page of its text stops to fault
    // the page in, which took two fifths of its time, while the reader
    // waited for it. The reader prefaults every other block of this size
    // a little ahead of the gathering, and the two threads then take about
    // equal time. Not far ahead, nor beyond what was read: the gathered
    // text may come to much less than the files, and what is prefaulted and
    // never written would only take memory.
    static constexpr std::size_t kPrefaultBlock = std::size_t{1} << 18;
    static constexpr std::size_t kPrefaultAhead = 8 * kPrefaultBlock;

    void prefaultUpTo(std::size_t read)
    {
        const std::size_t end = std::min({read, roomSize_, gathered_.load(std::memory_order_relaxed) + kPrefaultAhead});
        for (; prefaulted_ + kPrefaultBlock <= end; prefaulted_ += 2 * kPrefaultBlock)
            prefault(room_ + prefaulted_, kPrefaultBlock);
    }

    void run()
    {
        std::vector<File> batch;
        std::size_t batchBytes = 0;
        std::size_t read = 0;
        for (std::size_t i = 0; i < paths_.size(); ++i) {
            File file;
            try {
                file.status = readFileBytes(paths_[i], file.bytes);
                if (file.status)
                    file.text = Gatherer::look(type_, file.bytes.view());
            } catch (...) {
                file.failure = std::current_exception();
            }
            // A file that cannot be read ends the reading.
            const bool last = !file.status || file.failure || i + 1 == paths_.size();
            batchBytes += file.bytes.size();
            read += file.bytes.size();
            batch.push_back(std::move(file));
            if (!last && batchBytes < kBatch)
                continue;
            std::unique_lock lock(mutex_);
            readerWaiting_ = true;
            changed_.wait(lock, [this] { return stop_ || readyBytes_ < kAhead; });
            readerWaiting_ = false;
            if (stop_)
                return;
            for (File &f : batch)
                ready_.push_back(std::move(f));
            readyBytes_ += batchBytes;
            done_ = last;
            batch.clear();
            batchBytes = 0;
            const bool wake = takerWaiting_;
            lock.unlock();
            if (wake)
                changed_.notify_all();
            prefaultUpTo(read);
            if (last)
                return;
        }
        std::lock_guard lock(mutex_);
        done_ = true;
        changed_.notify_all();
    }

    const std::vector<std::string> &paths_;
    const EssayType type_;
    char *const room_;
    const std::size_t roomSize_;
    std::size_t prefaulted_ = 0;
    std::atomic<std::size_t> gathered_{0};
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<File> ready_;
    std::size_t readyBytes_ = 0;
    bool takerWaiting_ = false;
    bool readerWaiting_ = false;
    bool done_ = false;
    bool stop_ = false;
    std::thread reader_; // last: it starts once the rest is in place
};

} // namespace

std::optional<UnreadFile> gatherFiles(Gatherer &gathered, const std::vector<std::string> &paths,
                                      const std::function<void(std::size_t bytesRead)> &progress)
{
    const std::size_t before = gathered.textSize();
    ReadAhead files(paths, gathered.type(), gathered.room(), gathered.roomSize());
    std::size_t read = 0;
    for (std::size_t i = 0; i < paths.size();) {
        std::vector<ReadAhead::File> batch = files.take();
        if (batch.empty())
            break; // the reading stopped; cannot happen before the last file
        for (ReadAhead::File &file : batch) {
            progress(read);
            if (file.failure)
                std::rethrow_exception(file.failure);
            if (!file.status)
                return UnreadFile{i, file.status};
            read += file.bytes.size();
            gathered.addFileText(file.text);
            files.gathered(gathered.textSize() - before);
            // Freed here rather than with the batch: a large file's memory
            // goes back before the next is gathered.
            file.bytes = FileBytes();
            ++i;
        }
    }
    return std::nullopt;
}

} // namespace varnok
