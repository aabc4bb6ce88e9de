#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/random.h"
#include "platform/textfile.h"

namespace varnok::testing {

// A seeded generator that keeps every draw (bound asked for, value given), so
// two implementations can be held to the same sequence of draws.
class RecordingRandom : public Random {
public:
    explicit RecordingRandom(std::uint32_t seed) : inner_(seed) {}
    int next(int n) override
    {
        const int value = inner_.next(n);
        draws.emplace_back(n, value);
        return value;
    }
    std::vector<std::pair<int, int>> draws;

private:
    SeededRandom inner_;
};

// Draws shuffle keys from only three values, so that sentences often share a
// key and their text decides their order; other draws are left as they are.
// Keeps every draw like RecordingRandom.
class CrowdedKeys : public Random {
public:
    static constexpr int kKeyRange = 10000;
    explicit CrowdedKeys(std::uint32_t seed) : inner_(seed) {}
    int next(int n) override
    {
        const int value = n == kKeyRange ? inner_.next(3) * 4999 : inner_.next(n);
        draws.emplace_back(n, value);
        return value;
    }
    std::vector<std::pair<int, int>> draws;

private:
    SeededRandom inner_;
};

// Gives the listed values in turn (then 0) and records the bounds asked for.
class ListedRandom : public Random {
public:
    explicit ListedRandom(std::vector<int> values) : values_(std::move(values)) {}
    int next(int n) override
    {
        bounds.push_back(n);
        return at_ < values_.size() ? values_[at_++] : 0;
    }
    std::vector<int> bounds;

private:
    std::vector<int> values_;
    std::size_t at_ = 0;
};

// Random gathered text meant to trip the sentence rules up: every terminator,
// runs of blanks, CR LF pairs and the pieces that make new pairs when one is
// removed, lone CR and LF, empty and long lines.
inline Lines randomGatheredLines(SeededRandom &random)
{
    static const char *const pieces[] = {".",  "!",    "?", " ",  "  ",  "\r\n", "\r",       "\n", "\r\r\n\n", "a",
                                         "Bc", "word", "x", "\t", "...", "?!",   "\r\n\r\n", ":",  "Q"};
    constexpr int pieceCount = sizeof pieces / sizeof pieces[0];
    Lines lines;
    const int count = random.next(12);
    for (int i = 0; i < count; ++i) {
        std::string line;
        const int kind = random.next(10);
        if (kind == 0) {
            lines.push_back(line);
            continue;
        }
        const int length = kind == 1 ? 200 + random.next(400) : random.next(25);
        for (int k = 0; k < length; ++k) {
            // Letters often, so that sentences are not all terminators.
            if (random.next(3) == 0)
                line += static_cast<char>('a' + random.next(26));
            else
                line += pieces[random.next(pieceCount)];
        }
        if (random.next(2) == 0)
            line += "\r\n";
        lines.push_back(line);
    }
    return lines;
}

// The bytes of a random file meant to trip gathering up: the keywords, whole
// and cut by a line break, every kind of line break, NUL, blanks and empty
// lines.
inline std::string randomFileBytes(SeededRandom &random)
{
    static const char *const pieces[] = {"EXPLAIN YOURSELF",
                                         "RESPONSE",
                                         "EXPLAIN YOUR\r\nSELF",
                                         "RESP\nONSE",
                                         "explain yourself",
                                         "response",
                                         "\r\n",
                                         "\r",
                                         "\n",
                                         "\n\r",
                                         "\r\r\n\n",
                                         " ",
                                         "  ",
                                         "a",
                                         "Word",
                                         "x.",
                                         "!",
                                         "?",
                                         ".",
                                         "\t"};
    constexpr int pieceCount = sizeof pieces / sizeof pieces[0];
    std::string bytes;
    const int length = random.next(40);
    for (int k = 0; k < length; ++k) {
        const int kind = random.next(40);
        if (kind == 0)
            bytes += '\0';
        else if (kind < 12)
            bytes += static_cast<char>('a' + random.next(26));
        else
            bytes += pieces[random.next(pieceCount)];
    }
    return bytes;
}

} // namespace varnok::testing
