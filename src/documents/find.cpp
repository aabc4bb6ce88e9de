#include "documents/find.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <functional>
#include <new>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "documents/documents.h"
#include "documents/editing.h"
#include "platform/files.h"
#include "platform/textfile.h"
#include "platform/unicode.h"
#include "platform/thread.h"

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
    // The most bytes a match can take: a character of the query may match
    // one of up to four bytes.
    std::size_t longestMatch() const { return ascii_ ? asciiNeedle_.size() : 4 * folded_.size(); }

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

// Counts the lines of a text that passes by a piece at a time; positions are
// from the start of the text.
class LineCounter {
public:
    // Counts the line breaks before `to`; `window` holds the text from `base` on.
    void advanceTo(std::string_view window, std::uint64_t base, std::uint64_t to)
    {
        if (to <= scan_)
            return;
        const std::string_view part = window.substr(scan_ - base, to - scan_);
        // CR LF is one break: every CR and every LF count, less the LFs that
        // follow a CR, also across the pieces.
        std::size_t breaks = 0;
        for (const char c : part)
            breaks += static_cast<std::size_t>(c == '\r') + static_cast<std::size_t>(c == '\n');
        for (std::size_t i = 1; i < part.size(); ++i)
            breaks -= static_cast<std::size_t>(part[i] == '\n' && part[i - 1] == '\r');
        if (afterCr_ && part.front() == '\n')
            --breaks;
        line_ += static_cast<int>(breaks);
        const std::size_t last = part.find_last_of("\r\n");
        if (last != std::string_view::npos)
            lineStart_ = scan_ + last + 1;
        afterCr_ = part.back() == '\r';
        scan_ = to;
    }

    std::uint64_t scanned() const { return scan_; }
    std::uint64_t lineStart() const { return lineStart_; }
    int line() const { return line_; }

private:
    std::uint64_t scan_ = 0;
    std::uint64_t lineStart_ = 0;
    int line_ = 1;
    bool afterCr_ = false;
};

// The hit at pos with the line around it. The window holds the text from
// base to its end (or to the text's end) at least kFindContext bytes beyond
// the match, and from kFindContext bytes before it.
FindHit hitAt(std::string_view window, std::uint64_t base, const LineCounter &lines, std::uint64_t pos,
              std::size_t length, bool utf8)
{
    const auto at = [&](std::uint64_t p) { return static_cast<std::size_t>(p - base); };
    const std::uint64_t lineStart = lines.lineStart();
    const std::uint64_t end = pos + length;
    const std::uint64_t windowEnd = base + window.size();
    std::uint64_t lineEnd = std::min(end + kFindContext + 1, windowEnd);
    if (const auto lineBreak = window.substr(at(end), at(lineEnd) - at(end)).find_first_of("\r\n");
        lineBreak != std::string_view::npos)
        lineEnd = end + lineBreak;
    FindHit hit;
    hit.line = lines.line();
    hit.column = static_cast<std::size_t>(pos - lineStart);
    hit.length = length;
    std::uint64_t from = pos - std::min<std::uint64_t>(pos - lineStart, kFindContext);
    if (from > lineStart) {
        // Start at a word, not inside one.
        const auto blank = window.substr(at(from), at(pos) - at(from)).find(' ');
        if (blank != std::string_view::npos)
            from += blank + 1;
    }
    std::uint64_t to = end + std::min<std::uint64_t>(lineEnd - end, kFindContext);
    if (to < lineEnd) {
        const auto blank = window.substr(at(end), at(to) - at(end) + 1).rfind(' ');
        if (blank != std::string_view::npos && blank > 0)
            to = end + blank;
    }
    if (utf8) {
        while (from < pos && isContinuation(window[at(from)]))
            ++from;
        while (to > end && to < windowEnd && isContinuation(window[at(to)]))
            --to;
    }
    hit.cutBefore = from > lineStart;
    hit.cutAfter = to < lineEnd;
    hit.before = shownPiece(window.substr(at(from), at(pos) - at(from)), utf8);
    hit.match = shownPiece(window.substr(at(pos), length), utf8);
    hit.after = shownPiece(window.substr(at(end), at(to) - at(end)), utf8);
    return hit;
}

