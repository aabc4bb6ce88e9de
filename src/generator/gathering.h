#pragma once

#include <string_view>
#include <utility>

#include "platform/textfile.h"

namespace varnok {

// What the selected files hold, as chosen in the essay-type dialog; the values
// are the dialog's item indexes.
enum class EssayType {
    EssayResponses = 0,
    PlainText = 1,
};

inline constexpr std::string_view kExplainYourself = "EXPLAIN YOURSELF";
// Without the colon on purpose: gathering leaves out any line that merely
// mentions the word, not only response lines.
inline constexpr std::string_view kResponseWord = "RESPONSE";

// Collects the gathered lines of one Generate command. The command reads the
// selected files in list order and hands each file's lines over as read; a
// file's lines are consumed (moved), not copied.
class Gatherer {
public:
    explicit Gatherer(EssayType type) : type_(type) {}

    void addFile(Lines fileLines);

    EssayType type() const { return type_; }
    const Lines &lines() const { return lines_; }
    Lines takeLines() { return std::move(lines_); }

private:
    EssayType type_;
    Lines lines_;
};

// Essay responses: every non-empty line from the first line holding
// "EXPLAIN YOURSELF" to the end of the file, leaving out the lines that hold
// "RESPONSE" or "EXPLAIN YOURSELF"; each taken line gets CR LF inside the
// entry. A file without that keyword gives nothing.
void gatherEssayResponses(Lines fileLines, Lines &gathered);

// Plain text: every line unchanged, empty ones included.
void gatherPlainText(Lines fileLines, Lines &gathered);

} // namespace varnok
