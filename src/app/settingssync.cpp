#include "app/settingssync.h"

#include "app/startup.h"
#include "core/text.h"
#include "platform/files.h"
#include "platform/trash.h"

namespace varnok {

namespace {

constexpr char kSettingsConflictMask[] = "Varnok.sync-conflict-*.Ini";

} // namespace

void mergeSettingsConflicts(Context &ctx)
{
    const std::string &folder = ctx.state.lieFolder;
    for (const std::string &name : listFolder(folder, kSettingsConflictMask)) {
        const std::string path = resolveNoCase(folder + kSettingsFileName);
        IniFile settings = IniFile::load(path);
        const std::string before = settings.text();
        std::string differing;
        for (const IniFile::Entry &entry : IniFile::load(folder + name).entries()) {
            const auto value = settings.readString(entry.section, entry.key);
            if (!value)
                settings.writeString(entry.section, entry.key, entry.value);
            else if (*value != entry.value)
                differing +=
                    "\n[" + entry.section + "] " + entry.key + ": " + *value + " (the copy: " + entry.value + ")";
        }
        if (settings.text() != before && !settings.save(path)) {
            ctx.ui.message(formatMessage(kUnableToWrite, path));
            return;
        }
        const bool trashed = moveToTrash(folder + name, ctx.state.homeTrash, ctx.clock.now()).trashed.has_value();
        if (!differing.empty())
            ctx.ui.message(formatMessage(kSettingsConflictMessage, name) + differing + "\n\n" +
                           (trashed ? kSettingsConflictTrashed : kSettingsConflictKept));
    }
}

bool writeSettingsAtExit(const AppState &state, const std::string &path)
{
    const bool existed = fileExists(path);
    // Read now, not at start: another machine may have written it since.
    IniFile ini = IniFile::load(path);
    const std::string before = ini.text();
    if (existed)
        writeChangedOptions(ini, state.optionsRead, state.options);
    else
        writeOptions(ini, state.options);
    // The first exit on a screen records its place, so that another
    // machine's later moves, written to "Settings", no longer move it.
    if (!state.placeSection.empty() &&
        (!samePlace(state.optionsRead, state.options) || !ini.readString(state.placeSection, "Left")))
        writeWindowPlace(ini, state.placeSection, state.options);
    if (existed && ini.text() == before)
        return true;
    return ini.save(path);
}

} // namespace varnok
