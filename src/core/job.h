#pragma once

#include <algorithm>
#include <atomic>

namespace varnok {

// Thrown by a long job at a checkpoint once the person has cancelled it.
struct JobCancelled {};

// Shared between a long job and the window that waits for it: the job tells
// how far it has come, the window may ask it to stop. The job runs on a
// thread of its own, so both sides only ever touch these atomics.
class JobProgress {
public:
    virtual ~JobProgress() = default;

    // How far the job has come, from 0 to 1.
    virtual void report(double fraction) { fraction_.store(std::clamp(fraction, 0.0, 1.0), std::memory_order_relaxed); }
    double fraction() const { return fraction_.load(std::memory_order_relaxed); }

    void cancel() { cancelled_.store(true, std::memory_order_relaxed); }
    bool cancelled() const { return cancelled_.load(std::memory_order_relaxed); }

    // Reports, then ends the job here if it was cancelled. A job calls this
    // only where stopping leaves nothing half done.
    void checkpoint(double fraction)
    {
        report(fraction);
        if (cancelled())
            throw JobCancelled{};
    }

private:
    std::atomic<double> fraction_{0.0};
    std::atomic<bool> cancelled_{false};
};

} // namespace varnok
