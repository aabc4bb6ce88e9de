#include "generator/composer.h"

#include <algorithm>
#include <utility>

#include "generator/sentences.h"

namespace varnok {

namespace {

// Joining sentences that come from the cut and cutting them anew comes down
// to grouping whole sentences: none starts with a blank, each holds exactly
// one terminator of its own kind at its end (a "." sentence may hold "!" and
// "?" before it, a "!" sentence "?"), and no CR LF forms where two meet. So a
// "." always ends a composed sentence, a "!" only once no "." follows in the
// sequence, and a "?" only once neither a "." nor a "!" follows.
class GroupEnds {
public:
    explicit GroupEnds(const std::vector<char> &terminators)
    {
        // Only the tail after the last "." needs looking at.
        std::size_t lastBang = 0;
        for (std::size_t i = terminators.size(); i > 0; --i) {
            const char terminator = terminators[i - 1];
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

} // namespace

int drawParagraphTarget(const ParagraphLimits &limits, Random &random)
{
    const int target = random.next(limits.maximum);
    return target < limits.minimum ? limits.minimum : target;
}

EssayText composeParagraphs(CutText cut, const ParagraphLimits &limits, Random &random)
{
    const std::vector<char> terminators = sentenceTerminators(cut.sentences);
    return composeParagraphs(std::move(cut), terminators, limits, random);
}

EssayText composeParagraphs(CutText cut, const std::vector<char> &terminators, const ParagraphLimits &limits,
                            Random &random)
{
    int target = drawParagraphTarget(limits, random);
    const std::size_t count = cut.sentences.size();
    const GroupEnds groups(terminators);
    EssayText essay(std::move(cut.text), std::move(cut.sentences));
    int placed = 0;
    bool paragraphOpen = false;
    for (std::size_t i = 0; i < count; ++i) {
        paragraphOpen = true;
        if (!groups.endsGroup(i, terminators[i]))
            continue;
        if (++placed < target) {
            essay.setTail(i, EssayText::Tail::Gap);
            continue;
        }
        essay.setTail(i, EssayText::Tail::GapAndBreak);
        essay.endLineAfter(i + 1);
        paragraphOpen = false;
        placed = 0;
        target = drawParagraphTarget(limits, random);
    }
    if (paragraphOpen)
        essay.endLineAfter(count);
    return essay;
}

} // namespace varnok
