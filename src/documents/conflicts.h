#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/context.h"

namespace varnok {

// A sync tool that meets two versions of a file keeps one under the file's
// name and the other beside it as "<base>.sync-conflict-<yyyymmdd>-<hhmmss>-<device><ext>".
struct ConflictCopy {
    std::string copyName;
    std::string mainName;
    DateTime when;
};

// The copy's file and date when the name is such a copy.
std::optional<ConflictCopy> parseConflictCopy(std::string_view name);

// The conflict copies of a file among a folder's names, oldest first.
std::vector<ConflictCopy> conflictCopiesOf(const std::vector<std::string> &names, std::string_view mainName);
// The same, looking in the folder.
std::vector<ConflictCopy> conflictCopiesInFolder(const std::string &folder, std::string_view mainName);

// "Money.ess has a conflict copy from 2026-12-09 11:46"
std::string conflictNoteText(const ConflictCopy &copy);
// What the lists show beside a conflict copy.
std::string conflictCopyHint(const ConflictCopy &copy);

// What the person is told on opening files: which are conflict copies and
// which have copies among the names (a folder's or a list's); one per line.
std::string conflictNotes(const std::vector<std::string> &opened, const std::vector<std::string> &names);
// Tells the person, once per opening, that the file is a conflict copy or has one.
void noteConflictCopies(Context &ctx, const std::string &name);

// An essay in blocks: what comes before its first response line, then each
// response block from the empty line before its response line on.
std::vector<std::string> essayBlocks(std::string_view memoText);

// The main file's text with the copy's blocks it lacks appended, in the
// copy's order; both texts with "\n" line ends.
std::string joinMissingBlocks(std::string_view mainText, std::string_view copyText);

inline constexpr char kNoConflictSelectedMessage[] =
    "Select a conflict copy (a name holding \".sync-conflict-\"), or the file it belongs to, to resolve it.";
inline constexpr char kConflictMainGoneMessage[] =
    "%s has no file of its own any more; rename the copy if you want to keep it.";
inline constexpr char kConflictResolvedStatus[] = "Conflict resolved: ";
inline constexpr char kConflictTrashFailedMessage[] =
    "The conflict copy %s could not be moved to the Trash; it was left where it is.";

// Resolves the conflict copies of the selected files of the active page: the
// person sees each copy beside its file and keeps one, or joins the copy's
// blocks the file lacks; the copy, or the file it replaces, goes to the Trash.
void resolveConflictClick(Context &ctx);

} // namespace varnok
