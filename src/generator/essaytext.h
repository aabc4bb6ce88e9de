#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/textfile.h"

namespace varnok {

// An essay as pieces of a text it owns, in essay order, each followed by a
// short tail, and its lines; every line ends in CR LF in the file. The bytes
// are made only while the essay is written: at a hundred megabytes, a copy
// of the essay next to the text it comes from would double the memory.
class EssayText {
public:
    // What follows a piece: nothing, the blanks after a sentence, those and
    // the line break of a complete paragraph, or an empty line's break.
    enum class Tail : std::uint8_t { None, Gap, GapAndBreak, Break };

    EssayText() = default;
    // The pieces must be views into text, which stays where it is however
    // the essay is moved. Each is followed by Tail::None and belongs to no
    // line until told otherwise.
    EssayText(std::unique_ptr<const std::string> text, std::vector<std::string_view> pieces);

    std::string_view piece(std::size_t i) const { return pieces_[i]; }
    void setTail(std::size_t piece, Tail tail) { tails_[piece] = static_cast<std::uint8_t>(tail); }
    // Ends a line after the first `pieces` pieces.
    void endLineAfter(std::size_t pieces) { lineEnds_.push_back(pieces); }

    std::size_t lineCount() const { return lineEnds_.size(); }
    // Drops lines from the end until at most n remain; never adds any.
    void keepFirstLines(int n);

    // Hands the file's bytes to put in order, stopping once put fails.
    void produce(const BytePut &put) const;
    // The file's bytes at once, for small essays.
    std::string bytes() const;

private:
    std::unique_ptr<const std::string> text_;
    std::vector<std::string_view> pieces_;
    std::vector<std::uint8_t> tails_;
    // How many pieces the lines up to each one hold.
    std::vector<std::size_t> lineEnds_;
};

} // namespace varnok
