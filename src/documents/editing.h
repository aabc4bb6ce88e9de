#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/context.h"

namespace varnok {

inline constexpr char kEditingStatus[] = "Editing: ";
inline constexpr char kFileUpdatedStatus[] = "File Updated: ";
inline constexpr char kFileRestoredStatus[] = "File restored: ";
inline constexpr char kChangesCanceledStatus[] = "Changes canceled: ";
// The built-in editor shows a text up to its first NUL byte, so saving would
// drop the rest; such a file is left to an external editor.
inline constexpr char kHoldsNulMessage[] =
    "The file %s holds a NUL byte; the built-in editor would lose everything after it. Please edit it with an "
    "external editor.";
// The text area shows only the first part of a very long line; saving would
// drop the rest.
inline constexpr char kLineTooLongMessage[] =
    "The file %s has a line too long to edit safely in the built-in editor. Please edit it with an external editor.";
inline constexpr char kFinishEditsMessage[] = "Please finish your edits by pressing OK or Cancel";
// OK, when another program changed or removed the file during the edit. A
// changed file is kept as it is by default; the person's text then goes below
// it or into a copy beside it, as the question says.
inline constexpr char kChangedOnDiskQuestion[] = "%s was changed by another program while you edited it.";
inline constexpr char kKeepBothJoins[] = "Keep both: the file stays as it is now, with your additions below it.";
inline constexpr char kKeepBothCopies[] =
    "Keep both: the file stays as it is now, and your text is saved beside it as ";
inline constexpr char kReplaceWarning[] = "Replace: your text takes the place of the other program's.";
inline constexpr char kRemovedOnDiskQuestion[] =
    "%s was removed by another program while you edited it.  Write it again with your text?";
inline constexpr char kKeptOnDiskStatus[] = "Kept as the other program left it: ";
inline constexpr char kJoinedStatus[] = "Your additions joined below the other program's text: ";
inline constexpr char kCopiedStatus[] = "Your text saved beside it as ";
inline constexpr char kRevertQuestion[] = "Revert drops what you changed in %s since it was loaded.  Revert anyway?";

// The name a text kept beside a document gets: the document's name with
// " (copy <date stamp>)" before its extension, so the list shows it next to
// the document with the same extension; a number follows when taken.
std::string besideCopyName(const std::string &name, const DateTime &now,
                           const std::function<bool(const std::string &)> &taken);

// The person's additions joined below what another program left, when that
// program only added to the text loaded and the person only added to it too;
// nothing otherwise. loaded and disk are the file's bytes, mine the text area's.
std::optional<std::string> joinedBelow(std::string_view loaded, std::string_view disk, std::string_view loadedMemo,
                                       std::string_view mine);

// The Edit buttons of the Lies, Essays and Tests pages: the list is the active
// page's; each selected file is edited in turn.
void EditClick(Context &ctx);

// Opens a file in the built-in editor and returns when the edit has ended with
// OK or Cancel; the window's events keep flowing meanwhile.
void InternalEdit(Context &ctx, const std::string &fileName);
// OK: when the file changed on disk since it was loaded, the person chooses
// between keeping both texts (the default), replacing the file, and going
// back to the edit.
void bEditCommitClick(Context &ctx);
// Revert: typing not yet saved is dropped only after a question whose
// default keeps it.
void bEditRevertClick(Context &ctx);
void bEditCancelClick(Context &ctx);

// The external editor's command line for a file: the editor text, a blank and
// the name in double quotes.
std::string editorCommandLine(const std::string &editor, const std::string &fileName);

// The Editor text for a program chosen by its path: the editor text is split
// at blanks and tabs when it starts, so a path holding one is quoted.
std::string editorTextForProgram(const std::string &path);

// Starts the external editor on a file, with the lie folder as its current
// folder, and waits for it to end. An editor that cannot be started is reported.
void ExecAndWait(Context &ctx, const std::string &fileName);

// Opens a file for change in the editor the options choose.
void openForEdit(Context &ctx, const std::string &fileName);

// The page guard: true when the page may change; otherwise the person is told
// to finish the edit and the caller goes back to Start Here.
bool pageChangeAllowed(Context &ctx);

// The window is closing: an open edit is saved or discarded as the person
// says. False when the person chose to keep the window open.
bool endEditForClose(Context &ctx);

} // namespace varnok
