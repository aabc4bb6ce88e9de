#include "core/editortrust.h"

#include <optional>

#include "core/text.h"
#include "platform/files.h"
#include "platform/folderlock.h"
#include "platform/process.h"
#include "platform/textfile.h"
#include "platform/trash.h"

namespace varnok {

namespace {

constexpr char kAnyFolder[] = "*";

// One answer a line: "yes" or "no", the folder's real path (or "*"), the
// editor text; the last two written as URL paths, so no tab or line end
// inside them can split a line.
std::string answerLine(bool yes, const std::string &folder, const std::string &editor)
{
    return std::string(yes ? "yes" : "no") + "\t" + percentEncodePath(folder) + "\t" + percentEncodePath(editor);
}

std::string storePath(const AppState &state)
{
    return state.configFolder.empty() ? std::string() : state.configFolder + kEditorAnswersFile;
}

// The last answer given for this folder (or any folder) and editor.
std::optional<bool> storedAnswer(const AppState &state, const std::string &folder, const std::string &editor)
{
    std::string bytes;
    if (storePath(state).empty() || !readFileBytes(storePath(state), bytes))
        return std::nullopt;
    std::optional<bool> answer;
    const auto key = [&editor](const std::string &where) {
        std::string text(1, '\t');
        text += percentEncodePath(where);
        text += '\t';
        text += percentEncodePath(editor);
        return text;
    };
    const std::string here = key(folder);
    const std::string anywhere = key(kAnyFolder);
    for (const std::string &line : splitLines(bytes)) {
        const auto tab = line.find('\t');
        if (tab == std::string::npos)
            continue;
        const std::string_view rest = std::string_view(line).substr(tab);
        if (rest == here || rest == anywhere)
            answer = line.compare(0, tab, "yes") == 0;
    }
    return answer;
}

// Adds an answer, dropping earlier ones for the same folder and editor; the
// file is replaced whole, as every file Varnok writes.
void storeAnswer(const AppState &state, bool yes, const std::string &folder, const std::string &editor)
{
    const std::string path = storePath(state);
    if (path.empty() || !createFolders(state.configFolder))
        return;
    std::string bytes;
    readFileBytes(path, bytes);
    const std::string line = answerLine(yes, folder, editor);
    const std::string key = line.substr(line.find('\t'));
    Lines kept;
    for (std::string &old : splitLines(bytes)) {
        const auto tab = old.find('\t');
        if (!old.empty() && (tab == std::string::npos || old.substr(tab) != key))
            kept.push_back(std::move(old));
    }
    kept.push_back(line);
    writeLines(path, kept);
}

// A program named relative to the lie folder ("./helper.sh", "bin/x") is a
// different program in every folder.
bool relativeToFolder(const std::string &editor)
{
    const auto argv = editorArguments(editor, "x");
    return !argv.empty() && !argv.front().empty() && argv.front().front() != kSeparator &&
           argv.front().find(kSeparator) != std::string::npos;
}

} // namespace

bool externalEditorAllowed(Context &ctx)
{
    const AppState &state = ctx.state;
    const std::string &editor = state.options.editor;
    // Only a program the folder's own settings named needs consent: the
    // default is Varnok's choice, and one set in this run the person's.
    if (editor == state.defaultEditor || editor != state.settingsEditor)
        return true;
    const std::string folder = realFolderPath(state.lieFolder);
    if (const auto answer = storedAnswer(state, folder, editor))
        return *answer;
    const bool yes = ctx.ui.confirmDefaultNo(formatMessage(kRunFolderEditorQuestion, editor));
    storeAnswer(state, yes, folder, editor);
    return yes;
}

void rememberChosenEditor(AppState &state, const std::string &editor)
{
    if (editor.empty() || editor == state.defaultEditor)
        return;
    const std::string folder = relativeToFolder(editor) ? realFolderPath(state.lieFolder) : kAnyFolder;
    if (storedAnswer(state, folder, editor) != true)
        storeAnswer(state, true, folder, editor);
}

} // namespace varnok
