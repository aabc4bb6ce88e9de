#include "generator/shuffle.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
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
// first (capitals are the lower bytes). Only longer lines with equal
// beginnings need the lines themselves. Sixteen bytes an entry keep the
// shuffle's memory below the text's own size.
template <typename Index>
struct SortEntry {
    std::uint64_t head;
    // Length in the upper bits, capitals (inverted, first byte highest) in
    // the lowest eight; kLongLine for a line of more than eight bytes.
    std::uint32_t tail;
    Index index;
};

constexpr std::size_t kPrefixBytes = 8;
constexpr std::uint32_t kLongLine = UINT32_MAX;

template <typename Index>
SortEntry<Index> sortEntry(std::string_view line, std::size_t index)
{
    unsigned char bytes[kPrefixBytes] = {};
    const std::size_t length = std::min(line.size(), kPrefixBytes);
    if (length > 0)
        std::memcpy(bytes, line.data(), length);
    std::uint32_t capitals = 0;
    std::uint64_t head = 0;
    for (std::size_t i = 0; i < kPrefixBytes; ++i) {
        const bool capital = bytes[i] >= 'A' && bytes[i] <= 'Z';
        capitals = (capitals << 1) | static_cast<std::uint32_t>(capital);
        head = (head << 8) | static_cast<unsigned char>(bytes[i] + (capital ? 'a' - 'A' : 0));
    }
    const std::uint32_t tail = line.size() > kPrefixBytes
                                   ? kLongLine
                                   : static_cast<std::uint32_t>(line.size() << 8) | (~capitals & 0xffu);
    return SortEntry<Index>{head, tail, static_cast<Index>(index)};
}

// Draws one key per line, in list order, and gives the lines' entries sorted
// by key and then by text.
template <typename Index>
std::vector<SortEntry<Index>> sortByKeyAndText(const std::vector<std::string_view> &lines, Random &random)
{
    const std::size_t count = lines.size();
    std::vector<std::uint16_t> keys(count);
    for (auto &key : keys) {
        // Keep a misbehaving generator from indexing outside the buckets.
        key = static_cast<std::uint16_t>(std::clamp(random.next(kShuffleKeyRange), 0, kShuffleKeyRange - 1));
    }

    // Keys are few and small, so a counting sort puts the lines in key order
    // in linear time; only lines sharing a key need comparing.
    std::vector<std::size_t> start(kShuffleKeyRange + 1, 0);
    for (const auto key : keys)
        ++start[key + 1u];
    for (std::size_t k = 1; k < start.size(); ++k)
        start[k] += start[k - 1];

    std::vector<SortEntry<Index>> entries;
    entries.reserve(count);
    adviseLargeBuffer(entries.data(), count * sizeof(SortEntry<Index>));
    entries.resize(count);
    {
        std::vector<std::size_t> fill(start.begin(), start.end() - 1);
        for (std::size_t i = 0; i < count; ++i)
            entries[fill[keys[i]]++] = sortEntry<Index>(lines[i], i);
    }
    std::vector<std::uint16_t>().swap(keys);

    const auto byText = [&lines](const SortEntry<Index> &a, const SortEntry<Index> &b) {
        if (a.head != b.head)
            return a.head < b.head;
        if (a.tail != b.tail || a.tail != kLongLine)
            return a.tail < b.tail;
        return compareNoCase(lines[a.index], lines[b.index]) < 0;
    };
    for (std::size_t k = 0; k + 1 < start.size(); ++k) {
        if (start[k + 1] - start[k] > 1)
            std::sort(entries.begin() + static_cast<std::ptrdiff_t>(start[k]),
                      entries.begin() + static_cast<std::ptrdiff_t>(start[k + 1]), byText);
    }
    return entries;
}

template <typename Index>
void reorder(std::vector<std::string_view> &lines, Random &random)
{
    auto entries = sortByKeyAndText<Index>(lines, random);
    // The lines in their new order go into the entries' own room, each over
    // the entry that named it, and are then copied back in one sweep: a
    // second list of lines would cost as much memory as the entries, and
    // moving the lines in place along the cycles of the order chases one
    // cache miss after another. The lines are picked from all over their
    // list; asking for them a few places ahead hides most of the waiting.
    static_assert(sizeof(SortEntry<Index>) >= sizeof(std::string_view));
    static_assert(std::is_trivially_copyable_v<SortEntry<Index>> && std::is_trivially_copyable_v<std::string_view>);
    const std::size_t count = lines.size();
    constexpr std::size_t ahead = 16;
    for (std::size_t i = 0; i < count; ++i) {
        if (i + ahead < count)
            __builtin_prefetch(&lines[entries[i + ahead].index]);
        const std::string_view line = lines[entries[i].index];
        std::memcpy(static_cast<void *>(&entries[i]), &line, sizeof line);
    }
    for (std::size_t i = 0; i < count; ++i)
        std::memcpy(&lines[i], static_cast<const void *>(&entries[i]), sizeof lines[i]);
}

} // namespace

void shuffleLines(std::vector<std::string_view> &lines, Random &random)
{
    if (lines.size() <= UINT32_MAX)
        reorder<std::uint32_t>(lines, random);
    else
        reorder<std::size_t>(lines, random);
}

} // namespace varnok
