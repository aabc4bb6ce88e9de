#include "documents/conflicts.h"

#include <algorithm>
#include <cstdio>
#include <map>

#include "core/text.h"
#include "documents/documents.h"
#include "documents/editing.h"
#include "platform/files.h"
#include "platform/textfile.h"
#include "platform/trash.h"

namespace varnok {

namespace {

constexpr std::string_view kMarker = ".sync-conflict-";

bool digits(std::string_view s)
{
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

int number(std::string_view s)
{
    int n = 0;
    for (char c : s)
        n = n * 10 + (c - '0');
    return n;
}

std::string twoDigits(int n)
{
    char text[8];
    std::snprintf(text, sizeof text, "%02d", n);
    return text;
}

} // namespace

std::optional<ConflictCopy> parseConflictCopy(std::string_view name)
{
    const auto at = name.find(kMarker);
    if (at == std::string_view::npos || at == 0)
        return std::nullopt;
    const std::string_view rest = name.substr(at + kMarker.size());
    // yyyymmdd-hhmmss-DEVICE, the extension after that.
    if (rest.size() < 17 || !digits(rest.substr(0, 8)) || rest[8] != '-' || !digits(rest.substr(9, 6)) ||
        rest[15] != '-')
        return std::nullopt;
    const std::string_view tail = rest.substr(16);
    const auto dot = tail.find('.');
    const std::string_view device = tail.substr(0, dot);
    if (device.empty() || !std::all_of(device.begin(), device.end(), [](char c) {
            return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        }))
        return std::nullopt;
    ConflictCopy copy;
    copy.copyName = std::string(name);
    copy.mainName =
        std::string(name.substr(0, at)) + std::string(dot == std::string_view::npos ? "" : tail.substr(dot));
    copy.when = DateTime{number(rest.substr(0, 4)), number(rest.substr(4, 2)),  number(rest.substr(6, 2)),
                         number(rest.substr(9, 2)), number(rest.substr(11, 2)), number(rest.substr(13, 2))};
    return copy;
}

std::vector<ConflictCopy> conflictCopiesOf(const std::vector<std::string> &names, std::string_view mainName)
{
    std::vector<ConflictCopy> copies;
    for (const auto &name : names)
        if (const auto copy = parseConflictCopy(name); copy && equalNoCase(copy->mainName, mainName))
            copies.push_back(*copy);
    std::sort(copies.begin(), copies.end(), [](const ConflictCopy &a, const ConflictCopy &b) {
        return a.when.toMilliseconds() < b.when.toMilliseconds();
    });
    return copies;
}

std::vector<ConflictCopy> conflictCopiesInFolder(const std::string &folder, std::string_view mainName)
{
    const auto dot = mainName.rfind('.');
    const std::string mask = std::string(mainName.substr(0, dot)) + std::string(kMarker) + "*" +
                             std::string(dot == std::string_view::npos ? "" : mainName.substr(dot));
    return conflictCopiesOf(listFolderUnordered(folder, mask), mainName);
}

std::string conflictNoteText(const ConflictCopy &copy)
{
    const DateTime &t = copy.when;
    return copy.mainName + " has a conflict copy from " + toDecimal(t.year) + "-" + twoDigits(t.month) + "-" +
           twoDigits(t.day) + " " + twoDigits(t.hour) + ":" + twoDigits(t.minute);
}

std::string conflictCopyHint(const ConflictCopy &copy)
{
    const DateTime &t = copy.when;
    return "Conflict copy of " + copy.mainName + " from " + toDecimal(t.year) + "-" + twoDigits(t.month) + "-" +
           twoDigits(t.day) + " " + twoDigits(t.hour) + ":" + twoDigits(t.minute);
}

std::string conflictNotes(const std::vector<std::string> &opened, const std::vector<std::string> &names)
{
    // The copies are gathered once, so a view of a whole list stays linear.
    std::vector<ConflictCopy> copies;
    for (const auto &name : names)
        if (auto copy = parseConflictCopy(name))
            copies.push_back(std::move(*copy));
    std::stable_sort(copies.begin(), copies.end(), [](const ConflictCopy &a, const ConflictCopy &b) {
        return a.when.toMilliseconds() < b.when.toMilliseconds();
    });
    std::multimap<std::string, ConflictCopy, bool (*)(std::string_view, std::string_view)> copiesOf(lessNoCase);
    for (auto &copy : copies)
        copiesOf.emplace(copy.mainName, std::move(copy));
    std::string text;
    const auto add = [&text](const std::string &line) { text += (text.empty() ? "" : "\n") + line; };
    for (const auto &name : opened) {
        const std::string shown = shownFileName(name);
        if (const auto copy = parseConflictCopy(shown)) {
            add(conflictCopyHint(*copy));
            continue;
        }
        const auto [from, to] = copiesOf.equal_range(shown);
        for (auto it = from; it != to; ++it)
            add(conflictNoteText(it->second));
    }
    return text;
}

void noteConflictCopies(Context &ctx, const std::string &name)
{
    std::vector<std::string> names;
    for (const auto &copy : conflictCopiesInFolder(ctx.state.lieFolder, shownFileName(name)))
        names.push_back(copy.copyName);
    if (const std::string text = conflictNotes({name}, names); !text.empty())
        ctx.ui.message(text);
}

std::vector<std::string> essayBlocks(std::string_view text)
{
    std::vector<std::string> blocks(1);
    std::size_t start = 0;
    while (start < text.size()) {
        const auto end = text.find('\n', start);
        const std::string_view line = text.substr(start, end == std::string_view::npos ? end : end - start + 1);
        if (const auto word = line.find(kResponseWord);
            word != std::string_view::npos && line.substr(word + sizeof kResponseWord - 1, 1) == ":") {
            // The empty line the review puts before a block belongs to it.
            std::string &last = blocks.back();
            std::string lead;
            if (last.ends_with("\n\n")) {
                last.pop_back();
                lead = "\n";
            } else if (last == "\n") {
                last.clear();
                lead = "\n";
            }
            blocks.push_back(lead);
        }
        blocks.back() += line;
        if (end == std::string_view::npos)
            break;
        start = end + 1;
    }
    return blocks;
}

std::string joinMissingBlocks(std::string_view mainText, std::string_view copyText)
{
    // A block at the end of a file keeps the empty line the review wrote
    // after it, which the same block followed by another gives to that one:
    // blocks are the same whatever empty lines stand around them.
    const auto key = [](std::string_view block) {
        while (block.starts_with('\n'))
            block.remove_prefix(1);
        while (block.ends_with('\n'))
            block.remove_suffix(1);
        return block;
    };
    const std::vector<std::string> mine = essayBlocks(mainText);
    std::string joined(mainText);
    for (const auto &block : essayBlocks(copyText)) {
        if (block.empty() ||
            std::any_of(mine.begin(), mine.end(), [&](const std::string &m) { return key(m) == key(block); }))
            continue;
        if (!joined.empty() && !joined.ends_with('\n'))
            joined += '\n';
        joined += joined.ends_with("\n\n") && block.starts_with('\n') ? std::string_view(block).substr(1) : block;
    }
    return joined;
}

namespace {

std::string readMemoText(const std::string &path, const std::string &name)
{
    std::string bytes;
    if (const Status read = readFileBytes(path, bytes); !read)
        failCannotOpen(name, read.error());
    return memoTextFromBytes(bytes);
}

void trashOrSay(Context &ctx, const std::string &path)
{
    if (!moveToTrash(path, ctx.state.homeTrash, ctx.clock.now()).trashed)
        ctx.ui.message(formatMessage(kConflictTrashFailedMessage, shownFileName(path)));
}

void resolveOne(Context &ctx, const ConflictCopy &copy)
{
    const std::string &folder = ctx.state.lieFolder;
    const std::string mainPath = resolveNoCase(folder + copy.mainName);
    const std::string copyPath = folder + copy.copyName;
    if (!fileExists(mainPath)) {
        ctx.ui.message(formatMessage(kConflictMainGoneMessage, copy.copyName));
        return;
    }
    std::string mainBytes;
    if (const Status read = readFileBytes(mainPath, mainBytes); !read)
        failCannotOpen(copy.mainName, read.error());
    const std::string mainText = memoTextFromBytes(mainBytes);
    const std::string copyText = readMemoText(copyPath, copy.copyName);
    const std::string joined = joinMissingBlocks(mainText, copyText);
    const ConflictChoice choice =
        ctx.ui.askResolveConflict({copy.mainName, mainText, copy.copyName, copyText, conflictCopyHint(copy), joined});
    // What is on disk now is what the person saw: a file changed since is
    // left for another look.
    std::string mainNow;
    if (choice != ConflictChoice::Cancel && (!readFileBytes(mainPath, mainNow) || mainNow != mainBytes)) {
        ctx.ui.message(formatMessage(kChangedOnDiskQuestion, copy.mainName));
        return;
    }
    switch (choice) {
    case ConflictChoice::Cancel:
        return;
    case ConflictChoice::KeepMain:
        break;
    case ConflictChoice::Join:
        if (joined != mainText && !writeFileAtomic(mainPath, bytesFromMemoText(joined)))
            failCannotCreate(copy.mainName);
        break;
    case ConflictChoice::KeepCopy: {
        std::string copyBytes;
        if (const Status read = readFileBytes(copyPath, copyBytes); !read)
            failCannotOpen(copy.copyName, read.error());
        // The file's own text goes to the Trash as the copy would have.
        const auto trashed = moveToTrash(mainPath, ctx.state.homeTrash, ctx.clock.now());
        if (!trashed.trashed) {
            ctx.ui.message(formatMessage(kConflictTrashFailedMessage, copy.mainName));
            return;
        }
        if (!writeFileAtomic(mainPath, copyBytes))
            failCannotCreate(copy.mainName);
        break;
    }
    }
    trashOrSay(ctx, copyPath);
    ctx.view.setStatus(kConflictResolvedStatus + copy.mainName);
}

} // namespace

void resolveConflictClick(Context &ctx)
{
    runCommand(ctx, [&] {
        const auto id = listOfPage(ctx.state.page);
        if (!id)
            return;
        const std::vector<std::string> &names = ctx.state.list(*id).names();
        std::vector<ConflictCopy> copies;
        for (const auto &name : ctx.state.list(*id).selectedNames()) {
            if (const auto copy = parseConflictCopy(name)) {
                copies.push_back(*copy);
                continue;
            }
            for (const auto &copy : conflictCopiesOf(names, name))
                copies.push_back(copy);
        }
        if (copies.empty()) {
            ctx.ui.message(kNoConflictSelectedMessage);
            return;
        }
        for (const auto &copy : copies) {
            if (fileExists(ctx.state.lieFolder + copy.copyName))
                resolveOne(ctx, copy);
        }
        rereadLists(ctx);
    });
}

} // namespace varnok
