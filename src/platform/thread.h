#pragma once

#include <algorithm>
#include <cstddef>
#include <thread>
#include <utility>
#include <vector>

namespace varnok {

// Marks the upper halves of the processor's wide vector registers as unused
// in the calling thread. A thread starts with the register state of the one
// that made it, and the window's thread is left with those halves in use by
// the drawing and font code: the 128-bit instructions of most of the
// program's own loops then each wait on the upper halves they do not touch,
// and ran about three times slower in the threads the window started. Does
// nothing where the processor has no such registers.
void clearUpperVectorState();

// Every thread of the program is started here: it runs f with its vector
// state cleared first.
template <typename F>
std::thread startThread(F &&f)
{
    return std::thread([f = std::forward<F>(f)]() mutable {
        clearUpperVectorState();
        f();
    });
}

// How many parts a piece of work is shared out in: two where it is large
// enough to be worth a thread and a second core is there, else one.
inline std::size_t partsFor(bool large)
{
    return large && std::thread::hardware_concurrency() >= 2 ? 2 : 1;
}

// Runs work(part) for every part of parts, the first on the calling thread
// and each other on a thread of its own; returns when all are done. The
// parts must not write to the same places.
template <typename Work>
void inParts(std::size_t parts, const Work &work)
{
    std::vector<std::thread> others;
    for (std::size_t p = 1; p < parts; ++p)
        others.push_back(startThread([&work, p] { work(p); }));
    work(0);
    for (std::thread &other : others)
        other.join();
}

// Where part p of parts begins among count things, the parts as equal as
// can be.
inline std::size_t partBegin(std::size_t count, std::size_t p, std::size_t parts)
{
    return count / parts * p + std::min(p, count % parts);
}

} // namespace varnok
