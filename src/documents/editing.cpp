#include "documents/editing.h"

#include <cerrno>

#include "core/editortrust.h"
#include "core/text.h"
#include "documents/conflicts.h"
#include "documents/documents.h"
#include "platform/files.h"
#include "platform/textfile.h"

namespace varnok {

namespace {

enum class Load { Done, Unreadable, TooLarge, HoldsNul, LineTooLong };

bool holdsLineLongerThan(std::string_view bytes, std::size_t limit)
{
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find_first_of("\r\n", start);
        if (end == std::string_view::npos)
            end = bytes.size();
        if (end - start > limit)
            return true;
        start = end + 1;
    }
    return false;
}

// Loads the edited file into the text area. A file that cannot be read, or
// whose text would end at a NUL byte, leaves nothing in the area that could
// be written over it.
Load loadEditedFile(Context &ctx)
{
    std::string bytes;
    if (const Status read = readFileBytes(documentPath(ctx.state.lieFolder, ctx.state.edit.editFileName), bytes); !read)
        return read.error() == EFBIG ? Load::TooLarge : Load::Unreadable;
    if (bytes.find('\0') != std::string::npos)
        return Load::HoldsNul;
    if (holdsLineLongerThan(bytes, kLongestShownLine))
        return Load::LineTooLong;
    ctx.view.setMemoText(memoTextFromBytes(bytes));
    ctx.state.edit.loadedBytes = std::move(bytes);
    return Load::Done;
}

enum class OnDisk { AsLoaded, Changed, Removed };

// What the edited file holds now; its bytes when changed.
OnDisk editedFileOnDisk(const Context &ctx, std::string &bytes)
{
    const std::string path = documentPath(ctx.state.lieFolder, ctx.state.edit.editFileName);
    // Only a name that is gone is asked about; anything else in the way
    // (a folder, a file without read permission) the write reports.
    if (const Status read = readFileBytes(path, bytes); !read)
        return read.error() == ENOENT ? OnDisk::Removed : OnDisk::AsLoaded;
    return bytes == ctx.state.edit.loadedBytes ? OnDisk::AsLoaded : OnDisk::Changed;
}

std::string folderOf(const std::string &path)
{
    const auto cut = path.rfind(kSeparator);
    return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

// The lists take in a file the editor made, keeping what is selected.
void showNewFile(Context &ctx)
{
    for (ListId id : {ListId::Lies, ListId::Essays, ListId::Tests})
        if (ctx.state.list(id).refresh(ctx.state.lieFolder))
            ctx.view.listChanged(id);
}

enum class Committed { Written, KeptOnDisk, Open };

// OK on a file another program changed meanwhile. What is on disk stays
// unless the person says otherwise; the person's text is never dropped.
Committed commitOverChange(Context &ctx, const std::string &path, const std::string &disk)
{
    EditState &edit = ctx.state.edit;
    const std::string shown = shownFileName(edit.editFileName);
    const std::string mine = ctx.view.memoText();
    if (mine == edit.loadedText) {
        // Nothing typed here would be lost: the other program's text stands.
        ctx.view.setStatus(kKeptOnDiskStatus + shown);
        return Committed::KeptOnDisk;
    }
    const auto joined = joinedBelow(edit.loadedBytes, disk, edit.loadedText, mine);
    const std::string folder = folderOf(path);
    const std::string copy =
        joined ? std::string()
               : besideCopyName(shown, ctx.clock.now(), [&](const std::string &n) { return fileExists(folder + n); });
    const std::string question = formatMessage(kChangedOnDiskQuestion, shown) + "\n\n" +
                                 (joined ? std::string(kKeepBothJoins) : kKeepBothCopies + copy + ".") + "\n" +
                                 kReplaceWarning;
    switch (ctx.ui.askChangedFile(question)) {
    case ChangedFileAnswer::KeepEditing:
        return Committed::Open;
    case ChangedFileAnswer::Replace:
        if (!writeFileAtomic(path, bytesFromMemoText(mine)))
            failCannotCreate(edit.editFileName);
        ctx.view.setStatus(kFileUpdatedStatus + shown);
        return Committed::Written;
    case ChangedFileAnswer::KeepBoth:
        break;
    }
    if (joined) {
        // Written only if the file is still as it was read for the question.
        std::string now;
        if (!readFileBytes(path, now) || now != disk)
            return Committed::Open;
        if (const Status written = writeFileAtomic(path, *joined); !written)
            failCannotCreate(edit.editFileName, written);
        ctx.view.setStatus(kJoinedStatus + shown);
        return Committed::Written;
    }
    if (fileExists(folder + copy))
        failCannotCreate(copy, Status::failed(EEXIST));
    if (const Status written = writeFileAtomic(folder + copy, bytesFromMemoText(mine)); !written)
        failCannotCreate(copy, written);
    showNewFile(ctx);
    ctx.view.setStatus(kCopiedStatus + copy);
    return Committed::Written;
}

// Why a file that could be read is not edited here.
std::string notEditableText(Load load, const std::string &fileName)
{
    return errorReportText(
        formatMessage(load == Load::HoldsNul ? kHoldsNulMessage : kLineTooLongMessage, shownFileName(fileName)));
}

void leaveEditing(Context &ctx)
{
    ctx.state.edit.editInProgress = false;
    ctx.state.edit.loaded = false;
    ctx.state.edit.loadedText.clear();
    ctx.state.edit.loadedBytes.clear();
    ctx.view.setMemoWritable(false);
    ctx.view.setEditing(false);
    ctx.view.setMemoText({});
}

} // namespace

void InternalEdit(Context &ctx, const std::string &fileName)
{
    ctx.view.setEditing(true);
    ctx.state.edit.editInProgress = true;
    ctx.state.edit.editFileName = fileName;
    ctx.state.edit.loaded = false;
    ctx.view.setPage(Page::Ask);
    ctx.view.showMemo(true);
    const Load load = loadEditedFile(ctx);
    if (load != Load::Done) {
        // Nothing from this file is in the area: end the edit at once rather
        // than offer to write a text that did not come from it.
        leaveEditing(ctx);
        ctx.view.showMemo(false);
        if (load == Load::Unreadable || load == Load::TooLarge)
            failCannotOpen(fileName, load == Load::TooLarge ? EFBIG : 0);
        // Not an error of the command: the next file, or the rest of a
        // review, goes on.
        ctx.ui.error(notEditableText(load, fileName));
        return;
    }
    ctx.state.edit.loaded = true;
    ctx.view.setMemoWritable(true);
    ctx.state.edit.loadedText = ctx.view.memoText();
    ctx.view.focusMemoAtEnd();
    ctx.view.setStatus(kEditingStatus + shownFileName(fileName));
    ctx.ui.waitWhile([&ctx] { return ctx.state.edit.editInProgress; });
    ctx.view.showMemo(false);
}

void bEditCommitClick(Context &ctx)
{
    runCommand(ctx, [&] {
        if (!ctx.state.edit.editInProgress || !ctx.state.edit.loaded)
            return;
        const std::string shown = shownFileName(ctx.state.edit.editFileName);
        const std::string path = documentPath(ctx.state.lieFolder, ctx.state.edit.editFileName);
        std::string disk;
        switch (editedFileOnDisk(ctx, disk)) {
        case OnDisk::AsLoaded:
            break;
        case OnDisk::Changed:
            if (commitOverChange(ctx, path, disk) == Committed::Open)
                return;
            leaveEditing(ctx);
            return;
        case OnDisk::Removed:
            if (!ctx.ui.confirm(formatMessage(kRemovedOnDiskQuestion, shown)))
                return;
            break;
        }
        if (!writeFileAtomic(path, bytesFromMemoText(ctx.view.memoText())))
            failCannotCreate(ctx.state.edit.editFileName);
        const std::string name = ctx.state.edit.editFileName;
        leaveEditing(ctx);
        ctx.view.setStatus(kFileUpdatedStatus + shownFileName(name));
    });
}

void bEditRevertClick(Context &ctx)
{
    runCommand(ctx, [&] {
        if (!ctx.state.edit.editInProgress)
            return;
        if (ctx.state.edit.loaded && ctx.view.memoText() != ctx.state.edit.loadedText &&
            !ctx.ui.confirmDefaultNo(formatMessage(kRevertQuestion, shownFileName(ctx.state.edit.editFileName))))
            return;
        const Load load = loadEditedFile(ctx);
        switch (load) {
        case Load::Done:
            break;
        case Load::Unreadable:
            failCannotOpen(ctx.state.edit.editFileName);
        case Load::TooLarge:
            failCannotOpen(ctx.state.edit.editFileName, EFBIG);
        case Load::HoldsNul:
        case Load::LineTooLong:
            throw CommandError(notEditableText(load, ctx.state.edit.editFileName));
        }
        ctx.state.edit.loaded = true;
        ctx.view.setEditing(true);
        ctx.view.setMemoWritable(true);
        ctx.state.edit.loadedText = ctx.view.memoText();
        ctx.view.setStatus(kFileRestoredStatus + shownFileName(ctx.state.edit.editFileName));
    });
}

void bEditCancelClick(Context &ctx)
{
    if (!ctx.state.edit.editInProgress)
        return;
    leaveEditing(ctx);
    ctx.view.setStatus(kChangesCanceledStatus + shownFileName(ctx.state.edit.editFileName));
}

std::string besideCopyName(const std::string &name, const DateTime &now,
                           const std::function<bool(const std::string &)> &taken)
{
    const auto dot = name.rfind('.');
    const std::string stem = dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
    const std::string extension = stem.size() == name.size() ? std::string() : name.substr(dot);
    std::string stamp = dateStamp(now);
    while (!stamp.empty() && stamp.back() == ' ')
        stamp.pop_back();
    std::string candidate = stem + " (copy " + stamp + ")" + extension;
    for (int number = 2; taken(candidate); ++number)
        candidate = stem + " (copy " + stamp + " " + toDecimal(number) + ")" + extension;
    return candidate;
}

std::optional<std::string> joinedBelow(std::string_view loaded, std::string_view disk, std::string_view loadedMemo,
                                       std::string_view mine)
{
    if (disk.size() <= loaded.size() || !disk.starts_with(loaded) || !mine.starts_with(loadedMemo))
        return std::nullopt;
    std::string joined(disk);
    const std::string added = bytesFromMemoText(mine.substr(loadedMemo.size()));
    if (!joined.ends_with('\n') && !joined.ends_with('\r') && !added.starts_with("\r\n"))
        joined += "\r\n";
    joined += added;
    return joined;
}

std::string editorCommandLine(const std::string &editor, const std::string &fileName)
{
    return editor + " \"" + fileName + "\"";
}

std::string editorTextForProgram(const std::string &path)
{
    if (path.find_first_of(" \t") == std::string::npos)
        return path;
    return '"' + path + '"';
}

void openForEdit(Context &ctx, const std::string &fileName)
{
    noteConflictCopies(ctx, fileName);
    // A folder's own editor that the person would not run: the file is
    // still opened, in the built-in editor.
    if (ctx.state.options.useInternalEditor || !externalEditorAllowed(ctx))
        InternalEdit(ctx, fileName);
    else
        ExecAndWait(ctx, fileName);
}

void EditClick(Context &ctx)
{
    runCommand(ctx, [&] {
        const auto id = listOfPage(ctx.state.page);
        if (!id)
            return;
        for (const auto &name : ctx.state.list(*id).selectedNames()) {
            if (ctx.state.closing)
                return;
            openForEdit(ctx, name);
        }
    });
}

bool pageChangeAllowed(Context &ctx)
{
    if (!ctx.state.edit.editInProgress)
        return true;
    ctx.ui.message(kFinishEditsMessage);
    return false;
}

bool endEditForClose(Context &ctx)
{
    if (!ctx.state.edit.editInProgress)
        return true;
    if (!ctx.state.edit.loaded || ctx.view.memoText() == ctx.state.edit.loadedText) {
        leaveEditing(ctx);
        return true;
    }
    switch (ctx.ui.askSaveEdit(shownFileName(ctx.state.edit.editFileName))) {
    case SaveAnswer::Cancel:
        return false;
    case SaveAnswer::Save:
        bEditCommitClick(ctx);
        // A failed write keeps the edit open, and the window with it.
        return !ctx.state.edit.editInProgress;
    case SaveAnswer::Discard:
        break;
    }
    leaveEditing(ctx);
    return true;
}

} // namespace varnok
