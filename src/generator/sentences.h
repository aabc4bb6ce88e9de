#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace varnok {

// The characters that end a sentence, in the order the cut tries them.
inline constexpr char kFullStop = '.';
inline constexpr char kExclamation = '!';
inline constexpr char kQuestion = '?';
inline constexpr char kBlank = ' ';
inline constexpr std::string_view kLineBreak = "\r\n";

// Walks a text sentence by sentence, in time linear in the text. A sentence
// ends at the first "." from where it starts; with no "." left, at the first
// "!"; with neither left, at the first "?". The blanks after a sentence, and
// those at the very start, belong to no sentence. The text must outlive the
// scanner.
class SentenceScanner {
public:
    explicit SentenceScanner(std::string_view text);

    // The next sentence with its terminator; empty when no terminator is left.
    std::string_view next();

    // What has not been cut yet.
    std::string_view rest() const { return text_.substr(pos_); }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
    // Once a terminator is missing from the rest it never comes back, so each
    // kind of terminator is searched for in vain at most once.
    bool fullStopLeft_ = true;
    bool exclamationLeft_ = true;
};

// A text cut into sentences that are views into it. The text stays where it
// is however the CutText is moved, so the views stay valid.
struct CutText {
    std::unique_ptr<const std::string> text;
    std::vector<std::string_view> sentences;
};

// The sentence cut of the gathered text (Gatherer::take). A text
// without any terminator becomes the one sentence it is with "." appended
// (an empty text gives "."); otherwise a trailing fragment without
// terminator is lost.
CutText cutSentences(std::string text);

// Each sentence's terminator, its last byte, in the order given.
std::vector<char> sentenceTerminators(const std::vector<std::string_view> &sentences);

} // namespace varnok
