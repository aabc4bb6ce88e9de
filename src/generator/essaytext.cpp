#include "generator/essaytext.h"

#include <algorithm>
#include <utility>

#include "platform/memory.h"

namespace varnok {

void EssayText::keepFirstLines(int n)
{
    if (n < 0 || static_cast<std::size_t>(n) >= ends_.size())
        return;
    ends_.resize(static_cast<std::size_t>(n));
    size_ = ends_.empty() ? 0 : ends_.back();
}

void EssayText::reserve(std::size_t bytes, std::size_t lines)
{
    if (bytes > capacity_)
        grow(bytes);
    ends_.reserve(lines);
}

void EssayText::grow(std::size_t needed)
{
    const std::size_t capacity = std::max(needed, 2 * capacity_);
    // new char[] leaves the bytes as they are, which is the point.
    std::unique_ptr<char[]> buffer(new char[capacity]);
    adviseLargeBuffer(buffer.get(), capacity);
    if (size_ > 0)
        std::memcpy(buffer.get(), buffer_.get(), size_);
    buffer_ = std::move(buffer);
    capacity_ = capacity;
}

} // namespace varnok
