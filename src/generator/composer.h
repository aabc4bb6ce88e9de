#pragma once

#include <string_view>

#include "platform/random.h"
#include "platform/textfile.h"

namespace varnok {

// What follows every sentence placed in a paragraph.
inline constexpr std::string_view kSentenceGap = "  ";

// The minimum and maximum sentences per paragraph (the two track bars, 1 to 11).
struct ParagraphLimits {
    int minimum = 3;
    int maximum = 3;
};

// The number of sentences the next paragraph gets: Random(maximum), raised to
// the minimum. The maximum itself is therefore never drawn, and a minimum at
// or above the maximum is always the target.
int drawParagraphTarget(const ParagraphLimits &limits, Random &random);

// Regroups sentences into paragraph lines. The sentences are joined and cut
// anew by the split-point rule, so a sentence ending in "!" or "?" runs on to
// the next "." (or, with no "." left, the next "!"). Each sentence is followed
// by two blanks; a paragraph that reaches its target ends in CR LF inside its
// entry and a new target is drawn; a last, short paragraph gets no line break.
// The first target is drawn before anything else, even when no sentence comes.
Lines composeParagraphs(const Lines &sentences, const ParagraphLimits &limits, Random &random);

// The same from the sentences already joined and prepared for cutting (see
// prepareForCutting).
Lines composePrepared(std::string_view text, const ParagraphLimits &limits, Random &random);

} // namespace varnok
