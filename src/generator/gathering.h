#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "core/ui.h"
#include "documents/keywords.h"
#include "platform/memory.h"
#include "platform/textfile.h"

namespace varnok {


// Collects the gathered lines of one Generate command. The command reads the
// selected files in list order and hands each file over as read.
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

    // A file's lines as readLines gives them.
    void addFile(const Lines &fileLines);
    // A file's bytes as readFileBytes gives them; the same as
    // addFile(splitLines(bytes)) without a string per line.
    void addFileBytes(std::string_view bytes);

    // Room for this many bytes of gathered text, for instance the total size
    // of the selected files: at a hundred megabytes, growing the buffer step
    // by step costs as much again as gathering itself.
    void reserve(std::size_t bytes)
    {
        text_.reserve(bytes);
        adviseLargeBuffer(text_.data(), text_.capacity());
    }

    EssayType type() const { return type_; }
    bool empty() const { return ends_.empty(); }
    std::size_t lineCount() const { return ends_.size(); }

    // The gathered lines, one entry each.
    Lines lines() const;
    // Line i without the CR LF that essay responses add to it.
    std::string_view lineText(std::size_t i) const
    {
        const std::size_t start = i == 0 ? 0 : ends_[i - 1];
        return std::string_view(text_).substr(start, ends_[i] - start);
    }
    // All gathered lines joined with nothing between them; leaves the
    // gatherer empty.
    std::string takeJoined();
    // takeJoined() prepared for cutting (see prepareForCutting), without a
    // pass over the text when no line brought a CR or LF of its own.
    std::string takePrepared();

private:
    void take(std::string_view line);
    void addEssayBytes(std::string_view text);
    void addPlainBytes(std::string_view text);
    void clear();

    EssayType type_;
    // The lines end to end, without the CR LF that essay responses add to
    // every line: the sentence cut would only remove them again.
    std::string text_;
    std::vector<std::size_t> ends_;
    // Set once a line handed over as a string holds a CR or LF; lines cut
    // from bytes never do.
    bool linesHoldBreaks_ = false;
};

} // namespace varnok
