#pragma once

#include <string_view>

#include "generator/essaytext.h"
#include "generator/sentences.h"
#include "platform/random.h"

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

// Regroups the sentences of a cut, in the order given (as cut or shuffled),
// into paragraph lines; the essay takes over the cut. The sentences are taken
// as joined and cut anew, so a sentence ending in "!" or "?" runs on to the
// next "." (or, with no "." left, the next "!"). Each sentence is followed by
// two blanks; a paragraph that reaches its target ends in CR LF within its
// line and a new target is drawn; a last, short paragraph gets no line break
// of its own. The first target is drawn before anything else, even when no
// sentence comes.
EssayText composeParagraphs(CutText cut, const ParagraphLimits &limits, Random &random);

} // namespace varnok
