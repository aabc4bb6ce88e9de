#pragma once

#include "generator/composer.h"
#include "generator/essaywriter.h"
#include "generator/gathering.h"
#include "platform/random.h"
#include "platform/textfile.h"

namespace varnok {

// The essay generation options, as read from the option controls when
// Generate runs.
struct GenerationOptions {
    bool sentenceParse = true;  // "Separate Sentences"
    bool randomize = true;      // "Randomize"; only with sentenceParse
    ParagraphLimits limits;     // minimum and maximum sentences per paragraph
};

// Turns the gathered lines into the essay, ready to be written: with
// sentenceParse, the sentence cut, the shuffle when asked for, and the
// paragraph composer; otherwise the gathered lines unchanged (never
// shuffled). Draws from random exactly what those steps draw, in the same
// order. The gatherer is emptied, so that a large corpus is not held twice.
EssayText generateEssayText(Gatherer &&gathered, const GenerationOptions &options, Random &random);

// The lines of the same essay (generateEssayText(...).lines()).
Lines generateEssayLines(Gatherer &&gathered, const GenerationOptions &options, Random &random);

// The same from gathered lines in a list.
Lines generateEssayLines(const Lines &gathered, const GenerationOptions &options, Random &random);

} // namespace varnok
