#pragma once

#include <string>
#include <vector>

#include "core/context.h"

namespace varnok {

// Told once per copy a sync tool left beside the settings file.
inline constexpr char kSettingsConflictMessage[] =
    "A sync tool left %s when the settings were saved on two machines at once. The settings only it held were "
    "added to Varnok.Ini; where the two differ, Varnok.Ini was kept:";
inline constexpr char kSettingsConflictTrashed[] = "The copy was moved to the Trash.";
inline constexpr char kSettingsConflictKept[] = "The copy was left where it is.";
inline constexpr char kSettingsConflictMask[] = "Varnok.sync-conflict-*.Ini";

// The copies of the settings file a sync tool made when two machines wrote
// it at once ("Varnok.sync-conflict-<date>-<time>-<device>.Ini"): the keys
// the settings file lacks are added to it; keys whose values differ keep the
// settings file's value and are named to the person once. The copy then goes
// to the Trash, where it can still be had. `copies` are their names in the
// lie folder, in the lists' order. True when the settings file changed.
bool mergeSettingsConflicts(Context &ctx, const std::vector<std::string> &copies);

// The same for a window that showed before its folder was listed: the
// copies were found by the lists' reading, after the options were read. The
// options are read again from the merged file, with what the person changed
// since the start kept over it and the window left where it is.
void mergeSettingsConflictsFound(Context &ctx, const std::vector<std::string> &copies);

// Writes at exit what this run changed over what the settings file holds
// then: a file another machine wrote meanwhile keeps that machine's changes.
// A folder without settings gets every key. False when the file could not
// be written.
bool writeSettingsAtExit(const AppState &state, const std::string &path);

} // namespace varnok
