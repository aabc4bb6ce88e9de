#pragma once

#include <string_view>
#include <vector>

#include "platform/random.h"

namespace varnok {

// Every line gets a key drawn from 0 to this bound less one.
inline constexpr int kShuffleKeyRange = 10000;

// Puts the lines in random order, in place: one key drawn per line, in list
// order, then the lines sorted by key and, within a key, by their text
// without regard to case. This is exactly the order of sorting the entries
// "%5d" key, ":", line case-insensitively: five-character keys with leading
// blanks compare as their numbers, and the equal prefixes of one key leave
// the lines to decide. The lines themselves, duplicates included, are
// unchanged.
void shuffleLines(std::vector<std::string_view> &lines, Random &random);

// The same, moving a byte that goes with each line (tags[i] with lines[i];
// a missing one is 0) along with it: a byte per line the next step needs need not then be
// fetched from the text, which is read from all over once shuffled.
void shuffleLines(std::vector<std::string_view> &lines, std::vector<char> &tags, Random &random);

} // namespace varnok
