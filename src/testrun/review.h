#pragma once

#include "core/context.h"

namespace varnok {

inline constexpr char kTestCompleted[] = "Test completed in ";
inline constexpr char kStatusMinutes[] = "  Minutes  ";
inline constexpr char kStatusSeconds[] = " Seconds";
inline constexpr char kTestTime[] = "Test Time: ";
inline constexpr char kTimeHours[] = "  Hours  ";
inline constexpr char kTimeMinutes[] = "  Minutes  ";
inline constexpr char kTimeSeconds[] = " Seconds";
// Between the date stamp (which ends in a blank) and the response.
inline constexpr char kEssayResponse[] = " RESPONSE: ";

// Ends a run: the page goes idle, the elapsed time shows, the summary is
// written, and each answer that is at a limit or has moved by the variance
// from the Lie's last stored response gets a dated block in the Lie's essay,
// which is then opened for editing. The lists are re-read at the end. An error
// ends the review where it happens and is reported; what was done stays.
void review(Context &ctx);

} // namespace varnok
