#pragma once

#include "generator/sentences.h"
#include "platform/random.h"

namespace varnok {

// Every sentence gets a key drawn from 0 to this bound less one.
inline constexpr int kShuffleKeyRange = 10000;

// The sentences of a text in random order: one key drawn per sentence, in
// text order, then the sentences sorted by key and, within a key, by their
// text without regard to case. This is exactly the order of sorting the
// entries "%5d" key, ":", sentence case-insensitively: five-character keys
// with leading blanks compare as their numbers, and the equal prefixes of one
// key leave the sentences to decide. Duplicates all stay.
SentenceList shuffledSentences(const SentenceText &text, Random &random);

} // namespace varnok
