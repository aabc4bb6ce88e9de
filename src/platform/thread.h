#pragma once

#include <thread>
#include <utility>

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

} // namespace varnok
