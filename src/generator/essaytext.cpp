#include "generator/essaytext.h"

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>
#include <utility>

#include "generator/shuffle.h"
#include "platform/thread.h"

namespace varnok {

namespace {

// Each tail is followed by bytes enough to copy four of them at once.
constexpr char kTailBytes[][8] = {"", "  ", "  \r\n", "\r\n"};
constexpr std::size_t kTailCopy = 4;
constexpr std::string_view kTails[] = {{kTailBytes[0], 0}, {kTailBytes[1], 2}, {kTailBytes[2], 4}, {kTailBytes[3], 2}};
constexpr std::string_view kLineEnd = "\r\n";
// The bytes go to the writer in blocks of about this size: a call per piece
// costs more than copying the pieces, and a writer takes a block that large
// as it is.
constexpr std::size_t kBlock = std::size_t{1} << 20;
// Sentences are written in chunks of about this many, each made whole by one
// thread: their groups sorted, then their bytes, while the text they need
// is at hand.
constexpr std::size_t kChunkSentences = std::size_t{1} << 13;
// From this many sentences on, a second thread makes chunks ahead of the
// writing; at most this many chunks are made and not yet written.
constexpr std::size_t kSentencesForHelper = std::size_t{1} << 17;
constexpr std::size_t kChunksAhead = 4;
// Sentences up to this long are copied as a block of this size.
constexpr std::size_t kCopyBlock = 64;

// Bytes written into a string's room directly, its size set only when they
// are handed over: appending a few dozen bytes at a time to a string costs
// more than copying them.
class Bytes {
public:
    // Writes into room's memory, made at least expected bytes large.
    explicit Bytes(std::string room = {}, std::size_t expected = kBlock) : room_(std::move(room))
    {
        room_.resize(std::max(room_.capacity(), expected));
    }

    // tail is one of kTails. Where kCopyBlock bytes may be read from the
    // piece's start (wide), a shorter piece is copied as a block of that
    // many: a copy of a fixed size is a few instructions, one of any size a
    // call.
    void add(std::string_view piece, std::string_view tail, bool lineEnd, bool wide = false)
    {
        // A block, a tail and a line end at most.
        const std::size_t need = used_ + std::max(piece.size(), kCopyBlock) + kTailCopy + kLineEnd.size();
        if (need > room_.size())
            room_.resize(std::max(need, 2 * room_.size()));
        char *at = room_.data() + used_;
        if (wide && piece.size() <= kCopyBlock)
            std::memcpy(at, piece.data(), kCopyBlock);
        else
            std::memcpy(at, piece.data(), piece.size());
        at += piece.size();
        std::memcpy(at, tail.data(), kTailCopy);
        at += tail.size();
        if (lineEnd) {
            std::memcpy(at, kLineEnd.data(), kLineEnd.size());
            at += kLineEnd.size();
        }
        used_ = static_cast<std::size_t>(at - room_.data());
    }

    std::size_t size() const { return used_; }

    // Hands the bytes to put, which may take the string over; empty after.
    bool handOver(const EssayText::BlockPut &put)
    {
        room_.resize(used_);
        used_ = 0;
        const bool ok = put(room_);
        room_.clear();
        return ok;
    }

private:
    std::string room_;
    std::size_t used_ = 0;
};

} // namespace

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

bool EssayText::produceLines(const BlockPut &put, const LinesDone &done) const
{
    const std::string_view text = lineText_;
    Bytes bytes;
    for (std::size_t i = 0; i < lineCount_; ++i) {
        const std::size_t start = i == 0 ? 0 : lineEnds_[i - 1];
        bytes.add(text.substr(start, lineEnds_[i] - start), kTails[static_cast<std::size_t>(lineTail_)], true);
        if (bytes.size() >= kBlock) {
            if (!bytes.handOver(put))
                return false;
            if (done)
                done(static_cast<double>(i + 1) / static_cast<double>(lineCount_));
        }
    }
    return bytes.size() == 0 || bytes.handOver(put);
}

// Where the paragraphs stand at a place in the essay.
struct EssayText::ParagraphState {
    std::size_t paragraph = 0;
    int placed = 0;
    std::size_t lines = 0;

    // One more composed sentence ended; true when it completes a paragraph.
    bool composedEnd(const Paragraphs &paragraphs)
    {
        if (++placed < paragraphs.targets[paragraph])
            return false;
        placed = 0;
        ++paragraph;
        ++lines;
        return true;
    }

