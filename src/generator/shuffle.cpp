#include "generator/shuffle.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>
#include <type_traits>
#include <vector>

#include "platform/files.h"
#include "platform/thread.h"

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
//
// The bytes are worked on eight at a time, as the lanes of one number.
constexpr std::size_t kPrefixBytes = 8;
constexpr std::size_t kLongPrefixBytes = kPrefixBytes + 3;
// The tail of a sentence of more than eight bytes: this and its next three.
constexpr std::uint32_t kLongLine = 0xff000000u;

constexpr std::uint64_t kLanes = 0x0101010101010101u;
constexpr std::uint64_t kHighBits = 0x8080808080808080u;

// The lanes from the first n on cleared.
constexpr std::uint64_t firstLanes(std::uint64_t value, std::size_t n)
{
    return n >= 8 ? value : value & ((std::uint64_t{1} << (8 * n)) - 1);
}

// Up to eight bytes as a number, the first in the lowest lane. Where eight
// can be read, one load takes them and the lanes from count on are cleared:
// a copy of a varying count is a loop of byte stores, and reading the number
// back then waits for all of them.
std::uint64_t lanes(const char *bytes, std::size_t count, std::size_t readable)
{
    std::uint64_t value = 0;
    if constexpr (std::endian::native == std::endian::little) {
        if (readable >= sizeof value) {
            std::memcpy(&value, bytes, sizeof value);
            return firstLanes(value, count);
        }
        std::memcpy(&value, bytes, count);
    } else {
        for (std::size_t i = 0; i < count; ++i)
            value |= static_cast<std::uint64_t>(static_cast<unsigned char>(bytes[i])) << (8 * i);
    }
    return value;
}

// The high bit of each lane that holds c; above the first such lane, others
// may be set too.
constexpr std::uint64_t lanesHolding(std::uint64_t value, unsigned char c)
{
    const std::uint64_t x = value ^ (kLanes * c);
    return (x - kLanes) & ~x & kHighBits;
}

// The high bit of each lane that holds an ASCII capital.
constexpr std::uint64_t capitalLanes(std::uint64_t value)
{
    const std::uint64_t low = value & ~kHighBits;
    const std::uint64_t fromA = low + kLanes * (0x80 - 'A');
    const std::uint64_t pastZ = low + kLanes * (0x80 - 'Z' - 1);
    return fromA & ~pastZ & ~value & kHighBits;
}

constexpr std::uint64_t byteSwapped(std::uint64_t value)
{
    return __builtin_bswap64(value);
}

// From this many sentences on, the work after the draw is shared out between
// two cores: each part is still far larger than what starting it costs.
constexpr std::size_t kSentencesForParts = 1 << 16;

std::size_t partsForSentences(std::size_t count)
{
    return partsFor(count >= kSentencesForParts);
}

// Sorts keys of 128 bits whose bytes from the fifth up are compared first,
// most significant first: a byte at a time, from `byte` down, the keys that
// agree so far spread by the next byte, and few keys sorted by insertion.
// A group's keys mostly differ in their first byte or two, and comparing
// them pairwise took most of the time of writing a large essay.
__extension__ typedef unsigned __int128 WideKey;
constexpr std::size_t kFewKeys = 24;

void insertionSort(WideKey *keys, std::size_t n)
{
    for (std::size_t i = 1; i < n; ++i) {
        const WideKey key = keys[i];
        std::size_t j = i;
        for (; j > 0 && key < keys[j - 1]; --j)
            keys[j] = keys[j - 1];
        keys[j] = key;
    }
}

void radixSort(WideKey *keys, WideKey *spare, std::size_t n, int byte)
{
    for (;;) {
        if (n <= kFewKeys) {
            insertionSort(keys, n);
            return;
        }
        // Past the beginnings only the lowest four bytes are left.
        if (byte < 4) {
            std::sort(keys, keys + n);
            return;
        }
        const int shift = 8 * byte;
        const auto digit = [shift](WideKey key) { return static_cast<std::uint8_t>(key >> shift); };
        std::uint32_t count[256] = {};
        // The digits used lie close together (the letters, mostly): the
        // passes over the counts go from the least to the greatest only.
        int low = 255;
        int high = 0;
        for (std::size_t i = 0; i < n; ++i) {
            const int d = digit(keys[i]);
            ++count[d];
            low = std::min(low, d);
            high = std::max(high, d);
        }
        if (low == high) {
            --byte;
            continue;
        }
        std::uint32_t next[256];
        std::uint32_t sum = 0;
        std::uint32_t most = 0;
        for (int d = low; d <= high; ++d) {
            next[d] = sum;
            sum += count[d];
            most = std::max(most, count[d]);
        }
        for (std::size_t i = 0; i < n; ++i)
            spare[next[digit(keys[i])]++] = keys[i];
        std::copy(spare, spare + n, keys);
        // Where every digit's share is small, one pass of insertion puts them
        // all in order: a key only moves within its share.
        if (most <= kFewKeys) {
            insertionSort(keys, n);
            return;
        }
        std::size_t begin = 0;
        for (int d = low; d <= high; ++d) {
            if (count[d] > 1)
                radixSort(keys + begin, spare + begin, count[d], byte - 1);
            begin += count[d];
        }
        return;
    }
}

