#include "generator/gatherer.h"

#include <algorithm>
#include <array>
#include <condition_variable>
#include <cstring>
#include <exception>
#include <mutex>
#include <thread>
#include <utility>

#include "platform/textfile.h"

namespace varnok {

namespace {

// Where the lines of a text end, found the way splitLines finds them. Each
// kind of break is looked for with memchr and the find kept until the walk
// has passed it, so a text of CR LF lines costs two fast searches per line
// rather than a test of every byte.
class LineBreaks {
public:
    LineBreaks(std::string_view text, std::size_t from)
        : text_(text), nextCr_(find('\r', from)), nextLf_(find('\n', from))
    {
    }

    // The end of the line that starts at pos: its CR or LF, or the end of the text.
    std::size_t lineEnd(std::size_t pos)
    {
        if (nextCr_ < pos)
            nextCr_ = find('\r', pos);
        if (nextLf_ < pos)
            nextLf_ = find('\n', pos);
        return std::min(nextCr_, nextLf_);
    }

    // Where the next line starts after a line that ends at end (before the text's end).
    std::size_t nextLine(std::size_t end) const
    {
        return text_[end] == '\r' && end + 1 < text_.size() && text_[end + 1] == '\n' ? end + 2 : end + 1;
    }

private:
    std::size_t find(char c, std::size_t from) const
    {
        if (from >= text_.size())
            return text_.size();
        const void *at = std::memchr(text_.data() + from, c, text_.size() - from);
        return at ? static_cast<std::size_t>(static_cast<const char *>(at) - text_.data()) : text_.size();
    }

    std::string_view text_;
    std::size_t nextCr_;
    std::size_t nextLf_;
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
    const void *nul = std::memchr(bytes.data(), '\0', bytes.size());
    return nul ? bytes.substr(0, static_cast<std::size_t>(static_cast<const char *>(nul) - bytes.data())) : bytes;
}

} // namespace

void Gatherer::addFileBytes(std::string_view bytes)
{
    const std::string_view text = beforeNul(bytes);
    if (type_ == EssayType::PlainText)
        addPlainBytes(text);
    else
        addEssayBytes(text);
}

void Gatherer::addPlainBytes(std::string_view text)
{
    LineBreaks breaks(text, 0);
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t end = breaks.lineEnd(pos);
        take(text.substr(pos, end - pos));
        if (end == text.size())
            break;
        pos = breaks.nextLine(end);
    }
}

void Gatherer::addEssayBytes(std::string_view text)
{
    // Nothing before the first keyword line counts, so the lines are only
    // looked at from there on.
    const std::size_t first = text.find(kExplainYourself);
    if (first == std::string_view::npos)
        return;
    LineBreaks breaks(text, first);
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

// The files read ahead of the gathering, each into a slot of its own that
// the gathering hands back once done with it.
class ReadAhead {
public:
    explicit ReadAhead(const std::vector<std::string> &paths) : paths_(paths), reader_([this] { run(); }) {}
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

    // File i's bytes, or why they could not be read; valid until release(i).
    const std::string &take(std::size_t i, Status &status)
    {
        Slot &slot = slots_[i % kSlots];
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&slot] { return slot.ready; });
        if (slot.failure)
            std::rethrow_exception(slot.failure);
        status = slot.status;
        return slot.bytes;
    }

    void release(std::size_t i)
    {
        {
            std::lock_guard lock(mutex_);
            slots_[i % kSlots].ready = false;
            released_ = i + 1;
        }
        changed_.notify_all();
    }

private:
    static constexpr std::size_t kSlots = 2;
    struct Slot {
        std::string bytes;
        Status status;
        // Thrown while reading (out of memory): thrown again to the gathering.
        std::exception_ptr failure;
        bool ready = false;
    };

    void run()
    {
        for (std::size_t i = 0; i < paths_.size(); ++i) {
            Slot &slot = slots_[i % kSlots];
            {
                std::unique_lock lock(mutex_);
                changed_.wait(lock, [&] { return stop_ || i < released_ + kSlots; });
                if (stop_)
                    return;
            }
            // The slot is the reader's alone until it is marked ready.
            Status status;
            std::exception_ptr failure;
            try {
                status = readFileBytes(paths_[i], slot.bytes);
            } catch (...) {
                failure = std::current_exception();
            }
            {
                std::lock_guard lock(mutex_);
                slot.status = status;
                slot.failure = failure;
                slot.ready = true;
            }
            changed_.notify_all();
            if (!status || failure)
                return;
        }
    }

    const std::vector<std::string> &paths_;
    std::array<Slot, kSlots> slots_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::size_t released_ = 0;
    bool stop_ = false;
    std::thread reader_; // last: it starts once the rest is in place
};

} // namespace

std::optional<UnreadFile> gatherFiles(Gatherer &gathered, const std::vector<std::string> &paths,
                                      const std::function<void(std::size_t bytesRead)> &progress)
{
    ReadAhead files(paths);
    std::size_t read = 0;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        progress(read);
        Status status;
        const std::string &bytes = files.take(i, status);
        if (!status)
            return UnreadFile{i, status};
        read += bytes.size();
        gathered.addFileBytes(bytes);
        files.release(i);
    }
    return std::nullopt;
}

} // namespace varnok
