#include "generator/shuffle.h"

#include <algorithm>

#include "platform/files.h"

namespace varnok {

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
    std::vector<std::size_t> order(count);
    std::vector<std::size_t> fill(start.begin(), start.end() - 1);
    for (std::size_t i = 0; i < count; ++i)
        order[fill[static_cast<std::size_t>(keys[i])]++] = i;

    const auto byText = [&lines](std::size_t a, std::size_t b) { return compareNoCase(lines[a], lines[b]) < 0; };
    for (std::size_t k = 0; k + 1 < start.size(); ++k) {
        if (start[k + 1] - start[k] > 1)
            std::sort(order.begin() + static_cast<std::ptrdiff_t>(start[k]),
                      order.begin() + static_cast<std::ptrdiff_t>(start[k + 1]), byText);
    }
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
