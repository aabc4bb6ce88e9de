#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/choices.h"
#include "core/filelist.h"
#include "core/options.h"
#include "platform/clock.h"
#include "platform/folderlock.h"
#include "platform/textfile.h"
#include "platform/trash.h"

namespace varnok {

// One answer of a run: the Lie as named in the list, and the scale position.
struct TestAnswer {
    std::string lieName;
    int response = 0;
    bool operator==(const TestAnswer &) const = default;
};

// The working values of a test run; nothing of it is stored until the review
// writes the summary.
struct TestRun {
    Lines testSummary;
    std::vector<TestAnswer> testAnswers;
    std::string testFileName;
    DateTime testStartTime;
    DateTime testEndTime;
    // The Lies of the run, by name, fixed when it starts: the Lie list may be
    // re-read meanwhile (the folder watch, F5), which moves its positions and
    // selection but never changes what this run asks or whose answer is whose.
    std::vector<std::string> testLieNames;
    // The lie folder the run began in: its Lies, essays and summary stay
    // there if another folder is opened meanwhile.
    std::string testFolder;
    // The place in testLieNames reached so far (an unreadable Lie counts).
    int currentLieIndex = -1;
    // The Lies of the run whose file could not be read when their turn came:
    // never asked, named by the review.
    std::vector<std::string> unreadLies;
    bool scaleMoved = false;
    bool awaitingFirstLie = false;
    bool running = false;
    // The review is going through the essays its answers asked for.
    bool reviewing = false;
    // "Later" was chosen: the rest of the essays get their blocks unopened.
    bool laterChosen = false;
};

// The built-in editor's state.
struct EditState {
    bool editInProgress = false;
    std::string editFileName;
    // False when the file could not be loaded: the text area then holds
    // nothing that may be written back.
    bool loaded = false;
    // The file as it was loaded, to notice another program changing it
    // meanwhile and to tell whether that program only added to it.
    std::string loadedBytes;
    // The text area's text as loaded, so closing the window asks about
    // unsaved changes only when there are some.
    std::string loadedText;
};

inline constexpr char kLiesMask[] = "*.lie";
inline constexpr char kEssaysMask[] = "*.ess;*.gen";
inline constexpr char kTestsMask[] = "*.tst";

// Everything the main window owns, in plain C++.
struct AppState {
    std::string lieFolder; // always ends in the separator
    Options options;
    // The options as read at start, so that exit writes only what changed.
    Options optionsRead;
    // The settings section that keeps the window's place on this screen;
    // empty where there is no screen.
    std::string placeSection;
    FileList lies{kLiesMask};
    FileList essays{kEssaysMask};
    FileList tests{kTestsMask};
    bool showEssays = true;    // cbEssays
    bool showGenerated = true; // cbGenerated
    bool showText = false;     // cbText
    Page page = Page::Ask;
    Lines helpText;
    TestRun run;
    EditState edit;
    bool retainLies = false; // cbRetainLies
    // Set when the window is closing: commands that would open another edit stop.
    bool closing = false;
    // Keeps other Varnoks off the lie folder while this one works in it; the
    // locks live in lockFolder (empty: run without one).
    std::shared_ptr<FolderLock> folderLock;
    std::string lockFolder;
    // The process that held the lie folder when start-up found it taken.
    long folderHolder = 0;
    // The lie folder was removed or moved away by another program.
    bool lieFolderGone = false;
    // The settings file leads out of the lie folder: it was not read.
    bool settingsRefused = false;
    // The editor Varnok itself chooses on this machine, which needs no consent;
    // the one the folder's settings named instead, which does.
    std::string defaultEditor;
    std::string settingsEditor;
    // The user's configuration folder, for what is the user's and not the
    // folder's to say (ends in the separator; empty: nothing is remembered).
    std::string configFolder;
    // The home Trash deleted files go to; empty when there is none.
    std::string homeTrash;
    // The files each Delete moved to the Trash, the last one on top, for Undo.
    std::vector<std::vector<TrashedFile>> deleted;

    FileList &list(ListId id);
};

} // namespace varnok
