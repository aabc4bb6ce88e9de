#include "generator/sentences.h"

#include <cstring>
#include <utility>

namespace varnok {

namespace {

std::size_t skipBlanks(std::string_view text, std::size_t pos)
{
    while (pos < text.size() && text[pos] == kBlank)
        ++pos;
    return pos;
}

Lines cutPrepared(const std::string &text)
{
    SentenceScanner scanner(text);
    std::string_view sentence = scanner.next();
    if (sentence.empty()) {
        std::string only(scanner.rest());
        only += kFullStop;
        return Lines{std::move(only)};
    }
    Lines sentences;
    do {
        sentences.emplace_back(sentence);
        sentence = scanner.next();
    } while (!sentence.empty());
    return sentences;
}

} // namespace

std::size_t splitPoint(std::string_view text)
{
    for (const char terminator : {kFullStop, kExclamation, kQuestion}) {
        const auto at = text.find(terminator);
        if (at != std::string_view::npos)
            return at + 1;
    }
    return 0;
}

void removeLineBreakPairs(std::string &text)
{
    // Removing the first pair over and over comes down to matching each LF
    // with the CR right before it once everything between them has gone, like
    // brackets; the kept front of the text serves as the stack. Only a LF can
    // end a pair, so the runs between them are moved as a whole.
    char *const data = text.data();
    const std::size_t size = text.size();
    std::size_t kept = 0;
    std::size_t i = 0;
    while (i < size) {
        const void *found = std::memchr(data + i, '\n', size - i);
        const std::size_t end = found ? static_cast<std::size_t>(static_cast<const char *>(found) - data) : size;
        if (kept != i)
            std::memmove(data + kept, data + i, end - i);
        kept += end - i;
        if (end == size)
            break;
        if (kept > 0 && data[kept - 1] == '\r')
            --kept;
        else
            data[kept++] = '\n';
        i = end + 1;
    }
    text.resize(kept);
}

void prepareForCutting(std::string &text)
{
    removeLineBreakPairs(text);
    text.erase(0, skipBlanks(text, 0));
}

std::string joinForCutting(const Lines &lines)
{
    std::size_t total = 0;
    for (const auto &line : lines)
        total += line.size();
    std::string text;
    text.reserve(total);
    for (const auto &line : lines)
        text += line;
    prepareForCutting(text);
    return text;
}

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

Lines cutSentences(const Lines &gathered)
{
    return cutPrepared(joinForCutting(gathered));
}

} // namespace varnok
