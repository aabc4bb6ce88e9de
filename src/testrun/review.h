#pragma once

#include <cstddef>
#include <string>

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

inline constexpr char kLieGoneAtReview[] =
    "%s is no longer in the lie folder, so its answer was not written to an essay. It is kept in the test summary.";
inline constexpr char kLiesGoneAtReview[] =
    "These Lies are no longer in the lie folder, so their answers were not written "
    "to essays: %s. They are kept in the test summary.";
// Lies of the test whose file could not be read when their turn came.
inline constexpr char kLieUnreadInTest[] = "%s could not be read when its turn came in the test, so it was not asked.";
inline constexpr char kLiesUnreadInTest[] =
    "These Lies could not be read when their turn came in the test, so they were not asked: %s.";

// Ends a run: the page goes idle, the elapsed time shows, the summary is
// written, and each answer that is at a limit or has moved by the variance
// from the Lie's last stored response gets a dated block in the Lie's essay,
// which is then opened for editing. The lists are re-read at the end. An answer
// whose Lie file has gone meanwhile gets no block; the review goes on and
// names those Lies at the end, in one message with the Lies the test could
// not read when their turn came. Any other error ends the review where it
// happens and is reported; what was done stays.
void review(Context &ctx);

// "Essay 2 of 5: Money.ess": the review has the second of five essays open.
std::string reviewPositionText(std::size_t number, std::size_t count, const std::string &essayName);

// "&Later" on the editing tool bar while the review has an essay open: the
// open essay is stored as with OK, and every block still to come is appended
// to its essay as the review does, without opening it, so the person can stop
// explaining for today and lose nothing.
void bEditLaterClick(Context &ctx);

} // namespace varnok
