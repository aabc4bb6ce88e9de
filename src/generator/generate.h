#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/context.h"
#include "core/job.h"
#include "generator/composer.h"
#include "generator/essaytext.h"
#include "generator/gatherer.h"
#include "platform/clock.h"
#include "platform/random.h"

namespace varnok {

// The question MakeEssay asks before writing.
inline constexpr std::string_view kLineCountCaption = "How many lines?";
inline constexpr std::string_view kLineCountPrompt = "Enter number of lines to generate";
inline constexpr std::string_view kGeneratedEssaySuffix = "Essay.gen";

// The progress bar's captions while the essay is made and written.
inline constexpr std::string_view kGeneratingCaption = "Generating the essay...";
inline constexpr std::string_view kWritingEssayCaption = "Writing the essay...";

// Shown instead of writing when the answer is a negative number.
inline constexpr std::string_view kNegativeLineCountMessage =
    "The number of lines cannot be negative. No essay was written.";

// The essay generation options, as read from the option controls when
// Generate runs.
struct GenerationOptions {
    bool sentenceParse = true; // "Separate Sentences"
    bool randomize = true;     // "Randomize"; only with sentenceParse
    ParagraphLimits limits;    // minimum and maximum sentences per paragraph
};

// Generate: gathers lines from the selected files of the Essays list, cuts,
// shuffles and regroups them as the options say, and writes a generated essay.
void bFunEssayClick(Context &ctx);

// Turns the gathered lines into the essay, ready to be written: with
// sentenceParse, the sentence cut, the shuffle when asked for, and the
// paragraph composer; otherwise the gathered lines unchanged, never shuffled,
// each essay response followed by an empty line. Draws from random exactly
// what those steps draw, in the same order. Takes the gatherer, so that a
// large corpus is not held twice. With progress, reports from `from` to 1
// and stops between the steps when cancelled.
EssayText generateEssayText(Gatherer gathered, const GenerationOptions &options, Random &random,
                            JobProgress *progress = nullptr, double from = 0.0);

// Asks how many lines to keep and writes them to a new ".gen" file named by
// the date stamp and the count, as a long job. Writes nothing when the person
// cancels the question or the writing, or asks for a negative count.
void MakeEssay(Context &ctx, EssayText &essay);

// Writes the essay atomically as MakeEssay does, the bytes being made while
// the file is written. Stops, writing nothing, once stillWanted turns false.
// done, if given, learns the share of the lines written as it grows.
Status writeEssay(const std::string &path, const EssayText &essay, const std::function<bool()> &stillWanted,
                  const EssayText::LinesDone &done = {});

// The answer to "How many lines?" as the number of lines to keep. An answer
// that is no whole number keeps all lineCount lines. A negative number is
// refused: empty, and nothing is to be written.
std::optional<int> parseLineCount(std::string_view answer, int lineCount);

// The generated essay's name before name cleaning: date stamp (which ends in
// a blank), n in decimal, "Essay.gen". It carries the number asked for, also
// when fewer lines were there.
std::string generatedEssayName(const DateTime &now, int n);

} // namespace varnok
