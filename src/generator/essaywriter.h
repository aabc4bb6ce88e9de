#pragma once

#include <optional>
#include <string>
#include <string_view>

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

// The generated essay's name before name cleaning: date stamp (which ends in
// a blank), n in decimal, "Essay.gen". It carries the number asked for, also
// when fewer lines were there.
std::string generatedEssayName(const DateTime &now, int n);

} // namespace varnok
