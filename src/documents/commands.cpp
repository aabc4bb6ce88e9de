#include "documents/commands.h"

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <string_view>

#include "core/text.h"
#include "documents/documents.h"
#include "documents/editing.h"
#include "platform/files.h"
#include "platform/textfile.h"
#include "platform/trash.h"

namespace varnok {

namespace {

// Fills the "%s" of a pattern one after the other; a value holding "%s"
// itself is never filled again.
std::string fillPattern(std::string_view pattern, std::initializer_list<std::string_view> values)
{
    std::string result;
    auto value = values.begin();
    std::size_t i = 0;
    while (i < pattern.size()) {
        if (value != values.end() && pattern.compare(i, 2, "%s") == 0) {
            result += *value++;
            i += 2;
        } else {
            result += pattern[i++];
        }
    }
    return result;
}

// Appends a file's bytes as the lines a line-list reading gives, each followed
// by "\n", without building the list first: viewing a large file stays linear
// in its size and holds it only twice. The next CR and the next LF are each
// searched for only once they have been passed, so the scan stays linear also
// for a file that holds only one kind of break.
void appendLines(std::string &text, std::string_view bytes)
{
    const auto nul = bytes.find('\0');
    if (nul != std::string_view::npos)
        bytes = bytes.substr(0, nul);
    text.reserve(text.size() + bytes.size() + 16);
    const char *const begin = bytes.data();
    const char *const end = begin + bytes.size();
    const auto nextOf = [end](const char *from, char c) {
        const void *found = from < end ? std::memchr(from, c, static_cast<std::size_t>(end - from)) : nullptr;
        return found ? static_cast<const char *>(found) : end;
    };
    const char *nextCr = nextOf(begin, '\r');
    const char *nextLf = nextOf(begin, '\n');
    const char *start = begin;
    while (start < end) {
        if (nextCr < start)
            nextCr = nextOf(start, '\r');
        if (nextLf < start)
            nextLf = nextOf(start, '\n');
        const char *lineEnd = std::min(nextCr, nextLf);
        text.append(start, static_cast<std::size_t>(lineEnd - start));
        text += '\n';
        if (lineEnd == end)
            return;
        start = lineEnd + 1;
        if (*lineEnd == '\r' && start < end && *start == '\n')
            ++start;
    }
}

// A name that stays a file inside the lie folder: a cleaned To text can no
// longer hold a separator, but it can still be empty, "." or "..", which name
// the folder itself or its parent.
bool isNameInFolder(std::string_view name)
{
    return !name.empty() && name != "." && name != "..";
}

void renameEach(Context &ctx, ListId id, const char *caption);

void renameSelected(Context &ctx, ListId id, const char *caption)
{
    runCommand(ctx, [&] { renameEach(ctx, id, caption); });
    // Renames done before a failure show too.
    runCommand(ctx, [&] { rereadList(ctx, id); });
}

void renameEach(Context &ctx, ListId id, const char *caption)
{
    for (const auto &name : ctx.state.list(id).selectedNames()) {
        const auto answer = ctx.ui.askRename(caption, ctx.state.lieFolder, name);
        if (!answer || answer->to.empty())
            continue;
        if (!ctx.ui.confirm(fillPattern(kRenameQuestion, {caption, answer->from, answer->to})))
            continue;
        const std::string target = CleanFileName(ctx.state.lieFolder, answer->to);
        if (!isNameInFolder(std::string_view(target).substr(ctx.state.lieFolder.size())))
            continue;
        // The From text may be edited too, but it still names a file of the
        // lie folder: a path there must not pull a file in from elsewhere.
        if (!isNameInFolder(answer->from) || answer->from.find(kSeparator) != std::string::npos)
            continue;
        // Failures (the name is taken, the From file is gone) are not reported.
        renameNoReplace(documentPath(ctx.state.lieFolder, answer->from), target);
    }
}

} // namespace

Lines newEssayLines(const std::string &title)
{
    return Lines{title, "", kExplainYourself, ""};
}

void bLiesNewClick(Context &ctx)
{
    runCommand(ctx, [&] {
        const auto text = ctx.ui.inputText(kLieEntryCaption, kLieEntryPrompt, kLieEntryProposed);
        if (text)
            writeLinesOrFail(documentPathFromText(ctx.state.lieFolder, *text, kLieExtension), Lines{*text});
        // A folder of a hundred thousand Lies takes a while to read.
        if (!ctx.view.rereadListsAside())
            rereadLists(ctx);
    });
}

void bEssaysNewClick(Context &ctx)
{
    runCommand(ctx, [&] {
        const auto title = ctx.ui.inputText(kEssayTitleCaption, kEssayTitlePrompt, kEssayTitleProposed);
        if (!title)
            return;
        const std::string path = documentPathFromText(ctx.state.lieFolder, *title, kEssayExtension);
        writeLinesOrFail(path, newEssayLines(*title));
        openForEdit(ctx, path);
        rereadLists(ctx);
    });
}

void bTestsViewClick(Context &ctx)
{
    runCommand(ctx, [&] {
        // Built apart and shown only when every file was read, so a read
        // error or Cancel leaves the view as it was.
        std::vector<std::string> names;
        if (const auto id = listOfPage(ctx.state.page))
            names = ctx.state.list(*id).selectedNames();
        std::string text;
        const bool done = ctx.ui.runLong(kViewCaption, [&](JobProgress &progress) {
            const double share = 1.0 / static_cast<double>(names.size());
            for (std::size_t i = 0; i < names.size(); ++i) {
                progress.checkpoint(static_cast<double>(i) * share);
                const std::string bytes = readDocumentInJob(documentPath(ctx.state.lieFolder, names[i]), names[i],
                                                            progress, static_cast<double>(i) * share, share);
                appendLines(text, bytes);
                text += kViewSeparator;
                text += "\n\n\n";
            }
            // A Cancel while the last file was taken in still counts.
            progress.checkpoint(1.0);
        });
        if (!done)
            return;
        if (text.empty()) {
            ctx.view.setMemoText({});
            ctx.view.showMemo(false);
            return;
        }
        // Lines are joined, not ended, by "\n".
        text.pop_back();
        ctx.view.setMemoText(std::move(text));
        ctx.view.setPage(Page::Ask);
        ctx.view.showMemo(true);
    });
}

void DeleteClick(Context &ctx)
{
    std::vector<TrashedFile> trashed;
    runCommand(ctx, [&] {
        if (const auto id = listOfPage(ctx.state.page)) {
            for (const auto &name : ctx.state.list(*id).selectedNames()) {
                if (!ctx.ui.confirm(formatMessage(kDeleteQuestion, name)))
                    continue;
                // The exact listed name: when that file is gone, another whose
                // name differs only in case was not asked about and stays.
                const std::string path = ctx.state.lieFolder + name;
                const TrashOutcome outcome = moveToTrash(path, ctx.state.homeTrash, ctx.clock.now());
                if (outcome.trashed) {
                    trashed.push_back(*outcome.trashed);
                    continue;
                }
                // A file that could not be deleted either stays, without a word.
                if (outcome.failure == TrashFailure::Gone || outcome.failure == TrashFailure::Refused)
                    continue;
                if (ctx.ui.confirmDefaultNo(fillPattern(kTrashRefusedQuestion, {name, trashFailureReason(outcome)})))
                    removeFile(path);
            }
        }
    });
    // Files trashed before a failure can be put back as well.
    if (!trashed.empty())
        ctx.state.deleted.push_back(std::move(trashed));
    // Files deleted before a failure are gone from the lists too.
    runCommand(ctx, [&] { rereadLists(ctx); });
}

bool canUndoDelete(const AppState &state)
{
    return !state.deleted.empty();
}

void UndoDelete1Click(Context &ctx)
{
    if (ctx.state.deleted.empty())
        return;
    const std::vector<TrashedFile> files = std::move(ctx.state.deleted.back());
    ctx.state.deleted.pop_back();
    std::vector<std::string> restored;
    // What is still in the Trash, ours, stays undoable: an error midway
    // keeps the files not yet tried as well.
    std::vector<TrashedFile> kept;
    std::size_t tried = 0;
    runCommand(ctx, [&] {
        for (; tried < files.size(); ++tried) {
            const TrashedFile &file = files[tried];
            const std::string name = baseName(file.originalPath);
            switch (restoreFromTrash(file)) {
            case RestoreResult::Restored:
                restored.push_back(name);
                break;
            case RestoreResult::Gone:
                ctx.ui.message(formatMessage(kNotInTrashMessage, name));
                break;
            case RestoreResult::Replaced:
                ctx.ui.message(formatMessage(kReplacedInTrashMessage, name));
                break;
            case RestoreResult::NameTaken:
                kept.push_back(file);
                ctx.ui.message(fillPattern(kNameTakenMessage, {name, file.trashedPath}));
                break;
            case RestoreResult::Failed:
                kept.push_back(file);
                ctx.ui.message(fillPattern(kCannotRestoreMessage, {name, file.trashedPath}));
                break;
            }
        }
    });
    for (std::size_t i = tried; i < files.size(); ++i)
        if (kept.empty() || !(kept.back() == files[i]))
            kept.push_back(files[i]);
    if (!kept.empty())
        ctx.state.deleted.push_back(std::move(kept));
    // Files put back before a failure show, selected, too.
    runCommand(ctx, [&] {
        rereadLists(ctx);
        for (const ListId id : {ListId::Lies, ListId::Essays, ListId::Tests}) {
            ctx.state.list(id).selectNames(restored);
            ctx.view.listChanged(id);
        }
        if (!restored.empty()) {
            std::string status = kRestoredStatus;
            for (std::size_t i = 0; i < restored.size(); ++i)
                status += (i ? ", " : "") + restored[i];
            ctx.view.setStatus(status);
        }
    });
}

void refreshLists(Context &ctx)
{
    runCommand(ctx, [&] {
        const std::vector<std::string> files = filesOfLists(ctx.state);
        for (const ListId id : {ListId::Lies, ListId::Essays, ListId::Tests})
            if (ctx.state.list(id).refreshFrom(files))
                ctx.view.listChanged(id);
    });
}

void bLiesRenameClick(Context &ctx)
{
    renameSelected(ctx, ListId::Lies, kRenameLiesCaption);
}

void bEssaysRenameClick(Context &ctx)
{
    renameSelected(ctx, ListId::Essays, kRenameEssaysCaption);
}

void bTestsRenameClick(Context &ctx)
{
    renameSelected(ctx, ListId::Tests, kRenameTestsCaption);
}

void bLiesSelectAllClick(Context &ctx)
{
    ctx.state.lies.selectAll();
    ctx.view.listChanged(ListId::Lies);
}

void bFunSelectAllClick(Context &ctx)
{
    ctx.state.essays.selectAll();
    ctx.view.listChanged(ListId::Essays);
}

void Savetofile1Click(Context &ctx)
{
    runCommand(ctx, [&] {
        const auto chosen = ctx.ui.saveTextFile(ctx.state.lieFolder);
        if (!chosen)
            return;
        if (!writeFileAtomic(*chosen, bytesFromMemoText(ctx.view.memoText())))
            failCannotCreate(*chosen);
    });
}

} // namespace varnok
