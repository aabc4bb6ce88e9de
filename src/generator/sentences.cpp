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

SentenceScanner::SentenceScanner(std::string_view text) : text_(text), pos_(skipBlanks(text, 0)) {}

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

CutText::CutText(std::string text) : text_(std::move(text))
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

} // namespace varnok
