#include "testrun/history.h"

#include <unordered_set>

#include "documents/conflicts.h"
#include "documents/documents.h"
#include "platform/files.h"
#include "platform/textfile.h"
#include "testrun/responses.h"

namespace varnok {

bool isResponseLine(std::string_view line)
{
    return line.find(kResponseKeyword) != std::string_view::npos;
}

namespace {

constexpr char kConflictCopiesMask[] = "*.sync-conflict-*";

// A sync tool that kept two versions of an essay holds some responses only in
// the copy: those are read too, each response line once.
void addConflictCopyResponses(const std::string &folder, const std::vector<std::string> &copyNames,
                              const std::string &essayName, Lines &essayLines)
{
    const auto copies = conflictCopiesOf(copyNames, essayName);
    if (copies.empty())
        return;
    std::unordered_set<std::string> seen;
    for (const auto &line : essayLines)
        if (isResponseLine(line))
            seen.insert(line);
    for (const auto &copy : copies) {
        std::string bytes;
        if (!readFileBytes(folder + copy.copyName, bytes))
            continue; // gone since the folder was read
        for (auto &line : splitLines(bytes))
            if (isResponseLine(line) && seen.insert(line).second)
                essayLines.push_back(std::move(line));
    }
}

} // namespace

std::vector<LieHistoryEntry> selectedLieHistories(const Context &ctx, JobProgress *progress)
{
    std::vector<LieHistoryEntry> entries;
    const auto names = ctx.state.lies.selectedNames();
    entries.reserve(names.size());
    // Read once: looking up every essay in the folder on its own reads the
    // whole folder for each Lie that has none, which at 100,000 Lies is hours.
    const FolderNamesNoCase folderNames(ctx.state.lieFolder);
    const std::vector<std::string> copyNames = listFolderUnordered(ctx.state.lieFolder, kConflictCopiesMask);
    for (const auto &name : names) {
        if (progress)
            progress->checkpoint(static_cast<double>(entries.size()) / static_cast<double>(names.size()));
        LieHistoryEntry entry;
        entry.lieName = name;
        entry.lieLines = readLinesOrFail(documentPath(ctx.state.lieFolder, name), name);
        // The essay is found by name only: a renamed Lie or essay loses it.
        const std::string essay = folderNames.resolve(CleanFileName("", essayNameOf(name)));
        if (fileExists(essay))
            entry.essayLines = readLinesOrFail(essay, essay);
        addConflictCopyResponses(ctx.state.lieFolder, copyNames, shownFileName(essay), entry.essayLines);
        entries.push_back(std::move(entry));
    }
    return entries;
}

std::string lieHistoryText(const std::vector<LieHistoryEntry> &entries)
{
    std::size_t size = 0;
    for (const auto &entry : entries) {
        size += sizeof kLieHistoryHeading + 4;
        for (const auto &line : entry.lieLines)
            size += line.size() + 1;
        for (const auto &line : entry.essayLines)
            if (isResponseLine(line))
                size += line.size() + 1;
    }
    std::string text;
    text.reserve(size);
    for (const auto &entry : entries) {
        // One result entry: two breaks, the heading, every Lie line ended by a
        // break; the break that follows every entry makes the empty line.
        text += "\n\n";
        text += kLieHistoryHeading;
        text += '\n';
        for (const auto &line : entry.lieLines) {
            text += line;
            text += '\n';
        }
        text += '\n';
        for (const auto &line : entry.essayLines) {
            if (!isResponseLine(line))
                continue;
            text += line;
            text += '\n';
        }
    }
    return text;
}

std::optional<std::vector<LieHistoryEntry>> bLiesHistoryClick(Context &ctx)
{
    return showLieHistory(ctx, {});
}

std::optional<std::vector<LieHistoryEntry>> showLieHistory(Context &ctx, const HistoryJobStep &more)
{
    std::optional<std::vector<LieHistoryEntry>> result;
    runCommand(ctx, [&] {
        std::vector<LieHistoryEntry> entries;
        std::string text;
        const bool done = ctx.ui.runLong(kReadingHistoryCaption, [&](JobProgress &progress) {
            entries = selectedLieHistories(ctx, &progress);
            text = lieHistoryText(entries);
            if (more)
                more(entries, progress);
        });
        if (!done)
            return;
        ctx.view.setMemoText(std::move(text));
        ctx.view.showMemo(true);
        ctx.view.setPage(Page::Ask);
        result = std::move(entries);
    });
    return result;
}

} // namespace varnok
