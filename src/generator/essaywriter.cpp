#include "generator/essaywriter.h"

#include "app/text.h"

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
        lines.emplace_back(bytes_, start, end - start - kLineEnd.size());
        start = end;
    }
    return lines;
}

void EssayText::keepFirstLines(int n)
{
    if (n < 0 || static_cast<std::size_t>(n) >= ends_.size())
        return;
    ends_.resize(static_cast<std::size_t>(n));
    bytes_.resize(ends_.empty() ? 0 : ends_.back());
}

std::string generatedEssayName(const DateTime &now, int n)
{
    std::string name = dateStamp(now);
    name += toDecimal(n);
    name += kGeneratedEssaySuffix;
    return name;
}

} // namespace varnok
