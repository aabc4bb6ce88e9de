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

    // The same order for sentences copied end to end: sentence k is
    // pieces[starts[k], starts[k + 1]). Puts the numbers first to last - 1,
    // in the order of their sentences, into out. Nothing is read from all
    // over the text: the copy was made in one pass, and all the sort reads
    // is close at hand. The bytes after the last sentence are read too:
    // kPiecesPadding of them must follow it.
    static constexpr std::size_t kPiecesPadding = 16;
    void sortPieces(const char *pieces, const std::uint32_t *starts, std::uint32_t first, std::uint32_t last,
                    std::uint32_t *out);

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
    // The same from the first eight bytes and the next three as numbers
    // (unread ones zero), and the sentence's length where it is below
    // twelve bytes, else twelve.
    static Key beginningOf(std::uint64_t first, std::uint64_t next, std::size_t length);
    template <typename Offset, typename Entry>
    void sortInto(const Offset *first, const Offset *last, const Offset *limit, Offset *out,
                  std::vector<Entry> &entries);

    const SentenceText &text_;
    std::vector<Key> narrow_;
    std::vector<Key> spare_;
    std::vector<WideEntry> wide_;
};

} // namespace varnok