// Gives the next bytes of a text into `into`, at most `room`; 0 at its end.
using ReadPiece = std::function<std::size_t(char *into, std::size_t room)>;

// Bytes kept before the place the search goes on from, for the line around
// a hit.
constexpr std::size_t kContextKept = kFindContext + 8;

// The hits in a text given a piece at a time, as findInBytes finds them in
// the whole: a match across two pieces is found once. Holds no more than a
// piece and what a match and its line around need.
void findInPieces(const Matcher &matcher, const ReadPiece &read, std::uint64_t textEnd, bool utf8,
                  const std::string &fileName, std::size_t maxHits, const std::atomic<bool> *cancel,
                  std::vector<FindHit> &hits, bool &truncated)
{
    const std::size_t keep = matcher.longestMatch() + kFindContext + 8;
    std::string window;
    std::uint64_t base = 0;   // where the window starts in the text
    std::uint64_t resume = 0; // where the search goes on
    LineCounter lines;
    for (bool atEnd = false; !atEnd;) {
        if (cancel && cancel->load(std::memory_order_relaxed))
            return;
        const std::size_t had = window.size();
        window.resize(had + kFindPiece);
        const std::size_t got = read(window.data() + had, kFindPiece);
        window.resize(had + got);
        if (got == 0 || base + window.size() >= textEnd) {
            atEnd = true;
            window.resize(static_cast<std::size_t>(std::min<std::uint64_t>(base + window.size(), textEnd) - base));
        }
        const std::uint64_t windowEnd = base + window.size();
        // A match that begins later may run past the window: it is looked
        // for again once the next piece is in.
        const std::uint64_t searched = atEnd ? windowEnd : (windowEnd > keep ? windowEnd - keep : 0);
        if (searched > resume) {
            std::uint64_t next = searched;
            bool full = false;
            const std::string_view all(window);
            matcher.find(all.substr(static_cast<std::size_t>(resume - base)), utf8, cancel,
                         [&](std::size_t offset, std::size_t length) {
                             const std::uint64_t pos = resume + offset;
                             if (pos >= searched)
                                 return false;
                             if (hits.size() >= maxHits) {
                                 full = true;
                                 return false;
                             }
                             lines.advanceTo(all, base, pos);
                             FindHit hit = hitAt(all, base, lines, pos, length, utf8);
                             hit.fileName = fileName;
                             hits.push_back(std::move(hit));
                             next = std::max(next, pos + length);
                             return true;
                         });
            if (full) {
                truncated = true;
                return;
            }
            resume = next;
        }
        // What lies well before the search's place is counted and let go.
        if (!atEnd && resume > base + kContextKept) {
            const std::uint64_t drop = resume - kContextKept;
            lines.advanceTo(window, base, drop);
            window.erase(0, static_cast<std::size_t>(drop - base));
            base = drop;
        }
    }
}

// Where the text the area would show ends (at the first NUL), and whether it
// is UTF-8: read once through before the search, since a query of other
// than ASCII matches by the encoding.
bool textShape(const std::string &path, std::uint64_t &textEnd, bool &utf8, const std::atomic<bool> &cancel)
{
    FileReader file;
    if (!file.open(path))
        return false;
    std::string piece(kFindPiece, '\0');
    Utf8Check check;
    textEnd = 0;
    for (;;) {
        if (cancel.load(std::memory_order_relaxed))
            return false;
        std::size_t got = 0;
        if (!file.read(piece.data(), piece.size(), got))
            return false;
        if (got == 0)
            break;
        const std::string_view part(piece.data(), got);
        const std::size_t nul = part.find('\0');
        check.add(part.substr(0, nul));
        if (nul != std::string_view::npos) {
            textEnd += nul;
            break;
        }
        textEnd += got;
    }
    utf8 = check.valid();
    return true;
}

