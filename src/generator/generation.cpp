#include "generator/generation.h"

#include "platform/memory.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "generator/sentences.h"
#include "generator/shuffle.h"

namespace varnok {

namespace {

// The paragraph composer joins the sentences and cuts them anew, but on
// sentences that come from the cut that comes down to grouping whole
// sentences: none starts with a blank, each holds exactly one terminator of
// its own kind at its end (a "." sentence may hold "!" and "?" before it, a
// "!" sentence "?"), and no CR LF forms where two meet. So a "." always ends
// a composed sentence, a "!" only once no "." follows in the sequence, and a
// "?" only once neither a "." nor a "!" follows.
class GroupEnds {
public:
    // sentenceAt(i) is the i-th of count sentences in the order composed.
    template <typename SentenceAt>
    GroupEnds(std::size_t count, const SentenceAt &sentenceAt)
    {
        // Only the tail after the last "." needs looking at.
        std::size_t lastBang = 0;
        for (std::size_t i = count; i > 0; --i) {
            const char terminator = sentenceAt(i - 1).back();
            if (terminator == kFullStop) {
                afterDots_ = i;
                break;
            }
            if (terminator == kExclamation && lastBang == 0)
                lastBang = i;
        }
        afterBangs_ = std::max(afterDots_, lastBang);
    }

    bool endsGroup(std::size_t i, char terminator) const
    {
        if (terminator == kFullStop)
            return true;
        return i >= (terminator == kExclamation ? afterDots_ : afterBangs_);
    }

private:
    // The positions from which on no "." (no "." or "!") follows.
    std::size_t afterDots_ = 0;
    std::size_t afterBangs_ = 0;
};

// The paragraph composer over sentences from the cut, straight into the
// essay's bytes (see GroupEnds). The first target is drawn before anything
// else, even when no sentence comes.
template <typename SentenceAt>
void composeSentences(std::size_t count, const SentenceAt &sentenceAt, std::size_t textSize,
                      const ParagraphLimits &limits, Random &random, EssayText &essay)
{
    int target = drawParagraphTarget(limits, random);
    const GroupEnds groups(count, sentenceAt);
    // At most the sentences, two blanks after each and two line breaks per
    // paragraph; room never written to takes no memory.
    essay.reserve(textSize + count * (kSentenceGap.size() + 2 * kLineBreak.size()) + kLineBreak.size(),
                  count + 1);
    int placed = 0;
    bool paragraphOpen = false;
    for (std::size_t i = 0; i < count; ++i) {
        const std::string_view sentence = sentenceAt(i);
        essay.append(sentence);
        paragraphOpen = true;
        if (!groups.endsGroup(i, sentence.back()))
            continue;
        essay.append(kSentenceGap);
        if (++placed >= target) {
            essay.append(kLineBreak);
            essay.endLine();
            paragraphOpen = false;
            placed = 0;
            target = drawParagraphTarget(limits, random);
        }
    }
    if (paragraphOpen)
        essay.endLine();
}

} // namespace

CutText::CutText(std::string prepared) : text_(std::move(prepared))
{
    // The sentences stay views into the one cut text rather than strings of
    // their own: at a hundred megabytes that halves the memory and saves
    // millions of allocations. Room for a sentence every eight bytes is more
    // than prose needs; room that is never written to takes no memory, and
    // growing is still possible.
    sentences_.reserve(text_.size() / 8 + 1);
    adviseLargeBuffer(sentences_.data(), sentences_.capacity() * sizeof(sentences_[0]));
    SentenceScanner scanner(text_);
    for (auto sentence = scanner.next(); !sentence.empty(); sentence = scanner.next())
        sentences_.push_back(sentence);
    if (sentences_.empty()) {
        text_ = std::string(scanner.rest()) + kFullStop;
        sentences_.push_back(text_);
    }
}

EssayText composeCutSentences(const std::vector<std::string_view> &sentences, std::size_t textSize,
                              const ParagraphLimits &limits, Random &random)
{
    const std::size_t count = sentences.size();
    // Reordered sentences come from all over the text; asking for them a few
    // places ahead hides most of the waiting.
    constexpr std::size_t ahead = 16;
    const auto sentenceAt = [&](std::size_t i) {
        if (i + ahead < count)
            __builtin_prefetch(sentences[i + ahead].data());
        return sentences[i];
    };
    EssayText essay;
    composeSentences(count, sentenceAt, textSize, limits, random, essay);
    return essay;
}

EssayText generateEssayText(Gatherer &&gathered, const GenerationOptions &options, Random &random)
{
    if (options.sentenceParse) {
        const CutText cut(gathered.takePrepared());
        if (!options.randomize)
            return composeCutSentences(cut.sentences(), cut.textSize(), options.limits, random);
        return composeCutSentences(randomized(cut.sentences(), random), cut.textSize(), options.limits, random);
    }

    const std::string_view lineBreak =
        gathered.type() == EssayType::EssayResponses ? kLineBreak : std::string_view();
    EssayText essay;
    std::size_t bytes = 0;
    for (std::size_t i = 0; i < gathered.lineCount(); ++i)
        bytes += gathered.lineText(i).size() + lineBreak.size() + kLineBreak.size();
    essay.reserve(bytes, gathered.lineCount());
    for (std::size_t i = 0; i < gathered.lineCount(); ++i) {
        essay.append(gathered.lineText(i));
        essay.append(lineBreak);
        essay.endLine();
    }
    gathered.takeJoined();
    return essay;
}

Lines generateEssayLines(Gatherer &&gathered, const GenerationOptions &options, Random &random)
{
    return generateEssayText(std::move(gathered), options, random).lines();
}

Lines generateEssayLines(const Lines &gathered, const GenerationOptions &options, Random &random)
{
    if (!options.sentenceParse)
        return gathered;
    // As plain text the lines are kept exactly as given.
    Gatherer asGiven(EssayType::PlainText);
    asGiven.addFile(gathered);
    return generateEssayLines(std::move(asGiven), options, random);
}

} // namespace varnok
