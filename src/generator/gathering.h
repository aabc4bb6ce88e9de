#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "app/ui.h"
#include "documents/keywords.h"
#include "platform/textfile.h"

namespace varnok {


// Collects the gathered lines of one Generate command. The command reads the
// selected files in list order and hands each file's lines over as read.
//
// Essay responses: every non-empty line from the first line holding
// "EXPLAIN YOURSELF" to the end of the file, leaving out the lines that hold
// "RESPONSE" or "EXPLAIN YOURSELF"; each taken line carries CR LF at its end,
// inside the entry. A file without that keyword gives nothing; collecting
// starts afresh with every file. Plain text: every line unchanged, empty ones
// included.
//
// The lines are kept end to end in one buffer: a corpus of a million short
// lines then costs its own size rather than twice that in separate strings,
// and the sentence cut, which wants them joined anyway, takes the buffer.
class Gatherer {
public:
    explicit Gatherer(EssayType type) : type_(type) {}

    void addFile(const Lines &fileLines);

    EssayType type() const { return type_; }
    bool empty() const { return ends_.empty(); }
    std::size_t lineCount() const { return ends_.size(); }

    // The gathered lines, one entry each.
    Lines lines() const;
    // All gathered lines joined with nothing between them; leaves the
    // gatherer empty.
    std::string takeJoined();

private:
    void take(std::string_view line, bool withBreak);

    EssayType type_;
    std::string text_;
    std::vector<std::size_t> ends_;
};

} // namespace varnok
