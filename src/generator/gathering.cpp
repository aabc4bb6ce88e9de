#include "generator/gathering.h"

#include <utility>

#include "generator/sentences.h"

namespace varnok {

void Gatherer::addFile(Lines fileLines)
{
    if (type_ == EssayType::PlainText)
        gatherPlainText(std::move(fileLines), lines_);
    else
        gatherEssayResponses(std::move(fileLines), lines_);
}

void gatherEssayResponses(Lines fileLines, Lines &gathered)
{
    bool collecting = false;
    for (auto &line : fileLines) {
        const bool keyword = line.find(kExplainYourself) != std::string::npos;
        if (keyword)
            collecting = true;
        if (!collecting || keyword || line.empty() || line.find(kResponseWord) != std::string::npos)
            continue;
        // Appending to the line itself would double its capacity; at a
        // million lines that is memory worth keeping.
        std::string entry;
        entry.reserve(line.size() + kLineBreak.size());
        entry += line;
        entry += kLineBreak;
        gathered.push_back(std::move(entry));
    }
}

void gatherPlainText(Lines fileLines, Lines &gathered)
{
    if (gathered.empty()) {
        gathered = std::move(fileLines);
        return;
    }
    gathered.reserve(gathered.size() + fileLines.size());
    for (auto &line : fileLines)
        gathered.push_back(std::move(line));
}

} // namespace varnok
