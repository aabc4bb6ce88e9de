#pragma once

#include <algorithm>

#include "core/job.h"

namespace varnok {

// One step of a long job made of several: the step reports its own progress
// from 0 to 1, which fills the range [from, to] of the whole job's bar, and
// its checkpoints stop the whole job once the person has cancelled it.
class JobPart : public JobProgress {
public:
    JobPart(JobProgress *whole, double from, double to) : whole_(whole), from_(from), to_(to) {}
    void report(double fraction) override
    {
        if (!whole_)
            return;
        whole_->report(from_ + std::clamp(fraction, 0.0, 1.0) * (to_ - from_));
        if (whole_->cancelled())
            cancel();
    }

private:
    JobProgress *whole_;
    double from_;
    double to_;
};

} // namespace varnok
