#pragma once

#include <chrono>
#include <ctime>

namespace varnok::testing {

// The processor time this process has spent since the timer was made. Tests
// that bound how long a command takes use it rather than the wall clock: on a
// machine shared by many builds the wall clock counts the others' work too,
// while a slow algorithm still shows here.
class ProcessorTimer {
public:
    std::chrono::milliseconds elapsed() const
    {
        return std::chrono::milliseconds((std::clock() - start_) * 1000 / CLOCKS_PER_SEC);
    }

private:
    std::clock_t start_ = std::clock();
};

} // namespace varnok::testing
