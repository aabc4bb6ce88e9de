#pragma once

#include <string>

#include "core/context.h"

namespace varnok {

// Told once per copy a sync tool left beside the settings file.
inline constexpr char kSettingsConflictMessage[] =
    "A sync tool left %s when the settings were saved on two machines at once. The settings only it held were "
    "added to Varnok.Ini; where the two differ, Varnok.Ini was kept:";
inline constexpr char kSettingsConflictTrashed[] = "The copy was moved to the Trash.";
inline constexpr char kSettingsConflictKept[] = "The copy was left where it is.";

// The copies of the settings file a sync tool made when two machines wrote
// it at once ("Varnok.sync-conflict-<date>-<time>-<device>.Ini"): the keys
// the settings file lacks are added to it; keys whose values differ keep the
// settings file's value and are named to the person once. The copy then goes
// to the Trash, where it can still be had.
void mergeSettingsConflicts(Context &ctx);

// Writes at exit what this run changed over what the settings file holds
// then: a file another machine wrote meanwhile keeps that machine's changes.
// A folder without settings gets every key. False when the file could not
// be written.
bool writeSettingsAtExit(const AppState &state, const std::string &path);

} // namespace varnok
