#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/textfile.h"

namespace varnok {

// The characters that end a sentence, in the order the split point tries them.
inline constexpr char kFullStop = '.';
inline constexpr char kExclamation = '!';
inline constexpr char kQuestion = '?';
inline constexpr char kBlank = ' ';
inline constexpr std::string_view kLineBreak = "\r\n";

// The split point of a text: the length of its first sentence, terminator
// included. A "." anywhere wins over an earlier "!" or "?", and a "!" over an
// earlier "?". 0 when the text holds none of the three.
std::size_t splitPoint(std::string_view text);

// Deletes every CR LF pair, as if the first pair were removed again and again
// until none is left; deleting one pair can bring a CR and a LF together
// ("\r\r\n\n" vanishes completely). Linear, in place.
void removeLineBreakPairs(std::string &text);

// Makes joined lines ready for cutting: CR LF pairs removed as above and the
// blanks at the start dropped.
void prepareForCutting(std::string &text);

// The lines joined with nothing between them and prepared for cutting.
std::string joinForCutting(const Lines &lines);

// Walks a prepared text (see prepareForCutting) sentence by sentence with the
// split-point rule, in time linear in the text. Each call to next() gives what
// repeatedly cutting the split point off the front of the text would give,
// blanks after a sentence skipped. The text must outlive the scanner.
class SentenceScanner {
public:
    explicit SentenceScanner(std::string_view text);

    // The next sentence with its terminator; empty when no split point is left.
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

// The sentence cut: joins the gathered lines and cuts them into sentences. A
// text without any terminator becomes one sentence with "." appended (an empty
// text gives "."); otherwise a trailing fragment without terminator is lost.
Lines cutSentences(const Lines &gathered);

} // namespace varnok
