#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/choices.h"
#include "documents/keywords.h"
#include "platform/status.h"

namespace varnok {

// Collects the gathered lines of one Generate command. The command reads the
// selected files in list order and hands each file's bytes over as read.
//
// Essay responses: every non-empty line from the first line holding
// "EXPLAIN YOURSELF" to the end of the file, leaving out the lines that hold
// "RESPONSE" or "EXPLAIN YOURSELF", each followed by CR LF. A file without
// that keyword gives nothing; collecting starts afresh with every file. Plain text: every line unchanged, empty ones
// included. A NUL ends a file's text.
//
// The lines are kept end to end in one buffer: a corpus of a million short
// lines then costs its own size rather than twice that in separate strings,
// and the sentence cut, which wants them joined anyway, takes the buffer.
// Lines cut from bytes never hold a CR or LF, so joining them needs no
// separator: the CR LF that essay responses put after each line would only
// be removed again by the cut.
class Gatherer {
public:
    // Where each line ends is kept only when asked for: the sentence cut
    // wants the text alone, and at a million lines the ends are megabytes.
    explicit Gatherer(EssayType type, bool keepLineEnds = true) : type_(type), keepLineEnds_(keepLineEnds) {}

    void addFileBytes(std::string_view bytes) { addFileText(look(type_, bytes)); }

    // What of a file's bytes the gathering looks at: the text before any
    // NUL and, for essay responses, where the first keyword is (the text's
    // size where there is none). Found by the thread that read the file,
    // while its bytes are at hand there: searching all of them took a fifth
    // of the gathering's time, which the reading had to wait for.
    struct FileText {
        std::string_view text;
        std::size_t keyword = 0;
    };
    static FileText look(EssayType type, std::string_view bytes);
    void addFileText(const FileText &file);

    // Room for this many bytes of gathered text, for instance the total size
    // of the selected files: at a hundred megabytes, growing the buffer step
    // by step costs as much again as gathering itself. It is not asked to be
    // backed by huge pages: where the system compacts memory to find them,
    // the first touch of such a buffer has taken seconds.
    void reserve(std::size_t bytes) { text_.reserve(bytes); }

    // The memory reserved for the text and not yet written: another thread
    // may prefault it.
    char *room() { return text_.data() + text_.size(); }
    std::size_t roomSize() const { return text_.capacity() - text_.size(); }
    std::size_t textSize() const { return text_.size(); }

    EssayType type() const { return type_; }
    bool empty() const { return lines_ == 0; }
    std::size_t lineCount() const { return lines_; }

    // The gathered lines end to end and, if kept, where each ends; leaves
    // the gatherer empty.
    struct Taken {
        std::string text;
        std::vector<std::size_t> ends;
    };
    Taken take();

private:
    void take(std::string_view line);
    void addEssayBytes(std::string_view text, std::size_t first);
    void addPlainBytes(std::string_view text);

    EssayType type_;
    bool keepLineEnds_;
    std::string text_;
    std::vector<std::size_t> ends_;
    std::size_t lines_ = 0;
};

// Reads the files in order with readFileBytes and hands each one's bytes to
// the gatherer; the next file is read on a second thread while one is
// gathered. Before each file, progress is told how many bytes were gathered
// so far; it may throw to stop. Stops at the first file that cannot be read:
// its index and why, the files before it gathered.
struct UnreadFile {
    std::size_t index;
    Status status;
};
std::optional<UnreadFile> gatherFiles(Gatherer &gathered, const std::vector<std::string> &paths,
                                      const std::function<void(std::size_t bytesRead)> &progress);

} // namespace varnok
