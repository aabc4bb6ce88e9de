#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "core/context.h"

namespace varnok {

inline constexpr char kLieEntryCaption[] = "Lie entry";
inline constexpr char kLieEntryPrompt[] = "Enter your lies!";
inline constexpr char kLieEntryProposed[] = "This is a lie";

inline constexpr char kEssayTitleCaption[] = "Essay Title";
inline constexpr char kEssayTitlePrompt[] = "Essay Title";
inline constexpr char kEssayTitleProposed[] = "Essay Title";
// The line below which the user writes; the third line of a new essay.

// The progress bar's caption while View reads.
inline constexpr char kViewCaption[] = "Reading the files...";
// Closes every file in the view: two blanks, three asterisks, then two empty lines.
inline constexpr char kViewSeparator[] = "  * * *";
// The most text View shows. A file of hundreds of megabytes would otherwise
// take several times its size in memory to be laid out on the screen.
inline constexpr std::size_t kViewShownBytes = std::size_t{64} << 20;
// Where View stops, as a note in the text and a message: the limit in MB and
// the file it stops in, then what else is left out.
inline constexpr char kViewCutMessage[] = "View shows at most %s MB: the rest of %s is not shown";
inline constexpr char kViewCutOneMore[] = ", nor is the file after it";
inline constexpr char kViewCutMore[] = ", nor are the %s files after it";

inline constexpr char kDeleteQuestion[] = "Delete %s?";
// Asked, with No as the default, after a Yes to the question above when the
// Trash cannot take the file: the name, then why (trashFailureReason).
inline constexpr char kTrashRefusedQuestion[] = "The Trash cannot take %s: %s.  Delete it for good?";
// Undo delete, for a file it cannot put back.
inline constexpr char kNotInTrashMessage[] = "%s is no longer in the Trash.";
inline constexpr char kReplacedInTrashMessage[] =
    "%s was not put back: the Trash no longer holds the file deleted from here, but another of that name.";
// The name, then where the file is kept in the Trash.
inline constexpr char kNameTakenMessage[] =
    "%s cannot be put back: a file of that name exists.  It stays in the Trash as %s; Undo delete puts it back "
    "once the name is free.";
inline constexpr char kCannotRestoreMessage[] = "%s cannot be put back from the Trash.  It stays there as %s.";
inline constexpr char kRestoredStatus[] = "Put back: ";

inline constexpr char kRenameLiesCaption[] = "Rename (Be sure to include the .lie suffix)";
inline constexpr char kRenameEssaysCaption[] = "Rename (Be sure to include the .ess suffix)";
inline constexpr char kRenameTestsCaption[] = "Rename (Be sure to include the .tst suffix)";
// Caption, From and To, as typed.
inline constexpr char kRenameQuestion[] = "%s %s to %s?";

// The lines of a new essay: the title, an empty line, "EXPLAIN YOURSELF", an empty line.
Lines newEssayLines(const std::string &title);

// "Lie entry": writes a one-line Lie named after its text, then re-reads all
// three lists, also after Cancel.
void bLiesNewClick(Context &ctx);

// "Essay Title": writes a new essay, opens it for editing and re-reads all
// three lists once the edit has ended. Cancel changes nothing.
void bEssaysNewClick(Context &ctx);

// View, for the list of the page showing: the selected files one after the
// other, each closed by the separator and two empty lines. Shown on Start Here
// when anything was read; otherwise the view is emptied and hidden. A file that
// cannot be read ends the command with the view as it was before. The reading
// is a long job, a piece at a time; Cancel also leaves the view as it was.
// Past kViewShownBytes the text stops with a note, and a message says so.
void bTestsViewClick(Context &ctx);
// The same with another limit.
void viewSelected(Context &ctx, std::size_t limit);

// Delete, for the list of the page showing: one question per selected entry;
// a Yes moves the file to the Trash, or, where the Trash cannot take it,
// deletes it after a second Yes; failures stay silent; all three lists are
// re-read.
void DeleteClick(Context &ctx);

// Undo delete: puts the files of the last Delete back from the Trash and
// selects them in the re-read lists. A file that cannot go back is named in a
// message; the others still go back. One still in the Trash but kept out by
// a file of its name stays in the undo step, for a later try.
void UndoDelete1Click(Context &ctx);
bool canUndoDelete(const AppState &state);

// Re-reads the three lists keeping their selections, for files added, removed
// or renamed by other programs (and on demand). While the lie folder itself
// is gone the lists are empty and the status line says so.
void refreshLists(Context &ctx);
// The status line's part of it: whether the lie folder is gone or back.
void noteLieFolderPresence(Context &ctx);
inline constexpr char kLieFolderGoneStatus[] = "The lie folder %s is gone.  Its lists fill again once it is back.";

// Rename, one per page: the rename dialog and a confirmation per selected
// entry; the file is never moved over another nor out of the lie folder;
// failures stay silent; the command's own list is re-read.
void bLiesRenameClick(Context &ctx);
void bEssaysRenameClick(Context &ctx);
void bTestsRenameClick(Context &ctx);

// Select all of the Lies list and of the Essays list.
void bLiesSelectAllClick(Context &ctx);
void bFunSelectAllClick(Context &ctx);

// "Save to file": the view's text, with CR LF line ends and its bytes as they
// are, to a file the person chooses; no list is re-read.
void Savetofile1Click(Context &ctx);

} // namespace varnok
