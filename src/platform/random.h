#pragma once

#include <cstddef>
#include <cstdint>

namespace varnok {

// The program's one pseudo-random generator. Commands never make their own:
// they are handed this one, so tests can fix the sequence.
class Random {
public:
    virtual ~Random() = default;
    // A whole number drawn uniformly from 0 to n - 1; 0 when n is 1 or less.
    virtual int next(int n) = 0;
    // The same as count calls of next(n), into out: millions of draws at
    // once cost less without a call each.
    virtual void nextMany(int n, int *out, std::size_t count)
    {
        for (std::size_t i = 0; i < count; ++i)
            out[i] = next(n);
    }
};

// The 32-bit Mersenne twister from a seed, each draw downscaled to its
// bound by a multiplication, with the rare results that would favour some
// numbers drawn again: exactly the numbers std::uniform_int_distribution
// takes from std::mt19937, so a seed gives the sequence it always gave.
// Made here rather than taken from the library, whose engine keeps 64-bit
// words and draws a key for a million sentences four times slower.
class SeededRandom : public Random {
public:
    explicit SeededRandom(std::uint32_t seed);
    int next(int n) override;
    void nextMany(int n, int *out, std::size_t count) override;

private:
    static constexpr int kWords = 624;

    std::uint32_t nextWord()
    {
        if (used_ == kWords)
            twist();
        return drawn_[used_++];
    }
    // A whole number from 0 to n - 1, for n of at least 2.
    int below(std::uint32_t n, std::uint32_t threshold)
    {
        std::uint64_t product = std::uint64_t{nextWord()} * n;
        while (static_cast<std::uint32_t>(product) < threshold)
            product = std::uint64_t{nextWord()} * n;
        return static_cast<int>(product >> 32);
    }
    // The next words of the twister, and each of them tempered into drawn_:
    // both four words at a time where the processor can.
    void twist();

    std::uint32_t words_[kWords];
    std::uint32_t drawn_[kWords];
    int used_ = kWords;
    // The threshold of the last bound drawn for: a paragraph's size is drawn
    // hundreds of thousands of times for one essay, always to one bound, and
    // finding the threshold takes a division.
    std::uint32_t bound_ = 0;
    std::uint32_t threshold_ = 0;
};

} // namespace varnok
