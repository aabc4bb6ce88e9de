#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "core/bytescan.h"

namespace varnok {

// The first c in data[pos, size), or size when there is none. Sentences are
// a few dozen bytes: a call of memchr for each costs more than the search.
inline std::size_t findByte(const char *data, std::size_t pos, std::size_t size, char c)
{
#ifdef __SSE2__
    const __m128i wanted = _mm_set1_epi8(c);
    for (; pos + 16 <= size; pos += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i *>(data + pos));
        if (const int found = _mm_movemask_epi8(_mm_cmpeq_epi8(bytes, wanted)))
            return pos + static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(found)));
    }
#endif
    for (; pos < size; ++pos)
        if (data[pos] == c)
            return pos;
    return size;
}

// The characters that end a sentence, in the order the cut tries them.
inline constexpr char kFullStop = '.';
inline constexpr char kExclamation = '!';
inline constexpr char kQuestion = '?';
inline constexpr char kBlank = ' ';
inline constexpr std::string_view kLineBreak = "\r\n";

// The gathered text as the sentence cut sees it. Up to the last "." every
// "." ends a sentence, from there up to the last "!" every "!", and from
// there every "?": so where a sentence starts is all it takes to find it
// again, and a list of sentences needs one offset for each rather than a
// copy or a view. A text without any terminator becomes the one sentence it
// is with "." appended (an empty text gives "."); a trailing fragment without
// terminator belongs to no sentence.
class SentenceText {
public:
    SentenceText() = default;
    explicit SentenceText(std::string text);

    const std::string &text() const { return text_; }
    std::size_t count() const { return count_; }
    // How many of the sentences end in ".".
    std::size_t fullStops() const { return fullStops_; }

    // The terminator of the sentence that starts there, and the sentence.
    char terminatorAt(std::size_t start) const
    {
        return start < dotsEnd_ ? kFullStop : (start < bangsEnd_ ? kExclamation : kQuestion);
    }
    std::size_t endAt(std::size_t start) const
    {
        const char terminator = terminatorAt(start);
        // Most sentences end within a block of kPlacesBytes: their places
        // found at once cost less than a search with a loop.
        if (start + kPlacesBytes <= text_.size())
            if (const std::uint64_t places = placesOf(text_.data() + start, terminator, terminator))
                return start + static_cast<std::size_t>(__builtin_ctzll(places)) + 1;
        return findByte(text_.data(), start, text_.size(), terminator) + 1;
    }
    std::string_view sentenceAt(std::size_t start) const
    {
        return std::string_view(text_).substr(start, endAt(start) - start);
    }

    // Hands each(start) the starts of the sentences first to last - 1, in
    // text order.
    template <typename Each>
    void forEach(std::size_t first, std::size_t last, Each &&each) const
    {
        if (first >= last)
            return;
        const std::size_t pos = skipBlanks(first == 0 ? 0 : endOf(first - 1));
        each(pos);
        std::size_t left = last - first - 1;
        if (left == 0)
            return;
        // The starts after it are found 64 bytes at a time: where a
        // sentence ends, and which bytes are not blanks. A sentence starts
        // at the first byte after an end that is not a blank. Looking for
        // each end and then past the blanks, sentence by sentence, cost a
        // mispredicted branch or two per sentence, most of walking the text.
        constexpr std::size_t kBytes = kPlacesBytes;
        std::size_t block = pos / kBytes * kBytes;
        // The ends before the first start belong to sentences not wanted.
        std::uint64_t wanted = ~std::uint64_t{0} << (pos - block);
        // Whether the block before ended looking for a start: in a sentence's
        // end or the blanks after it.
        std::uint64_t seeking = 0;
        for (; block < text_.size(); block += kBytes) {
            const Places places = placesAt(block);
            const std::uint64_t ends = places.ends & wanted;
            wanted = ~std::uint64_t{0};
            const std::uint64_t after = (ends << 1) | seeking;
            const std::uint64_t blanks = ~places.others;
            // Adding the place after an end to the run of blanks it begins
            // carries to the first byte past the run; a carry out of the
            // block means the run goes on into the next one.
            std::uint64_t carried = 0;
            const bool through = __builtin_add_overflow(after & blanks, blanks, &carried);
            std::uint64_t starts = (after | carried) & places.others;
            seeking = static_cast<std::uint64_t>(through) | ends >> (kBytes - 1);
            for (; starts != 0; starts &= starts - 1) {
                each(block + static_cast<std::size_t>(__builtin_ctzll(starts)));
                if (--left == 0)
                    return;
            }
        }
    }

private:
    // The bytes of the block of kPlacesBytes at `block` that end a sentence,
    // and those that are not blanks; past the text's end, neither.
    struct Places {
        std::uint64_t ends;
        std::uint64_t others;
    };
    Places placesAt(std::size_t block) const
    {
        const char *const data = text_.data();
        if (block + kPlacesBytes <= dotsEnd_)
            return {placesOf(data + block, kFullStop, kFullStop), ~placesOf(data + block, kBlank, kBlank)};
        // Near the text's end: which byte ends a sentence depends on where it is.
        Places places{0, 0};
        for (std::size_t i = 0; i < kPlacesBytes && block + i < text_.size(); ++i) {
            const std::size_t at = block + i;
            const char c = data[at];
            const bool end =
                c == kFullStop || (c == kExclamation && at >= dotsEnd_) || (c == kQuestion && at >= bangsEnd_);
            places.ends |= static_cast<std::uint64_t>(end) << i;
            places.others |= static_cast<std::uint64_t>(c != kBlank) << i;
        }
        return places;
    }

