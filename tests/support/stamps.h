#pragma once

#include <string>

#include "core/text.h"
#include "platform/clock.h"

namespace varnok::testing {

inline DateTime at(int year, int month, int day, int hour, int minute)
{
    return DateTime{year, month, day, hour, minute, 0, 0};
}

// The line the review writes for a run started at `t` with `value`.
inline std::string responseLine(const DateTime &t, int value)
{
    return dateStamp(t) + " RESPONSE: " + std::to_string(value);
}

} // namespace varnok::testing
