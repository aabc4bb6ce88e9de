#include "generator/composer.h"

#include <algorithm>
#include <utility>
#include <vector>

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
    template <typename Terminator>
    GroupEnds(std::size_t count, const Terminator &terminator)
    {
        // Only the tail after the last "." needs looking at.
        std::size_t lastBang = 0;
        for (std::size_t i = count; i > 0; --i) {
            const char c = terminator(i - 1);
            if (c == kFullStop) {
                afterDots_ = i;
                break;
            }
            if (c == kExclamation && lastBang == 0)
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
    int target = drawParagraphTarget(limits, random);
    const std::size_t count = cut.size();
    std::vector<EssayText::Tail> tails(count, EssayText::Tail::None);
    cut.sentences.visit([&](const auto *order) {
        // A sentence's terminator follows from where it starts: the text,
        // scattered once shuffled, is not read here.
        const auto terminator = [&](std::size_t i) { return cut.text.terminatorAt(order[i]); };
        const GroupEnds groups(count, terminator);
        int placed = 0;
        for (std::size_t i = 0; i < count; ++i) {
            if (!groups.endsGroup(i, terminator(i)))
                continue;
            if (++placed < target) {
                tails[i] = EssayText::Tail::Gap;
                continue;
            }
            tails[i] = EssayText::Tail::GapAndBreak;
            placed = 0;
            target = drawParagraphTarget(limits, random);
        }
    });
    return EssayText(std::move(cut), std::move(tails));
}

} // namespace varnok
