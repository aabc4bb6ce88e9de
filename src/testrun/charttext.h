#pragma once

#include <string>
#include <vector>

#include "testrun/responses.h"

namespace varnok {

// The reaction chart in words, for those who cannot see it.

// "Reaction history of 3 Lies, from 2 Jan 2026 to 2 Feb 2026": the Lies that
// have a response and the days the first and the last was given.
std::string chartDescription(const std::vector<ChartSeries> &series);

// "12 on 2 Jan 2026, 18 on 2 Feb 2026 from a test summary": one Lie's
// responses in time order.
std::string seriesDescription(const ChartSeries &series);

} // namespace varnok
