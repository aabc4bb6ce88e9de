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

std::string generatedEssayName(const DateTime &now, int n)
{
    std::string name = dateStamp(now);
    name += toDecimal(n);
    name += kGeneratedEssaySuffix;
    return name;
}

} // namespace varnok
