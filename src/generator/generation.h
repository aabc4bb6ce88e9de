#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

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

// The steps of generateEssayText with sentenceParse, one by one (so that
// they can also be timed one by one).

// The gathered text, prepared for cutting (Gatherer::takePrepared), cut into
// sentences that are views into it; a text without any terminator becomes
// the one sentence it is with "." appended. Neither copied nor moved, so the
// views stay valid.
class CutText {
public:
    explicit CutText(std::string prepared);
    CutText(const CutText &) = delete;
    CutText &operator=(const CutText &) = delete;

    const std::vector<std::string_view> &sentences() const { return sentences_; }
    std::size_t textSize() const { return text_.size(); }

private:
    std::string text_;
    std::vector<std::string_view> sentences_;
};

// The shuffle is randomized(cut.sentences(), random) (see shuffle.h).

// The paragraph composer over sentences of a CutText, as cut or reordered,
// straight into the essay's bytes. textSize is the cut text's.
EssayText composeCutSentences(const std::vector<std::string_view> &sentences, std::size_t textSize,
                              const ParagraphLimits &limits, Random &random);

// The lines of the same essay (generateEssayText(...).lines()).
Lines generateEssayLines(Gatherer &&gathered, const GenerationOptions &options, Random &random);

// The same from gathered lines in a list.
Lines generateEssayLines(const Lines &gathered, const GenerationOptions &options, Random &random);

} // namespace varnok
