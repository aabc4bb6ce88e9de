#pragma once

#include <optional>
#include <string>

#include "platform/clock.h"

namespace varnok {

// A file in the desktop Trash, with what it takes to put it back.
struct TrashedFile {
    std::string originalPath; // absolute
    std::string trashedPath;  // <trash>/files/<name>
    std::string infoPath;     // <trash>/info/<name>.trashinfo
    bool operator==(const TrashedFile &) const = default;
};

enum class TrashFailure {
    Gone,      // no such file (any more)
    Refused,   // its folder lets no one remove it: a delete would fail too
    NoTrash,   // no Trash can be had on the file's file system
    CannotMove // a Trash was found, but the file could not be moved into it
};

struct TrashOutcome {
    std::optional<TrashedFile> trashed;
    TrashFailure failure = TrashFailure::Gone; // when not trashed
};

// The user's home Trash as the desktop Trash convention places it:
// $XDG_DATA_HOME/Trash, or ~/.local/share/Trash. Ends in the separator.
std::string homeTrashFolder();

// Moves a file (never a folder) to the Trash as the desktop's file managers
// do, so that they can show it and put it back: the home Trash for a file on
// the home Trash's file system (made when missing), else the Trash at the top
// of the file's own file system (".Trash/<uid>" in a shared, sticky ".Trash",
// or ".Trash-<uid>"). An info file records the original path and the time of
// deletion. With homeTrash empty nothing can be trashed.
TrashOutcome moveToTrash(const std::string &path, const std::string &homeTrash, const DateTime &deletedAt);

enum class RestoreResult {
    Restored,
    Gone,      // the Trash no longer holds the file (emptied, or put back elsewhere)
    NameTaken, // a file of the original name exists again
    Failed
};

// Puts a trashed file back under its original name, never over another file,
// and removes its info file.
RestoreResult restoreFromTrash(const TrashedFile &file);

// The "Path=" value of an info file: the path with every byte but the
// unreserved characters of a URL and "/" written as %XX.
std::string percentEncodePath(const std::string &path);

} // namespace varnok
