#include "generator/gathering.h"

#include <utility>

#include "generator/sentences.h"

namespace varnok {

void Gatherer::addFile(const Lines &fileLines)
{
    if (type_ == EssayType::PlainText) {
        for (const auto &line : fileLines)
            take(line, false);
        return;
    }
    bool collecting = false;
    for (const auto &line : fileLines) {
        const bool keyword = line.find(kExplainYourself) != std::string::npos;
        if (keyword)
            collecting = true;
        if (collecting && !keyword && !line.empty() && line.find(kResponseWord) == std::string::npos)
            take(line, true);
    }
}

void Gatherer::take(std::string_view line, bool withBreak)
{
    text_ += line;
    if (withBreak)
        text_ += kLineBreak;
    ends_.push_back(text_.size());
}

Lines Gatherer::lines() const
{
    Lines lines;
    lines.reserve(ends_.size());
    std::size_t start = 0;
    for (const std::size_t end : ends_) {
        lines.emplace_back(text_, start, end - start);
        start = end;
    }
    return lines;
}

std::string Gatherer::takeJoined()
{
    std::vector<std::size_t>().swap(ends_);
    return std::exchange(text_, std::string());
}

} // namespace varnok
