#include "support/fakeui.h"

#include <algorithm>
#include <utility>
#include <cstdlib>
#include <dirent.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

#include "platform/files.h"
#include "platform/textfile.h"

namespace varnok::testing {

namespace {

const char *pageName(Page page)
{
    switch (page) {
    case Page::Ask:
        return "Start Here";
    case Page::Essays:
        return "Essays";
    case Page::Lies:
        return "Lies";
    case Page::Tests:
        return "Tests";
    case Page::Options:
        break;
    }
    return "Program Options";
}

const char *listName(ListId id)
{
    switch (id) {
    case ListId::Lies:
        return "Lies";
    case ListId::Essays:
        return "Essays";
    case ListId::Tests:
        break;
    }
    return "Tests";
}

// GoogleTest names only std::exceptions it catches; this one is said here.
[[noreturn]] void fail(const std::string &what)
{
    ADD_FAILURE() << what;
    throw ScriptError{what};
}

} // namespace

void FakeUi::failIfAsked()
{
    if (questionFailure)
        std::rethrow_exception(std::exchange(questionFailure, nullptr));
}

template <typename T>
T FakeUi::take(std::deque<T> &queue, const char *what)
{
    if (queue.empty())
        fail(std::string("the test gave no answer for ") + what);
    T value = std::move(queue.front());
    queue.pop_front();
    return value;
}

void FakeUi::message(const std::string &text)
{
    log.push_back("message: " + text);
    messages.push_back(text);
}

void FakeUi::error(const std::string &text)
{
    log.push_back("error: " + text);
    messages.push_back(text);
}

bool FakeUi::confirm(const std::string &text)
{
    log.push_back("confirm: " + text);
    failIfAsked();
    return take(confirms, "a confirmation");
}

bool FakeUi::confirmDefaultNo(const std::string &text)
{
    log.push_back("confirm, No by default: " + text);
    failIfAsked();
    return take(confirms, "a confirmation");
}

std::optional<std::string> FakeUi::inputText(const std::string &caption, const std::string &prompt,
                                             const std::string &proposed)
{
    log.push_back("input: " + caption + " | " + prompt + " | " + proposed);
    failIfAsked();
    return take(inputs, "an input prompt");
}

TestChoice FakeUi::askTestParams()
{
    log.push_back("test params");
    failIfAsked();
    return take(testChoices, "the test-parameters dialog");
}

std::optional<RenameAnswer> FakeUi::askRename(const std::string &caption, const std::string &folder,
                                              const std::string &from)
{
    log.push_back("rename: " + caption + " | " + folder + " | " + from);
    failIfAsked();
    return take(renames, "the rename dialog");
}

std::optional<EssayType> FakeUi::askEssayType()
{
    log.push_back("essay type");
    failIfAsked();
    return take(essayTypes, "the essay-type dialog");
}

std::optional<std::string> FakeUi::openTextFile(const std::optional<std::string> &proposedName)
{
    log.push_back("open: " + proposedName.value_or(""));
    failIfAsked();
    return take(opens, "the open dialog");
}

std::optional<std::string> FakeUi::saveTextFile(const std::string &folder)
{
    log.push_back("save: " + folder);
    failIfAsked();
    return take(saves, "the save dialog");
}

void FakeUi::waitWhile(const std::function<bool()> &condition)
{
    log.push_back("wait");
    if (!condition())
        return;
    auto action = take(waitActions, "a nested wait");
    action();
    if (condition())
        fail("the scripted action did not end the wait");
}

namespace {

class ScriptedProgress : public JobProgress {
public:
    explicit ScriptedProgress(FakeUi &ui) : ui_(ui) {}
    void report(double fraction) override
    {
        JobProgress::report(fraction);
        ui_.reports.push_back(fraction);
        if (static_cast<int>(ui_.reports.size()) == ui_.cancelAt)
            cancel();
    }

private:
    FakeUi &ui_;
};

} // namespace

bool FakeUi::runLong(const std::string &caption, const std::function<void(JobProgress &)> &job)
{
    jobs.push_back(caption);
    ScriptedProgress progress(*this);
    try {
        job(progress);
    } catch (const JobCancelled &) {
        jobs.push_back("cancelled");
        return false;
    }
    return true;
}

void FakeUi::waitBlocked(const std::function<bool()> &condition)
{
    log.push_back("wait blocked");
    for (int i = 0; condition(); ++i) {
        if (i > 2000)
            fail("waited too long for a blocked wait");
        ::usleep(5000);
    }
}

SaveAnswer FakeUi::askSaveEdit(const std::string &fileName)
{
    log.push_back("save edit: " + fileName);
    failIfAsked();
    return take(saveEdits, "the save question");
}

ChangedFileAnswer FakeUi::askChangedFile(const std::string &text)
{
    log.push_back("changed file: " + text);
    failIfAsked();
    return take(changedFiles, "the changed-file question");
}

ConflictChoice FakeUi::askResolveConflict(const ConflictView &view)
{
    log.push_back("conflict: " + view.mainName + " | " + view.copyName);
    failIfAsked();
    return take(conflictChoices, "the conflict view");
}

void FakeUi::setMemoText(std::string text)
{
    memo = std::move(text);
}

void FakeUi::showMemo(bool shown)
{
    memoVisible = shown;
}

void FakeUi::setPage(Page p)
{
    page = p;
    log.push_back(std::string("page: ") + pageName(p));
}

void FakeUi::setStatus(const std::string &text)
{
    status = text;
    log.push_back("status: " + text);
}

void FakeUi::setTestRunning(bool running)
{
    testRunning = running;
    log.push_back(running ? "running" : "idle");
}

void FakeUi::setEditing(bool on)
{
    editing = on;
}

void FakeUi::listChanged(ListId list)
{
    log.push_back(std::string("list: ") + listName(list));
}

int ScriptedRandom::next(int n)
{
    int value;
    if (!script.empty()) {
        value = script.front();
        script.pop_front();
    } else {
        value = fallback.next(n);
    }
    draws.push_back(value);
    return value;
}

TempFolder::TempFolder()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "varnok-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("cannot make a temporary folder");
    path_ = pattern + "/";
}

TempFolder::~TempFolder()
{
    std::error_code ignored;
    // Folders made read-only by a test must be writable again to be removed.
    for (auto it = std::filesystem::recursive_directory_iterator(path_, ignored);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ignored))
        if (it->is_directory(ignored))
            std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ignored);
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path_, ignored);
}

void TempFolder::write(const std::string &name, const std::string &bytes) const
{
    if (!writeFileAtomic(file(name), bytes))
        throw std::runtime_error("cannot write " + name);
}

std::string TempFolder::read(const std::string &name) const
{
    std::string bytes;
    if (!readFileBytes(file(name), bytes))
        throw std::runtime_error("cannot read " + name);
    return bytes;
}

bool TempFolder::exists(const std::string &name) const
{
    return fileExists(file(name));
}

std::vector<std::string> TempFolder::names() const
{
    std::vector<std::string> result;
    for (const auto &entry : std::filesystem::directory_iterator(path_))
        result.push_back(entry.path().filename().string());
    std::sort(result.begin(), result.end());
    return result;
}

Harness::Harness() : startFolder(currentFolder())
{
    state.lieFolder = folder.path();
    state.homeTrash = home.path() + "Trash/";
}

Harness::~Harness()
{
    setCurrentFolder(startFolder);
}

} // namespace varnok::testing
