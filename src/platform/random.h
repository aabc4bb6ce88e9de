#pragma once

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
};

class SeededRandom : public Random {
public:
    explicit SeededRandom(std::uint32_t seed) : engine_(seed) {}
    int next(int n) override;

private:
    std::mt19937 engine_;
};

} // namespace varnok
