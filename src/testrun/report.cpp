#include "testrun/report.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "core/jobpart.h"
#include "documents/documents.h"
#include "documents/keywords.h"
#include "platform/files.h"
#include "platform/textfile.h"
#include "platform/unicode.h"
#include "testrun/history.h"
#include "testrun/summaries.h"

namespace varnok {

namespace {

constexpr char kLineCutNote[] = " \u2026 [the rest of this line, %zu bytes, is not shown]";

// A file as the report reads it: lines of bytes as they are, NULs left out
// (a stray one must not hide the rest of an essay), and whether it is to be
// read as Latin-1.
struct ReadFile {
    Lines lines;
    bool latin1 = false;
};

Status readForReport(const std::string &path, ReadFile &file)
{
    std::string bytes;
    if (Status read = readFileBytes(path, bytes); !read)
        return read;
    bytes.erase(std::remove(bytes.begin(), bytes.end(), '\0'), bytes.end());
    file.latin1 = !isUtf8Text(bytes);
    file.lines = splitLines(bytes);
    return Status();
}

std::string shownLine(const std::string &line, bool latin1)
{
    std::string text = latin1 ? latin1ToUtf8(line) : line;
    if (text.size() <= kLongestReportLine)
        return text;
    std::size_t keep = kLongestReportLine;
    while (keep > 0 && (static_cast<unsigned char>(text[keep]) & 0xC0) == 0x80)
        --keep;
    char note[96];
    std::snprintf(note, sizeof note, kLineCutNote, text.size() - keep);
    text.resize(keep);
    text += note;
    return text;
}

Lines shownLines(const Lines &lines, bool latin1)
{
    Lines out;
    out.reserve(lines.size());
    for (const auto &line : lines)
        out.push_back(shownLine(line, latin1));
    return out;
}

void trimEmptyLines(Lines &lines)
{
    while (!lines.empty() && lines.back().empty())
        lines.pop_back();
    const auto first = std::find_if(lines.begin(), lines.end(), [](const std::string &l) { return !l.empty(); });
    lines.erase(lines.begin(), first);
}

std::string folderNameOf(const std::string &lieFolder)
{
    std::string_view folder = lieFolder;
    while (!folder.empty() && folder.back() == kSeparator)
        folder.remove_suffix(1);
    const auto slash = folder.rfind(kSeparator);
    std::string name(slash == std::string_view::npos ? folder : folder.substr(slash + 1));
    return name.empty() ? std::string("Lies") : name;
}

} // namespace

bool ReportRange::contains(const DateTime &t) const
{
    const Day day = Day::of(t);
    return (!from || *from <= day) && (!to || day <= *to);
}

ReportRequest reportRequest(const AppState &state, const ReportRange &range, const DateTime &now)
{
    ReportRequest request;
    request.lieFolder = state.lieFolder;
    request.allLieNames = state.lies.names();
    request.lieNames = state.lies.selectedNames();
    if (request.lieNames.empty())
        request.lieNames = request.allLieNames;
    request.range = range;
    request.made = now;
    return request;
}

std::vector<ReportBlock> essayBlocks(const Lines &essayLines)
{
    std::vector<ReportBlock> blocks;
    bool explaining = false;
    for (const auto &line : essayLines) {
        if (isResponseLine(line)) {
            ReportBlock block;
            block.responseLine = line;
            if (const auto point = parseResponsePoint(line))
                block.when = point->when;
            blocks.push_back(std::move(block));
            explaining = false;
            continue;
        }
        // What stands before the first block is the statement the essay began with.
        if (blocks.empty())
            continue;
        if (!explaining && line == kExplainYourself) {
            explaining = true;
            continue;
        }
        blocks.back().explanation.push_back(line);
    }
    for (auto &block : blocks)
        trimEmptyLines(block.explanation);
    return blocks;
}

ReportContent gatherReport(const ReportRequest &request, JobProgress *progress)
{
    ReportContent content;
    content.folderName = folderNameOf(request.lieFolder);
    if (!isUtf8Text(content.folderName))
        content.folderName = latin1ToUtf8(content.folderName);
    content.made = request.made;
    content.range = request.range;

    const std::size_t count = request.lieNames.size();
    std::vector<LieHistoryEntry> entries(count);
    std::vector<char> lieLatin1(count, 0);
    std::vector<char> essayLatin1(count, 0);
    // Read once: looking up every essay on its own reads the folder again for
    // each Lie that has none.
    const FolderNamesNoCase folderNames(request.lieFolder);
    JobPart reading(progress, 0.0, 0.6);
    for (std::size_t i = 0; i < count; ++i) {
        if (i % 16 == 0)
            reading.checkpoint(static_cast<double>(i) / static_cast<double>(count));
        const std::string &name = request.lieNames[i];
        entries[i].lieName = name;
        ReadFile file;
        if (readForReport(documentPath(request.lieFolder, name), file)) {
            entries[i].lieLines = std::move(file.lines);
            lieLatin1[i] = file.latin1;
        } else {
            content.unreadable.push_back(name);
        }
        // The essay is found by name only, as History finds it. Only a name
        // nothing stands under means no essay: a folder or a pipe there is
        // an essay the report cannot show, and says so.
        const std::string essay = folderNames.resolve(CleanFileName("", essayNameOf(name)));
        ReadFile essayFile;
        if (const Status read = readForReport(essay, essayFile); read) {
            entries[i].essayLines = std::move(essayFile.lines);
            essayLatin1[i] = essayFile.latin1;
        } else if (read.error() != ENOENT) {
            content.unreadable.push_back(baseName(essay));
        }
    }

    JobPart charting(progress, 0.6, 0.95);
    const HistoryChart chart =
        buildHistoryChart(request.lieFolder, request.allLieNames, entries, &charting, &content.unreadable);
    charting.checkpoint(1.0);
    content.unlinkedAnswers = chart.unlinkedAnswers;

    content.lies.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        ReportLie lie;
        lie.lieName = entries[i].lieName;
        lie.statement = shownLines(entries[i].lieLines, lieLatin1[i]);
        lie.skipped = chart.series[i].skipped;
        for (const auto &point : chart.series[i].points) {
            if (!request.range.contains(point.when))
                continue;
            lie.responses.push_back(point);
            const Day day = Day::of(point.when);
            content.firstDay = content.firstDay ? std::min(*content.firstDay, day) : day;
            content.lastDay = content.lastDay ? std::max(*content.lastDay, day) : day;
        }
        content.responseCount += lie.responses.size();
        for (auto &block : essayBlocks(entries[i].essayLines)) {
            if (block.when ? !request.range.contains(*block.when) : !request.range.whole())
                continue;
            block.responseLine = shownLine(block.responseLine, essayLatin1[i]);
            block.explanation = shownLines(block.explanation, essayLatin1[i]);
            lie.blocks.push_back(std::move(block));
        }
        content.lies.push_back(std::move(lie));
        // The essays' lines are no longer needed; a large journal holds them only once.
        entries[i] = {};
    }
    if (progress)
        progress->checkpoint(1.0);
    return content;
}

std::string reportFileNameProposal(const std::string &lieFolder, const DateTime &today)
{
    char date[32];
    std::snprintf(date, sizeof date, " report %04d-%02d-%02d.pdf", today.year, today.month, today.day);
    return folderNameOf(lieFolder) + date;
}

} // namespace varnok
