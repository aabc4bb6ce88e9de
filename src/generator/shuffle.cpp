#include "generator/shuffle.h"

#include <algorithm>
#include <cstdint>

#include "platform/files.h"

namespace varnok {

namespace {

struct SortEntry {
    std::uint64_t prefix;
    std::size_t index;
};

// The first eight bytes of a line as compareNoCase sees them (ASCII letters
// folded), padded with zeros, read as one big-endian number. Where two of
// these differ they order the lines as compareNoCase would: at the first
// differing byte either both lines have folded bytes, or the shorter line has
// run out, and a line that runs out first sorts first. Only equal prefixes
// need the lines themselves, which spares most comparisons a trip to memory.
std::uint64_t sortPrefix(std::string_view line)
{
    std::uint64_t prefix = 0;
    for (std::size_t i = 0; i < 8; ++i) {
        unsigned char c = i < line.size() ? static_cast<unsigned char>(line[i]) : 0;
        if (c >= 'A' && c <= 'Z')
            c = static_cast<unsigned char>(c - 'A' + 'a');
        prefix = (prefix << 8) | c;
    }
    return prefix;
}

} // namespace

std::vector<std::size_t> randomizedOrder(const std::vector<std::string_view> &lines, Random &random)
{
    const std::size_t count = lines.size();
    std::vector<int> keys(count);
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
    std::vector<SortEntry> entries(count);
    {
        std::vector<std::size_t> fill(start.begin(), start.end() - 1);
        for (std::size_t i = 0; i < count; ++i)
            entries[fill[static_cast<std::size_t>(keys[i])]++] = {sortPrefix(lines[i]), i};
    }
    std::vector<int>().swap(keys);

    const auto byText = [&lines](const SortEntry &a, const SortEntry &b) {
        if (a.prefix != b.prefix)
            return a.prefix < b.prefix;
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
