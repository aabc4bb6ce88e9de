#include "generator/essaytext.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace varnok {

namespace {

constexpr std::string_view kTails[] = {"", "  ", "  \r\n", "\r\n"};
constexpr std::string_view kLineEnd = "\r\n";

// The pieces are copied into blocks of a megabyte and handed over a block at
// a time: a call of put per piece costs more than the copy, and a writer
// takes a block that large as it is.
constexpr std::size_t kBlock = std::size_t{1} << 20;

} // namespace

EssayText::EssayText(CutText sentences, std::vector<Tail> tails)
    : sentences_(std::move(sentences)), tails_(std::move(tails)), kept_(tails_.size())
{
    lineCount_ = static_cast<std::size_t>(std::count(tails_.begin(), tails_.end(), Tail::GapAndBreak));
    if (!tails_.empty() && tails_.back() != Tail::GapAndBreak)
        ++lineCount_;
}

EssayText::EssayText(std::string text, std::vector<std::size_t> lineEnds, Tail tail)
    : lineText_(std::move(text)), lineEnds_(std::move(lineEnds)), lineTail_(tail), lineCount_(lineEnds_.size()),
      kept_(lineEnds_.size())
{
}

void EssayText::keepFirstLines(int n)
{
    if (n < 0 || static_cast<std::size_t>(n) >= lineCount_)
        return;
    lineCount_ = static_cast<std::size_t>(n);
    if (tails_.empty()) {
        kept_ = lineCount_;
        return;
    }
    // Every line but the last ends with a complete paragraph.
    kept_ = 0;
    for (std::size_t lines = 0; lines < lineCount_; ++kept_)
        if (tails_[kept_] == Tail::GapAndBreak)
            ++lines;
}

template <typename Piece>
void EssayText::produceWith(const BlockPut &put, const Piece &piece) const
{
    // Written into the block's bytes directly, its size set only when it is
    // handed over: appending a few dozen bytes at a time to a string costs
    // more than copying them.
    constexpr std::size_t room = kBlock + (std::size_t{1} << 16);
    // A tail and a line end at most.
    constexpr std::size_t after = 6;
    std::string block(room, '\0');
    std::size_t used = 0;
    bool ok = true;
    const auto handOver = [&] {
        block.resize(used);
        ok = put(block);
        block.resize(room);
        used = 0;
        return ok;
    };
    const bool sentences = !tails_.empty();
    const std::size_t last = sentences ? tails_.size() - 1 : 0;
    for (std::size_t i = 0; i < kept_; ++i) {
        const std::string_view text = piece(i);
        if (used + text.size() + after > room && (!handOver() || text.size() + after > room)) {
            if (!ok)
                return;
            // Larger than a block: handed over on its own.
            std::string large(text);
            if (!put(large))
                return;
        } else {
            std::memcpy(block.data() + used, text.data(), text.size());
            used += text.size();
        }
        const Tail tail = sentences ? tails_[i] : lineTail_;
        const std::string_view tailBytes = kTails[static_cast<std::size_t>(tail)];
        std::memcpy(block.data() + used, tailBytes.data(), tailBytes.size());
        used += tailBytes.size();
        if (!sentences || tail == Tail::GapAndBreak || i == last) {
            std::memcpy(block.data() + used, kLineEnd.data(), kLineEnd.size());
            used += kLineEnd.size();
        }
        if (used >= kBlock && !handOver())
            return;
    }
    if (used > 0)
        handOver();
}

void EssayText::produceBlocks(const BlockPut &put) const
{
    if (tails_.empty()) {
        const std::string_view text = lineText_;
        produceWith(put, [&](std::size_t i) {
            const std::size_t start = i == 0 ? 0 : lineEnds_[i - 1];
            return text.substr(start, lineEnds_[i] - start);
        });
        return;
    }
    sentences_.sentences.visit([&](const auto *order) {
        // Sentences come from all over the text once shuffled; asking for
        // them a few places ahead hides most of the waiting.
        constexpr std::size_t ahead = 16;
        const char *const data = sentences_.text.text().data();
        produceWith(put, [&](std::size_t i) {
            if (i + ahead < kept_)
                __builtin_prefetch(data + order[i + ahead]);
            return sentences_.text.sentenceAt(order[i]);
        });
    });
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
