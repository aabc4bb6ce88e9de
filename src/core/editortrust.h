#pragma once

#include <string>

#include "core/context.h"

namespace varnok {

// What a lie folder's own settings say is data, not permission: a folder
// received from someone else (a sync share, an archive) may name any program
// as its editor. Such a program runs only once this user has said yes to it
// on this machine, by choosing it on the Program Options page or by answering
// this question; the answer is kept in the user's own configuration folder.
inline constexpr char kRunFolderEditorQuestion[] = "This lie folder's settings start '%s' to edit documents.  Run it?";
// The file of answers in state.configFolder.
inline constexpr char kEditorAnswersFile[] = "editors";

// Whether the external editor in the options may run: Varnok's own default,
// one the person set in this run, or one the settings named and the person
// allowed. Otherwise asks, No by default, and remembers the answer for this
// folder and program.
bool externalEditorAllowed(Context &ctx);

// The person chose this editor on the Program Options page: that is consent,
// for every folder when the program is found by its full path or on the
// search path, for this folder when it is named relative to it.
void rememberChosenEditor(AppState &state, const std::string &editor);

} // namespace varnok
