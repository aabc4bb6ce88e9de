#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/context.h"
#include "core/job.h"
#include "documents/keywords.h"

namespace varnok {

inline constexpr char kLieExtension[] = ".lie";
inline constexpr char kEssayExtension[] = ".ess";
inline constexpr char kGeneratedExtension[] = ".gen";
inline constexpr char kTestExtension[] = ".tst";
inline constexpr char kTextExtension[] = ".txt";
inline constexpr std::size_t kNameChars = 50;

// The nine characters a file name may not hold.
inline constexpr std::string_view kRemovedNameChars = "\"*/:<>?\\|";

// Drops the nine characters from a name formed by the program and puts the lie
// folder in front. Nothing else changes.
std::string CleanFileName(const std::string &lieFolder, std::string_view name);

// The first 50 characters of a user's text, the extension, cleaned.
std::string documentPathFromText(const std::string &lieFolder, std::string_view text, std::string_view extension);

// The file a bare list name (or a full path) stands for, in the lie folder;
// a name differing only in letter case finds the existing file.
std::string documentPath(const std::string &lieFolder, const std::string &name);
// The same path as listed, before any letter case is looked for.
std::string listedDocumentPath(const std::string &lieFolder, const std::string &name);

// The essay of a Lie: its list name with everything from the last full stop
// replaced by ".ess", cleaned.
std::string essayPathOf(const std::string &lieFolder, const std::string &lieName);
// The essay's file name for a Lie's: its base name with the essay extension.
std::string essayNameOf(const std::string &lieName);

// The file name without its folder.
std::string shownFileName(const std::string &name);

// Text area conversions: a file's bytes become text with "\n" line ends (a NUL
// ends the text); text goes back with CR LF line ends.
std::string memoTextFromBytes(std::string_view bytes);
std::string bytesFromMemoText(std::string_view text);

// Reads a document within a long job: the bar moves from `from` over `span`
// as the file is read, and Cancel stops the read within a piece, keeping
// nothing. A file that cannot be read ends the command ("Cannot open file").
std::string readDocumentInJob(const std::string &path, const std::string &shownName, JobProgress &progress, double from,
                              double span);

// Re-reads one or all three lists from the lie folder.
void rereadList(Context &ctx, ListId id);
void rereadLists(Context &ctx);
// The lie folder's files any of the three lists shows, in the folder's order:
// the folder is read once for all three.
std::vector<std::string> filesOfLists(const AppState &state);

// The three lists read from the lie folder apart from the state, so that a
// large folder can be listed and sorted off the window's thread while the
// window is already in use. Begun and applied on the window's thread; read
// on any.
struct ListsReading {
    std::string folder;
    std::array<FileList, 3> lists; // in ListId order, with the state's masks
    // The state's lists when the reading began: all of each, and its names.
    std::array<std::uint64_t, 3> stamps{};
    std::array<std::uint64_t, 3> namesStamps{};
    // Start-up's sweep of what writes killed by a crash left in the folder
    // (removeStaleTemporaries) goes with the reading: it reads the whole
    // folder too.
    bool removeStale = false;
    // A refresh for changes made outside: the lists keep their selections,
    // and a list whose names nothing changed since takes it.
    bool keepSelection = false;
    // Other names to look for on the same reading, and those found, in the
    // lists' order.
    std::string alsoMask;
    std::vector<std::string> alsoFound;
};
ListsReading beginListsReading(const AppState &state);
// Touches nothing but the reading.
void readLists(ListsReading &reading);
// Each list that nothing re-read, refreshed, masked or selected in since the
// reading began takes what was read; any other is newer than the reading and
// stays. A refresh (keepSelection) is taken by a list whatever was selected
// meanwhile, and only where it changes the list. Nothing is taken once the
// lie folder is another. Returns how many lists took the reading.
int applyListsReading(Context &ctx, ListsReading &&reading);

// The Essays list's mask from the three "Show:" boxes.
std::string essaysMask(bool essays, bool generated, bool text);
void cbGeneratedClick(Context &ctx);

// Create from file: one Lie per line of a text file.
void btnLoadClick(Context &ctx, const std::optional<std::string> &proposedName = std::nullopt);

} // namespace varnok
