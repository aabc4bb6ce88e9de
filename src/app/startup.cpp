#include "app/startup.h"

#include <cerrno>
#include <cstring>

#include "app/text.h"
#include "documents/documents.h"
#include "platform/files.h"
#include "platform/textfile.h"

namespace varnok {

std::string lieFolderFromArguments(const std::vector<std::string> &arguments, const std::string &programFolder)
{
    if (arguments.empty() || arguments.front().empty())
        return withTrailingSeparator(programFolder) + "Lies/";
    return withTrailingSeparator(arguments.front());
}

unsigned seedFromTime(const DateTime &now)
{
    return static_cast<unsigned>(((now.hour * 60 + now.minute) * 60 + now.second) * 1000 + now.millisecond);
}

namespace {

std::string settingsPath(const AppState &state)
{
    return resolveNoCase(state.lieFolder + kSettingsFileName);
}

// Fixes the lie folder and makes sure it exists. An installed program's folder
// is not writable, so without an argument the per-user data folder stands in.
void fixLieFolder(Context &ctx, const StartupPlaces &places)
{
    const bool fromArgument = !places.arguments.empty() && !places.arguments.front().empty();
    std::string folder = lieFolderFromArguments(places.arguments, places.programFolder);
    if (!fromArgument && !folderExists(folder) && !createFolders(folder))
        folder = places.fallbackDataFolder + "Lies/";
    ctx.state.lieFolder = folder;
    if (!folderExists(folder) && !createFolders(folder)) {
        const int reason = errno;
        ctx.ui.error(errorReportText("Unable to create the lie folder " + folder + ": " + std::strerror(reason)));
    }
}

} // namespace

void startUp(Context &ctx, const StartupPlaces &places)
{
    fixLieFolder(ctx, places);
    removeStaleTemporaries(ctx.state.lieFolder);

    if (!fileExists(settingsPath(ctx.state))) {
        ctx.ui.message(kFirstStartMessage);
        btnLoadClick(ctx, std::string(kFirstStartFile));
    }

    ctx.state.options = readOptions(IniFile::load(settingsPath(ctx.state)), places.defaultEditor);
    ctx.view.optionsChanged();

    if (!setCurrentFolder(ctx.state.lieFolder) && folderExists(ctx.state.lieFolder))
        ctx.ui.error(errorReportText("Unable to open the lie folder " + ctx.state.lieFolder));
    rereadLists(ctx);

    ctx.state.edit = EditState{};
    ctx.view.setEditing(false);
    ctx.view.setTestRunning(false);
    ctx.view.showMemo(false);
    ctx.view.setPage(Page::Ask);
    ctx.state.helpText = splitLines(bytesFromMemoText(ctx.view.memoText()));
}

void exitSequence(Context &ctx)
{
    const std::string path = settingsPath(ctx.state);
    IniFile ini = IniFile::load(path);
    writeOptions(ini, ctx.state.options);
    if (!ini.save(path))
        ctx.ui.message(formatMessage(kUnableToWrite, path));
}

void openLieSet(Context &ctx, const std::string &folder)
{
    ctx.state.lieFolder = withTrailingSeparator(folder);
    setCurrentFolder(ctx.state.lieFolder);
    removeStaleTemporaries(ctx.state.lieFolder);
    rereadLists(ctx);
}

std::optional<std::string> newLieFolder(Context &ctx, const std::string &treeFolder)
{
    const auto proposed = treeFolder;
    const auto answer = ctx.ui.inputText(kNewLieFolderCaption, kNewLieFolderPrompt, proposed);
    std::string path = answer.value_or(proposed);
    const bool absolute = !path.empty() && path.front() == kSeparator;
    if (answer && !folderExists(absolute ? path : withTrailingSeparator(treeFolder) + path)) {
        // A relative name runs out of folder parts before it reaches an
        // existing folder, so it cannot be created.
        if (!absolute) {
            ctx.ui.message(kUnableToCreateDirectory);
            return std::nullopt;
        }
        createFolders(path);
    }
    if (!absolute)
        path = withTrailingSeparator(treeFolder) + path;
    if (folderExists(path))
        return path;
    return std::nullopt;
}

} // namespace varnok
