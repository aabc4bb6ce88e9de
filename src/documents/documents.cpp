#include "documents/documents.h"

#include <cerrno>

#include "core/text.h"
#include "platform/collate.h"
#include "platform/files.h"

namespace varnok {

std::string CleanFileName(const std::string &lieFolder, std::string_view name)
{
    std::string path = lieFolder;
    path.reserve(path.size() + name.size());
    for (char c : name)
        if (kRemovedNameChars.find(c) == std::string_view::npos)
            path += c;
    return path;
}

std::string documentPathFromText(const std::string &lieFolder, std::string_view text, std::string_view extension)
{
    return resolveNoCase(CleanFileName(lieFolder, firstChars(text, kNameChars) + std::string(extension)));
}

std::string documentPath(const std::string &lieFolder, const std::string &name)
{
    return resolveNoCase(listedDocumentPath(lieFolder, name));
}

std::string listedDocumentPath(const std::string &lieFolder, const std::string &name)
{
    return !name.empty() && name.front() == kSeparator ? name : lieFolder + name;
}

std::string essayNameOf(const std::string &lieName)
{
    const auto dot = lieName.rfind('.');
    return (dot == std::string::npos ? lieName : lieName.substr(0, dot)) + kEssayExtension;
}

std::string essayPathOf(const std::string &lieFolder, const std::string &lieName)
{
    return resolveNoCase(CleanFileName(lieFolder, essayNameOf(lieName)));
}

std::string shownFileName(const std::string &name)
{
    return baseName(name);
}

std::string memoTextFromBytes(std::string_view bytes)
{
    const auto nul = bytes.find('\0');
    if (nul != std::string_view::npos)
        bytes = bytes.substr(0, nul);
    std::string text;
    text.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c == '\r') {
            text += '\n';
            if (i + 1 < bytes.size() && bytes[i + 1] == '\n')
                ++i;
        } else {
            text += c;
        }
    }
    return text;
}

std::string bytesFromMemoText(std::string_view text)
{
    std::string bytes;
    bytes.reserve(text.size() + text.size() / 16);
    for (char c : text) {
        if (c == '\n')
            bytes += "\r\n";
        else
            bytes += c;
    }
    return bytes;
}

std::string readDocumentInJob(const std::string &path, const std::string &shownName, JobProgress &progress, double from,
                              double span)
{
    std::string bytes;
    const Status read = readFileBytes(path, bytes, [&](std::size_t done, std::size_t total) {
        progress.report(from + span * static_cast<double>(done) / static_cast<double>(total));
        return !progress.cancelled();
    });
    if (read.error() == ECANCELED)
        throw JobCancelled{};
    if (!read)
        failCannotOpen(shownName, read.error());
    return bytes;
}

void rereadList(Context &ctx, ListId id)
{
    ctx.state.list(id).reread(ctx.state.lieFolder);
    ctx.view.listChanged(id);
}

std::vector<std::string> filesOfLists(const AppState &state)
{
    std::string masks;
    for (const FileList *list : {&state.lies, &state.essays, &state.tests})
        masks += list->mask() + ';';
    return listFolderUnordered(state.lieFolder, masks);
}

void rereadLists(Context &ctx)
{
    const std::vector<std::string> files = filesOfLists(ctx.state);
    for (const ListId id : {ListId::Lies, ListId::Essays, ListId::Tests}) {
        ctx.state.list(id).rereadFrom(files);
        ctx.view.listChanged(id);
    }
}

ListsReading beginListsReading(const AppState &state)
{
    return ListsReading{state.lieFolder,
                        {FileList(state.lies.mask()), FileList(state.essays.mask()), FileList(state.tests.mask())},
                        {state.lies.stamp(), state.essays.stamp(), state.tests.stamp()},
                        {state.lies.namesStamp(), state.essays.namesStamp(), state.tests.namesStamp()},
                        false,
                        false,
                        {},
                        {}};
}

void readLists(ListsReading &reading)
{
    if (reading.removeStale)
        removeStaleTemporaries(reading.folder);
    std::string masks;
    for (const FileList &list : reading.lists)
        masks += list.mask() + ';';
    const std::vector<std::string> files = listFolderUnordered(reading.folder, masks + reading.alsoMask);
    for (FileList &list : reading.lists)
        list.rereadFrom(files);
    if (reading.alsoMask.empty())
        return;
    for (const std::string &name : files)
        if (matchesMask(name, reading.alsoMask))
            reading.alsoFound.push_back(name);
    NameCollator::user().sort(reading.alsoFound);
}

int applyListsReading(Context &ctx, ListsReading &&reading)
{
    if (reading.folder != ctx.state.lieFolder)
        return 0;
    int taken = 0;
    for (const ListId id : {ListId::Lies, ListId::Essays, ListId::Tests}) {
        const auto i = static_cast<std::size_t>(id);
        FileList &list = ctx.state.list(id);
        if (reading.keepSelection) {
            if (list.namesStamp() != reading.namesStamps[i] || !reading.lists[i].takeSelection(list))
                continue;
        } else if (list.stamp() != reading.stamps[i]) {
            continue;
        }
        list = std::move(reading.lists[i]);
        ctx.view.listChanged(id);
        ++taken;
    }
    return taken;
}

std::string essaysMask(bool essays, bool generated, bool text)
{
    std::string mask;
    if (essays)
        mask += "*.ess;";
    if (generated)
        mask += "*.gen;";
    if (text)
        mask += "*.txt;";
    if (!mask.empty())
        mask.pop_back();
    return mask;
}

void cbGeneratedClick(Context &ctx)
{
    ctx.state.essays.setMask(essaysMask(ctx.state.showEssays, ctx.state.showGenerated, ctx.state.showText));
    runCommand(ctx, [&] { rereadList(ctx, ListId::Essays); });
}

void btnLoadClick(Context &ctx, const std::optional<std::string> &proposedName)
{
    runCommand(ctx, [&] {
        const auto chosen = ctx.ui.openTextFile(proposedName);
        if (!chosen)
            return;
        const Lines lines = readLinesOrFail(*chosen, *chosen);
        for (const auto &line : lines)
            writeLinesOrFail(documentPathFromText(ctx.state.lieFolder, line, kLieExtension), Lines{line});
        rereadLists(ctx);
    });
}

} // namespace varnok
