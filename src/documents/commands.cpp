#include "documents/commands.h"

#include <algorithm>
#include <initializer_list>
#include <string_view>
#include <utility>
#include <vector>

#include "core/text.h"
#include "documents/conflicts.h"
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

// The pieces View reads a file in: small enough that Cancel acts at once and
// the bar moves, large enough that the calls cost nothing beside the bytes.
constexpr std::size_t kViewPiece = std::size_t{1} << 20;

// A file's bytes taken a piece at a time and appended as the lines a
// line-list reading gives, each followed by "\n": a CR LF split between two
// pieces is still one line end, and the text ends at a NUL byte.
class ViewLines {
public:
    explicit ViewLines(std::string &text) : text_(text), start_(text.size()) {}

    // False once a NUL byte has ended the file's text.
    bool take(std::string_view piece)
    {
        const char *at = piece.data();
        const char *const end = at + piece.size();
        if (lfAfterCr_ && at < end && *at == '\n')
            ++at;
        lfAfterCr_ = false;
        while (at < end) {
            const char *stop = at;
            while (stop < end && *stop != '\r' && *stop != '\0')
                ++stop;
            text_.append(at, static_cast<std::size_t>(stop - at));
            if (stop == end)
                return true;
            if (*stop == '\0')
                return false;
            text_ += '\n';
            at = stop + 1;
            if (at == end)
                lfAfterCr_ = true;
            else if (*at == '\n')
                ++at;
        }
        return true;
    }

    // A last line without its line end gets one.
    void finish()
    {
        if (text_.size() > start_ && text_.back() != '\n')
            text_ += '\n';
    }

private:
    std::string &text_;
    std::size_t start_;
    bool lfAfterCr_ = false;
};

// Cuts the view's text at the limit, never inside a UTF-8 character, which
// would make the text area take the whole text for Latin-1.
void cutAt(std::string &text, std::size_t limit)
{
    std::size_t cut = std::min(limit, text.size());
    for (int back = 0; back < 3 && cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80; ++back)
        --cut;
    text.resize(cut);
}

// "View shows at most 64 MB: the rest of Big.txt is not shown, nor are the 2
// files after it."
std::string viewCutText(std::size_t limit, const std::string &name, std::size_t filesAfter)
{
    std::string text = fillPattern(kViewCutMessage, {toDecimal(static_cast<int>(limit >> 20)), name});
    if (filesAfter == 1)
        text += kViewCutOneMore;
    else if (filesAfter > 1)
        text += formatMessage(kViewCutMore, toDecimal(static_cast<int>(filesAfter)));
    return text + ".";
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
    viewSelected(ctx, kViewShownBytes);
}

void viewSelected(Context &ctx, std::size_t limit)
{
    runCommand(ctx, [&] {
        // Built apart and shown only when every file was read, so a read
        // error or Cancel leaves the view as it was.
        std::vector<std::string> names;
        const auto id = listOfPage(ctx.state.page);
        if (id)
            names = ctx.state.list(*id).selectedNames();
        std::vector<std::string> paths;
        std::size_t total = 0;
        for (const auto &name : names) {
            paths.push_back(documentPath(ctx.state.lieFolder, name));
            total += fileSize(paths.back());
        }
        std::string text;
        std::string cut;
        const bool done = ctx.ui.runLong(kViewCaption, [&](JobProgress &progress) {
            // The bar follows the bytes read, or the text nearing the limit
            // where that comes first.
            std::size_t read = 0;
            const auto reached = [&] {
                const double bytes = total == 0 ? 0.0 : static_cast<double>(read) / static_cast<double>(total);
                return std::max(bytes, static_cast<double>(text.size()) / static_cast<double>(limit));
            };
            text.reserve(std::min(total, limit) + kViewPiece + 256);
            std::vector<char> piece(kViewPiece);
            for (std::size_t i = 0; i < names.size() && cut.empty(); ++i) {
                progress.checkpoint(reached());
                FileReader file;
                if (const Status opened = file.open(paths[i]); !opened)
                    failCannotOpen(names[i], opened.error());
                // The separators count against the limit too, so a file may
                // start beyond it; none of that one is shown then.
                const std::size_t fileStart = text.size();
                ViewLines lines(text);
                for (bool more = true; more;) {
                    std::size_t got = 0;
                    if (const Status status = file.read(piece.data(), piece.size(), got); !status)
                        failCannotOpen(names[i], status.error());
                    read += got;
                    more = got > 0 && lines.take(std::string_view(piece.data(), got));
                    if (text.size() > limit) {
                        cutAt(text, std::max(limit, fileStart));
                        cut = viewCutText(limit, names[i], names.size() - i - 1);
                        text += "\n[" + cut + "]\n";
                        break;
                    }
                    progress.checkpoint(reached());
                }
                lines.finish();
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
        std::string notes = conflictNotes(names, ctx.state.list(*id).names());
        // Where the text stops is said here too, as the note there may be far below.
        if (!cut.empty())
            notes += (notes.empty() ? "" : "\n\n") + cut;
        if (!notes.empty())
            ctx.ui.message(notes);
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
    noteLieFolderPresence(ctx);
}

void noteLieFolderPresence(Context &ctx)
{
    runCommand(ctx, [&] {
        const bool gone = !folderExists(ctx.state.lieFolder);
        const bool wasGone = std::exchange(ctx.state.lieFolderGone, gone);
        // One made again is not the one removed or moved away that this
        // process still stands in.
        if (!gone && (wasGone || currentFolder().empty()))
            setCurrentFolder(ctx.state.lieFolder);
        if (gone != wasGone)
            ctx.view.setStatus(gone ? formatMessage(kLieFolderGoneStatus, ctx.state.lieFolder) : std::string());
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
