#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/status.h"

namespace varnok {

using Lines = std::vector<std::string>;

// Documents are bytes. These helpers never change a byte they were not asked to.

// Splits text into lines at CR LF, a lone CR or a lone LF. A NUL byte ends the
// text, a break at the very end makes no extra empty line, an empty text gives
// no lines.
Lines splitLines(std::string_view text);

// Every line followed by CR LF, the last one included.
std::string joinLines(const Lines &lines);

// Reads a whole regular file; bytes stay untouched when it cannot be opened
// or read. Anything else (a folder, a FIFO, a device) is refused without
// blocking and without reading from it. A file larger than memoryForFiles()
// fails with EFBIG.
// A symbolic link is followed only within its own folder (and the folders
// below it): a folder received from someone else may hold "Money.ess" leading
// to a private file of the user's, whose text a review or an edit would then
// copy into the folder. Such a link fails with EXDEV.
Status readFileBytes(const std::string &path, std::string &bytes);
// The same, a few megabytes at a time, telling `pieces` how many bytes of how
// many are read after each; when it returns false the read stops, nothing is
// kept, and the result is ECANCELED.
using ReadPieces = std::function<bool(std::size_t done, std::size_t total)>;
Status readFileBytes(const std::string &path, std::string &bytes, const ReadPieces &pieces);

// A file's bytes in memory that was not filled with zeros before they were
// read into it: for reading thousands of files, where that filling took a
// third of the time of reading them.
class FileBytes {
public:
    std::string_view view() const { return {data_.get(), size_}; }
    std::size_t size() const { return size_; }

private:
    friend Status readFileBytes(const std::string &path, FileBytes &bytes);
    std::unique_ptr<char[]> data_;
    std::size_t size_ = 0;
};
// The same as readFileBytes, into bytes.
Status readFileBytes(const std::string &path, FileBytes &bytes);

// A file read a piece at a time, so a file of gigabytes costs no more memory
// than a piece. Opened with the same care as readFileBytes: anything but a
// regular file is refused without blocking.
class FileReader {
public:
    FileReader() = default;
    ~FileReader();
    FileReader(const FileReader &) = delete;
    FileReader &operator=(const FileReader &) = delete;

    Status open(const std::string &path);
    // Up to `room` bytes into `into`; got is 0 at the end.
    Status read(char *into, std::size_t room, std::size_t &got);

private:
    int fd_ = -1;
};

// Reads a file line by line, split as splitLines splits it, in pieces: each
// line is handed to `each` and then forgotten, so memory stays that of the
// longest line whatever the file's size. `each` returns false to stop early.
// The same files are refused as by readFileBytes.
Status forEachLine(const std::string &path, const std::function<bool(std::string_view line)> &each);

// Whether a path is a symbolic link leading out of the folder it is in.
bool linksOutOfItsFolder(const std::string &path);

// Reads a file as lines (see splitLines).
Status readLines(const std::string &path, Lines &lines);

// Replaces (or creates) a file atomically: the bytes go to a temporary file in
// the same folder, which is flushed to disk and renamed over the target. On any
// failure the old file is left whole and no temporary file remains. A replaced
// file keeps its mode; a new one gets 0600 less the umask. A file this user
// may not write is not replaced. A symbolic link at the path is replaced by
// the file, never written through.
Status writeFileAtomic(const std::string &path, std::string_view bytes);

// The same for bytes made while they are written: produce hands them to put
// piece by piece, in order, so that a large text is never held whole. put
// returns false once writing has failed; produce may stop early then.
using BytePut = std::function<bool(std::string_view)>;
Status writeFileAtomic(const std::string &path, const std::function<void(const BytePut &put)> &produce);
// The same, asking stillWanted once the bytes are on disk and before the
// rename: false leaves the old file whole, removes the temporary file and
// fails with ECANCELED. A producer that stops early must see to it that
// stillWanted then says so.
Status writeFileAtomic(const std::string &path, const std::function<void(const BytePut &put)> &produce,
                       const std::function<bool()> &stillWanted);

// The name writeFileAtomic gives its temporary files: the target's name
// (cut to 200 bytes) between a leading "." and a random 12-character suffix,
// then the marker ".varnok-tmp", which no other program and no document uses.
// Only names of this form are hidden from the lists and cleaned up.
bool isTemporaryName(std::string_view name);

// Killed between creating its temporary file and renaming it, a write leaves
// the temporary behind: never listed, but a full copy of a private text that
// no later write would clean up. Removes from a folder the temporaries of
// this user that have not been written to for maxAgeSeconds; a write in
// progress is far younger. Plain files only, never a link. Returns how many
// were removed. Names without the marker are never removed, whatever they
// look like: a file of the user's may match any other pattern.
inline constexpr long kStaleTemporaryAge = 10 * 60;
std::size_t removeStaleTemporaries(const std::string &folder, long maxAgeSeconds = kStaleTemporaryAge);

// writeFileAtomic of joinLines(lines).
Status writeLines(const std::string &path, const Lines &lines);

} // namespace varnok
