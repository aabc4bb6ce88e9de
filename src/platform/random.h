#pragma once

#include <cstddef>
#include <cstdint>
#include <random>

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

class SeededRandom : public Random {
public:
    explicit SeededRandom(std::uint32_t seed) : engine_(seed) {}
    int next(int n) override;
    void nextMany(int n, int *out, std::size_t count) override;

private:
    std::mt19937 engine_;
};

} // namespace varnok
