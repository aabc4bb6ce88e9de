#include "generator/composer.h"

#include <algorithm>
#include <utility>

#include "generator/sentences.h"
#include "generator/shuffle.h"

namespace varnok {

namespace {

// A number drawn to the maximum, raised to the minimum.
int targetOf(int drawn, const ParagraphLimits &limits)
{
    return drawn < limits.minimum ? limits.minimum : drawn;
}

} // namespace

int drawParagraphTarget(const ParagraphLimits &limits, Random &random)
{
    return targetOf(random.next(limits.maximum), limits);
}

// Joining sentences that come from the cut and cutting them anew comes down
// to grouping whole sentences: none starts with a blank, each holds exactly
// one terminator of its own kind at its end (a "." sentence may hold "!" and
// "?" before it, a "!" sentence "?"), and no CR LF forms where two meet. So a
// "." always ends a composed sentence, a "!" only once no "." follows in the
// sequence, and a "?" only once neither a "." nor a "!" follows. Where each
// paragraph ends then follows from how many composed sentences there are and
// the targets drawn; which sentence ends one is found as the essay is
// written, once the sentences of each key are in their order.
EssayText composeParagraphs(CutText cut, const ParagraphLimits &limits, Random &random)
{
    EssayText::Paragraphs paragraphs;
    paragraphs.targets.push_back(drawParagraphTarget(limits, random));
    const std::size_t count = cut.size();
    // Only the places from the last "." on matter: the groups from the one
    // holding it on are put in order now.
    if (!cut.groups.empty()) {
        std::size_t group = cut.groups.size() - 1;
        while (group > 0) {
            --group;
            bool fullStop = false;
            for (std::size_t i = cut.groups[group]; i < cut.groups[group + 1] && !fullStop; ++i)
                fullStop = cut.text.terminatorAt(cut.sentences[i]) == kFullStop;
            if (fullStop)
                break;
        }
        sortGroups(cut, group, cut.groups.size() - 1);
    }
    std::size_t composed = 0;
    cut.sentences.visit([&](const auto *order) {
        const auto terminator = [&](std::size_t i) { return cut.text.terminatorAt(order[i]); };
        std::size_t lastBang = 0;
        for (std::size_t i = count; i > 0; --i) {
            const char c = terminator(i - 1);
            if (c == kFullStop) {
                paragraphs.afterDots = i;
                break;
            }
            if (c == kExclamation && lastBang == 0)
                lastBang = i;
        }
        paragraphs.afterBangs = std::max(paragraphs.afterDots, lastBang);
        // Every "." counts wherever its key's sentences stand, and all of
        // them stand before afterDots: where the cut holds each sentence of
        // its text once, as shuffled or in text order, the cut knows how many
        // there are. From afterDots on a "!" counts, and from afterBangs on a
        // "?" too.
        if (count == cut.text.count()) {
            composed = cut.text.fullStops();
        } else {
            for (std::size_t i = 0; i < paragraphs.afterDots; ++i)
                composed += terminator(i) == kFullStop;
        }
        for (std::size_t i = paragraphs.afterDots; i < count; ++i)
            if (terminator(i) == kExclamation || i >= paragraphs.afterBangs)
                ++composed;
    });
    // A paragraph takes as many composed sentences as its target, at least
    // one. No target exceeds `largest`: while that many sentences are left
    // for each, the targets after the one at hand are sure to be drawn, and
    // are drawn at once: one call for thousands of them rather than one each.
    const auto largest = static_cast<std::size_t>(std::max({limits.minimum, limits.maximum - 1, 1}));
    constexpr std::size_t kDrawnAtOnce = 4096;
    int drawn[kDrawnAtOnce];
    std::size_t next = 0;
    std::size_t available = 0;
    std::size_t left = composed;
    // No target is below the minimum or one: room for as many as can come.
    paragraphs.targets.reserve(composed / static_cast<std::size_t>(std::max(limits.minimum, 1)) + 2);
    for (;;) {
        const auto target = static_cast<std::size_t>(std::max(paragraphs.targets.back(), 1));
        if (left < target)
            break;
        left -= target;
        ++paragraphs.lines;
        if (next == available) {
            available = std::min(kDrawnAtOnce, 1 + left / largest);
            random.nextMany(limits.maximum, drawn, available);
            next = 0;
        }
        paragraphs.targets.push_back(targetOf(drawn[next++], limits));
    }
    // The last sentence always ends a composed sentence: the paragraph it
    // leaves open is a line of its own.
    if (left > 0)
        ++paragraphs.lines;
    return EssayText(std::move(cut), std::move(paragraphs));
}

} // namespace varnok
