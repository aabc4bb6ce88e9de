#pragma once

#include <cstddef>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/clock.h"
#include "platform/textfile.h"

namespace varnok {

// The question MakeEssay asks before writing.
inline constexpr std::string_view kLineCountCaption = "How many lines?";
inline constexpr std::string_view kLineCountPrompt = "Enter number of lines to generate";
inline constexpr std::string_view kGeneratedEssaySuffix = "Essay.gen";

// Shown instead of writing when the answer is a negative number.
inline constexpr std::string_view kNegativeLineCountMessage =
    "The number of lines cannot be negative. No essay was written.";

// The answer to "How many lines?" as the number of lines to keep. An answer
// that is no whole number keeps all lineCount lines. A negative number is
// refused: empty, and nothing is to be written.
std::optional<int> parseLineCount(std::string_view answer, int lineCount);

// Drops lines from the end until at most n remain; never adds any.
void keepFirstLines(Lines &lines, int n);

// The lines of an essay as its file holds them: every line followed by CR LF,
// end to end in one buffer, so that the essay is built in one pass and
// written as it stands, without joining the lines again. The buffer is not
// cleared before use: a hundred megabytes of zeros would be written only to
// be overwritten.
class EssayText {
public:
    std::size_t lineCount() const { return ends_.size(); }
    // What the file holds: joinLines(lines()).
    std::string_view bytes() const { return std::string_view(buffer_.get(), size_); }
    // The lines themselves, without the CR LF that follows each in the file.
    Lines lines() const;
    // As keepFirstLines for a list of lines.
    void keepFirstLines(int n);

    // Building: pieces of the current line, then its end.
    void reserve(std::size_t bytes, std::size_t lines);
    void append(std::string_view piece)
    {
        if (piece.empty())
            return;
        if (piece.size() > capacity_ - size_)
            grow(size_ + piece.size());
        std::memcpy(buffer_.get() + size_, piece.data(), piece.size());
        size_ += piece.size();
    }
    void endLine()
    {
        append(kLineEnd);
        ends_.push_back(size_);
    }

private:
    static constexpr std::string_view kLineEnd = "\r\n";

    void grow(std::size_t needed);

    std::unique_ptr<char[]> buffer_;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
    // Where each line's CR LF ends.
    std::vector<std::size_t> ends_;
};

// The generated essay's name before name cleaning: date stamp (which ends in
// a blank), n in decimal, "Essay.gen". It carries the number asked for, also
// when fewer lines were there.
std::string generatedEssayName(const DateTime &now, int n);

} // namespace varnok
