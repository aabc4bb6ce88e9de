#include "app/startup.h"

#include "app/settingssync.h"

#include "core/text.h"
#include "documents/documents.h"
#include "platform/files.h"
#include "platform/process.h"
#include "platform/textfile.h"

namespace varnok {

StartupPlaces systemStartupPlaces(const std::vector<std::string> &arguments)
{
    // main() stops before this when there is no home folder.
    return StartupPlaces{arguments, programFolder(), userDataFolder().value_or(std::string()), defaultEditorCommand(),
                         systemDataFolders()};
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
        if (programFolder.compare(0, root.size(), root) == 0 &&
            (programFolder.size() == root.size() || programFolder[root.size()] == kSeparator))
            return true;
    }
    std::string folder = programFolder;
    while (!folder.empty() && folder.back() == kSeparator)
        folder.pop_back();
    return folder == "bin" || folder.ends_with("/bin");
}

std::string firstStartProposal(const std::string &currentFolder, const std::vector<std::string> &dataFolders)
{
    if (fileExists(currentFolder + kFirstStartFile))
        return kFirstStartFile;
    for (const std::string &folder : dataFolders) {
        const std::string sample = folder + kDataSubfolder + kFirstStartFile;
        if (fileExists(sample))
            return sample;
    }
    return kFirstStartFile;
}

std::string noHomeFolderText(unsigned userId)
{
    return "varnok: cannot find your home folder: HOME is not set and the password database has no entry for user " +
           std::to_string(userId) + ".\nSet HOME (or XDG_DATA_HOME) to a folder of your own and start Varnok again.\n";
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

// Every path the program forms is the lie folder joined with a name, and the
// lie folder becomes the current folder: a relative lie folder would then
// name a folder inside itself. It is made absolute once, against the folder
// the program was started in.
std::string absoluteFolder(const std::string &folder)
{
    if (folder.empty() || folder.front() == kSeparator)
        return folder;
    const std::string here = currentFolder();
    if (here.empty())
        return folder;
    std::string relative = folder;
    while (relative.starts_with("./"))
        relative.erase(0, 2);
    return here + relative;
}

// Fixes the lie folder and makes sure it exists. Without an argument an
// installed program keeps the lies in the per-user data folder.
void fixLieFolder(Context &ctx, const StartupPlaces &places)
{
    const bool fromArgument = !places.arguments.empty() && !places.arguments.front().empty();
    std::string folder = lieFolderFromArguments(places.arguments, places.programFolder);
    if (!fromArgument && !usableBesideProgram(folder, places.programFolder))
        folder = places.fallbackDataFolder + "Lies/";
    folder = absoluteFolder(folder);
    ctx.state.lieFolder = folder;
    const Status made = folderExists(folder) ? Status() : createFolders(folder);
    if (!made)
        ctx.ui.error(errorReportText("Unable to create the lie folder " + folder + ": " + made.reason()));
    else if (const Status listed = canListFolder(folder); !listed)
        ctx.ui.error(errorReportText("Unable to read the lie folder " + folder + ": " + listed.reason()));
}

// The missing folders of a relative name are made from the last existing one
// on, and that one must be among the name's own leading parts: "Sub/Work"
// needs "Sub", "../x" has "..", a bare "Work" has none.
bool reachesExistingFolder(const std::string &base, std::string name)
{
    while (!name.empty() && name.back() == kSeparator)
        name.pop_back();
    for (auto cut = name.rfind(kSeparator); cut != std::string::npos && cut > 0;
         cut = name.rfind(kSeparator, cut - 1)) {
        if (folderExists(base + name.substr(0, cut)))
            return true;
    }
    return false;
}

// Takes the lock of a lie folder for this process, letting go of the one it
// held; the one already held is kept. False when another Varnok holds it.
bool claimLieFolder(AppState &state, const std::string &folder)
{
    if (state.folderLock && sameFolder(folder, state.folderLock->folder()))
        return true;
    FolderClaim claim = claimFolder(folder, state.lockFolder);
    if (claim.heldElsewhere) {
        state.folderHolder = claim.holder;
        return false;
    }
    state.folderLock = std::move(claim.lock);
    return true;
}

} // namespace

