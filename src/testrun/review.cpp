#include "testrun/review.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string_view>

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

void reviewAnswers(Context &ctx)
{
    AppState &state = ctx.state;
    TestRun &run = state.run;
    closeRun(ctx);
    writeLinesOrFail(resolveNoCase(CleanFileName(state.lieFolder, run.testFileName)), run.testSummary);

    const auto [weak, strong] = reactionLimits(state.options);
    const std::string stamp = dateStamp(run.testStartTime);

    for (const TestAnswer &answer : run.testAnswers) {
        if (state.closing)
            break;
        const std::string &lieName = answer.lieName;
        const std::string essayPath = essayPathOf(state.lieFolder, lieName);
        const bool essayExists = fileExists(essayPath);
        std::string essayBytes;
        if (essayExists && !readFileBytes(essayPath, essayBytes))
            failCannotOpen(essayPath);
        Lines essay = splitLines(essayBytes);
        const int lastResponse = essayExists ? lastStoredResponse(essay) : 0;
        if (!essayAsked(ctx, answer.response, lastResponse, weak, strong))
            continue;

        // A new essay begins with the statement of the Lie.
        if (!essayExists)
            essay = readLinesOrFail(documentPath(state.lieFolder, lieName), lieName);
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
        ctx.view.setMemoText(memoTextFromBytes(joinLines(essay)));
        ctx.view.showMemo(true);
        openForEdit(ctx, essayPath);
    }
    rereadLists(ctx);
}

} // namespace

void review(Context &ctx)
{
    runCommand(ctx, [&] { reviewAnswers(ctx); });
}

} // namespace varnok
