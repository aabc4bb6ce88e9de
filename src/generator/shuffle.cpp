#include "generator/shuffle.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <thread>
#include <type_traits>
#include <vector>

#include "platform/files.h"
#include "platform/memory.h"

namespace varnok {

namespace {

// What decides most comparisons of two sentences in a few bytes: the first
// eight bytes of the sentence as compareNoCase sees them (ASCII letters
// folded), padded with zeros and read as a big-endian number, then for a
// sentence of at most eight bytes its length and which of its letters are
// capitals. Where the beginnings differ they order the sentences as
// compareNoCase would: at the first differing byte either both have folded
// bytes, or the shorter one has run out, and one that runs out first sorts
// first. Where they are equal and both are that short, the shorter one comes
// first, and between sentences of one length, which then differ at most in
// the case of their letters, the first capital where the other has a small
// letter puts its sentence first (capitals are the lower bytes). Longer
// sentences with equal beginnings go on by their next three bytes, folded
// and padded the same way, and only where those are equal too is the text
// itself needed: prose repeats how its sentences begin.
constexpr std::size_t kPrefixBytes = 8;
constexpr std::size_t kLongPrefixBytes = kPrefixBytes + 3;
// The tail of a sentence of more than eight bytes: this and its next three.
constexpr std::uint32_t kLongLine = 0xff000000u;

constexpr unsigned char folded(unsigned char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

// From this many sentences on, the work after the draw is shared out between
// two cores: each part is still far larger than what starting it costs.
constexpr std::size_t kSentencesForParts = 1 << 16;

std::size_t partsFor(std::size_t count)
{
    return count >= kSentencesForParts && std::thread::hardware_concurrency() >= 2 ? 2 : 1;
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

} // namespace

template <typename Offset>
GroupSorter::Entry<Offset> GroupSorter::entry(std::size_t start) const
{
    unsigned char bytes[kLongPrefixBytes] = {};
    const std::size_t available = std::min(kLongPrefixBytes, text_.text().size() - start);
    std::memcpy(bytes, text_.text().data() + start, available);
    // The sentence may end within the bytes read; what follows is not its own.
    const auto terminator = static_cast<unsigned char>(text_.terminatorAt(start));
    std::size_t length = 0;
    while (length < available && bytes[length] != terminator)
        ++length;
    if (length < available) {
        ++length;
        std::memset(bytes + length, 0, kLongPrefixBytes - length);
    } else {
        length = kLongPrefixBytes + 1;
    }
    std::uint32_t capitals = 0;
    std::uint64_t head = 0;
    for (std::size_t i = 0; i < kPrefixBytes; ++i) {
        capitals = (capitals << 1) | static_cast<std::uint32_t>(bytes[i] >= 'A' && bytes[i] <= 'Z');
        head = (head << 8) | folded(bytes[i]);
    }
    // Length in the upper bits, capitals (inverted, first byte highest) in
    // the lowest eight.
    std::uint32_t tail = static_cast<std::uint32_t>(length << 8) | (~capitals & 0xffu);
    if (length > kPrefixBytes) {
        tail = kLongLine;
        for (std::size_t i = kPrefixBytes; i < kLongPrefixBytes; ++i)
            tail |= static_cast<std::uint32_t>(folded(bytes[i])) << (8 * (kLongPrefixBytes - 1 - i));
    }
    return Entry<Offset>{head, tail, static_cast<Offset>(start)};
}

template <typename Offset>
void GroupSorter::sortInto(const Offset *first, const Offset *last, const Offset *limit, Offset *out,
                           std::vector<Entry<Offset>> &entries)
{
    // The sentences are spread all over the text: their beginnings, and
    // what the writing needs after them, are asked for a few places ahead.
    const char *const data = text_.text().data();
    const std::size_t size = text_.text().size();
    entries.clear();
    for (const Offset *at = first; at != last; ++at) {
        if (at + kAhead < limit) {
            const std::size_t ahead = at[kAhead];
            __builtin_prefetch(data + ahead);
            __builtin_prefetch(data + std::min(size - 1, ahead + 63));
        }
        if (last - first > 1)
            entries.push_back(entry<Offset>(*at));
    }
    if (entries.empty()) {
        std::copy(first, last, out);
        return;
    }
    const auto byBeginning = [](const Entry<Offset> &a, const Entry<Offset> &b) {
        return a.head != b.head ? a.head < b.head : a.tail < b.tail;
    };
    const auto sameBeginning = [](const Entry<Offset> &a, const Entry<Offset> &b) {
        return a.head == b.head && a.tail == b.tail;
    };
    std::sort(entries.begin(), entries.end(), byBeginning);
    // Equal beginnings of short sentences mean equal sentences, which may stay
    // as they are; only long ones need their text.
    for (auto run = std::adjacent_find(entries.begin(), entries.end(), sameBeginning); run != entries.end();) {
        auto runEnd = run + 1;
        while (runEnd != entries.end() && sameBeginning(*run, *runEnd))
            ++runEnd;
        if (run->tail >= kLongLine)
            std::sort(run, runEnd, [this](const Entry<Offset> &a, const Entry<Offset> &b) {
                return compareNoCase(text_.sentenceAt(a.start), text_.sentenceAt(b.start)) < 0;
            });
        run = std::adjacent_find(runEnd, entries.end(), sameBeginning);
    }
    for (const Entry<Offset> &e : entries)
        *out++ = e.start;
}

void GroupSorter::sort(const std::uint32_t *first, const std::uint32_t *last, const std::uint32_t *limit,
                       std::uint32_t *out)
{
    sortInto(first, last, limit, out, narrow_);
}

void GroupSorter::sort(const std::uint64_t *first, const std::uint64_t *last, const std::uint64_t *limit,
                       std::uint64_t *out)
{
    sortInto(first, last, limit, out, wide_);
}

CutText shuffledSentences(SentenceText text, Random &random)
{
    const std::size_t count = text.count();
    const std::size_t parts = partsFor(count);
    // Keys are few and small, so a counting sort puts the sentences in key
    // order in linear time; only sentences sharing a key need comparing.
    // Each part of the sentences fills its own share of every key's group,
    // after the shares of the parts before it.
    std::unique_ptr<std::uint16_t[]> keys(new std::uint16_t[count]);
    std::vector<std::vector<std::size_t>> fill(parts, std::vector<std::size_t>(kShuffleKeyRange, 0));
    for (std::size_t p = 0; p < parts; ++p) {
        for (std::size_t i = partBegin(count, p, parts); i < partBegin(count, p + 1, parts); ++i) {
            // Keep a misbehaving generator from indexing outside the groups.
            const int key = std::clamp(random.next(kShuffleKeyRange), 0, kShuffleKeyRange - 1);
            keys[i] = static_cast<std::uint16_t>(key);
            ++fill[p][static_cast<std::size_t>(key)];
        }
    }
    const std::size_t textSize = text.text().size();
    CutText cut{std::move(text), SentenceList(count, textSize), {}, {}};
    std::size_t next = 0;
    for (std::size_t k = 0; k < kShuffleKeyRange; ++k) {
        const std::size_t first = next;
        for (auto &part : fill) {
            const std::size_t held = part[k];
            part[k] = next;
            next += held;
        }
        // A key no sentence drew makes no group.
        if (next > first)
            cut.groups.push_back(first);
    }
    cut.groups.push_back(count);
    cut.sortedGroups.assign(cut.groups.size() - 1, 0);
    cut.sentences.visit([&](auto *sentences) {
        using Offset = std::remove_pointer_t<decltype(sentences)>;
        // The text is walked again rather than its starts kept from the draw:
        // finding them costs less than memory that large.
        inParts(parts, [&](std::size_t p) {
            std::size_t i = partBegin(count, p, parts);
            std::vector<std::size_t> &at = fill[p];
            cut.text.forEach(i, partBegin(count, p + 1, parts),
                             [&](std::size_t sentence) { sentences[at[keys[i++]]++] = static_cast<Offset>(sentence); });
        });
    });
    return cut;
}

void sortGroups(CutText &cut, std::size_t first, std::size_t last)
{
    if (cut.groups.empty() || first >= last)
        return;
    const std::size_t parts = partsFor(cut.groups[last] - cut.groups[first]);
    // The groups are shared out by the sentences they hold.
    std::vector<std::size_t> bounds(parts + 1, last);
    bounds[0] = first;
    for (std::size_t p = 1; p < parts; ++p) {
        const std::size_t middle = cut.groups[first] + partBegin(cut.groups[last] - cut.groups[first], p, parts);
        bounds[p] =
            static_cast<std::size_t>(std::lower_bound(cut.groups.begin() + static_cast<std::ptrdiff_t>(first),
                                                      cut.groups.begin() + static_cast<std::ptrdiff_t>(last), middle) -
                                     cut.groups.begin());
    }
    cut.sentences.visit([&](auto *sentences) {
        inParts(parts, [&](std::size_t p) {
            GroupSorter sorter(cut.text);
            const auto *limit = sentences + cut.groups[bounds[p + 1]];
            for (std::size_t g = bounds[p]; g < bounds[p + 1]; ++g) {
                auto *begin = sentences + cut.groups[g];
                auto *end = sentences + cut.groups[g + 1];
                if (!cut.sortedGroups[g] && end - begin > 1)
                    sorter.sort(begin, end, limit, begin);
            }
        });
    });
    std::fill(cut.sortedGroups.begin() + static_cast<std::ptrdiff_t>(first),
              cut.sortedGroups.begin() + static_cast<std::ptrdiff_t>(last), 1);
}

} // namespace varnok