// The text the area would show: up to the first NUL.
std::string_view shownText(std::string_view bytes)
{
    const void *nul = std::memchr(bytes.data(), '\0', bytes.size());
    return nul ? bytes.substr(0, static_cast<std::size_t>(static_cast<const char *>(nul) - bytes.data())) : bytes;
}

// Finds in one file; false when it could not be read.
bool findInFile(const Matcher &matcher, const std::string &folder, const std::string &name,
                const std::atomic<bool> &cancel, FindResult &result)
{
    const std::string path = folder + name;
    std::uint64_t textEnd = 0;
    bool utf8 = true;
    if (!textShape(path, textEnd, utf8, cancel))
        return cancel.load();
    FileReader file;
    if (!file.open(path))
        return false;
    bool failed = false;
    const ReadPiece read = [&](char *into, std::size_t room) {
        std::size_t got = 0;
        if (!file.read(into, room, got))
            failed = true;
        return got;
    };
    findInPieces(matcher, read, textEnd, utf8, name, kMaxFindHits, &cancel, result.hits, result.truncated);
    return !failed;
}

} // namespace

std::vector<FindHit> findInBytes(std::string_view bytes, std::string_view query, std::size_t maxHits)
{
    std::vector<FindHit> hits;
    const Matcher matcher(query);
    if (matcher.empty())
        return hits;
    const std::string_view text = shownText(bytes);
    std::size_t pos = 0;
    const ReadPiece read = [&](char *into, std::size_t room) {
        const std::size_t n = std::min(room, text.size() - pos);
        std::memcpy(into, text.data() + pos, n);
        pos += n;
        return n;
    };
    bool truncated = false;
    findInPieces(matcher, read, text.size(), isUtf8Text(text), {}, maxHits, nullptr, hits, truncated);
    return hits;
}

FindResult findInFolder(const std::string &folder, std::string_view query, const std::atomic<bool> &cancel)
{
    FindResult result;
    result.query = std::string(query);
    const Matcher matcher(query);
    if (matcher.empty())
        return result;
    for (const auto &name : listFolder(folder, kFindMask)) {
        if (cancel.load(std::memory_order_relaxed)) {
            result.cancelled = true;
            return result;
        }
        bool read = false;
        try {
            read = findInFile(matcher, folder, name, cancel, result);
        } catch (const std::bad_alloc &) {
            // The hits so far stay; the file is named as not searched.
        }
        // A file gone since the listing had nothing to find.
        if (!read && fileExists(folder + name))
            result.unreadable.push_back(name);
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
    job.thread = startThread([folder = std::move(folder), query = std::move(query), done = std::move(done),
                              cancel = job.cancel, finished = job.finished] {
        try {
            FindResult result = findInFolder(folder, query, *cancel);
            if (!result.cancelled && !cancel->load())
                done(std::move(result));
        } catch (const std::exception &) {
            // Out of memory past what each file needs: this search shows
            // nothing, the program goes on, and the next search tries anew.
        }
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
    // The text area shows the Lie being answered: a hit shown there would
    // hide it while Next records the answer for it.
    if (ctx.state.run.running) {
        ctx.ui.message(kFindHitAfterTest);
        ctx.view.focusScale();
        return;
    }
    runCommand(ctx, [&] {
        // A big file is read where the window stays live.
        std::string text;
        const bool done = ctx.ui.runLong(kShowHitCaption, [&](JobProgress &progress) {
            text = memoTextFromBytes(
                readDocumentInJob(documentPath(ctx.state.lieFolder, hit.fileName), hit.fileName, progress, 0, 1));
            progress.checkpoint(1.0);
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
