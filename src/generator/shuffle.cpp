#include "generator/shuffle.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <thread>
#include <type_traits>
#include <vector>

#include "platform/files.h"
#include "platform/memory.h"

namespace varnok {

namespace {

// What decides most comparisons of two sentences in a few bytes: the first
// eight bytes of the sentence as compareNoCase sees them (ASCII letters
// folded), padded with zeros and read as a big-endian number, then for a
// sentence of at most eight bytes its length and which of its letters are
// capitals. Where the beginnings differ they order the sentences as
// compareNoCase would: at the first differing byte either both have folded
// bytes, or the shorter one has run out, and one that runs out first sorts
// first. Where they are equal and both are that short, the shorter one comes
// first, and between sentences of one length, which then differ at most in
// the case of their letters, the first capital where the other has a small
// letter puts its sentence first (capitals are the lower bytes). Longer
// sentences with equal beginnings go on by their next three bytes, folded
// and padded the same way, and only where those are equal too is the text
// itself needed: prose repeats how its sentences begin.
template <typename Offset>
struct SortEntry {
    std::uint64_t head;
    // Length in the upper bits, capitals (inverted, first byte highest) in
    // the lowest eight; for a sentence of more than eight bytes kLongLine
    // and the next three bytes.
    std::uint32_t tail;
    Offset start;
};

constexpr std::size_t kPrefixBytes = 8;
constexpr std::size_t kLongPrefixBytes = kPrefixBytes + 3;
constexpr std::uint32_t kLongLine = 0xff000000u;

constexpr unsigned char folded(unsigned char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

template <typename Offset>
SortEntry<Offset> sortEntry(const SentenceText &text, std::size_t start)
{
    unsigned char bytes[kLongPrefixBytes] = {};
    const std::size_t available = std::min(kLongPrefixBytes, text.text().size() - start);
    std::memcpy(bytes, text.text().data() + start, available);
    // The sentence may end within the bytes read; what follows is not its own.
    const auto terminator = static_cast<unsigned char>(text.terminatorAt(start));
    std::size_t length = 0;
    while (length < available && bytes[length] != terminator)
        ++length;
    if (length < available) {
        ++length;
        std::memset(bytes + length, 0, kLongPrefixBytes - length);
    } else {
        length = kLongPrefixBytes + 1;
    }
    std::uint32_t capitals = 0;
    std::uint64_t head = 0;
    for (std::size_t i = 0; i < kPrefixBytes; ++i) {
        capitals = (capitals << 1) | static_cast<std::uint32_t>(bytes[i] >= 'A' && bytes[i] <= 'Z');
        head = (head << 8) | folded(bytes[i]);
    }
    std::uint32_t tail = static_cast<std::uint32_t>(length << 8) | (~capitals & 0xffu);
    if (length > kPrefixBytes) {
        tail = kLongLine;
        for (std::size_t i = kPrefixBytes; i < kLongPrefixBytes; ++i)
            tail |= static_cast<std::uint32_t>(folded(bytes[i])) << (8 * (kLongPrefixBytes - 1 - i));
    }
    return SortEntry<Offset>{head, tail, static_cast<Offset>(start)};
}

// From this many sentences on, the work after the draw is shared out between
// two cores: each part is still far larger than what starting it costs.
constexpr std::size_t kSentencesForParts = 1 << 16;

std::size_t partsFor(std::size_t count)
{
    return count >= kSentencesForParts && std::thread::hardware_concurrency() >= 2 ? 2 : 1;
}

// Runs work(part) for every part, the first on this thread. The parts write
// to separate ranges.
template <typename Work>
void inParts(std::size_t parts, const Work &work)
{
    std::thread other;
    if (parts > 1)
        other = std::thread([&work] { work(1); });
    work(0);
    if (other.joinable())
        other.join();
}

// Where part p of parts begins among count things.
std::size_t partBegin(std::size_t count, std::size_t p, std::size_t parts)
{
    return count / parts * p + std::min(p, count % parts);
}

// Sorts the sentences of the keys firstKey to lastKey - 1, which lie in key
// order from start[firstKey] on, by their text. The sentences are spread
// all over the text: their beginnings are asked for a few places ahead, and
// each key's sentences are sorted by beginnings made once for them.
template <typename Offset>
void sortKeys(const SentenceText &text, Offset *sentences, const std::vector<std::size_t> &start, std::size_t firstKey,
              std::size_t lastKey)
{
    constexpr std::size_t ahead = 16;
    const char *const data = text.text().data();
    const std::size_t end = start[lastKey];
    for (std::size_t i = start[firstKey]; i < std::min(end, start[firstKey] + ahead); ++i)
        __builtin_prefetch(data + sentences[i]);
    const auto byBeginning = [](const SortEntry<Offset> &a, const SortEntry<Offset> &b) {
        return a.head != b.head ? a.head < b.head : a.tail < b.tail;
    };
    const auto sameBeginning = [](const SortEntry<Offset> &a, const SortEntry<Offset> &b) {
        return a.head == b.head && a.tail == b.tail;
    };
    const auto byText = [&text](const SortEntry<Offset> &a, const SortEntry<Offset> &b) {
        return compareNoCase(text.sentenceAt(a.start), text.sentenceAt(b.start)) < 0;
    };
    std::vector<SortEntry<Offset>> entries;
    for (std::size_t k = firstKey; k < lastKey; ++k) {
        const std::size_t first = start[k];
        const std::size_t last = start[k + 1];
        entries.clear();
        for (std::size_t i = first; i < last; ++i) {
            if (i + ahead < end)
                __builtin_prefetch(data + sentences[i + ahead]);
            if (last - first > 1)
                entries.push_back(sortEntry<Offset>(text, sentences[i]));
        }
        if (entries.empty())
            continue;
        std::sort(entries.begin(), entries.end(), byBeginning);
        // Equal beginnings of short sentences mean equal sentences, which
        // may stay as they are; only long ones need their text.
        for (auto run = std::adjacent_find(entries.begin(), entries.end(), sameBeginning); run != entries.end();) {
            auto runEnd = run + 1;
            while (runEnd != entries.end() && sameBeginning(*run, *runEnd))
                ++runEnd;
            if (run->tail >= kLongLine)
                std::sort(run, runEnd, byText);
            run = std::adjacent_find(runEnd, entries.end(), sameBeginning);
        }
        for (std::size_t i = 0; i < entries.size(); ++i)
            sentences[first + i] = entries[i].start;
    }
}

} // namespace

SentenceList shuffledSentences(const SentenceText &text, Random &random)
{
    const std::size_t count = text.count();
    const std::size_t parts = partsFor(count);
    // Keys are few and small, so a counting sort puts the sentences in key
    // order in linear time; only sentences sharing a key need comparing.
    // Each part of the sentences fills its own share of every key's bucket,
    // after the shares of the parts before it.
    std::unique_ptr<std::uint16_t[]> keys(new std::uint16_t[count]);
    std::vector<std::vector<std::size_t>> fill(parts, std::vector<std::size_t>(kShuffleKeyRange, 0));
    for (std::size_t p = 0; p < parts; ++p) {
        for (std::size_t i = partBegin(count, p, parts); i < partBegin(count, p + 1, parts); ++i) {
            // Keep a misbehaving generator from indexing outside the buckets.
            const int key = std::clamp(random.next(kShuffleKeyRange), 0, kShuffleKeyRange - 1);
            keys[i] = static_cast<std::uint16_t>(key);
            ++fill[p][static_cast<std::size_t>(key)];
        }
    }
    std::vector<std::size_t> start(kShuffleKeyRange + 1, 0);
    for (std::size_t k = 0; k < kShuffleKeyRange; ++k) {
        std::size_t next = start[k];
        for (auto &part : fill) {
            const std::size_t held = part[k];
            part[k] = next;
            next += held;
        }
        start[k + 1] = next;
    }

    SentenceList shuffled(count, text.text().size());
    shuffled.visit([&](auto *sentences) {
        using Offset = std::remove_pointer_t<decltype(sentences)>;
        // The text is walked again rather than its starts kept from the draw:
        // finding them costs less than memory that large.
        inParts(parts, [&](std::size_t p) {
            std::size_t i = partBegin(count, p, parts);
            std::vector<std::size_t> &at = fill[p];
            text.forEach(i, partBegin(count, p + 1, parts),
                         [&](std::size_t sentence) { sentences[at[keys[i++]]++] = static_cast<Offset>(sentence); });
        });
        keys.reset();
        // The keys are shared out by the sentences they hold.
        std::vector<std::size_t> firstKey(parts + 1, kShuffleKeyRange);
        firstKey[0] = 0;
        for (std::size_t p = 1; p < parts; ++p)
            firstKey[p] = static_cast<std::size_t>(
                std::lower_bound(start.begin(), start.end() - 1, partBegin(count, p, parts)) - start.begin());
        inParts(parts, [&](std::size_t p) { sortKeys<Offset>(text, sentences, start, firstKey[p], firstKey[p + 1]); });
    });
    return shuffled;
}

} // namespace varnok
