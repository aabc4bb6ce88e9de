#include "generator/sentences.h"

#include <algorithm>
#include <cstring>
#include <type_traits>
#include <utility>

#include "platform/thread.h"

namespace varnok {

namespace {

std::size_t skipBlanks(std::string_view text, std::size_t pos)
{
    while (pos < text.size() && text[pos] == kBlank)
        ++pos;
    return pos;
}

// Just after the last c in text[from, size), or from when there is none.
std::size_t afterLast(const std::string &text, char c, std::size_t from)
{
    if (from >= text.size())
        return from;
    const void *last = ::memrchr(text.data() + from, c, text.size() - from);
    return last ? static_cast<std::size_t>(static_cast<const char *>(last) - text.data()) + 1 : from;
}

// How many c there are in data[0, size).
std::size_t countByte(const char *data, std::size_t size, char c)
{
    std::size_t count = 0;
    std::size_t pos = 0;
#ifdef __SSE2__
    // Each byte lane counts down by one per match, for at most 255 blocks of
    // sixteen bytes before the lanes are summed.
    const __m128i wanted = _mm_set1_epi8(c);
    while (pos + 16 <= size) {
        __m128i lanes = _mm_setzero_si128();
        const std::size_t blocks = std::min<std::size_t>(255, (size - pos) / 16);
        for (std::size_t b = 0; b < blocks; ++b, pos += 16) {
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i *>(data + pos));
            lanes = _mm_sub_epi8(lanes, _mm_cmpeq_epi8(bytes, wanted));
        }
        const __m128i sums = _mm_sad_epu8(lanes, _mm_setzero_si128());
        count += static_cast<std::size_t>(_mm_cvtsi128_si32(sums)) +
                 static_cast<std::size_t>(_mm_cvtsi128_si32(_mm_unpackhi_epi64(sums, sums)));
    }
#endif
    for (; pos < size; ++pos)
        count += data[pos] == c;
    return count;
}

} // namespace

SentenceText::SentenceText(std::string text) : text_(std::move(text))
{
    // Only what follows the last "." can end in "!", and only what follows
    // the last "!" in "?": the searches for those look at the tail alone.
    dotsEnd_ = afterLast(text_, kFullStop, 0);
    bangsEnd_ = afterLast(text_, kExclamation, dotsEnd_);
    questionsEnd_ = afterLast(text_, kQuestion, bangsEnd_);
    if (questionsEnd_ == 0) {
        text_.erase(0, varnok::skipBlanks(text_, 0));
        text_ += kFullStop;
        dotsEnd_ = bangsEnd_ = questionsEnd_ = text_.size();
    }
    // The blocks are counted on two cores where there are many: the count
    // is a pass over the whole text that nothing else waits beside.
    const std::size_t blocks = (questionsEnd_ + kBlock - 1) / kBlock;
    endsBefore_.resize(blocks);
    const std::size_t parts = partsFor(blocks >= kBlocksForParts);
    inParts(parts, [&](std::size_t p) {
        for (std::size_t b = partBegin(blocks, p, parts); b < partBegin(blocks, p + 1, parts); ++b)
            endsBefore_[b] = endsIn(b * kBlock, std::min(questionsEnd_, (b + 1) * kBlock));
    });
    for (std::size_t &ends : endsBefore_)
        count_ += std::exchange(ends, count_);
    fullStops_ = count_ - endsIn(dotsEnd_, questionsEnd_);
}

std::size_t SentenceText::endsIn(std::size_t from, std::size_t to) const
{
    const char *const data = text_.data();
    const auto countIn = [&](std::size_t begin, std::size_t end, char c) {
        begin = std::max(begin, from);
        end = std::min(end, to);
        return begin < end ? countByte(data + begin, end - begin, c) : 0;
    };
    return countIn(0, dotsEnd_, kFullStop) + countIn(dotsEnd_, bangsEnd_, kExclamation) +
           countIn(bangsEnd_, questionsEnd_, kQuestion);
}

std::size_t SentenceText::endOf(std::size_t i) const
{
    const auto block =
        static_cast<std::size_t>(std::upper_bound(endsBefore_.begin(), endsBefore_.end(), i) - endsBefore_.begin()) - 1;
    std::size_t pos = block * kBlock;
    for (std::size_t skipped = endsBefore_[block]; skipped < i; ++skipped)
        pos = endAt(pos);
    return endAt(pos);
}

SentenceList::SentenceList(std::size_t count, std::size_t textSize) : size_(count)
{
    if (textSize <= UINT32_MAX) {
        narrow_.reset(new std::uint32_t[count]);
    } else {
        wide_.reset(new std::uint64_t[count]);
    }
}

SentenceList inTextOrder(const SentenceText &text)
{
    SentenceList sentences(text.count(), text.text().size());
    sentences.visit([&](auto *starts) {
        using Offset = std::remove_pointer_t<decltype(starts)>;
        text.forEach(0, text.count(), [&](std::size_t start) { *starts++ = static_cast<Offset>(start); });
    });
    return sentences;
}

CutText cutSentences(std::string text)
{
    CutText cut;
    cut.text = SentenceText(std::move(text));
    cut.sentences = inTextOrder(cut.text);
    return cut;
}

} // namespace varnok