    // As many composed sentences ended as ends says.
    void composedEnds(std::size_t ends, const Paragraphs &paragraphs)
    {
        while (ends > 0) {
            const auto need = static_cast<std::size_t>(std::max(paragraphs.targets[paragraph], 1) - placed);
            if (ends < need) {
                placed += static_cast<int>(ends);
                return;
            }
            ends -= need;
            placed = 0;
            ++paragraph;
            ++lines;
        }
    }
};

struct EssayText::Chunk {
    std::size_t first = 0, last = 0;           // sentences
    std::size_t firstGroup = 0, lastGroup = 0; // of a shuffled cut
    ParagraphState start;
};

template <typename Offset>
std::vector<EssayText::Chunk> EssayText::chunks(const Offset *order) const
{
    const std::size_t count = sentences_.size();
    const std::vector<std::size_t> &groups = sentences_.groups;
    std::vector<Chunk> chunks;
    if (groups.empty()) {
        for (std::size_t first = 0; first < count; first += kChunkSentences)
            chunks.push_back(Chunk{first, std::min(count, first + kChunkSentences), 0, 0, {}});
    } else {
        for (std::size_t g = 0; g + 1 < groups.size();) {
            Chunk chunk{groups[g], 0, g, g, {}};
            while (chunk.lastGroup + 1 < groups.size() && groups[chunk.lastGroup] - chunk.first < kChunkSentences)
                ++chunk.lastGroup;
            chunk.last = groups[chunk.lastGroup];
            g = chunk.lastGroup;
            chunks.push_back(chunk);
        }
    }
    // How many sentences a chunk's composed sentences end does not depend on
    // the order of its groups' sentences: before afterDots only those ending
    // in "." do, and from there on the groups are in order already. They are
    // counted on two cores where the essay makes the chunks on two.
    std::vector<std::size_t> ends(chunks.size(), 0);
    const std::size_t parts = partsFor(count >= kSentencesForHelper);
    inParts(parts, [&](std::size_t p) {
        for (std::size_t c = partBegin(chunks.size(), p, parts); c < partBegin(chunks.size(), p + 1, parts); ++c)
            for (std::size_t i = chunks[c].first; i < chunks[c].last; ++i)
                ends[c] += endsComposed(i, sentences_.text.terminatorAt(order[i]));
    });
    ParagraphState state;
    for (std::size_t c = 0; c < chunks.size(); ++c) {
        chunks[c].start = state;
        state.composedEnds(ends[c], paragraphs_);
    }
    return chunks;
}

// What a thread making chunks keeps from one chunk to the next.
struct EssayText::Scratch {
    // The chunk's sentences copied end to end, in the order of the cut, and
    // where each begins; where each group's sentences go in the essay; and
    // where they came from in the text.
    std::string pieces;
    std::vector<std::uint32_t> starts;
    std::vector<std::uint32_t> order;
    std::vector<std::size_t> offsets;
};

template <typename Offset>
void EssayText::produceChunk(const Chunk &chunk, Offset *order, Scratch &scratch, std::string &out) const
{
    // Made in the memory out brings.
    std::string room;
    room.swap(out);
    const SentenceText &text = sentences_.text;
    ParagraphState state = chunk.start;
    if (state.lines >= lineCount_)
        return;
    const char *const data = text.text().data();
    const std::size_t count = sentences_.size();
    const std::size_t n = chunk.last - chunk.first;
    // Each sentence is followed by a gap mostly.
    const std::size_t average = text.text().size() / std::max<std::size_t>(1, text.count()) + 3;
    Bytes bytes(std::move(room), n * average * 9 / 8);
    const auto add = [&](std::size_t i, std::size_t start, std::string_view sentence, bool wide) {
        Tail tail = Tail::None;
        if (endsComposed(i, text.terminatorAt(start)))
            tail = state.composedEnd(paragraphs_) ? Tail::GapAndBreak : Tail::Gap;
        const bool lineEnd = tail == Tail::GapAndBreak || i + 1 == count;
        bytes.add(sentence, kTails[static_cast<std::size_t>(tail)], lineEnd, wide);
        if (lineEnd && tail != Tail::GapAndBreak)
            ++state.lines;
        return state.lines < lineCount_;
    };
    if (sentences_.groups.empty()) {
        // In the text's order: read straight through.
        for (std::size_t i = chunk.first; i < chunk.last; ++i)
            if (!add(i, order[i], text.sentenceAt(order[i]), order[i] + kCopyBlock <= text.text().size()))
                break;
    } else {
        // The sentences lie all over the text: each is fetched once, into a
        // copy where sorting the groups and the writing find them at hand.
        std::string &pieces = scratch.pieces;
        const std::size_t textSize = text.text().size();
        std::size_t used = 0;
        scratch.starts.resize(n + 1);
        scratch.offsets.resize(n);
        for (std::size_t k = 0; k < n; ++k) {
            if (k + GroupSorter::kAhead < n) {
                const std::size_t ahead = order[chunk.first + k + GroupSorter::kAhead];
                __builtin_prefetch(data + ahead);
                __builtin_prefetch(data + std::min(textSize - 1, ahead + 63));
            }
            const std::size_t start = order[chunk.first + k];
            const std::size_t length = text.endAt(start) - start;
            scratch.offsets[k] = start;
            scratch.starts[k] = static_cast<std::uint32_t>(used);
            // Most sentences are shorter than kCopyBlock, copied here and into
            // the essay's bytes as a block of that size: a block may be read
            // from the start of every piece (which also leaves the sort the
            // bytes it reads past the last).
            static_assert(kCopyBlock >= GroupSorter::kPiecesPadding);
            if (used + std::max(length, kCopyBlock) + kCopyBlock > pieces.size())
                pieces.resize(std::max(2 * pieces.size(), used + length + 2 * kCopyBlock));
            if (length <= kCopyBlock && start + kCopyBlock <= textSize)
                std::memcpy(pieces.data() + used, data + start, kCopyBlock);
            else
                std::memcpy(pieces.data() + used, data + start, length);
            used += length;
        }
        scratch.starts[n] = static_cast<std::uint32_t>(used);
        scratch.order.resize(n);
        GroupSorter sorter(text);
        for (std::size_t g = chunk.firstGroup; g < chunk.lastGroup; ++g) {
            const auto first = static_cast<std::uint32_t>(sentences_.groups[g] - chunk.first);
            const auto last = static_cast<std::uint32_t>(sentences_.groups[g + 1] - chunk.first);
            std::uint32_t *out = scratch.order.data() + first;
            if (sentences_.sortedGroups[g] || last - first < 2) {
                for (std::uint32_t k = first; k < last; ++k)
                    *out++ = k;
                continue;
            }
            sorter.sortPieces(pieces.data(), scratch.starts.data(), first, last, out);
            // Kept in order for another writing of the essay.
            for (std::uint32_t k = first; k < last; ++k)
                order[chunk.first + k] = static_cast<Offset>(scratch.offsets[scratch.order[k]]);
            sentences_.sortedGroups[g] = 1;
        }
        for (std::size_t k = 0; k < n; ++k) {
            const std::uint32_t from = scratch.order[k];
            const std::string_view sentence(pieces.data() + scratch.starts[from],
                                            scratch.starts[from + 1] - scratch.starts[from]);
            if (!add(chunk.first + k, scratch.offsets[from], sentence, true))
                break;
        }
    }
    bytes.handOver([&out](std::string &made) {
        out.swap(made);
        return true;
    });
}

template <typename Offset>
bool EssayText::produceSentences(const BlockPut &put, const LinesDone &done, Offset *order) const
{
    if (lineCount_ == 0)
        return true;
    const std::vector<Chunk> chunks = this->chunks(order);
    // The chunks are written in order. Whoever makes one takes the next not
    // yet taken; the writing, rather than wait for the chunk it needs, makes
    // another itself while there is one to take.
    struct Shared {
        std::mutex mutex;
        std::condition_variable changed;
        std::size_t taken = 0;
        std::size_t written = 0;
        bool stop = false;
        std::vector<std::string> made;
        std::vector<char> ready;
        // Memory of chunks written, for the next ones.
        std::vector<std::string> spare;
    } shared;
    shared.made.resize(kChunksAhead);
    shared.ready.assign(chunks.size(), 0);
    // Takes a chunk and makes it; false when none may be taken now.
    const auto makeOne = [&](std::unique_lock<std::mutex> &lock, Scratch &scratch) {
        if (shared.stop || shared.taken >= chunks.size() || shared.taken >= shared.written + kChunksAhead)
            return false;
        const std::size_t c = shared.taken++;
        std::string out;
        if (!shared.spare.empty()) {
            out.swap(shared.spare.back());
            shared.spare.pop_back();
        }
        lock.unlock();
        produceChunk(chunks[c], order, scratch, out);
        lock.lock();
        shared.made[c % kChunksAhead].swap(out);
        shared.ready[c] = 1;
        shared.changed.notify_all();
        return true;
    };
    struct Helper {
        Shared &shared;
        std::thread thread;
        ~Helper()
        {
            {
                std::lock_guard lock(shared.mutex);
                shared.stop = true;
                shared.changed.notify_all();
            }
            if (thread.joinable())
                thread.join();
        }
    } helper{shared, {}};
    if (partsFor(sentences_.size() >= kSentencesForHelper) == 2)
        helper.thread = startThread([&] {
            Scratch scratch;
            std::unique_lock lock(shared.mutex);
            while (!shared.stop)
                if (!makeOne(lock, scratch))
                    shared.changed.wait(lock);
        });
    Scratch scratch;
    bool ok = true;
    for (std::size_t c = 0; c < chunks.size() && ok && chunks[c].start.lines < lineCount_; ++c) {
        std::string bytes;
        {
            std::unique_lock lock(shared.mutex);
            while (!shared.ready[c])
                if (!makeOne(lock, scratch))
                    shared.changed.wait(lock);
            bytes.swap(shared.made[c % kChunksAhead]);
        }
        ok = bytes.empty() || put(bytes);
        if (ok && done && c + 1 < chunks.size())
            done(static_cast<double>(std::min(chunks[c + 1].start.lines, lineCount_)) /
                 static_cast<double>(lineCount_));
        // Not cleared: the next chunk writes over the bytes, and a string
        // made as large as its room again fills what it grows by with zeros.
        std::lock_guard lock(shared.mutex);
        shared.spare.push_back(std::move(bytes));
        shared.written = c + 1;
        shared.changed.notify_all();
    }
    return ok;
}

void EssayText::produceBlocks(const BlockPut &put, const LinesDone &done) const
{
    if (lines_)
        produceLines(put, done);
    else
        sentences_.sentences.visit([&](auto *order) { produceSentences(put, done, order); });
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
