#include "documents/find.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "documents/documents.h"
#include "documents/editing.h"
#include "platform/files.h"
#include "platform/textfile.h"
#include "platform/unicode.h"

namespace varnok {

namespace {

constexpr std::size_t kChunk = std::size_t{1} << 20;
// Every character below this is looked at to find those folding to a given one.
constexpr char32_t kFoldedRange = 0x2000;

char asciiFold(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

// The query, folded, and how to find where a match may begin.
class Matcher {
public:
    explicit Matcher(std::string_view query)
    {
        for (char32_t c : decodeText(query))
            folded_ += foldCase(c);
        ascii_ = std::all_of(folded_.begin(), folded_.end(), [](char32_t c) { return c < 0x80; });
        if (ascii_)
            for (char32_t c : folded_)
                asciiNeedle_ += static_cast<char>(c);
        if (folded_.empty())
            return;
        const auto isLetter = [](char c) { return c >= 'a' && c <= 'z'; };
        firstIsLetter_ = ascii_ && isLetter(asciiNeedle_.front());
        lastIsLetter_ = ascii_ && isLetter(asciiNeedle_.back());
        // Bytes that start a character folding to the query's first one.
        for (char32_t c = 0; c < kFoldedRange; ++c) {
            if (foldCase(c) != folded_[0])
                continue;
            if (c < 0x100)
                latin1Starts_[c] = true;
            std::string encoded;
            appendUtf8(encoded, c);
            utf8Starts_[static_cast<unsigned char>(encoded[0])] = true;
        }
        if (folded_[0] >= kFoldedRange) {
            std::string encoded;
            appendUtf8(encoded, folded_[0]);
            utf8Starts_[static_cast<unsigned char>(encoded[0])] = true;
        }
        const auto fewOf = [](const std::array<bool, 256> &starts) {
            std::vector<unsigned char> bytes;
            for (unsigned b = 0; b < 256; ++b)
                if (starts[b])
                    bytes.push_back(static_cast<unsigned char>(b));
            return bytes.size() <= 2 ? bytes : std::vector<unsigned char>{};
        };
        latin1Few_ = fewOf(latin1Starts_);
        utf8Few_ = fewOf(utf8Starts_);
    }

    bool empty() const { return folded_.empty(); }

    // Calls hit(position, length) for each match in order; stops when it
    // returns false or the cancel flag is set.
    template <typename Hit>
    void find(std::string_view text, bool utf8, const std::atomic<bool> *cancel, Hit &&hit) const
    {
        if (ascii_)
            findAscii(text, cancel, hit);
        else
            findAny(text, utf8, cancel, hit);
    }

private:
    // An ASCII query folds to itself only from ASCII, in UTF-8 and Latin-1
    // alike, so the text is compared byte by byte. Places where both the
    // first and the last byte of the query fit are found sixteen at a time
    // and only those are compared whole.
    template <typename Hit>
    void findAscii(std::string_view text, const std::atomic<bool> *cancel, Hit &hit) const
    {
        const std::size_t n = asciiNeedle_.size();
        if (text.size() < n)
            return;
        const std::size_t lastStart = text.size() - n; // the last place a match may begin
        std::size_t pos = 0;
        std::size_t nextCheck = kChunk;
        while (pos <= lastStart) {
            if (pos >= nextCheck) {
                if (cancel && cancel->load(std::memory_order_relaxed))
                    return;
                nextCheck = pos + kChunk;
            }
            const std::size_t at = nextCandidate(text, pos, lastStart);
            if (at > lastStart)
                return;
            if (equalsNeedleAt(text, at)) {
                if (!hit(at, n))
                    return;
                pos = at + n;
            } else {
                pos = at + 1;
            }
        }
    }

    // Matches a byte of the text against a folded ASCII byte: letters by
    // their small form, anything else exactly.
    static bool fits(char c, char folded, bool letter)
    {
        return letter ? static_cast<char>(c | 0x20) == folded : c == folded;
    }

    bool equalsNeedleAt(std::string_view text, std::size_t at) const
    {
        for (std::size_t i = 0; i < asciiNeedle_.size(); ++i)
            if (asciiFold(text[at + i]) != asciiNeedle_[i])
                return false;
        return true;
    }

    // The first place from pos on, and not after lastStart, where the first
    // and the last byte of the query fit; past lastStart when there is none.
    std::size_t nextCandidate(std::string_view text, std::size_t pos, std::size_t lastStart) const
    {
        const char first = asciiNeedle_.front();
        const char last = asciiNeedle_.back();
        const std::size_t lastOffset = asciiNeedle_.size() - 1;
        const char *data = text.data();
#if defined(__SSE2__)
        const __m128i firstWanted = _mm_set1_epi8(first);
        const __m128i lastWanted = _mm_set1_epi8(last);
        const __m128i firstFold = _mm_set1_epi8(firstIsLetter_ ? 0x20 : 0);
        const __m128i lastFold = _mm_set1_epi8(lastIsLetter_ ? 0x20 : 0);
        const std::size_t limit = std::min(pos + kChunk, lastStart + 1); // at most a chunk between checks
        while (pos + 16 <= limit) {
            const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i *>(data + pos));
            const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i *>(data + pos + lastOffset));
            const __m128i fitsFirst = _mm_cmpeq_epi8(_mm_or_si128(a, firstFold), firstWanted);
            const __m128i fitsLast = _mm_cmpeq_epi8(_mm_or_si128(b, lastFold), lastWanted);
            const int mask = _mm_movemask_epi8(_mm_and_si128(fitsFirst, fitsLast));
            if (mask != 0)
                return pos + static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(mask)));
            pos += 16;
        }
        if (limit <= lastStart)
            return pos; // not a hit: the caller looks at the cancel flag and goes on
#endif
        for (; pos <= lastStart; ++pos)
            if (fits(data[pos], first, firstIsLetter_) && fits(data[pos + lastOffset], last, lastIsLetter_))
                return pos;
        return pos;
    }

    // Any other query: candidates by their first byte, then compared
    // character by character, folded.
    template <typename Hit>
    void findAny(std::string_view text, bool utf8, const std::atomic<bool> *cancel, Hit &hit) const
    {
        const auto &starts = utf8 ? utf8Starts_ : latin1Starts_;
        std::size_t pos = 0;
        std::size_t nextCheck = kChunk;
        while (pos < text.size()) {
            if (pos >= nextCheck) {
                if (cancel && cancel->load(std::memory_order_relaxed))
                    return;
                nextCheck = pos + kChunk;
            }
            if (!starts[static_cast<unsigned char>(text[pos])]) {
                pos = nextStart(text, pos + 1, utf8, nextCheck);
                continue;
            }
            const std::size_t end = matchAt(text, pos, utf8);
            if (end == 0) {
                ++pos;
                continue;
            }
            if (!hit(pos, end - pos))
                return;
            pos = end;
        }
    }

    // The next byte from pos on that may start a match, looked for sixteen
    // bytes at a time when only one or two bytes can; never past stopAt, so
    // the caller still looks at the cancel flag.
    std::size_t nextStart(std::string_view text, std::size_t pos, bool utf8, std::size_t stopAt) const
    {
        const auto &starts = utf8 ? utf8Starts_ : latin1Starts_;
        const auto &few = utf8 ? utf8Few_ : latin1Few_;
        const std::size_t limit = std::min(text.size(), stopAt);
#if defined(__SSE2__)
        if (!few.empty()) {
            const __m128i one = _mm_set1_epi8(static_cast<char>(few[0]));
            const __m128i other = _mm_set1_epi8(static_cast<char>(few.back()));
            while (pos + 16 <= limit) {
                const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i *>(text.data() + pos));
                const int mask =
                    _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(block, one), _mm_cmpeq_epi8(block, other)));
                if (mask != 0)
                    return pos + static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(mask)));
                pos += 16;
            }
        }
