#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "platform/random.h"
#include "platform/textfile.h"

namespace varnok {

// Every line gets a key drawn from 0 to this bound less one.
inline constexpr int kShuffleKeyRange = 10000;

// The order RandomizeStrings puts the lines in: one key drawn per line, in
// list order, then the lines sorted by key and, within a key, by their text
// without regard to case. This is exactly the order of sorting the entries
// "%5d" key, ":", line case-insensitively: five-character keys with leading
// blanks compare as their numbers, and the equal prefixes of one key leave
// the lines to decide. Result: indexes into lines, in their new order.
std::vector<std::size_t> randomizedOrder(const std::vector<std::string_view> &lines, Random &random);

// The lines themselves in the order randomizedOrder gives (the same draws).
std::vector<std::string_view> randomized(const std::vector<std::string_view> &lines, Random &random);

// Puts the lines into random order (see randomizedOrder); the lines
// themselves, duplicates included, are unchanged.
void RandomizeStrings(Lines &lines, Random &random);

} // namespace varnok
