#pragma once

#include <optional>
#include <string>
#include <vector>

namespace varnok {

// The name of the help file of Read me.
inline constexpr char kHelpFileName[] = "QZHelp.rtf";

// The help file Read me shows: the one beside the program (in any letter
// case) when there is one, so a build or an unpacked copy shows its own, else
// the first one an install put below a shared data folder. Empty when there
// is none, and Read me shows the built-in text. Both folders end in the
// separator; the lie folder is never searched.
std::optional<std::string> findHelpFile(const std::string &programFolder, const std::vector<std::string> &dataFolders);

} // namespace varnok
