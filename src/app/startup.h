#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/context.h"

namespace varnok {

inline constexpr char kFirstStartMessage[] =
    "You are about to be presented with a dialog to load your lies for the first time.  Please select OK and "
    "then Open at the next two prompts.";
inline constexpr char kFirstStartFile[] = "lies.txt";
inline constexpr char kUnableToWrite[] = "Unable to write to %s";
inline constexpr char kUnableToCreateDirectory[] = "Unable to create directory";
inline constexpr char kNewLieFolderCaption[] = "New Lie Folder";
inline constexpr char kNewLieFolderPrompt[] = "Folder Name";
// Said once, at start-up, of a settings file that is a link leading out of
// the lie folder: neither read nor written.
inline constexpr char kSettingsLinkMessage[] =
    "%s is a link to a file outside the lie folder.  Varnok does not follow it: the default settings are used, "
    "and none are written there.";
// Open Lie set on a folder another running Varnok works in.
inline constexpr char kFolderHeldMessage[] =
    "Another Varnok has the lie folder %s open.  Please work there in its window, or close it first.";

struct StartupPlaces {
    std::vector<std::string> arguments; // without the program name
    std::string programFolder;          // ends in the separator
    std::string fallbackDataFolder;     // the per-user data folder, ends in the separator
    std::string defaultEditor;
    std::vector<std::string> dataFolders = {}; // the shared data folders, each ending in the separator
    std::string placeSection = {};             // see windowPlaceSection; empty without a screen
};

// The places of this machine and user, for the given arguments.
StartupPlaces systemStartupPlaces(const std::vector<std::string> &arguments);

// The lie folder from the command line: the first argument as given, with a
// separator appended; without one, "Lies/" beside the program.
std::string lieFolderFromArguments(const std::vector<std::string> &arguments, const std::string &programFolder);

// True for a program that an install step put in place: one under /usr or
// /opt, which every user of the machine shares, and one in a folder named
// "bin" of any other prefix (~/.local/bin). Lies are never kept beside such a
// program, not even when the administrator runs it.
bool isInstalledProgramFolder(const std::string &programFolder);

// The file the first-start dialog proposes: "lies.txt" in the current folder
// when it holds one, else the sample statements an install put below a
// shared data folder (the dialog then opens in that folder), else the bare
// "lies.txt" as always. currentFolder ends in the separator.
std::string firstStartProposal(const std::string &currentFolder, const std::vector<std::string> &dataFolders);

// What a start without a home folder says before it stops.
std::string noHomeFolderText(unsigned userId);

// A seed for the random generator from the time of day, to the millisecond.
unsigned seedFromTime(const DateTime &now);

// Whether start-up reads the three lists (and sweeps stale temporaries and
// merges a sync tool's copies of the settings) itself, or leaves all three to
// a ListsReading the window makes once it shows.
enum class ListsFill { Now, Later };

// Runs the start-up sequence from the lie folder on: fixes and creates the lie
// folder, removes what writes killed by a crash left there (see
// removeStaleTemporaries), offers Create from file at a first start, reads the settings, points
// the lists at the folder and puts the Start Here page into its idle state.
// With state.lockFolder set it first takes the folder's lock; when another
// Varnok holds it, it stops there, returns false and leaves the holder's
// process id in state.folderHolder.
bool startUp(Context &ctx, const StartupPlaces &places, ListsFill fill = ListsFill::Now);

// Writes the settings this run changed to the settings file of the lie
// folder in use (every setting when it has none yet); never to one that is a
// link leading out of the folder.
void exitSequence(Context &ctx);

// The folder dialog's OK: another lie folder from now on; stale temporary
// files there are removed as at start-up. A folder another Varnok holds is
// refused with a message (false), and the lie folder stays.
bool openLieSet(Context &ctx, const std::string &folder);

// The folder dialog's New: asks for a folder name and creates it. Returns the
// folder to make current in the tree, if any.
std::optional<std::string> newLieFolder(Context &ctx, const std::string &treeFolder);

} // namespace varnok
