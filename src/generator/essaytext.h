#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "generator/sentences.h"
#include "platform/textfile.h"

namespace varnok {

// An essay as pieces of a text it owns, in essay order, each followed by a
// short tail, and its lines; every line ends in CR LF in the file. The bytes
// are made only while the essay is written: at a hundred megabytes, a copy
// of the essay next to the text it comes from would double the memory.
//
// The pieces are either sentences of a cut in its order, grouped into
// paragraphs, or lines of a text in their order, each a line of its own.
class EssayText {
public:
    // What follows a piece: nothing, the blanks after a sentence, those and
    // the line break of a complete paragraph, or an empty line's break.
    enum class Tail : std::uint8_t { None, Gap, GapAndBreak, Break };

    // How sentences make paragraphs. The sentences are taken as joined and
    // cut anew: one ending in "." always ends a composed sentence, one ending
    // in "!" only from afterDots on, one ending in "?" only from afterBangs
    // on. Each such end is followed by a gap; the paragraphs take the numbers
    // of them in targets in turn, and the one that completes a paragraph is
    // followed by a line break too. A line ends after each complete paragraph
    // and after the last sentence.
    struct Paragraphs {
        std::size_t afterDots = 0;
        std::size_t afterBangs = 0;
        std::vector<int> targets;
        std::size_t lines = 0;
    };

    EssayText() = default;
    // The sentences of the cut in its order, put in paragraphs; groups of a
    // shuffled cut not yet in order are put in order as they are written.
    EssayText(CutText sentences, Paragraphs paragraphs);
    // The lines of text that end where lineEnds say, each followed by tail.
    EssayText(std::string text, std::vector<std::size_t> lineEnds, Tail tail);

    std::size_t lineCount() const { return lineCount_; }
    // Drops lines from the end until at most n remain; never adds any.
    void keepFirstLines(int n);

    // Hands the file's bytes to put in order, stopping once put fails.
    void produce(const BytePut &put) const;
    // The same in blocks of about a megabyte that put may take over, leaving
    // the string it is handed empty: no block need be copied on its way.
    // After each block, done (if given) learns what share of the lines has
    // been handed over.
    using BlockPut = std::function<bool(std::string &block)>;
    using LinesDone = std::function<void(double share)>;
    void produceBlocks(const BlockPut &put, const LinesDone &done = {}) const;
    // The file's bytes at once, for small essays.
    std::string bytes() const;

private:
    struct ParagraphState;
    struct Chunk;
    struct Scratch;

    // Whether the sentence at place i, ending in terminator, ends a
    // composed sentence.
    bool endsComposed(std::size_t i, char terminator) const
    {
        return terminator == kFullStop ||
               (i >= paragraphs_.afterDots && (terminator == kExclamation || i >= paragraphs_.afterBangs));
    }
    template <typename Offset>
    std::vector<Chunk> chunks(const Offset *order) const;
    template <typename Offset>
    void produceChunk(const Chunk &chunk, Offset *order, Scratch &scratch, std::string &out) const;
    template <typename Offset>
    bool produceSentences(const BlockPut &put, const LinesDone &done, Offset *order) const;
    bool produceLines(const BlockPut &put, const LinesDone &done) const;

    // The groups of a shuffled cut are put in order in place the first time
    // the essay is written; writing it again finds them so.
    mutable CutText sentences_;
    Paragraphs paragraphs_;
    // Lines of a text, when the pieces are not sentences: where each ends.
    std::string lineText_;
    std::vector<std::size_t> lineEnds_;
    Tail lineTail_ = Tail::None;
    bool lines_ = false;
    std::size_t lineCount_ = 0;
};

} // namespace varnok
