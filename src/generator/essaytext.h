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
// The pieces are either sentences of a cut in the order given, where a line
// ends after every complete paragraph and after the last sentence, or lines
// of a text in their order, each a line of its own.
class EssayText {
public:
    // What follows a piece: nothing, the blanks after a sentence, those and
    // the line break of a complete paragraph, or an empty line's break.
    enum class Tail : std::uint8_t { None, Gap, GapAndBreak, Break };

    EssayText() = default;
    // Sentences, each followed by its tail; tails.size() == sentences.size().
    EssayText(CutText sentences, std::vector<Tail> tails);
    // The lines of text that end where lineEnds say, each followed by tail.
    EssayText(std::string text, std::vector<std::size_t> lineEnds, Tail tail);

    std::size_t lineCount() const { return lineCount_; }
    // Drops lines from the end until at most n remain; never adds any.
    void keepFirstLines(int n);

    // Hands the file's bytes to put in order, stopping once put fails.
    void produce(const BytePut &put) const;
    // The same in blocks of about a megabyte that put may take over, leaving
    // the string it is handed empty: no block need be copied on its way.
    using BlockPut = std::function<bool(std::string &block)>;
    void produceBlocks(const BlockPut &put) const;
    // The file's bytes at once, for small essays.
    std::string bytes() const;

private:
    template <typename Piece>
    void produceWith(const BlockPut &put, const Piece &piece) const;

    CutText sentences_;
    std::vector<Tail> tails_;
    // Lines of a text, when the pieces are not sentences: where each ends.
    std::string lineText_;
    std::vector<std::size_t> lineEnds_;
    Tail lineTail_ = Tail::None;
    std::size_t lineCount_ = 0;
    // The pieces the kept lines hold.
    std::size_t kept_ = 0;
};

} // namespace varnok
