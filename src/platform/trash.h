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
    // What the info file said and which file was moved, so that putting back
    // can tell the entry from another that took its name meanwhile.
    std::string infoText;
    unsigned long long device = 0;
    unsigned long long inode = 0;
    bool operator==(const TrashedFile &) const = default;
};

enum class TrashFailure {
    Gone,      // no such file (any more)
    Refused,   // its folder lets no one remove it: a delete would fail too
    NoHome,    // no home folder, so no Trash of this user's anywhere
    NoTrash,   // no Trash can be had on the file's file system
    DiskFull,  // the Trash's file system has no room for the info file
    CannotMove // a Trash was found, but the file could not be moved into it
};

struct TrashOutcome {
    std::optional<TrashedFile> trashed;
    TrashFailure failure = TrashFailure::Gone; // when not trashed
    int error = 0;                             // errno of a CannotMove
};

// Why the Trash refused a file, as the end of a sentence: "there is no Trash
// on its file system", "the disk is full", ...
std::string trashFailureReason(const TrashOutcome &outcome);

// The user's home Trash as the desktop Trash convention places it:
// $XDG_DATA_HOME/Trash, or ~/.local/share/Trash (the account's home when
// HOME is unset). Ends in the separator; empty without any home.
std::string homeTrashFolder();

// Moves a file (never a folder) to the Trash as the desktop's file managers
// do, so that they can show it and put it back: the home Trash for a file on
// the home Trash's file system (made when missing), else the Trash at the top
// of the file's own file system (".Trash/<uid>" in a shared, sticky ".Trash",
// or ".Trash-<uid>"). An info file records the original path and the time of
// deletion. A name too long to have its info file beside it is shortened in
// the Trash; the info file keeps the whole path. A Trash folder of ours that
// others may read or write is made ours alone first. With homeTrash empty
// nothing can be trashed.
TrashOutcome moveToTrash(const std::string &path, const std::string &homeTrash, const DateTime &deletedAt);

enum class RestoreResult {
    Restored,
    Gone,      // the Trash no longer holds the file (emptied, or put back elsewhere)
    NameTaken, // a file of the original name exists again
    Replaced,  // the entry in the Trash is no longer the file deleted
    Failed
};

// Puts a trashed file back under its original name, never over another file,
// and removes its info file. Only the very file that was trashed goes back:
// its info file must still say what it said, and the file be the one moved.
RestoreResult restoreFromTrash(const TrashedFile &file);

// The "Path=" value of an info file: the path with every byte but the
// unreserved characters of a URL and "/" written as %XX.
std::string percentEncodePath(const std::string &path);

} // namespace varnok
