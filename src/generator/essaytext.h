#pragma once

#include <cstddef>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

namespace varnok {

// The lines of an essay as its file holds them: every line followed by CR LF,
// end to end in one buffer, so that the essay is built in one pass and
// written as it stands, without joining the lines again. The buffer is not
// cleared before use: a hundred megabytes of zeros would be written only to
// be overwritten.
class EssayText {
public:
    std::size_t lineCount() const { return ends_.size(); }
    // What the file holds.
    std::string_view bytes() const { return std::string_view(buffer_.get(), size_); }
    // Drops lines from the end until at most n remain; never adds any.
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

} // namespace varnok