    // A sentence end is counted for every block of this many bytes, so that
    // the text can be walked from any sentence on.
    static constexpr std::size_t kBlock = std::size_t{1} << 16;
    // From this many blocks on (four megabytes), they are counted in parts.
    static constexpr std::size_t kBlocksForParts = 64;

    std::size_t skipBlanks(std::size_t pos) const
    {
        while (pos < text_.size() && text_[pos] == kBlank)
            ++pos;
        return pos;
    }
    // How many sentences end in [from, to).
    std::size_t endsIn(std::size_t from, std::size_t to) const;
    // Just after the end of sentence i.
    std::size_t endOf(std::size_t i) const;

    std::string text_;
    // Sentences starting before dotsEnd_ end in ".", before bangsEnd_ in
    // "!", before questionsEnd_ in "?".
    std::size_t dotsEnd_ = 0;
    std::size_t bangsEnd_ = 0;
    std::size_t questionsEnd_ = 0;
    std::size_t count_ = 0;
    std::size_t fullStops_ = 0;
    // How many sentences end before each block.
    std::vector<std::size_t> endsBefore_;
};

// Sentences named by where they start in their text, in some order: four
// bytes each while the text is below 4 GiB, eight beyond. Left unset when
// made: every entry is written before it is read, and clearing them first
// would be one more pass over all that memory.
class SentenceList {
public:
    SentenceList() = default;
    SentenceList(std::size_t count, std::size_t textSize);

    std::size_t size() const { return size_; }
    std::size_t operator[](std::size_t i) const { return narrow_ ? narrow_[i] : wide_[i]; }

    // f(pointer to the first entry), with the entries as they are stored.
    template <typename F>
    decltype(auto) visit(F &&f) const
    {
        return narrow_ ? f(static_cast<const std::uint32_t *>(narrow_.get()))
                       : f(static_cast<const std::uint64_t *>(wide_.get()));
    }
    template <typename F>
    decltype(auto) visit(F &&f)
    {
        return narrow_ ? f(narrow_.get()) : f(wide_.get());
    }

private:
    std::size_t size_ = 0;
    std::unique_ptr<std::uint32_t[]> narrow_;
    std::unique_ptr<std::uint64_t[]> wide_;
};

// A text cut into sentences, in some order. Shuffled sentences come in
// groups, one for each key drawn, that are put in their final order only
// when needed: where each group begins, then where the last ends, and which
// are in order already. No groups: the sentences are in their final order.
struct CutText {
    SentenceText text;
    SentenceList sentences;
    std::vector<std::size_t> groups;
    std::vector<char> sortedGroups;

    std::size_t size() const { return sentences.size(); }
    std::string_view sentence(std::size_t i) const { return text.sentenceAt(sentences[i]); }
};

// The sentences of a text in text order.
SentenceList inTextOrder(const SentenceText &text);

// The sentence cut of the gathered text (Gatherer::take), in text order.
CutText cutSentences(std::string text);

} // namespace varnok