#else
        (void)few;
#endif
        while (pos < limit && !starts[static_cast<unsigned char>(text[pos])])
            ++pos;
        return pos;
    }

    // The end of a match starting at pos, or 0.
    std::size_t matchAt(std::string_view text, std::size_t pos, bool utf8) const
    {
        for (char32_t wanted : folded_) {
            if (pos >= text.size())
                return 0;
            const char32_t c =
                utf8 ? decodeUtf8At(text, pos) : static_cast<char32_t>(static_cast<unsigned char>(text[pos++]));
            if (foldCase(c) != wanted)
                return 0;
        }
        return pos;
    }

    std::u32string folded_;
    bool ascii_ = true;
    std::string asciiNeedle_;
    bool firstIsLetter_ = false;
    bool lastIsLetter_ = false;
    std::array<bool, 256> latin1Starts_{};
    std::array<bool, 256> utf8Starts_{};
    // The bytes above when they are one or two, else empty.
    std::vector<unsigned char> latin1Few_;
    std::vector<unsigned char> utf8Few_;
};

bool isContinuation(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// A piece of a line for the results, as UTF-8 with tabs and other control
// characters shown as blanks.
std::string shownPiece(std::string_view bytes, bool utf8)
{
    std::string text = utf8 ? std::string(bytes) : latin1ToUtf8(bytes);
    for (char &c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = ' ';
    return text;
}

// Line numbers and the line around each hit, found with one pass over the
// text however many hits there are.
class LineTracker {
public:
    explicit LineTracker(std::string_view text) : text_(text) {}

    FindHit hitAt(std::size_t pos, std::size_t length, bool utf8)
    {
        if (!primed_) {
            // Only files with hits are looked through for line breaks.
            nextCr_ = nextOf(0, '\r');
            nextLf_ = nextOf(0, '\n');
            primed_ = true;
        }
        for (;;) {
            if (nextCr_ < scan_)
                nextCr_ = nextOf(scan_, '\r');
            if (nextLf_ < scan_)
                nextLf_ = nextOf(scan_, '\n');
            const std::size_t lineBreak = std::min(nextCr_, nextLf_);
            if (lineBreak >= pos)
                break;
            ++line_;
            scan_ = lineBreak + 1;
            if (text_[lineBreak] == '\r' && scan_ < text_.size() && text_[scan_] == '\n')
                ++scan_;
            lineStart_ = scan_;
        }
        const std::size_t lineEnd = std::min({nextCr_, nextLf_, text_.size()});
        FindHit hit;
        hit.line = line_;
        hit.column = pos - lineStart_;
        hit.length = length;
        std::size_t from = pos - std::min(pos - lineStart_, kFindContext);
        if (from > lineStart_) {
            // Start at a word, not inside one.
            const auto blank = text_.find(' ', from);
            if (blank != std::string_view::npos && blank < pos)
                from = blank + 1;
        }
        const std::size_t end = pos + length;
        std::size_t to = end + std::min(lineEnd - end, kFindContext);
        if (to < lineEnd) {
            const auto blank = text_.rfind(' ', to);
            if (blank != std::string_view::npos && blank > end)
                to = blank;
        }
        if (utf8) {
            while (from < pos && isContinuation(text_[from]))
                ++from;
            while (to > end && to < text_.size() && isContinuation(text_[to]))
                --to;
        }
        hit.before = shownPiece(text_.substr(from, pos - from), utf8);
        hit.match = shownPiece(text_.substr(pos, length), utf8);
        hit.after = shownPiece(text_.substr(end, to - end), utf8);
        return hit;
    }

private:
    std::size_t nextOf(std::size_t from, char c) const
    {
        const void *found = std::memchr(text_.data() + from, c, text_.size() - from);
        return found ? static_cast<std::size_t>(static_cast<const char *>(found) - text_.data()) : text_.size();
    }

    std::string_view text_;
    std::size_t scan_ = 0;
    std::size_t lineStart_ = 0;
    std::size_t nextCr_ = 0;
    std::size_t nextLf_ = 0;
    int line_ = 1;
    bool primed_ = false;
};

// The text the area would show: up to the first NUL.
std::string_view shownText(std::string_view bytes)
{
    const void *nul = std::memchr(bytes.data(), '\0', bytes.size());
    return nul ? bytes.substr(0, static_cast<std::size_t>(static_cast<const char *>(nul) - bytes.data())) : bytes;
}

void findWith(const Matcher &matcher, std::string_view bytes, const std::string &fileName, std::size_t maxHits,
              const std::atomic<bool> *cancel, std::vector<FindHit> &hits, bool &truncated)
{
    const std::string_view text = shownText(bytes);
    // The encoding matters to an ASCII query only for showing the hits.
    std::optional<bool> utf8;
    const auto isUtf8 = [&] {
        if (!utf8)
            utf8 = isUtf8Text(text);
        return *utf8;
    };
    LineTracker lines(text);
    matcher.find(text, isUtf8(), cancel, [&](std::size_t pos, std::size_t length) {
        if (hits.size() >= maxHits) {
            truncated = true;
            return false;
        }
        FindHit hit = lines.hitAt(pos, length, isUtf8());
        hit.fileName = fileName;
        hits.push_back(std::move(hit));
        return true;
    });
}

} // namespace

std::vector<FindHit> findInBytes(std::string_view bytes, std::string_view query, std::size_t maxHits)
{
    std::vector<FindHit> hits;
    const Matcher matcher(query);
    if (matcher.empty())
        return hits;
    bool truncated = false;
    findWith(matcher, bytes, {}, maxHits, nullptr, hits, truncated);
    return hits;
}

FindResult findInFolder(const std::string &folder, std::string_view query, const std::atomic<bool> &cancel)
{
    FindResult result;
    result.query = std::string(query);
    const Matcher matcher(query);
    if (matcher.empty())
        return result;
    std::string bytes;
    for (const auto &name : listFolder(folder, kFindMask)) {
        if (cancel.load(std::memory_order_relaxed)) {
            result.cancelled = true;
            return result;
        }
        // A file gone or unreadable since the listing has nothing to find.
        if (!readFileBytes(folder + name, bytes))
            continue;
        findWith(matcher, bytes, name, kMaxFindHits, &cancel, result.hits, result.truncated);
        if (result.truncated)
            break;
    }
    result.cancelled = cancel.load();
    return result;
}

FindRunner::~FindRunner()
{
    cancel();
    wait();
}

void FindRunner::reapFinished()
{
    for (auto it = jobs_.begin(); it != jobs_.end();) {
        if (it->finished->load()) {
            it->thread.join();
            it = jobs_.erase(it);
        } else {
            ++it;
        }
    }
}

void FindRunner::start(std::string folder, std::string query, Done done)
{
    cancel();
    reapFinished();
    Job job;
    job.cancel = std::make_shared<std::atomic<bool>>(false);
    job.finished = std::make_shared<std::atomic<bool>>(false);
    job.thread = std::thread([folder = std::move(folder), query = std::move(query), done = std::move(done),
                              cancel = job.cancel, finished = job.finished] {
        FindResult result = findInFolder(folder, query, *cancel);
        if (!result.cancelled && !cancel->load())
            done(std::move(result));
        finished->store(true);
    });
    jobs_.push_back(std::move(job));
}

void FindRunner::cancel()
{
    for (auto &job : jobs_)
        job.cancel->store(true);
}

void FindRunner::wait()
{
    for (auto &job : jobs_)
        job.thread.join();
    jobs_.clear();
}

void showFindHit(Context &ctx, const FindHit &hit)
{
    if (ctx.state.edit.editInProgress) {
        ctx.ui.message(kFinishEditsMessage);
        return;
    }
    runCommand(ctx, [&] {
        // A big file is read where the window stays live.
        std::string text;
        const bool done = ctx.ui.runLong(kShowHitCaption, [&](JobProgress &) {
            std::string bytes;
            if (const Status read = readFileBytes(documentPath(ctx.state.lieFolder, hit.fileName), bytes); !read)
                failCannotOpen(hit.fileName, read.error());
            text = memoTextFromBytes(bytes);
        });
        if (!done)
            return;
        std::size_t offset = 0;
        for (int line = 1; line < hit.line && offset != std::string::npos; ++line) {
            offset = text.find('\n', offset);
            if (offset != std::string::npos)
                ++offset;
        }
        // A file changed since the search may no longer hold the match there.
        offset = offset == std::string::npos ? text.size() : std::min(offset + hit.column, text.size());
        const std::size_t length = std::min(hit.length, text.size() - offset);
        ctx.view.setMemoText(std::move(text));
        ctx.view.setMemoWritable(false);
        ctx.view.setPage(Page::Ask);
        ctx.view.showMemo(true);
        ctx.view.selectMemoBytes(offset, length);
        ctx.view.setStatus(hit.fileName + ", line " + std::to_string(hit.line));
    });
}

} // namespace varnok
