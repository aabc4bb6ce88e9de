#pragma once

#include <string>

#include "core/context.h"

namespace varnok {

inline constexpr char kNoLiesFound[] = "No Lies found";
inline constexpr char kNoLiesSelected[] = "No Lies selected";
inline constexpr char kIndicateStrength[] = "Please indicate the strength of your reaction on the scale.";
inline constexpr char kTestInProgress[] = "Test in progress";
inline constexpr char kSampleCaption[] = "Test Sample";
inline constexpr char kSamplePrompt[] = "Enter sample size";
inline constexpr char kTestNameCaption[] = "Test";
inline constexpr char kTestNamePrompt[] = "Enter Test Name";
// Follows the date stamp, whose trailing blank separates the two.
inline constexpr char kTestNameSuffix[] = "Test Results";
// "Use selected lies" with a sync tool's conflict copy among them.
inline constexpr char kConflictCopyLeftOut[] =
    "%s is a sync tool's conflict copy of a Lie, so it is left out of the test.  Keep one of the two, or rename "
    "the copy to make it a Lie of its own.";
inline constexpr char kConflictCopiesLeftOut[] =
    "These are a sync tool's conflict copies of Lies, so they are left out of the test: %s.  Keep one of each "
    "pair, or rename a copy to make it a Lie of its own.";
// A summary's answer line: "RESPONSE: " and the position in decimal.
inline constexpr char kSummaryResponse[] = "RESPONSE: ";

// "Lie 3 of 12": the third of twelve chosen Lies is on display.
std::string testPositionText(int number, int count);

// The scale runs from weak to strong reaction.
inline constexpr int kScaleLowest = 1;
inline constexpr int kScaleHighest = 25;

// "Start &Test": asks full test or sample, chooses the Lies (the Lie list's
// selection), asks the test name and shows the first Lie. Started while a run
// is running, a non-zero sample discards that run without a summary.
void bAskStartClick(Context &ctx);

// The Tests page's "&New": the Start Here page, then Start.
void bTestsNewClick(Context &ctx);

// "&Next Lie": records the scale's position for the Lie on display when the
// person has operated the scale, then shows the next selected Lie or ends the
// run with the review.
void bAskNextClick(Context &ctx);

// "&Stop Test": the review at once; the Lie on display is not recorded.
void bAskStopClick(Context &ctx);

// Every operation of the scale by the person, mouse or keyboard, also one that
// leaves it where it was. Positions set by the program must not call this.
void TrackBar1Change(Context &ctx);

// Draws a random sample of n Lies into the Lie list's selection. With the
// retain option on, the first n Lies already selected stay selected. A sync
// tool's conflict copy is never drawn, and loses its selection.
void SelectLies(Context &ctx, int n);

} // namespace varnok
