#include "generator/sentences.h"

#include <utility>

#include "platform/memory.h"

namespace varnok {

namespace {

std::size_t skipBlanks(std::string_view text, std::size_t pos)
{
    while (pos < text.size() && text[pos] == kBlank)
        ++pos;
    return pos;
}

} // namespace

SentenceScanner::SentenceScanner(std::string_view text) : text_(text), pos_(skipBlanks(text, 0))
{
}

std::string_view SentenceScanner::next()
{
    std::size_t end = std::string_view::npos;
    if (fullStopLeft_) {
        end = text_.find(kFullStop, pos_);
        fullStopLeft_ = end != std::string_view::npos;
    }
    if (end == std::string_view::npos && exclamationLeft_) {
        end = text_.find(kExclamation, pos_);
        exclamationLeft_ = end != std::string_view::npos;
    }
    if (end == std::string_view::npos)
        end = text_.find(kQuestion, pos_);
    if (end == std::string_view::npos)
        return {};
    const std::string_view sentence = text_.substr(pos_, end + 1 - pos_);
    pos_ = skipBlanks(text_, end + 1);
    return sentence;
}

CutText cutSentences(std::string text)
{
    CutText cut{std::make_unique<const std::string>(std::move(text)), {}};
    const std::string &kept = *cut.text;
    // The sentences stay views into the one text rather than strings of
    // their own: at a hundred megabytes that halves the memory and saves
    // millions of allocations. Room for a sentence every eight bytes is more
    // than prose needs; room that is never written to takes no memory, and
    // growing is still possible.
    cut.sentences.reserve(kept.size() / 8 + 1);
    adviseLargeBuffer(cut.sentences.data(), cut.sentences.capacity() * sizeof(std::string_view));
    SentenceScanner scanner(kept);
    for (auto sentence = scanner.next(); !sentence.empty(); sentence = scanner.next())
        cut.sentences.push_back(sentence);
    if (cut.sentences.empty()) {
        cut.text = std::make_unique<const std::string>(std::string(scanner.rest()) + kFullStop);
        cut.sentences.push_back(*cut.text);
    }
    return cut;
}

std::vector<char> sentenceTerminators(const std::vector<std::string_view> &sentences)
{
    std::vector<char> terminators(sentences.size());
    // Sentences in any other order than the cut's lie all over the text;
    // asking for them a few places ahead hides most of the waiting.
    constexpr std::size_t ahead = 16;
    const std::size_t count = sentences.size();
    for (std::size_t i = 0; i < count; ++i) {
        if (i + ahead < count)
            __builtin_prefetch(&sentences[i + ahead].back());
        terminators[i] = sentences[i].back();
    }
    return terminators;
}

} // namespace varnok
