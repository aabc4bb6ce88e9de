#include "testrun/review.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/text.h"
#include "documents/documents.h"
#include "documents/editing.h"
#include "platform/files.h"
#include "platform/textfile.h"
#include "testrun/responses.h"

namespace varnok {

namespace {

constexpr std::int64_t kMillisecondsPerDay = 24LL * 60 * 60 * 1000;

struct Elapsed {
    int hours;
    int minutes;
    int seconds;
};

// The time-of-day part of the run's length: whole days are dropped, so a run
// of 25 hours reports one hour. A clock put back during the run gives the
// length of the step back rather than a negative time.
Elapsed elapsedBetween(const DateTime &start, const DateTime &end)
{
    std::int64_t ms = end.toMilliseconds() - start.toMilliseconds();
    if (ms < 0)
        ms = -ms;
    ms %= kMillisecondsPerDay;
    return {static_cast<int>(ms / 3600000), static_cast<int>(ms / 60000 % 60), static_cast<int>(ms / 1000 % 60)};
}

std::string twoDigits(int value)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%02d", value);
    return buffer;
}

std::string completedStatus(const Elapsed &e)
{
    return kTestCompleted + twoDigits(e.minutes) + kStatusMinutes + twoDigits(e.seconds) + kStatusSeconds;
}

std::string testTimeLine(const Elapsed &e)
{
    return kTestTime + toDecimal(e.hours) + kTimeHours + toDecimal(e.minutes) + kTimeMinutes + toDecimal(e.seconds) +
           kTimeSeconds;
}

// At or beyond a limit, or moved by at least the variance. The variance is
// read only when needed, so a bad variance text fails only at a response
// between the limits.
bool essayAsked(const Context &ctx, int response, int lastResponse, int weak, int strong)
{
    if (response >= strong || response <= weak)
        return true;
    const int variance = wholeNumberOrFail(ctx.state.options.variance);
    const int difference = response > lastResponse ? response - lastResponse : lastResponse - response;
    return difference >= variance;
}

void closeRun(Context &ctx)
{
    TestRun &run = ctx.state.run;
    run.testEndTime = ctx.clock.now();
    run.running = false;
    ctx.view.setTestPosition({});
    ctx.view.showMemo(false);
    ctx.view.setTestRunning(false);
    const Elapsed elapsed = elapsedBetween(run.testStartTime, run.testEndTime);
    ctx.view.setStatus(completedStatus(elapsed));
    run.testSummary.emplace_back();
    run.testSummary.push_back(testTimeLine(elapsed));
}

// Appends lines to a file's bytes as writeLines would end them, on a line of
// their own.
void appendBlock(std::string &bytes, const Lines &block)
{
    if (!bytes.empty() && bytes.back() != '\n' && bytes.back() != '\r')
        bytes += "\r\n";
    bytes += joinLines(block);
}

// A Lie whose file went (removed or renamed here, or by a sync tool) after it
// was shown has nothing left to belong to: its answer stays in the summary,
// and no essay is made or written for it.
bool lieGone(const Context &ctx, const TestAnswer &answer)
{
    return !fileExists(documentPath(ctx.state.run.testFolder, answer.lieName));
}

// One sentence naming the Lies, in its singular or plural form.
std::string namingText(const std::vector<std::string> &names, const char *one, const char *many)
{
    if (names.size() == 1)
        return formatMessage(one, names.front());
    std::string list;
    for (const auto &name : names)
        list += (list.empty() ? "" : ", ") + name;
    return formatMessage(many, list);
}

// The Lies of the test that could not be used, in one message: those never
// asked, then those whose answer found no Lie to belong to.
std::string unusedLiesText(const std::vector<std::string> &unread, const std::vector<std::string> &gone)
{
    std::string text;
    if (!unread.empty())
        text = namingText(unread, kLieUnreadInTest, kLiesUnreadInTest);
    if (!gone.empty())
        text += (text.empty() ? "" : "  ") + namingText(gone, kLieGoneAtReview, kLiesGoneAtReview);
    return text;
}

// Decides for every answer whether it asks for an essay, before any essay
// opens, so the person can be told how many there are. An error (an essay that
// cannot be read, a variance that is no number) ends the list where it
// happens and is kept in `stopped`: the essays before it are still handled,
// then the error is reported, as if the review had met it in turn.
std::vector<TestAnswer> essayRequests(Context &ctx, std::exception_ptr &stopped)
{
    AppState &state = ctx.state;
    const auto [weak, strong] = reactionLimits(state.options);
    std::vector<TestAnswer> requests;
    for (const TestAnswer &answer : state.run.testAnswers) {
        try {
            const std::string essayPath = essayPathOf(state.run.testFolder, answer.lieName);
            int lastResponse = 0;
            if (fileExists(essayPath)) {
                std::string essayBytes;
                if (const Status read = readFileBytes(essayPath, essayBytes); !read)
                    failCannotOpen(essayPath, read.error());
                lastResponse = lastStoredResponse(splitLines(essayBytes));
            }
            if (essayAsked(ctx, answer.response, lastResponse, weak, strong))
                requests.push_back(answer);
        } catch (const CommandError &) {
            stopped = std::current_exception();
            break;
        }
    }
    return requests;
}

// Appends the dated block to the Lie's essay, creating the essay from the
// Lie's text when there is none yet. Returns the essay's path and lines.
std::pair<std::string, Lines> appendResponseBlock(Context &ctx, const TestAnswer &answer, const std::string &stamp)
{
    const std::string &folder = ctx.state.run.testFolder;
    const std::string essayPath = essayPathOf(folder, answer.lieName);
    const bool essayExists = fileExists(essayPath);
    std::string essayBytes;
    if (const Status read = essayExists ? readFileBytes(essayPath, essayBytes) : Status(); !read)
        failCannotOpen(essayPath, read.error());
    // A new essay begins with the statement of the Lie.
    Lines essay =
        essayExists ? splitLines(essayBytes) : readLinesOrFail(documentPath(folder, answer.lieName), answer.lieName);
    const Lines block{"", stamp + kEssayResponse + toDecimal(answer.response), "", kExplainYourself, ""};
    essay.insert(essay.end(), block.begin(), block.end());
    // Stored before the editor opens, so the block stays whatever the
    // person does there.
    if (essayBytes.find('\0') == std::string::npos) {
        writeLinesOrFail(essayPath, essay);
    } else {
        // The lines end at a NUL byte; rewriting the essay from them would
        // drop everything after it. The block goes after the bytes instead.
        appendBlock(essayBytes, block);
        if (!writeFileAtomic(essayPath, essayBytes))
            failCannotCreate(essayPath);
    }
    return {essayPath, std::move(essay)};
}

// While the review goes through the essays: where it stands, and whether
// "Later" may end it. Cleared however the review ends.
class ReviewPlace {
public:
    explicit ReviewPlace(Context &ctx) : ctx_(ctx) { ctx_.state.run.reviewing = true; }
    ~ReviewPlace()
    {
        ctx_.state.run.reviewing = false;
        ctx_.state.run.laterChosen = false;
        ctx_.view.setReviewPosition({}, false);
    }
    ReviewPlace(const ReviewPlace &) = delete;
    ReviewPlace &operator=(const ReviewPlace &) = delete;

private:
    Context &ctx_;
};

// A test writes its summary once, here: a file already under the name is
// another test's (one of the same minute, a sync tool's delivery) and is
// never replaced. The summary then takes the first free name of "<name>
// (2).tst", "<name> (3).tst", ..., the test's name inside it unchanged.
void writeSummary(TestRun &run, const std::string &lieFolder)
{
    const std::string wanted = CleanFileName(lieFolder, run.testFileName);
    const auto dot = wanted.rfind('.');
    const bool hasExtension = dot != std::string::npos && dot > lieFolder.size();
    const std::string stem = hasExtension ? wanted.substr(0, dot) : wanted;
    const std::string extension = hasExtension ? wanted.substr(dot) : std::string();
    for (int number = 1; number <= 10000; ++number) {
        const std::string path = number == 1 ? wanted : stem + " (" + toDecimal(number) + ")" + extension;
        // Looked at again just before the rename: a file arriving meanwhile
        // is not replaced either.
        const auto stillFree = [&] { return !fileExists(resolveNoCase(path)); };
        if (!stillFree())
            continue;
        const Status written = writeFileAtomic(
            path, [&](const BytePut &put) { put(joinLines(run.testSummary)); }, stillFree);
        if (!written && written.error() == ECANCELED)
            continue;
        if (!written)
            failCannotCreate(path);
        run.testFileName = baseName(path);
        return;
    }
    failCannotCreate(wanted);
}

void reviewAnswers(Context &ctx)
{
    AppState &state = ctx.state;
    TestRun &run = state.run;
    closeRun(ctx);
    writeSummary(run, run.testFolder);

    std::exception_ptr stopped;
    const std::vector<TestAnswer> requests = essayRequests(ctx, stopped);
    std::vector<std::string> gone;
    const std::string stamp = dateStamp(run.testStartTime);
    {
        ReviewPlace place(ctx);
        for (std::size_t i = 0; i < requests.size(); ++i) {
            // Looked at just before the block is written: the person may
            // have spent long in the essays before this one.
            if (lieGone(ctx, requests[i])) {
                gone.push_back(requests[i].lieName);
                continue;
            }
            const auto [essayPath, essay] = appendResponseBlock(ctx, requests[i], stamp);
            // "Later" leaves the rest of the blocks in their essays unopened;
            // so does a window closed during an earlier essay, since the
            // blocks are the only store of these responses.
            if (run.laterChosen || state.closing)
                continue;
            ctx.view.setReviewPosition(reviewPositionText(i + 1, requests.size(), shownFileName(essayPath)),
                                       i + 1 < requests.size());
            ctx.view.setMemoText(memoTextFromBytes(joinLines(essay)));
            ctx.view.showMemo(true);
            openForEdit(ctx, essayPath);
        }
    }
    if (!stopped)
        rereadLists(ctx);
    if (!gone.empty() || !run.unreadLies.empty())
        ctx.ui.message(unusedLiesText(run.unreadLies, gone));
    if (stopped)
        std::rethrow_exception(stopped);
}

} // namespace

std::string reviewPositionText(std::size_t number, std::size_t count, const std::string &essayName)
{
    return "Essay " + toDecimal(static_cast<int>(number)) + " of " + toDecimal(static_cast<int>(count)) + ": " +
           essayName;
}

void bEditLaterClick(Context &ctx)
{
    TestRun &run = ctx.state.run;
    if (!run.reviewing || !ctx.state.edit.editInProgress)
        return;
    // What was written in this essay is kept as with OK; only when it is
    // stored do the other essays go unopened.
    bEditCommitClick(ctx);
    if (!ctx.state.edit.editInProgress)
        run.laterChosen = true;
}

void review(Context &ctx)
{
    runCommand(ctx, [&] { reviewAnswers(ctx); });
}

} // namespace varnok
