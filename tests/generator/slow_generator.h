#pragma once

// The essay generator's steps written out the long way: whole strings, cut
// from the front one piece at a time, sorted as prefixed entries. Quadratic
// and meant only as the yardstick the fast code is held against, in the unit
// tests and in fuzzing.

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/random.h"
#include "platform/textfile.h"

namespace varnok::slow {

// Gathering from the lines of one file after another, as the command
// describes it: essay responses take the non-empty lines after the first
// "EXPLAIN YOURSELF" line, without keyword lines, each with CR LF; plain
// text takes every line.
inline Lines gather(const std::vector<Lines> &files, bool essayResponses)
{
    Lines gathered;
    for (const auto &file : files) {
        bool collecting = false;
        for (const auto &line : file) {
            if (!essayResponses) {
                gathered.push_back(line);
                continue;
            }
            if (line.find("EXPLAIN YOURSELF") != std::string::npos)
                collecting = true;
            if (collecting && !line.empty() && line.find("RESPONSE") == std::string::npos &&
                line.find("EXPLAIN YOURSELF") == std::string::npos)
                gathered.push_back(line + "\r\n");
        }
    }
    return gathered;
}

// 1-based position of the split point, 0 when there is none.
inline std::size_t splitPoint(const std::string &text)
{
    auto at = text.find('.');
    if (at == std::string::npos)
        at = text.find('!');
    if (at == std::string::npos)
        at = text.find('?');
    return at == std::string::npos ? 0 : at + 1;
}

inline void removeLeadingBlanks(std::string &text)
{
    while (!text.empty() && text[0] == ' ')
        text.erase(0, 1);
}

inline std::string joinAndClean(const Lines &lines)
{
    std::string text;
    for (const auto &line : lines)
        text += line;
    for (;;) {
        const auto pair = text.find("\r\n");
        if (pair == std::string::npos)
            break;
        text.erase(pair, 2);
    }
    removeLeadingBlanks(text);
    return text;
}

inline Lines cutSentences(const Lines &gathered)
{
    std::string rest = joinAndClean(gathered);
    if (splitPoint(rest) == 0)
        return Lines{rest + "."};
    Lines sentences;
    std::size_t p;
    while ((p = splitPoint(rest)) != 0) {
        sentences.push_back(rest.substr(0, p));
        rest.erase(0, p);
        removeLeadingBlanks(rest);
    }
    return sentences;
}

inline void randomizeStrings(Lines &lines, Random &random)
{
    Lines entries;
    for (const auto &line : lines) {
        char key[16];
        std::snprintf(key, sizeof key, "%5d", random.next(10000));
        entries.push_back(std::string(key) + ":" + line);
    }
    std::sort(entries.begin(), entries.end(),
              [](const std::string &a, const std::string &b) { return compareNoCase(a, b) < 0; });
    for (auto &entry : entries)
        entry = entry.substr(entry.find(':') + 1);
    lines = entries;
}

inline int drawTarget(int minimum, int maximum, Random &random)
{
    int target = random.next(maximum);
    if (target < minimum)
        target = minimum;
    return target;
}

inline Lines composeParagraphs(const Lines &sentences, int minimum, int maximum, Random &random)
{
    Lines result;
    int count = 0;
    int target = drawTarget(minimum, maximum, random);
    std::string rest = joinAndClean(sentences);
    std::string paragraph;
    std::size_t p;
    while ((p = splitPoint(rest)) != 0) {
        paragraph += rest.substr(0, p) + "  ";
        rest.erase(0, p);
        ++count;
        if (count >= target) {
            result.push_back(paragraph + "\r\n");
            paragraph.clear();
            count = 0;
            target = drawTarget(minimum, maximum, random);
        }
        removeLeadingBlanks(rest);
    }
    if (!paragraph.empty())
        result.push_back(paragraph);
    return result;
}

// The Generate command's steps after gathering.
inline Lines generate(const Lines &gathered, bool sentenceParse, bool randomize, int minimum, int maximum,
                      Random &random)
{
    if (!sentenceParse)
        return gathered;
    Lines sentences = cutSentences(gathered);
    if (randomize)
        randomizeStrings(sentences, random);
    return composeParagraphs(sentences, minimum, maximum, random);
}

// The bytes of the essay the Generate command writes from these files, all
// lines kept.
inline std::string essayBytes(const std::vector<std::string> &files, bool essayResponses, bool sentenceParse,
                              bool randomize, int minimum, int maximum, Random &random)
{
    std::vector<Lines> fileLines;
    for (const auto &bytes : files)
        fileLines.push_back(splitLines(bytes));
    return joinLines(generate(gather(fileLines, essayResponses), sentenceParse, sentenceParse && randomize, minimum,
                              maximum, random));
}

} // namespace varnok::slow
