#include "generator/shuffle.h"

#include <algorithm>
#include <cstdint>

#include "platform/files.h"

namespace varnok {

namespace {

// Twenty bytes of a line's beginning and the line's index. The beginning is
// as compareNoCase sees it (ASCII letters folded), padded with zeros, read as
// one big-endian number. Where two of these differ they order the lines as
// compareNoCase would: at the first differing byte either both lines have
// folded bytes, or the shorter line has run out, and a line that runs out
// first sorts first. Only equal beginnings need the lines themselves, which
// spares almost every comparison two trips to memory: prose often starts
// sentences alike, so twelve bytes were too few.
template <typename Index>
struct SortEntry {
    std::uint64_t high;
    std::uint64_t middle;
    std::uint32_t low;
    Index index;
};

inline unsigned char foldedByte(std::string_view line, std::size_t i)
{
    unsigned char c = i < line.size() ? static_cast<unsigned char>(line[i]) : 0;
    if (c >= 'A' && c <= 'Z')
        c = static_cast<unsigned char>(c - 'A' + 'a');
    return c;
}

template <typename Index>
SortEntry<Index> sortEntry(std::string_view line, std::size_t index)
{
    SortEntry<Index> entry{0, 0, 0, static_cast<Index>(index)};
    for (std::size_t i = 0; i < 8; ++i)
        entry.high = (entry.high << 8) | foldedByte(line, i);
    for (std::size_t i = 8; i < 16; ++i)
        entry.middle = (entry.middle << 8) | foldedByte(line, i);
    for (std::size_t i = 16; i < 20; ++i)
        entry.low = (entry.low << 8) | foldedByte(line, i);
    return entry;
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

    std::vector<SortEntry<Index>> entries(count);
    {
        std::vector<std::size_t> fill(start.begin(), start.end() - 1);
        for (std::size_t i = 0; i < count; ++i)
            entries[fill[keys[i]]++] = sortEntry<Index>(lines[i], i);
    }
    std::vector<std::uint16_t>().swap(keys);

    const auto byText = [&lines](const SortEntry<Index> &a, const SortEntry<Index> &b) {
        if (a.high != b.high)
            return a.high < b.high;
        if (a.middle != b.middle)
            return a.middle < b.middle;
        if (a.low != b.low)
            return a.low < b.low;
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
std::vector<std::size_t> orderOf(const std::vector<std::string_view> &lines, Random &random)
{
    const auto entries = sortByKeyAndText<Index>(lines, random);
    std::vector<std::size_t> order(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i)
        order[i] = entries[i].index;
    return order;
}

template <typename Index>
std::vector<std::string_view> reorder(const std::vector<std::string_view> &lines, Random &random)
{
    const auto entries = sortByKeyAndText<Index>(lines, random);
    const std::size_t count = entries.size();
    std::vector<std::string_view> shuffled(count);
    // The lines are picked from all over their list; asking for them a few
    // places ahead hides most of the waiting.
    constexpr std::size_t ahead = 16;
    for (std::size_t i = 0; i < count; ++i) {
        if (i + ahead < count)
            __builtin_prefetch(&lines[entries[i + ahead].index]);
        shuffled[i] = lines[entries[i].index];
    }
    return shuffled;
}

} // namespace

std::vector<std::size_t> randomizedOrder(const std::vector<std::string_view> &lines, Random &random)
{
    if (lines.size() <= UINT32_MAX)
        return orderOf<std::uint32_t>(lines, random);
    return orderOf<std::size_t>(lines, random);
}

std::vector<std::string_view> randomized(const std::vector<std::string_view> &lines, Random &random)
{
    if (lines.size() <= UINT32_MAX)
        return reorder<std::uint32_t>(lines, random);
    return reorder<std::size_t>(lines, random);
}

void RandomizeStrings(Lines &lines, Random &random)
{
    std::vector<std::string_view> views(lines.begin(), lines.end());
    const auto order = randomizedOrder(views, random);
    views = {};
    Lines shuffled;
    shuffled.reserve(lines.size());
    for (const std::size_t index : order)
        shuffled.push_back(std::move(lines[index]));
    lines = std::move(shuffled);
}

} // namespace varnok
