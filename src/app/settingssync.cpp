#include "app/settingssync.h"

#include "app/startup.h"
#include "core/text.h"
#include "platform/files.h"
#include "platform/trash.h"

namespace varnok {

bool mergeSettingsConflicts(Context &ctx, const std::vector<std::string> &copies)
{
    const std::string &folder = ctx.state.lieFolder;
    bool changed = false;
    for (const std::string &name : copies) {
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
        if (settings.text() != before) {
            if (!settings.save(path)) {
                ctx.ui.message(formatMessage(kUnableToWrite, path));
                return changed;
            }
            changed = true;
        }
        const bool trashed = moveToTrash(folder + name, ctx.state.homeTrash, ctx.clock.now()).trashed.has_value();
        if (!differing.empty())
            ctx.ui.message(formatMessage(kSettingsConflictMessage, name) + differing + "\n\n" +
                           (trashed ? kSettingsConflictTrashed : kSettingsConflictKept));
    }
    return changed;
}

void mergeSettingsConflictsFound(Context &ctx, const std::vector<std::string> &copies)
{
    AppState &state = ctx.state;
    if (state.settingsRefused || copies.empty() || !mergeSettingsConflicts(ctx, copies))
        return;
    const IniFile merged = IniFile::load(resolveNoCase(state.lieFolder + kSettingsFileName));
    IniFile withChanges = merged;
    writeChangedOptions(withChanges, state.optionsRead, state.options);
    Options read = readOptions(merged, state.defaultEditor);
    Options now = readOptions(withChanges, state.defaultEditor);
    for (Options *options : {&read, &now}) {
        const Options &was = options == &read ? state.optionsRead : state.options;
        options->left = was.left;
        options->top = was.top;
        options->width = was.width;
        options->height = was.height;
    }
    state.optionsRead = read;
    state.options = now;
    state.settingsEditor = read.editor != state.defaultEditor ? read.editor : "";
    ctx.view.optionsChanged();
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
