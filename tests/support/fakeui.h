#pragma once

#include <deque>
#include <exception>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "core/context.h"
#include "platform/clock.h"
#include "platform/random.h"

namespace varnok::testing {

// A fault of the test's script (a question left unanswered, a wait never
// ended). Not a std::exception, so the commands' own safety net, which turns
// those into error messages, cannot hide it.
struct ScriptError {
    std::string what;
};

// A scripted stand-in for the window: answers questions from a queue and
// records everything asked and shown, in order, as readable lines.
class FakeUi : public Ui, public MainView {
public:
    // Answers, consumed in order by the questions that take them.
    void answerConfirm(bool yes) { confirms.push_back(yes); }
    void answerInput(std::optional<std::string> text) { inputs.push_back(std::move(text)); }
    void answerTestParams(TestChoice choice) { testChoices.push_back(choice); }
    void answerRename(std::optional<RenameAnswer> answer) { renames.push_back(std::move(answer)); }
    void answerEssayType(std::optional<EssayType> type) { essayTypes.push_back(type); }
    void answerOpen(std::optional<std::string> path) { opens.push_back(std::move(path)); }
    void answerSave(std::optional<std::string> path) { saves.push_back(std::move(path)); }
    void answerSaveEdit(SaveAnswer answer) { saveEdits.push_back(answer); }
    void answerChangedFile(ChangedFileAnswer answer) { changedFiles.push_back(answer); }
    void answerConflict(ConflictChoice choice) { conflictChoices.push_back(choice); }
    // What the person does while a nested wait runs (an edit is open, an
    // external program runs): one action per wait, run until the wait ends.
    void whileWaiting(std::function<void()> action) { waitActions.push_back(std::move(action)); }
    // The next question of any kind throws this instead of being answered.
    void failNextQuestion(std::exception_ptr failure) { questionFailure = std::move(failure); }
    // Long jobs run at once. The person presses Cancel as the n-th progress
    // report (counted over all jobs, from 1) comes in.
    void cancelAtReport(int n) { cancelAt = n; }

    // Ui
    void message(const std::string &text) override;
    void error(const std::string &text) override;
    bool confirm(const std::string &text) override;
    bool confirmDefaultNo(const std::string &text) override;
    std::optional<std::string> inputText(const std::string &caption, const std::string &prompt,
                                         const std::string &proposed) override;
    TestChoice askTestParams() override;
    std::optional<RenameAnswer> askRename(const std::string &caption, const std::string &folder,
                                          const std::string &from) override;
    std::optional<EssayType> askEssayType() override;
    std::optional<std::string> openTextFile(const std::optional<std::string> &proposedName) override;
    std::optional<std::string> saveTextFile(const std::string &folder) override;
    void waitWhile(const std::function<bool()> &condition) override;
    void waitBlocked(const std::function<bool()> &condition) override;
    SaveAnswer askSaveEdit(const std::string &fileName) override;
    ChangedFileAnswer askChangedFile(const std::string &text) override;
    ConflictChoice askResolveConflict(const ConflictView &view) override;
    bool runLong(const std::string &caption, const std::function<void(JobProgress &)> &job) override;

    // MainView
    void setMemoText(std::string text) override;
    std::string memoText() const override { return memo; }
    void showMemo(bool shown) override;
    bool memoShown() const override { return memoVisible; }
    void setMemoWritable(bool writable) override { memoWritable = writable; }
    void focusMemoAtEnd() override { log.push_back("focus memo"); }
    void selectMemoBytes(std::size_t offset, std::size_t length) override { memoSelection = {offset, length}; }
    void setPage(Page page) override;
    void setStatus(const std::string &text) override;
    void setTestRunning(bool running) override;
    void setScalePosition(int position) override { scale = position; }
    int scalePosition() const override { return scale; }
    void focusScale() override { scaleFocused = true; }
    void setScaleLimits(int weak, int strong) override { scaleLimits = {weak, strong}; }
    void setTestPosition(const std::string &text) override { testPositions.push_back(text); }
    void setReviewPosition(const std::string &text, bool laterOffered) override
    {
        reviewPositions.push_back(text + (laterOffered ? " [Later]" : ""));
    }
    void setEditing(bool editing) override;
    void listChanged(ListId list) override;
    void optionsChanged() override { log.push_back("options"); }

    // Everything asked and shown, in order.
    std::vector<std::string> log;
    // Only the messages and errors, in order.
    std::vector<std::string> messages;
    // The long jobs' captions, and every progress report, in order.
    std::vector<std::string> jobs;
    std::vector<double> reports;
    int cancelAt = 0;

    std::string memo;
    bool memoVisible = false;
    bool memoWritable = false;
    std::pair<std::size_t, std::size_t> memoSelection{0, 0}; // offset and length in bytes
    Page page = Page::Ask;
    std::string status;
    bool testRunning = false;
    bool editing = false;
    bool scaleFocused = false;
    int scale = 13;
    std::pair<int, int> scaleLimits{0, 0};
    // Every position text shown, in order; the last one stands.
    std::vector<std::string> testPositions;
    // Every review position shown, " [Later]" added where Later was offered.
    std::vector<std::string> reviewPositions;

    std::deque<bool> confirms;
    std::deque<std::optional<std::string>> inputs;
    std::deque<TestChoice> testChoices;
    std::deque<std::optional<RenameAnswer>> renames;
    std::deque<std::optional<EssayType>> essayTypes;
    std::deque<std::optional<std::string>> opens;
    std::deque<std::optional<std::string>> saves;
    std::deque<SaveAnswer> saveEdits;
    std::deque<ChangedFileAnswer> changedFiles;
    std::deque<ConflictChoice> conflictChoices;
    std::deque<std::function<void()>> waitActions;
    std::exception_ptr questionFailure;

private:
    void failIfAsked();
    template <typename T>
    T take(std::deque<T> &queue, const char *what);
};

// A clock that returns a fixed time until moved.
class FixedClock : public Clock {
public:
    explicit FixedClock(DateTime t) : time(t) {}
    DateTime now() override { return time; }
    DateTime time;
};

// Draws from a script first, then from a seeded generator.
class ScriptedRandom : public Random {
public:
    explicit ScriptedRandom(unsigned seed = 1) : fallback(seed) {}
    int next(int n) override;
    std::deque<int> script;
    std::vector<int> draws; // every value returned, for tests that compare sequences

private:
    SeededRandom fallback;
};

// A fresh temporary folder, removed with everything in it at the end.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder &) = delete;
    TempFolder &operator=(const TempFolder &) = delete;

    const std::string &path() const { return path_; } // ends in "/"
    std::string file(const std::string &name) const { return path_ + name; }
    void write(const std::string &name, const std::string &bytes) const;
    std::string read(const std::string &name) const;
    bool exists(const std::string &name) const;
    std::vector<std::string> names() const; // every entry, hidden ones too, sorted

private:
    std::string path_;
};

// A whole program in a temporary lie folder, driven by the fake.
struct Harness {
    Harness();
    ~Harness();
    // Commands make the lie folder the current folder; the test's own is restored.
    std::string startFolder;
    TempFolder folder;
    // Holds the home Trash, apart from the lie folder.
    TempFolder home;
    FakeUi ui;
    FixedClock clock{DateTime{2026, 12, 7, 17, 27, 0, 0}};
    ScriptedRandom random;
    AppState state;
    Context ctx{state, ui, ui, clock, random};
};

} // namespace varnok::testing
