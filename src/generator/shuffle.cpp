#include "generator/shuffle.h"

#include <algorithm>
#include <cstdint>

#include "platform/files.h"

namespace varnok {

namespace {

// Twelve bytes of a line's beginning and the line's index, in sixteen bytes.
// The beginning is as compareNoCase sees it (ASCII letters folded), padded
// with zeros, read as one big-endian number. Where two of these differ they
// order the lines as compareNoCase would: at the first differing byte either
// both lines have folded bytes, or the shorter line has run out, and a line
// that runs out first sorts first. Only equal beginnings need the lines
// themselves, which spares most comparisons a trip to memory.
template <typename Index>
struct SortEntry {
    std::uint64_t high;
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
    SortEntry<Index> entry{0, 0, static_cast<Index>(index)};
    for (std::size_t i = 0; i < 8; ++i)
        entry.high = (entry.high << 8) | foldedByte(line, i);
    for (std::size_t i = 8; i < 12; ++i)
        entry.low = (entry.low << 8) | foldedByte(line, i);
    return entry;
}

template <typename Index>
std::vector<std::size_t> sortByKeyAndText(const std::vector<std::string_view> &lines, const std::vector<int> &keys,
                                          const std::vector<std::size_t> &start)
{
    const std::size_t count = lines.size();
    std::vector<SortEntry<Index>> entries(count);
    {
        std::vector<std::size_t> fill(start.begin(), start.end() - 1);
        for (std::size_t i = 0; i < count; ++i)
            entries[fill[static_cast<std::size_t>(keys[i])]++] = sortEntry<Index>(lines[i], i);
    }

    const auto byText = [&lines](const SortEntry<Index> &a, const SortEntry<Index> &b) {
        if (a.high != b.high)
            return a.high < b.high;
        if (a.low != b.low)
            return a.low < b.low;
        return compareNoCase(lines[a.index], lines[b.index]) < 0;
    };
    for (std::size_t k = 0; k + 1 < start.size(); ++k) {
        if (start[k + 1] - start[k] > 1)
            std::sort(entries.begin() + static_cast<std::ptrdiff_t>(start[k]),
                      entries.begin() + static_cast<std::ptrdiff_t>(start[k + 1]), byText);
    }

    std::vector<std::size_t> order(count);
    for (std::size_t i = 0; i < count; ++i)
        order[i] = entries[i].index;
    return order;
}

} // namespace

std::vector<std::size_t> randomizedOrder(const std::vector<std::string_view> &lines, Random &random)
{
    std::vector<int> keys(lines.size());
    for (auto &key : keys) {
        key = random.next(kShuffleKeyRange);
        // Keep a misbehaving generator from indexing outside the buckets.
        key = std::clamp(key, 0, kShuffleKeyRange - 1);
    }

    // Keys are few and small, so a counting sort puts the lines in key order
    // in linear time; only lines sharing a key need comparing.
    std::vector<std::size_t> start(kShuffleKeyRange + 1, 0);
    for (const int key : keys)
        ++start[static_cast<std::size_t>(key) + 1];
    for (std::size_t k = 1; k < start.size(); ++k)
        start[k] += start[k - 1];

    if (lines.size() <= UINT32_MAX)
        return sortByKeyAndText<std::uint32_t>(lines, keys, start);
    return sortByKeyAndText<std::size_t>(lines, keys, start);
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