bool startUp(Context &ctx, const StartupPlaces &places, ListsFill fill)
{
    fixLieFolder(ctx, places);
    // Before anything is read or written there, the first-start questions
    // included: the other window may be in the middle of the same.
    if (!claimLieFolder(ctx.state, ctx.state.lieFolder))
        return false;
    if (fill == ListsFill::Now)
        removeStaleTemporaries(ctx.state.lieFolder);

    if (!fileExists(settingsPath(ctx.state))) {
        ctx.ui.message(kFirstStartMessage);
        btnLoadClick(ctx, firstStartProposal(withTrailingSeparator(currentFolder()), places.dataFolders));
    }

    const std::string settingsFile = settingsPath(ctx.state);
    ctx.state.settingsRefused = linksOutOfItsFolder(settingsFile);
    if (ctx.state.settingsRefused)
        ctx.ui.message(formatMessage(kSettingsLinkMessage, settingsFile));
    else if (fill == ListsFill::Now)
        mergeSettingsConflicts(ctx, listFolder(ctx.state.lieFolder, kSettingsConflictMask));
    const IniFile settings = ctx.state.settingsRefused ? IniFile() : IniFile::load(settingsFile);
    ctx.state.options = readOptions(settings, places.defaultEditor);
    ctx.state.defaultEditor = places.defaultEditor;
    ctx.state.settingsEditor = ctx.state.options.editor != places.defaultEditor ? ctx.state.options.editor : "";
    ctx.state.placeSection = places.placeSection;
    if (!places.placeSection.empty())
        readWindowPlace(settings, places.placeSection, ctx.state.options);
    ctx.state.optionsRead = ctx.state.options;
    ctx.view.optionsChanged();

    if (!setCurrentFolder(ctx.state.lieFolder) && folderExists(ctx.state.lieFolder))
        ctx.ui.error(errorReportText("Unable to open the lie folder " + ctx.state.lieFolder));
    if (fill == ListsFill::Now)
        rereadLists(ctx);

    ctx.state.edit = EditState{};
    ctx.view.setEditing(false);
    ctx.view.setTestRunning(false);
    ctx.view.showMemo(false);
    ctx.view.setPage(Page::Ask);
    ctx.state.helpText = splitLines(bytesFromMemoText(ctx.view.memoText()));
    return true;
}

void exitSequence(Context &ctx)
{
    const std::string path = settingsPath(ctx.state);
    // Written into the folder, its text would carry the private file's
    // other lines along; through it, it would change that file.
    if (linksOutOfItsFolder(path))
        return;
    if (!writeSettingsAtExit(ctx.state, path))
        ctx.ui.message(formatMessage(kUnableToWrite, path));
}

bool openLieSet(Context &ctx, const std::string &folder)
{
    const std::string chosen = absoluteFolder(withTrailingSeparator(folder));
    if (!claimLieFolder(ctx.state, chosen)) {
        ctx.ui.message(formatMessage(kFolderHeldMessage, chosen));
        return false;
    }
    ctx.state.lieFolder = chosen;
    setCurrentFolder(ctx.state.lieFolder);
    runCommand(ctx, [&] {
        removeStaleTemporaries(ctx.state.lieFolder);
        rereadLists(ctx);
    });
    return true;
}

namespace {

std::optional<std::string> askAndMakeFolder(Context &ctx, const std::string &treeFolder)
{
    const auto proposed = treeFolder;
    const auto answer = ctx.ui.inputText(kNewLieFolderCaption, kNewLieFolderPrompt, proposed);
    const std::string name = answer.value_or(proposed);
    const bool absolute = !name.empty() && name.front() == kSeparator;
    const std::string base = withTrailingSeparator(treeFolder);
    const std::string path = absolute ? name : base + name;
    if (answer && !folderExists(path)) {
        if (!absolute && !reachesExistingFolder(base, name)) {
            ctx.ui.message(kUnableToCreateDirectory);
            return std::nullopt;
        }
        createFolders(path);
    }
    if (folderExists(path))
        return path;
    return std::nullopt;
}

} // namespace

std::optional<std::string> newLieFolder(Context &ctx, const std::string &treeFolder)
{
    std::optional<std::string> made;
    runCommand(ctx, [&] { made = askAndMakeFolder(ctx, treeFolder); });
    return made;
}

} // namespace varnok
