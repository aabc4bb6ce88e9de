#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

#include "core/choices.h"
#include "core/job.h"

namespace varnok {

// The questions the logic asks the person. All are modal; the window answers
// them with dialogs, the tests with a scripted fake.
class Ui {
public:
    virtual ~Ui() = default;

    // A message box captioned "Varnok" with one OK button.
    virtual void message(const std::string &text) = 0;
    // The program-wide error report: error icon, caption "Varnok", OK.
    virtual void error(const std::string &text) = 0;
    // "Confirm", with "&Yes" as the default button and "&No" on Escape.
    virtual bool confirm(const std::string &text) = 0;
    // The same with "&No" as the default button, for what cannot be undone.
    virtual bool confirmDefaultNo(const std::string &text) = 0;
    // A one-line prompt holding a proposed text, all selected, at most 255
    // characters. Empty on Cancel.
    virtual std::optional<std::string> inputText(const std::string &caption, const std::string &prompt,
                                                 const std::string &proposed) = 0;
    // The test-parameters dialog.
    virtual TestChoice askTestParams() = 0;
    // The rename dialog: a caption, the folder shown, the From name proposed.
    virtual std::optional<RenameAnswer> askRename(const std::string &caption, const std::string &folder,
                                                  const std::string &from) = 0;
    // The essay-type dialog; it keeps its last choice.
    virtual std::optional<EssayType> askEssayType() = 0;
    // The text-file open dialog; it keeps the last name chosen, unless one is proposed.
    virtual std::optional<std::string> openTextFile(const std::optional<std::string> &proposedName) = 0;
    // The save dialog, opening in the given folder.
    virtual std::optional<std::string> saveTextFile(const std::string &folder) = 0;
    // Keeps the window's events flowing until the condition turns false.
    virtual void waitWhile(const std::function<bool()> &condition) = 0;
    // Waits, taking no input from the person, until the condition turns false.
    virtual void waitBlocked(const std::function<bool()> &condition) = 0;
    // Asked when the window closes with an edit open.
    virtual SaveAnswer askSaveEdit(const std::string &fileName) = 0;
    // Asked when OK in the built-in editor finds the file changed on disk:
    // "Keep &both" is the default, "Back to &editing" answers Escape.
    virtual ChangedFileAnswer askChangedFile(const std::string &text) = 0;
    // Shows a conflict copy beside its file; Cancel on Escape.
    virtual ConflictChoice askResolveConflict(const ConflictView &view) = 0;
    // Runs a long job where the window stays live and repaints, taking no
    // other input meanwhile; past half a second a progress bar with Cancel
    // shows the caption. The job must not touch Ui or MainView. False when the
    // person cancelled (the job ended at a checkpoint); an exception the job
    // throws comes out here.
    virtual bool runLong(const std::string &caption, const std::function<void(JobProgress &)> &job) = 0;
};

// A line of the text area longer than this many characters is shown cut, with
// a note that the rest is not shown: laying out a line costs the window time
// in proportion to its length, and a line of megabytes would stall it for
// seconds. A line of at most this many bytes is never cut.
inline constexpr std::size_t kLongestShownLine = 10000;

// What the window shows. Texts are bytes with "\n" between lines.
class MainView {
public:
    virtual ~MainView() = default;

    // Taken by value: a large text can be moved in rather than copied.
    virtual void setMemoText(std::string text) = 0;
    virtual std::string memoText() const = 0;
    virtual void showMemo(bool shown) = 0;
    virtual bool memoShown() const = 0;
    virtual void setMemoWritable(bool writable) = 0;
    // Gives the text area the keyboard focus with the caret after the last character.
    virtual void focusMemoAtEnd() = 0;
    // Selects a part of the text area's text, given in bytes of memoText(),
    // and scrolls it into view.
    virtual void selectMemoBytes(std::size_t offset, std::size_t length) = 0;
    virtual void setPage(Page page) = 0;
    virtual void setStatus(const std::string &text) = 0;
    // Start Here page: idle (Start shown) or running (Next, Stop, the scale and its labels, the strip).
    virtual void setTestRunning(bool running) = 0;
    virtual void setScalePosition(int position) = 0;
    virtual int scalePosition() const = 0;
    virtual void focusScale() = 0;
    // The weak and strong limits, marked on the scale so the person sees
    // where an answer will ask for an essay.
    virtual void setScaleLimits(int weak, int strong) = 0;
    // Where the run stands, shown on the Start Here page; empty clears it.
    virtual void setTestPosition(const std::string &text) = 0;
    // While the review has an essay open: which one, beside the status line's
    // own texts, and whether "Later" is offered (only while more are to come).
    // Empty and false when the review leaves the essays.
    virtual void setReviewPosition(const std::string &text, bool laterOffered) = 0;
    // The editing tool bar shown and the test panel hidden, or the reverse.
    virtual void setEditing(bool editing) = 0;
    // A list's names or selection changed.
    virtual void listChanged(ListId list) = 0;
    // The three lists are to be read anew after the program itself changed
    // the folder. A window may read them beside its loop and fill them a
    // moment later, saying true: the next command finds them whole all the
    // same. False: the caller reads them now.
    virtual bool rereadListsAside() { return false; }
    // The option controls should show the options anew.
    virtual void optionsChanged() = 0;
};

} // namespace varnok
