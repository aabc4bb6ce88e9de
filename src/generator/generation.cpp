#include "generator/generation.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "generator/sentences.h"
#include "generator/shuffle.h"

namespace varnok {

namespace {

// Cut, shuffle and compose, from the gathered lines already joined.
Lines composeJoined(std::string text, const GenerationOptions &options, Random &random)
{
    prepareForCutting(text);

    // The sentences stay views into the one cut text rather than strings of
    // their own: at a hundred megabytes that halves the memory and saves
    // millions of allocations.
    std::vector<std::string_view> sentences;
    // Room for a sentence every eight bytes is more than prose needs; room
    // that is never written to takes no memory, and growing is still possible.
    sentences.reserve(text.size() / 8 + 1);
    std::string onlySentence;
    SentenceScanner scanner(text);
    for (auto sentence = scanner.next(); !sentence.empty(); sentence = scanner.next())
        sentences.push_back(sentence);
    if (sentences.empty()) {
        onlySentence = std::string(scanner.rest()) + kFullStop;
        sentences.push_back(onlySentence);
    }

    std::string joined;
    joined.reserve(text.size() + 1);
    if (options.randomize) {
        const auto order = randomizedOrder(sentences, random);
        // The sentences are picked from all over the text; asking for their
        // memory a few places ahead (first where a sentence is, then the
        // sentence) hides most of the waiting.
        constexpr std::size_t ahead = 8;
        const std::size_t count = order.size();
        for (std::size_t i = 0; i < count; ++i) {
            if (i + 2 * ahead < count)
                __builtin_prefetch(&sentences[order[i + 2 * ahead]]);
            if (i + ahead < count)
                __builtin_prefetch(sentences[order[i + ahead]].data());
            joined += sentences[order[i]];
        }
    } else {
        for (const auto sentence : sentences)
            joined += sentence;
    }
    std::vector<std::string_view>().swap(sentences);
    std::string().swap(text);

    // Every sentence ends in its terminator and starts with no blank, and the
    // cut text holds no CR LF pair, so the joined sentences are already
    // prepared for cutting: no CR LF can form where two of them meet.
    return composePrepared(joined, options.limits, random);
}

} // namespace

Lines generateEssayLines(Gatherer &&gathered, const GenerationOptions &options, Random &random)
{
    if (!options.sentenceParse) {
        Lines lines = gathered.lines();
        gathered.takeJoined();
        return lines;
    }
    return composeJoined(gathered.takeJoined(), options, random);
}

Lines generateEssayLines(const Lines &gathered, const GenerationOptions &options, Random &random)
{
    if (!options.sentenceParse)
        return gathered;
    std::string text;
    for (const auto &line : gathered)
        text += line;
    return composeJoined(std::move(text), options, random);
}

} // namespace varnok