void sortKeys(std::vector<WideKey> &keys, std::vector<WideKey> &spare)
{
    spare.resize(keys.size());
    radixSort(keys.data(), spare.data(), keys.size(), 15);
}

// Entries in the order of their keys whose beginnings are equal: runs of
// long sentences among them put in order by their text, textOf(entry);
// short ones are then equal, in any order.
template <typename Entry, typename KeyOf, typename TextOf>
void sortLongTies(std::vector<Entry> &entries, const KeyOf &keyOf, const TextOf &textOf)
{
    const auto sameBeginning = [&](const Entry &a, const Entry &b) { return keyOf(a) >> 32 == keyOf(b) >> 32; };
    for (auto run = std::adjacent_find(entries.begin(), entries.end(), sameBeginning); run != entries.end();) {
        auto runEnd = run + 1;
        while (runEnd != entries.end() && sameBeginning(*run, *runEnd))
            ++runEnd;
        if (static_cast<std::uint32_t>(keyOf(*run) >> 32) >= kLongLine)
            std::sort(run, runEnd,
                      [&](const Entry &a, const Entry &b) { return compareNoCase(textOf(a), textOf(b)) < 0; });
        run = std::adjacent_find(runEnd, entries.end(), sameBeginning);
    }
}

} // namespace

GroupSorter::Key GroupSorter::beginning(std::size_t start) const
{
    const std::string &text = text_.text();
    const std::size_t available = std::min(kLongPrefixBytes, text.size() - start);
    const std::size_t readable = text.size() - start;
    const std::uint64_t first = lanes(text.data() + start, std::min(kPrefixBytes, available), readable);
    const std::uint64_t next = available > kPrefixBytes ? lanes(text.data() + start + kPrefixBytes,
                                                                available - kPrefixBytes, readable - kPrefixBytes)
                                                        : 0;
    // The sentence may end within the bytes read; what follows is not its own.
    const auto terminator = static_cast<unsigned char>(text_.terminatorAt(start));
    std::size_t length = kLongPrefixBytes + 1;
    if (const std::uint64_t at = lanesHolding(first, terminator))
        length = static_cast<std::size_t>(std::countr_zero(at)) / 8 + 1;
    else if (const std::uint64_t atNext = lanesHolding(next, terminator) & 0x808080u)
        length = kPrefixBytes + static_cast<std::size_t>(std::countr_zero(atNext)) / 8 + 1;
    return beginningOf(first, next, length);
}

GroupSorter::Key GroupSorter::beginningOf(std::uint64_t first, std::uint64_t next, std::size_t length)
{
    const std::uint64_t own = firstLanes(first, length);
    const std::uint64_t capitals = capitalLanes(own);
    // Folded: 0x80 >> 2 is the distance from a capital to its small letter.
    const std::uint64_t head = byteSwapped(own | (capitals >> 2));
    std::uint32_t tail = 0;
    if (length <= kPrefixBytes) {
        // Length in the upper bits, capitals (inverted, first byte highest)
        // in the lowest eight: the lanes' high bits gathered in one byte.
        const auto firstHighest =
            static_cast<std::uint32_t>(((byteSwapped(capitals) >> 7) * 0x0102040810204080u) >> 56);
        tail = static_cast<std::uint32_t>(length << 8) | (~firstHighest & 0xffu);
    } else {
        const std::uint64_t rest = firstLanes(next, std::min(length, kLongPrefixBytes) - kPrefixBytes);
        const std::uint64_t folded = rest | (capitalLanes(rest) >> 2);
        tail =
            kLongLine | static_cast<std::uint32_t>((folded & 0xff) << 16 | (folded & 0xff00) | (folded >> 16 & 0xff));
    }
    return (Key{head} << 64) | (Key{tail} << 32);
}

