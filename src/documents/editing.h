#pragma once

#include <string>

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
// OK, when another program changed or removed the file during the edit.
inline constexpr char kChangedOnDiskQuestion[] =
    "%s was changed by another program while you edited it.  Replace it with your text?";
inline constexpr char kRemovedOnDiskQuestion[] =
    "%s was removed by another program while you edited it.  Write it again with your text?";

// The Edit buttons of the Lies, Essays and Tests pages: the list is the active
// page's; each selected file is edited in turn.
void EditClick(Context &ctx);

// Opens a file in the built-in editor and returns when the edit has ended with
// OK or Cancel; the window's events keep flowing meanwhile.
void InternalEdit(Context &ctx, const std::string &fileName);
// OK: when the file changed on disk since it was loaded, only after a Yes;
// after a No the edit stays open, so Revert can show the other text.
void bEditCommitClick(Context &ctx);
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
