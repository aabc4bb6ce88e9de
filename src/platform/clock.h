#pragma once

#include <cstdint>
#include <ctime>

namespace varnok {

// A local date and time to the millisecond.
struct DateTime {
    int year = 2000;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;

    // Milliseconds since 1970-01-01 00:00 of the same (local) calendar; only
    // differences of these are meaningful.
    std::int64_t toMilliseconds() const;
    static DateTime fromMilliseconds(std::int64_t ms);
    // The calendar fields of a local time, to the second.
    static DateTime fromLocal(const std::tm &local);
    bool operator==(const DateTime &) const = default;
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual DateTime now() = 0;
};

class SystemClock : public Clock {
public:
    DateTime now() override;
};

} // namespace varnok
