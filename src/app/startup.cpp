#include "app/startup.h"

#include "core/text.h"
#include "documents/documents.h"
#include "platform/files.h"
#include "platform/process.h"
#include "platform/textfile.h"

namespace varnok {

StartupPlaces systemStartupPlaces(const std::vector<std::string> &arguments)
{
    return StartupPlaces{arguments, programFolder(), userDataFolder(), defaultEditorCommand()};
}

std::string lieFolderFromArguments(const std::vector<std::string> &arguments, const std::string &programFolder)
{
    if (arguments.empty() || arguments.front().empty())
        return withTrailingSeparator(programFolder) + "Lies/";
    return withTrailingSeparator(arguments.front());
}

bool isInstalledProgramFolder(const std::string &programFolder)
{
    for (const std::string root : {"/usr", "/opt"}) {
        if (programFolder.compare(0, root.size(), root) == 0
            && (programFolder.size() == root.size() || programFolder[root.size()] == kSeparator))
            return true;
    }
    std::string folder = programFolder;
    while (!folder.empty() && folder.back() == kSeparator)
        folder.pop_back();
    return folder == "bin" || folder.ends_with("/bin");
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

// Whether the default lie folder beside the program can be used: the program
// is the user's own (a build folder, an unpacked copy) and "Lies" there is, or
// can be made, a folder the user may write in.
bool usableBesideProgram(const std::string &folder, const std::string &programFolder)
{
    if (isInstalledProgramFolder(programFolder))
        return false;
    return folderExists(folder) ? folderWritable(folder) : createFolders(folder).ok();
}

// Fixes the lie folder and makes sure it exists. Without an argument an
// installed program keeps the lies in the per-user data folder.
void fixLieFolder(Context &ctx, const StartupPlaces &places)
{
    const bool fromArgument = !places.arguments.empty() && !places.arguments.front().empty();
    std::string folder = lieFolderFromArguments(places.arguments, places.programFolder);
    if (!fromArgument && !usableBesideProgram(folder, places.programFolder))
        folder = places.fallbackDataFolder + "Lies/";
    ctx.state.lieFolder = folder;
    const Status made = folderExists(folder) ? Status() : createFolders(folder);
    if (!made)
        ctx.ui.error(errorReportText("Unable to create the lie folder " + folder + ": " + made.reason()));
    else if (const Status listed = canListFolder(folder); !listed)
        ctx.ui.error(errorReportText("Unable to read the lie folder " + folder + ": " + listed.reason()));
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
