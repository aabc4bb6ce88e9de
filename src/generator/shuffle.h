#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

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
//
// The sentences come grouped by key (CutText::groups), in text order within
// a group: sorting them means reading each one's beginning from wherever it
// lies in the text, which is best done just before the sentences are
// written, when the same reads fetch them for the writing too.
CutText shuffledSentences(SentenceText text, Random &random);

// Puts the groups first to last - 1 of a shuffled cut in their final order.
void sortGroups(CutText &cut, std::size_t first, std::size_t last);

// Puts a group of sentences that share a key in order by their text.
class GroupSorter {
public:
    explicit GroupSorter(const SentenceText &text) : text_(text) {}

    // The sentences first to last - 1 into out (which may be first), in
    // order; the text of those up to limit is asked for a few places ahead.
    void sort(const std::uint32_t *first, const std::uint32_t *last, const std::uint32_t *limit, std::uint32_t *out);
    void sort(const std::uint64_t *first, const std::uint64_t *last, const std::uint64_t *limit, std::uint64_t *out);

    // How far ahead of the sentence at hand the text is asked for.
    static constexpr std::size_t kAhead = 16;

private:
    // What the sort goes by: a sentence's beginning (beginning()) in the
    // upper 96 bits and, for four-byte offsets, the sentence's start in the
    // lower 32; wider offsets are kept beside it. One comparison of two
    // numbers then orders two entries.
    __extension__ typedef unsigned __int128 Key;
    struct WideEntry {
        Key key;
        std::uint64_t start;
    };

    Key beginning(std::size_t start) const;
    template <typename Offset, typename Entry>
    void sortInto(const Offset *first, const Offset *last, const Offset *limit, Offset *out,
                  std::vector<Entry> &entries);

    const SentenceText &text_;
    std::vector<Key> narrow_;
    std::vector<WideEntry> wide_;
};

} // namespace varnok
