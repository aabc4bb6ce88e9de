#include "generator/composer.h"

#include <utility>

#include "generator/sentences.h"

namespace varnok {

int drawParagraphTarget(const ParagraphLimits &limits, Random &random)
{
    const int target = random.next(limits.maximum);
    return target < limits.minimum ? limits.minimum : target;
}

Lines composeParagraphs(const Lines &sentences, const ParagraphLimits &limits, Random &random)
{
    // Joining draws nothing, so the first target is still the first draw.
    return composePrepared(joinForCutting(sentences), limits, random);
}

Lines composePrepared(std::string_view text, const ParagraphLimits &limits, Random &random)
{
    int target = drawParagraphTarget(limits, random);
    Lines result;
    std::string paragraph;
    int count = 0;
    SentenceScanner scanner(text);
    for (auto sentence = scanner.next(); !sentence.empty(); sentence = scanner.next()) {
        paragraph += sentence;
        paragraph += kSentenceGap;
        if (++count >= target) {
            paragraph += kLineBreak;
            // A copy is exactly as long as the paragraph, while the buffer,
            // kept for the next one, has grown by doubling.
            result.push_back(paragraph);
            paragraph.clear();
            count = 0;
            target = drawParagraphTarget(limits, random);
        }
    }
    if (!paragraph.empty())
        result.push_back(std::move(paragraph));
    return result;
}

} // namespace varnok
