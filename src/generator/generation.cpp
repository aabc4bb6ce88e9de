#include "generator/generation.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "generator/sentences.h"
#include "generator/shuffle.h"

namespace varnok {

Lines generateEssayLines(Lines gathered, const GenerationOptions &options, Random &random)
{
    if (!options.sentenceParse)
        return gathered;

    // The sentences stay views into the one cut text rather than strings of
    // their own: at a hundred megabytes that halves the memory and saves
    // millions of allocations.
    std::string text = joinForCutting(std::move(gathered));
    std::vector<std::string_view> sentences;
    std::string onlySentence;
    SentenceScanner scanner(text);
    for (auto sentence = scanner.next(); !sentence.empty(); sentence = scanner.next())
        sentences.push_back(sentence);
    if (sentences.empty()) {
        onlySentence = std::string(scanner.rest()) + '.';
        sentences.push_back(onlySentence);
    }

    std::string joined;
    joined.reserve(text.size() + 1);
    if (options.randomize) {
        const auto order = randomizedOrder(sentences, random);
        // The sentences are picked from all over the text; asking for the
        // memory of one a few places ahead hides most of the waiting.
        constexpr std::size_t ahead = 16;
        for (std::size_t i = 0; i < order.size(); ++i) {
            if (i + ahead < order.size())
                __builtin_prefetch(sentences[order[i + ahead]].data());
            joined += sentences[order[i]];
        }
    } else {
        for (const auto sentence : sentences)
            joined += sentence;
    }
    sentences = {};
    std::string().swap(text);

    // Every sentence ends in its terminator and starts with no blank, and the
    // cut text holds no CR LF pair, so the joined sentences are already
    // prepared for cutting: no CR LF can form where two of them meet.
    return composePrepared(joined, options.limits, random);
}

} // namespace varnok
