#include "testrun/testrun.h"

#include <vector>

#include "core/text.h"
#include "documents/conflicts.h"
#include "documents/documents.h"
#include "documents/editing.h"
#include "platform/textfile.h"
#include "testrun/review.h"

namespace varnok {

namespace {

// A sync tool's conflict copy of a Lie stays listed until the person resolves
// it, but a test never asks it: its answer would start an essay of its own
// beside the Lie's, and the Lie would be asked twice.
bool askable(const FileList &lies, int i)
{
    return !parseConflictCopy(lies.name(i)).has_value();
}

int askableCount(const FileList &lies)
{
    int count = 0;
    for (int i = 0; i < lies.count(); ++i)
        count += askable(lies, i) ? 1 : 0;
    return count;
}

std::string namesText(const std::vector<std::string> &names)
{
    std::string list;
    for (const auto &name : names)
        list += (list.empty() ? "" : ", ") + name;
    return list;
}

// The test-parameters dialog as a number of Lies; 0 means no run.
int chooseSampleSize(Context &ctx)
{
    FileList &lies = ctx.state.lies;
    switch (ctx.ui.askTestParams()) {
    case TestChoice::Full:
        return askableCount(lies);
    case TestChoice::Sample: {
        const auto text = ctx.ui.inputText(kSampleCaption, kSamplePrompt, toDecimal(askableCount(lies)));
        if (!text)
            return 0;
        return parseWholeNumber(*text).value_or(0);
    }
    case TestChoice::UseSelected: {
        // With retain on, a sample of exactly the selected count keeps every
        // selected Lie and adds none, which is what the button promises.
        ctx.state.retainLies = true;
        int selected = 0;
        std::vector<std::string> copies;
        for (int i = 0; i < lies.count(); ++i) {
            if (lies.isSelected(i) && askable(lies, i))
                ++selected;
            else if (lies.isSelected(i))
                copies.push_back(lies.name(i));
        }
        if (!copies.empty())
            ctx.ui.message(copies.size() == 1 ? formatMessage(kConflictCopyLeftOut, copies.front())
                                              : formatMessage(kConflictCopiesLeftOut, namesText(copies)));
        if (selected == 0)
            ctx.ui.message(kNoLiesSelected);
        return selected;
    }
    case TestChoice::Cancel:
        break;
    }
    return 0;
}

std::vector<bool> selectionOf(const FileList &list)
{
    std::vector<bool> selected(static_cast<std::size_t>(list.count()));
    for (int i = 0; i < list.count(); ++i)
        selected[static_cast<std::size_t>(i)] = list.isSelected(i);
    return selected;
}

void restoreSelection(FileList &list, const std::vector<bool> &selected)
{
    for (int i = 0; i < list.count() && static_cast<std::size_t>(i) < selected.size(); ++i)
        list.setSelected(i, selected[static_cast<std::size_t>(i)]);
}

// Shows the run's Lie at currentLieIndex and copies its lines into the
// summary. A file that cannot be read (removed, renamed, made unreadable or
// replaced by a folder since the run began) leaves the summary untouched, so
// it never holds another file's text under this Lie. It is not reported here:
// a box in the middle of the test would stand between the person and the
// next Lie; the review names it at the end.
bool showLie(Context &ctx)
{
    TestRun &run = ctx.state.run;
    const std::string &name = run.testLieNames[static_cast<std::size_t>(run.currentLieIndex)];
    std::string bytes;
    if (!readFileBytes(documentPath(run.testFolder, name), bytes)) {
        run.unreadLies.push_back(name);
        return false;
    }
    ctx.view.setScalePosition(kScaleLowest);
    run.scaleMoved = false;
    run.awaitingFirstLie = false;
    ctx.view.setMemoText(memoTextFromBytes(bytes));
    // The file's own lines, not the lines as the text area wraps them.
    for (auto &line : splitLines(bytes))
        run.testSummary.push_back(std::move(line));
    ctx.view.showMemo(true);
    run.testSummary.emplace_back();
    // So the test can be taken with the keyboard alone.
    ctx.view.focusScale();
    return true;
}

// Shows the run's next Lie that can be read; past the last one the run ends.
void showNextLie(Context &ctx)
{
    TestRun &run = ctx.state.run;
    const int count = static_cast<int>(run.testLieNames.size());
    while (run.currentLieIndex + 1 < count) {
        ++run.currentLieIndex;
        ctx.view.setTestPosition(testPositionText(run.currentLieIndex + 1, count));
        if (showLie(ctx))
            return;
    }
    review(ctx);
}

void recordAnswer(Context &ctx)
{
    TestRun &run = ctx.state.run;
    if (run.currentLieIndex < 0 || run.currentLieIndex >= static_cast<int>(run.testLieNames.size()))
        return;
    const TestAnswer &answer = run.testAnswers.emplace_back(
        TestAnswer{run.testLieNames[static_cast<std::size_t>(run.currentLieIndex)], ctx.view.scalePosition()});
    run.testSummary.emplace_back();
    run.testSummary.push_back(kSummaryResponse + toDecimal(answer.response));
    run.testSummary.emplace_back();
}

void nextLie(Context &ctx)
{
    TestRun &run = ctx.state.run;
    if (!run.running)
        return;
    if (!run.scaleMoved && !run.awaitingFirstLie) {
        ctx.ui.message(kIndicateStrength);
        // The person answers with the scale next, often by keyboard.
        ctx.view.focusScale();
        return;
    }
    if (run.scaleMoved)
        recordAnswer(ctx);
    showNextLie(ctx);
}

void startTest(Context &ctx)
{
    FileList &lies = ctx.state.lies;
    TestRun &run = ctx.state.run;
    // A review waiting in the built-in editor must not start a run inside itself.
    if (ctx.state.edit.editInProgress) {
        ctx.ui.message(kFinishEditsMessage);
        return;
    }
    if (askableCount(lies) == 0) {
        ctx.ui.message(kNoLiesFound);
        ctx.view.setPage(Page::Lies);
        return;
    }
    const int sampleSize = chooseSampleSize(ctx);
    if (sampleSize == 0)
        return;

    const bool replacesRun = run.running;
    const std::vector<bool> previousSelection = selectionOf(lies);
    if (sampleSize == askableCount(lies)) {
        for (int i = 0; i < lies.count(); ++i)
            lies.setSelected(i, askable(lies, i));
        ctx.view.listChanged(ListId::Lies);
    } else {
        SelectLies(ctx, sampleSize);
    }

    ctx.view.setScalePosition(kScaleLowest);
    const auto [weak, strong] = reactionLimits(ctx.state.options);
    ctx.view.setScaleLimits(weak, strong);
    run.scaleMoved = false;
    run.testLieNames = lies.selectedNames();
    run.testFolder = ctx.state.lieFolder;
    run.testAnswers.clear();
    run.unreadLies.clear();
    run.currentLieIndex = -1;

    run.running = true;
    ctx.view.setTestRunning(true);
    ctx.view.setStatus(kTestInProgress);

    run.awaitingFirstLie = true;
    run.testStartTime = ctx.clock.now();
    run.testSummary.clear();

    const auto name =
        ctx.ui.inputText(kTestNameCaption, kTestNamePrompt, dateStamp(run.testStartTime) + kTestNameSuffix);
    if (!name) {
        // Back to idle as if no run had started. The last run's file name goes
        // too, so no later review can write a summary under it.
        run.running = false;
        run.awaitingFirstLie = false;
        run.testFileName.clear();
        ctx.view.setTestPosition({});
        restoreSelection(lies, previousSelection);
        ctx.view.listChanged(ListId::Lies);
        ctx.view.setTestRunning(false);
        ctx.view.setStatus({});
        if (replacesRun)
            ctx.view.showMemo(false);
        return;
    }
    run.testSummary.push_back(*name);
    run.testSummary.emplace_back();
    run.testFileName = firstChars(*name, kNameChars) + kTestExtension;
    nextLie(ctx);
}

} // namespace

std::string testPositionText(int number, int count)
{
    return "Lie " + toDecimal(number) + " of " + toDecimal(count);
}

void bAskStartClick(Context &ctx)
{
    runCommand(ctx, [&] { startTest(ctx); });
}

void bTestsNewClick(Context &ctx)
{
    ctx.view.setPage(Page::Ask);
    bAskStartClick(ctx);
}

void bAskNextClick(Context &ctx)
{
    runCommand(ctx, [&] { nextLie(ctx); });
}

void bAskStopClick(Context &ctx)
{
    if (ctx.state.run.running)
        review(ctx);
}

void TrackBar1Change(Context &ctx)
{
    ctx.state.run.scaleMoved = true;
}

void SelectLies(Context &ctx, int n)
{
    FileList &lies = ctx.state.lies;
    // The draw is among the Lies a test may ask; with no conflict copy
    // listed these are the list's own positions.
    std::vector<int> drawable;
    for (int i = 0; i < lies.count(); ++i) {
        if (askable(lies, i))
            drawable.push_back(i);
        else
            lies.setSelected(i, false);
    }
    const int count = static_cast<int>(drawable.size());
    if (n > count)
        n = count;
    int kept = 0;
    if (ctx.state.retainLies) {
        for (const int i : drawable) {
            if (!lies.isSelected(i))
                continue;
            if (kept < n)
                ++kept;
            else
                lies.setSelected(i, false);
        }
    } else {
        lies.clearSelection();
    }
    while (kept < n) {
        const int at = drawable[static_cast<std::size_t>(ctx.random.next(count))];
        if (!lies.isSelected(at)) {
            lies.setSelected(at, true);
            ++kept;
        }
    }
    ctx.view.listChanged(ListId::Lies);
}

} // namespace varnok
