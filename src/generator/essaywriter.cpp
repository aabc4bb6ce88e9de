#include "generator/essaywriter.h"

#include "platform/memory.h"

#include <algorithm>
#include <utility>

#include "core/text.h"

namespace varnok {

std::optional<int> parseLineCount(std::string_view answer, int lineCount)
{
    const auto number = parseWholeNumber(answer);
    if (!number)
        return lineCount;
    if (*number < 0)
        return std::nullopt;
    return *number;
}

void keepFirstLines(Lines &lines, int n)
{
    if (n >= 0 && static_cast<std::size_t>(n) < lines.size())
        lines.resize(static_cast<std::size_t>(n));
}

Lines EssayText::lines() const
{
    Lines lines;
    lines.reserve(ends_.size());
    std::size_t start = 0;
    for (const std::size_t end : ends_) {
        lines.emplace_back(buffer_.get() + start, end - start - kLineEnd.size());
        start = end;
    }
    return lines;
}

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

std::string generatedEssayName(const DateTime &now, int n)
{
    std::string name = dateStamp(now);
    name += toDecimal(n);
    name += kGeneratedEssaySuffix;
    return name;
}

} // namespace varnok