template <typename Offset, typename Entry>
void GroupSorter::sortInto(const Offset *first, const Offset *last, const Offset *limit, Offset *out,
                           std::vector<Entry> &entries)
{
    constexpr bool packed = std::is_same_v<Entry, Key>;
    const auto keyOf = [](const Entry &e) -> Key {
        if constexpr (packed)
            return e;
        else
            return e.key;
    };
    const auto startOf = [](const Entry &e) -> std::size_t {
        if constexpr (packed)
            return static_cast<std::uint32_t>(e);
        else
            return e.start;
    };
    // The sentences are spread all over the text: their beginnings, and
    // what the writing needs after them, are asked for a few places ahead.
    const char *const data = text_.text().data();
    const std::size_t size = text_.text().size();
    const bool sorting = last - first > 1;
    for (const Offset *at = first; at != std::min(last, first + kAhead); ++at)
        __builtin_prefetch(data + *at);
    entries.clear();
    for (const Offset *at = first; at != last; ++at) {
        if (at + kAhead < limit) {
            const std::size_t ahead = at[kAhead];
            __builtin_prefetch(data + ahead);
            __builtin_prefetch(data + std::min(size - 1, ahead + 63));
        }
        if (!sorting)
            continue;
        if constexpr (packed)
            entries.push_back(beginning(*at) | *at);
        else
            entries.push_back(WideEntry{beginning(*at), *at});
    }
    if (!sorting) {
        std::copy(first, last, out);
        return;
    }
    // Between equal beginnings the start decides: any order of those will
    // do for short sentences, which are then equal, and long ones are put
    // in order by their text next.
    if constexpr (packed)
        sortKeys(entries, spare_);
    else
        std::sort(entries.begin(), entries.end(), [&](const Entry &a, const Entry &b) { return keyOf(a) < keyOf(b); });
    sortLongTies(entries, keyOf, [&](const Entry &e) { return text_.sentenceAt(startOf(e)); });
    for (const Entry &e : entries)
        *out++ = static_cast<Offset>(startOf(e));
}

void GroupSorter::sortPieces(const char *pieces, const std::uint32_t *starts, std::uint32_t first, std::uint32_t last,
                             std::uint32_t *out)
{
    narrow_.clear();
    for (std::uint32_t k = first; k < last; ++k) {
        const char *piece = pieces + starts[k];
        const std::size_t length = starts[k + 1] - starts[k];
        const std::uint64_t head = lanes(piece, std::min(kPrefixBytes, length), kPiecesPadding);
        const std::uint64_t next =
            length > kPrefixBytes
                ? lanes(piece + kPrefixBytes, std::min(kLongPrefixBytes, length) - kPrefixBytes, kPiecesPadding)
                : 0;
        narrow_.push_back(beginningOf(head, next, std::min(length, kLongPrefixBytes + 1)) | k);
    }
    sortKeys(narrow_, spare_);
    sortLongTies(
        narrow_, [](const Key &e) { return e; },
        [&](const Key &e) {
            const auto k = static_cast<std::uint32_t>(e);
            return std::string_view(pieces + starts[k], starts[k + 1] - starts[k]);
        });
    for (const Key &e : narrow_)
        *out++ = static_cast<std::uint32_t>(e);
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
    const std::size_t parts = partsForSentences(count);
    // Keys are few and small, so a counting sort puts the sentences in key
    // order in linear time; only sentences sharing a key need comparing.
    // Each part of the sentences fills its own share of every key's group,
    // after the shares of the parts before it.
    std::unique_ptr<std::uint16_t[]> keys(new std::uint16_t[count]);
    std::vector<std::vector<std::size_t>> fill(parts, std::vector<std::size_t>(kShuffleKeyRange, 0));
    constexpr std::size_t kDrawn = 4096;
    int drawn[kDrawn];
    for (std::size_t p = 0; p < parts; ++p) {
        const std::size_t end = partBegin(count, p + 1, parts);
        for (std::size_t i = partBegin(count, p, parts); i < end;) {
            const std::size_t n = std::min(kDrawn, end - i);
            random.nextMany(kShuffleKeyRange, drawn, n);
            for (std::size_t d = 0; d < n; ++d, ++i) {
                // Keep a misbehaving generator from indexing outside the groups.
                const int key = std::clamp(drawn[d], 0, kShuffleKeyRange - 1);
                keys[i] = static_cast<std::uint16_t>(key);
                ++fill[p][static_cast<std::size_t>(key)];
            }
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
    const std::size_t parts = partsForSentences(cut.groups[last] - cut.groups[first]);
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
