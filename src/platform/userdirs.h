#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace varnok {

// The user's documents folder as the desktop names it: XDG_DOCUMENTS_DIR in
// user-dirs.dirs of the configuration folder ($XDG_CONFIG_HOME, else
// ~/.config), which holds lines such as
//
//   XDG_DOCUMENTS_DIR="$HOME/Documents"
//
// A value is "$HOME/..." or an absolute path, in double quotes. Without such a
// line, or when it names the home folder itself, the home folder. Ends in the
// separator; empty without a home folder.
std::optional<std::string> documentsFolderFor(std::string_view userDirs, const std::optional<std::string> &home);

// documentsFolderFor over this user's file; the home folder when the named
// folder does not exist.
std::optional<std::string> userDocumentsFolder();

} // namespace varnok
