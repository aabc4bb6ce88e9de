#include "generator/essaytext.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "generator/shuffle.h"

namespace varnok {

namespace {

constexpr std::string_view kTails[] = {"", "  ", "  \r\n", "\r\n"};
constexpr std::string_view kLineEnd = "\r\n";

} // namespace

// The pieces are copied into blocks of a megabyte and handed over a block at
// a time: a call of put per piece costs more than the copy, and a writer
// takes a block that large as it is. They are written into the block's
// bytes directly, its size set only when it is handed over: appending a few
// dozen bytes at a time to a string costs more than copying them.
class EssayText::Blocks {
public:
    explicit Blocks(const BlockPut &put) : put_(put), block_(kRoom, '\0') {}

    // False once put has failed.
    bool add(std::string_view piece, Tail tail, bool lineEnd)
    {
        if (used_ + piece.size() + kAfter > kRoom && (!handOver() || piece.size() + kAfter > kRoom)) {
            if (!ok_)
                return false;
            // Larger than a block: handed over on its own.
            std::string large(piece);
            if (!put_(large))
                return ok_ = false;
        } else {
            std::memcpy(block_.data() + used_, piece.data(), piece.size());
            used_ += piece.size();
        }
        const std::string_view tailBytes = kTails[static_cast<std::size_t>(tail)];
        std::memcpy(block_.data() + used_, tailBytes.data(), tailBytes.size());
        used_ += tailBytes.size();
        if (lineEnd) {
            std::memcpy(block_.data() + used_, kLineEnd.data(), kLineEnd.size());
            used_ += kLineEnd.size();
        }
        return used_ < kBlock || handOver();
    }

    void finish()
    {
        if (used_ > 0)
            handOver();
    }

private:
    static constexpr std::size_t kBlock = std::size_t{1} << 20;
    static constexpr std::size_t kRoom = kBlock + (std::size_t{1} << 16);
    // A tail and a line end at most.
    static constexpr std::size_t kAfter = 6;

    bool handOver()
    {
        block_.resize(used_);
        ok_ = ok_ && put_(block_);
        block_.resize(kRoom);
        used_ = 0;
        return ok_;
    }

    const BlockPut &put_;
    std::string block_;
    std::size_t used_ = 0;
    bool ok_ = true;
};

EssayText::EssayText(CutText sentences, Paragraphs paragraphs)
    : sentences_(std::move(sentences)), paragraphs_(std::move(paragraphs)), lineCount_(paragraphs_.lines)
{
}

EssayText::EssayText(std::string text, std::vector<std::size_t> lineEnds, Tail tail)
    : lineText_(std::move(text)), lineEnds_(std::move(lineEnds)), lineTail_(tail), lines_(true),
      lineCount_(lineEnds_.size())
{
}

void EssayText::keepFirstLines(int n)
{
    if (n >= 0 && static_cast<std::size_t>(n) < lineCount_)
        lineCount_ = static_cast<std::size_t>(n);
}

void EssayText::produceLines(Blocks &blocks) const
{
    const std::string_view text = lineText_;
    for (std::size_t i = 0; i < lineCount_; ++i) {
        const std::size_t start = i == 0 ? 0 : lineEnds_[i - 1];
        if (!blocks.add(text.substr(start, lineEnds_[i] - start), lineTail_, true))
            return;
    }
}

template <typename Offset>
void EssayText::produceSentences(Blocks &blocks, const Offset *order) const
{
    const SentenceText &text = sentences_.text;
    const Paragraphs &paragraphs = paragraphs_;
    const std::size_t count = sentences_.size();
    std::size_t paragraph = 0;
    int placed = 0;
    std::size_t lines = 0;
    // The sentence at place i of the essay; false once the essay is done.
    const auto add = [&](std::size_t i, std::size_t start) {
        const char terminator = text.terminatorAt(start);
        Tail tail = Tail::None;
        if (terminator == kFullStop ||
            (i >= paragraphs.afterDots && (terminator == kExclamation || i >= paragraphs.afterBangs))) {
            if (++placed < paragraphs.targets[paragraph]) {
                tail = Tail::Gap;
            } else {
                tail = Tail::GapAndBreak;
                placed = 0;
                ++paragraph;
            }
        }
        const bool lineEnd = tail == Tail::GapAndBreak || i + 1 == count;
        return blocks.add(text.sentenceAt(start), tail, lineEnd) && !(lineEnd && ++lines == lineCount_);
    };
    // Sentences in their final order lie all over the text once shuffled;
    // asking for them a few places ahead hides most of the waiting. Those
    // of a group still to be sorted are asked for by the sorting, which then
    // fetches them for the writing as well.
    const char *const data = text.text().data();
    const auto addInOrder = [&](std::size_t first, std::size_t last) {
        for (std::size_t i = first; i < last; ++i) {
            if (i + GroupSorter::kAhead < last)
                __builtin_prefetch(data + order[i + GroupSorter::kAhead]);
            if (!add(i, order[i]))
                return false;
        }
        return true;
    };
    if (lineCount_ == 0)
        return;
    if (sentences_.groups.empty()) {
        addInOrder(0, count);
        return;
    }
    GroupSorter sorter(text);
    std::vector<Offset> sorted;
    for (std::size_t g = 0; g + 1 < sentences_.groups.size(); ++g) {
        const std::size_t first = sentences_.groups[g];
        const std::size_t last = sentences_.groups[g + 1];
        if (sentences_.sortedGroups[g] || last - first < 2) {
            if (!addInOrder(first, last))
                return;
            continue;
        }
        sorted.resize(last - first);
        sorter.sort(order + first, order + last, order + count, sorted.data());
        for (std::size_t i = first; i < last; ++i)
            if (!add(i, sorted[i - first]))
                return;
    }
}

void EssayText::produceBlocks(const BlockPut &put) const
{
    Blocks blocks(put);
    if (lines_)
        produceLines(blocks);
    else
        sentences_.sentences.visit([&](const auto *order) { produceSentences(blocks, order); });
    blocks.finish();
}

void EssayText::produce(const BytePut &put) const
{
    produceBlocks([&put](std::string &block) { return put(block); });
}

std::string EssayText::bytes() const
{
    std::string bytes;
    produce([&bytes](std::string_view piece) {
        bytes += piece;
        return true;
    });
    return bytes;
}

} // namespace varnok
