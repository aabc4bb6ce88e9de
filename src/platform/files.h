#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/clock.h"
#include "platform/status.h"

namespace varnok {

// The folder separator of this platform; every folder path the program keeps ends in it.
inline constexpr char kSeparator = '/';

bool fileExists(const std::string &path); // anything but a folder
bool folderExists(const std::string &path);
// A folder in which the current user may create and replace files.
bool folderWritable(const std::string &path);

// Creates a folder and every missing parent. Folders made here are private to
// their owner (0700): the lie folder is a journal.
Status createFolders(const std::string &path);

Status removeFile(const std::string &path);

// Renames without ever replacing: fails when the target exists, also when an
// existing name differs from it only in letter case.
Status renameNoReplace(const std::string &from, const std::string &to);

// Names in the lie folder compare without regard to letter case. When no file
// has exactly this name but one differs from it only in case, returns that
// file's path; otherwise the path as given.
std::string resolveNoCase(const std::string &path);

// resolveNoCase for many names of one folder, which is read once rather than
// once for every name that has no file of exactly its spelling.
class FolderNamesNoCase {
public:
    explicit FolderNamesNoCase(const std::string &folder);
    // The path resolveNoCase(folder + name) gives, as the folder stood when read.
    std::string resolve(const std::string &name) const;

private:
    std::string folder_;
    std::unordered_set<std::string> exact_;
    // By the name in lower case, the first such name the folder listed.
    std::unordered_map<std::string, std::string> folded_;
};

// Case-insensitive comparison for ordering names and texts: ASCII letters
// compare without case, everything else by its byte value; equal texts are
// then ordered by their bytes so the order is total.
int compareNoCase(std::string_view a, std::string_view b);
bool lessNoCase(std::string_view a, std::string_view b);
bool equalNoCase(std::string_view a, std::string_view b);

// "*" any run, "?" any one character, case ignored; patterns separated by ";".
bool matchesMask(std::string_view name, std::string_view mask);

// The plain files of a folder matching the mask, bare names, in list order,
// whatever their first character. The program's own temporary files are
// left out.
std::vector<std::string> listFolder(const std::string &folder, std::string_view mask);
// The same in the order the folder gives them.
std::vector<std::string> listFolderUnordered(const std::string &folder, std::string_view mask);

// The size of a file in bytes; 0 when it cannot be found.
std::size_t fileSize(const std::string &path);
// The same, empty when nothing is found at the path (links followed).
std::optional<std::size_t> foundFileSize(const std::string &path);

// When the file was last changed, in local time to the second; empty when it
// cannot be found.
std::optional<DateTime> fileModifiedTime(const std::string &path);

// Whether the folder's entries can be listed.
Status canListFolder(const std::string &path);

std::string currentFolder();
Status setCurrentFolder(const std::string &path);

// The folder of the running program file, ending in the separator.
std::string programFolder();

// The program's own folder below a data folder, the per-user one and each
// shared one.
inline constexpr char kDataSubfolder[] = "varnok/";

// The user's home folder: $HOME, or else the password database's entry for
// this user. Empty when neither names one.
std::optional<std::string> homeFolder();
// The user's own configuration folder for Varnok: $XDG_CONFIG_HOME/varnok/,
// else ~/.config/varnok/. Ends in the separator.
std::optional<std::string> userConfigFolder();

// The per-user data folder of this program, ending in the separator:
// $XDG_DATA_HOME/varnok/ when that is an absolute path, else
// <home>/.local/share/varnok/. Empty without a home folder, as no shared
// place such as /tmp will do for a private journal.
std::optional<std::string> userDataFolder();
std::optional<std::string> userDataFolderFor(const char *xdgDataHome, const std::optional<std::string> &home);

// The shared data folders to search, each ending in the separator: the
// absolute entries of $XDG_DATA_DIRS, or /usr/local/share/ and /usr/share/
// when it is unset or empty.
std::vector<std::string> systemDataFolders();
std::vector<std::string> systemDataFoldersFor(const char *xdgDataDirs);

std::string withTrailingSeparator(std::string path);
std::string baseName(std::string_view path);

} // namespace varnok
