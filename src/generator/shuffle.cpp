#include "generator/shuffle.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <thread>
#include <type_traits>

#include "platform/files.h"
#include "platform/memory.h"

namespace varnok {

namespace {

// What decides most comparisons of two lines in a few bytes: the first eight
// bytes of the line as compareNoCase sees them (ASCII letters folded), padded
// with zeros and read as a big-endian number, then for a line of at most
// eight bytes its length and which of its letters are capitals. Where the
// beginnings differ they order the lines as compareNoCase would: at the first
// differing byte either both lines have folded bytes, or the shorter line has
// run out, and a line that runs out first sorts first. Where they are equal
// and both lines are that short, the shorter one comes first, and between
// lines of one length, which then differ at most in the case of their
// letters, the first capital where the other has a small letter puts its line
// first (capitals are the lower bytes). Longer lines with equal beginnings
// go on by their next three bytes, folded and padded the same way, and only
// where those are equal too are the lines themselves needed: prose repeats
// how its sentences begin. Sixteen bytes an entry keep the shuffle's memory
// below the text's own size.
template <typename Index>
struct SortEntry {
    std::uint64_t head;
    // Length in the upper bits, capitals (inverted, first byte highest) in
    // the lowest eight; for a line of more than eight bytes kLongLine and
    // the next three bytes.
    std::uint32_t tail;
    Index index;
};

constexpr std::size_t kPrefixBytes = 8;
constexpr std::size_t kLongPrefixBytes = kPrefixBytes + 3;
constexpr std::uint32_t kLongLine = 0xff000000u;

constexpr unsigned char folded(unsigned char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

template <typename Index>
SortEntry<Index> sortEntry(std::string_view line, std::size_t index)
{
    unsigned char bytes[kLongPrefixBytes] = {};
    const std::size_t length = std::min(line.size(), kLongPrefixBytes);
    if (length > 0)
        std::memcpy(bytes, line.data(), length);
    std::uint32_t capitals = 0;
    std::uint64_t head = 0;
    for (std::size_t i = 0; i < kPrefixBytes; ++i) {
        capitals = (capitals << 1) | static_cast<std::uint32_t>(bytes[i] >= 'A' && bytes[i] <= 'Z');
        head = (head << 8) | folded(bytes[i]);
    }
    std::uint32_t tail = static_cast<std::uint32_t>(line.size() << 8) | (~capitals & 0xffu);
    if (line.size() > kPrefixBytes) {
        tail = kLongLine;
        for (std::size_t i = kPrefixBytes; i < kLongPrefixBytes; ++i)
            tail |= static_cast<std::uint32_t>(folded(bytes[i])) << (8 * (kLongPrefixBytes - 1 - i));
    }
    return SortEntry<Index>{head, tail, static_cast<Index>(index)};
}

// Sorts runs of entries whose beginnings tie by the lines' text. Reaching a
// line's text takes two steps that each miss the cache, from the entry to
// the line and from the line to its text; the runs are therefore sorted a
// few runs after both steps were asked for, so that the waits overlap
// rather than follow one another.
template <typename Index>
class TiedRuns {
public:
    TiedRuns(const std::vector<std::string_view> &lines, SortEntry<Index> *entries) : lines_(lines), entries_(entries)
    {
    }

    void add(std::size_t begin, std::size_t end)
    {
        for (std::size_t i = begin; i < end; ++i)
            __builtin_prefetch(&lines_[entries_[i].index]);
        if (added_ >= kLag)
            fetchText(runs_[(added_ - kLag) % kSlots]);
        if (added_ >= kSlots)
            sortRun(runs_[added_ % kSlots]);
        runs_[added_ % kSlots] = Run{begin, end};
        ++added_;
    }

    // Sorts the runs still waiting.
    void finish()
    {
        const std::size_t waiting = std::min(added_, kSlots);
        for (std::size_t n = added_ - std::min(added_, kLag); n < added_; ++n)
            fetchText(runs_[n % kSlots]);
        for (std::size_t n = added_ - waiting; n < added_; ++n)
            sortRun(runs_[n % kSlots]);
    }

private:
    struct Run {
        std::size_t begin = 0, end = 0;
    };
    static constexpr std::size_t kLag = 8;
    static constexpr std::size_t kSlots = 2 * kLag;

    void fetchText(const Run &run) const
    {
        for (std::size_t i = run.begin; i < run.end; ++i)
            __builtin_prefetch(lines_[entries_[i].index].data());
    }

    void sortRun(const Run &run)
    {
        std::sort(entries_ + run.begin, entries_ + run.end,
                  [this](const SortEntry<Index> &a, const SortEntry<Index> &b) {
                      return compareNoCase(lines_[a.index], lines_[b.index]) < 0;
                  });
    }

    const std::vector<std::string_view> &lines_;
    SortEntry<Index> *entries_;
    std::array<Run, kSlots> runs_{};
    std::size_t added_ = 0;
};

// From this many lines on, the work after the draw is shared out between
// two cores: each part is still far larger than what starting it costs.
constexpr std::size_t kLinesForParts = 1 << 16;

std::size_t partsFor(std::size_t count)
{
    return count >= kLinesForParts && std::thread::hardware_concurrency() >= 2 ? 2 : 1;
}

// Runs work(part) for every part, the first on this thread. The parts write
// to separate ranges.
template <typename Work>
void inParts(std::size_t parts, const Work &work)
{
    std::thread other;
    if (parts > 1)
        other = std::thread([&work] { work(1); });
    work(0);
    if (other.joinable())
        other.join();
}

// Where part p of parts begins among count things.
std::size_t partBegin(std::size_t count, std::size_t p, std::size_t parts)
{
    return count / parts * p + std::min(p, count % parts);
}

// Draws one key per line, in list order, and gives the lines' entries sorted
// by key and then by text.
template <typename Index>
std::unique_ptr<SortEntry<Index>[]> sortByKeyAndText(const std::vector<std::string_view> &lines, Random &random) {
    const std::size_t count = lines.size();
    std::vector<std::uint16_t> keys(count);
    for (auto &key : keys) {
        // Keep a misbehaving generator from indexing outside the buckets.
        key = static_cast<std::uint16_t>(std::clamp(random.next(kShuffleKeyRange), 0, kShuffleKeyRange - 1));
    }

    // Keys are few and small, so a counting sort puts the lines in key order
    // in linear time; only lines sharing a key need comparing. Each part of
    // the lines fills its own share of every key's bucket, after the shares
    // of the parts before it: within a bucket the sort decides the order.
    const std::size_t parts = partsFor(count);
    std::vector<std::vector<std::size_t>> fill(parts, std::vector<std::size_t>(kShuffleKeyRange, 0));
    inParts(parts, [&](std::size_t p) {
        for (std::size_t i = partBegin(count, p, parts); i < partBegin(count, p + 1, parts); ++i)
            ++fill[p][keys[i]];
    });
    std::vector<std::size_t> start(kShuffleKeyRange + 1, 0);
    for (std::size_t k = 0; k < kShuffleKeyRange; ++k) {
        std::size_t next = start[k];
        for (auto &part : fill) {
            const std::size_t held = part[k];
            part[k] = next;
            next += held;
        }
        start[k + 1] = next;
    }

    // Left uninitialised: every entry is written before it is read, and
    // clearing them first would be one more pass over all that memory.
    std::unique_ptr<SortEntry<Index>[]> entries(new SortEntry<Index>[count]);
    adviseLargeBuffer(entries.get(), count * sizeof(SortEntry<Index>));
    inParts(parts, [&](std::size_t p) {
        for (std::size_t i = partBegin(count, p, parts); i < partBegin(count, p + 1, parts); ++i)
            entries[fill[p][keys[i]]++] = sortEntry<Index>(lines[i], i);
    });
    std::vector<std::uint16_t>().swap(keys);

    // Within a key the beginnings decide almost every comparison, and the
    // text is only read where they tie: asking for it inside the sort would
    // fetch each such line from far away at every one of its comparisons.
    const auto byBeginning = [](const SortEntry<Index> &a, const SortEntry<Index> &b) {
        return a.head != b.head ? a.head < b.head : a.tail < b.tail;
    };
    const auto sameBeginning = [](const SortEntry<Index> &a, const SortEntry<Index> &b) {
        return a.head == b.head && a.tail == b.tail;
    };
    // The keys are shared out by the entries they hold.
    std::vector<std::size_t> firstKey(parts + 1, kShuffleKeyRange);
    for (std::size_t p = 1; p < parts; ++p)
        firstKey[p] = static_cast<std::size_t>(
            std::lower_bound(start.begin(), start.end() - 1, partBegin(count, p, parts)) - start.begin());
    firstKey[0] = 0;
    inParts(parts, [&](std::size_t p) {
        TiedRuns<Index> tied(lines, entries.get());
        for (std::size_t k = firstKey[p]; k < firstKey[p + 1]; ++k) {
            if (start[k + 1] - start[k] < 2)
                continue;
            SortEntry<Index> *const first = entries.get() + start[k];
            SortEntry<Index> *const last = entries.get() + start[k + 1];
            std::sort(first, last, byBeginning);
            // Equal beginnings of short lines mean equal lines, which may stay
            // as they are; only long lines need their text.
            for (auto run = std::adjacent_find(first, last, sameBeginning); run != last;) {
                auto end = run + 1;
                while (end != last && sameBeginning(*run, *end))
                    ++end;
                if (run->tail >= kLongLine)
                    tied.add(static_cast<std::size_t>(run - entries.get()),
                             static_cast<std::size_t>(end - entries.get()));
                run = std::adjacent_find(end, last, sameBeginning);
            }
        }
        tied.finish();
    });
    return entries;
}

template <typename Index>
void reorder(std::vector<std::string_view> &lines, std::vector<char> *tags, Random &random)
{
    auto entries = sortByKeyAndText<Index>(lines, random);
    const std::size_t count = lines.size();
    // The tags are few bytes, picked from a list that stays near.
    std::vector<char> movedTags(tags ? count : 0);
    // The lines in their new order go into the entries' own room, each over
    // the entry that named it, and are then copied back in one sweep: a
    // second list of lines would cost as much memory as the entries, and
    // moving the lines in place along the cycles of the order chases one
    // cache miss after another. The lines are picked from all over their
    // list; asking for them a few places ahead hides most of the waiting.
    static_assert(sizeof(SortEntry<Index>) >= sizeof(std::string_view));
    static_assert(std::is_trivially_copyable_v<SortEntry<Index>> && std::is_trivially_copyable_v<std::string_view>);
    constexpr std::size_t ahead = 16;
    const std::size_t parts = partsFor(count);
    inParts(parts, [&](std::size_t p) {
        const std::size_t end = partBegin(count, p + 1, parts);
        for (std::size_t i = partBegin(count, p, parts); i < end; ++i) {
            if (i + ahead < end)
                __builtin_prefetch(&lines[entries[i + ahead].index]);
            const std::size_t index = entries[i].index;
            if (tags)
                movedTags[i] = (*tags)[index];
            const std::string_view line = lines[index];
            std::memcpy(static_cast<void *>(&entries[i]), &line, sizeof line);
        }
    });
    if (tags)
        tags->swap(movedTags);
    inParts(parts, [&](std::size_t p) {
        for (std::size_t i = partBegin(count, p, parts); i < partBegin(count, p + 1, parts); ++i)
            std::memcpy(&lines[i], static_cast<const void *>(&entries[i]), sizeof lines[i]);
    });
}

void shuffle(std::vector<std::string_view> &lines, std::vector<char> *tags, Random &random)
{
    if (lines.size() <= UINT32_MAX)
        reorder<std::uint32_t>(lines, tags, random);
    else
        reorder<std::size_t>(lines, tags, random);
}

} // namespace

void shuffleLines(std::vector<std::string_view> &lines, Random &random)
{
    shuffle(lines, nullptr, random);
}

void shuffleLines(std::vector<std::string_view> &lines, std::vector<char> &tags, Random &random)
{
    tags.resize(lines.size());
    shuffle(lines, &tags, random);
}

} // namespace varnok
