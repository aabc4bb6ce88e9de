#include "generator/generate.h"

#include <memory>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "core/text.h"
#include "documents/documents.h"
#include "generator/sentences.h"
#include "generator/shuffle.h"
#include "platform/files.h"
#include "platform/memory.h"
#include "platform/textfile.h"
#include "platform/thread.h"

namespace varnok {

EssayText generateEssayText(Gatherer gathered, const GenerationOptions &options, Random &random, JobProgress *progress,
                            double from)
{
    // The steps take roughly equal time: the cut, the shuffle, the composer.
    const auto step = [progress, from](double share) {
        if (progress)
            progress->checkpoint(from + (1.0 - from) * share);
    };
    if (options.sentenceParse) {
        SentenceText text(gathered.take().text);
        step(0.2);
        CutText cut;
        if (options.randomize) {
            cut = shuffledSentences(std::move(text), random);
        } else {
            cut.text = std::move(text);
            cut.sentences = inTextOrder(cut.text);
        }
        step(0.7);
        return composeParagraphs(std::move(cut), options.limits, random);
    }

    const EssayText::Tail tail =
        gathered.type() == EssayType::EssayResponses ? EssayText::Tail::Break : EssayText::Tail::None;
    Gatherer::Taken taken = gathered.take();
    return EssayText(std::move(taken.text), std::move(taken.ends), tail);
}

Status writeEssay(const std::string &path, const EssayText &essay, const std::function<bool()> &stillWanted,
                  const EssayText::LinesDone &done)
{
    return writeFileAtomic(
        path,
        [&](const BytePut &put) {
            essay.produceBlocks([&](std::string &block) { return stillWanted() && put(block); }, done);
        },
        stillWanted);
}

std::optional<int> parseLineCount(std::string_view answer, int lineCount)
{
    const auto number = parseWholeNumber(answer);
    if (!number)
        return lineCount;
    if (*number < 0)
        return std::nullopt;
    return *number;
}

std::string generatedEssayName(const DateTime &now, int n)
{
    std::string name = dateStamp(now);
    name += toDecimal(n);
    name += kGeneratedEssaySuffix;
    return name;
}

void MakeEssay(Context &ctx, EssayText &essay)
{
    const int count = static_cast<int>(essay.lineCount());
    const auto answer =
        ctx.ui.inputText(std::string(kLineCountCaption), std::string(kLineCountPrompt), toDecimal(count));
    if (!answer)
        return;
    const auto wanted = parseLineCount(*answer, count);
    if (!wanted) {
        ctx.ui.message(std::string(kNegativeLineCountMessage));
        return;
    }
    essay.keepFirstLines(*wanted);
    // An essay of this minute and count in other letter case is the same
    // document, replaced like every other.
    const std::string path =
        resolveNoCase(CleanFileName(ctx.state.lieFolder, generatedEssayName(ctx.clock.now(), *wanted)));
    bool written = false;
    const bool done = ctx.ui.runLong(std::string(kWritingEssayCaption), [&](JobProgress &progress) {
        progress.checkpoint(0.0);
        // The essay's bytes are made as they are written: Cancel stops the
        // making, and also at the very end keeps the file from appearing.
        const auto stillWanted = [&progress] { return !progress.cancelled(); };
        // On a slow disk the writing takes seconds: its bar follows the
        // lines handed to the file, which at most two megabytes wait for.
        written = static_cast<bool>(
            writeEssay(path, essay, stillWanted, [&progress](double share) { progress.report(share); }));
        if (!written && progress.cancelled())
            throw JobCancelled{};
        progress.report(1.0);
    });
    if (done && !written)
        failCannotCreate(path);
}

namespace {

// What a large essay holds, as much memory as the files it came from, is
// given back on a thread of its own: at fifty megabytes that held the
// window for several milliseconds after the essay was written.
constexpr std::size_t kLinesReleasedAside = 10000;

// The sizes of the files at paths, on two cores for many: a name is almost
// always found as it is listed, and a system call for each of a few thousand
// essays held the window for several milliseconds.
std::vector<std::optional<std::size_t>> foundSizes(const std::vector<std::string> &paths)
{
    constexpr std::size_t kFilesForParts = 512;
    std::vector<std::optional<std::size_t>> sizes(paths.size());
    const std::size_t parts = partsFor(paths.size() >= kFilesForParts);
    inParts(parts, [&](std::size_t p) {
        for (std::size_t i = partBegin(paths.size(), p, parts); i < partBegin(paths.size(), p + 1, parts); ++i)
            sizes[i] = foundFileSize(paths[i]);
    });
    return sizes;
}

void releaseAside(EssayText &&essay)
{
    if (essay.lineCount() < kLinesReleasedAside)
        return;
    try {
        std::thread([held = std::move(essay)] {}).detach();
    } catch (const std::system_error &) {
        // No thread to be had: it was given back here.
    }
}

} // namespace

void bFunEssayClick(Context &ctx)
{
    runCommand(ctx, [&] {
        if (ctx.state.essays.count() == 0)
            return;
        const auto type = ctx.ui.askEssayType();
        if (!type)
            return;
        const auto names = ctx.state.essays.selectedNames();
        std::vector<std::string> paths;
        paths.reserve(names.size());
        for (const auto &name : names)
            paths.push_back(listedDocumentPath(ctx.state.lieFolder, name));
        const std::vector<std::optional<std::size_t>> sizes = foundSizes(paths);
        // Refused before anything is read or written: a selection that cannot
        // fit in memory would otherwise end the program.
        const std::size_t room = memoryForFiles();
        std::size_t total = 0;
        for (std::size_t i = 0; i < names.size(); ++i) {
            std::size_t size = sizes[i].value_or(0);
            if (!sizes[i]) {
                paths[i] = resolveNoCase(paths[i]);
                size = fileSize(paths[i]);
            }
            if (size > room - total)
                throw CommandError(
                    errorReportText(formatMessage(size > room ? kFileTooLarge : kFilesTooLarge, names[i])));
            total += size;
        }
        const Options &o = ctx.state.options;
        GenerationOptions options;
        options.sentenceParse = o.sentenceParse;
        options.randomize = o.randomize;
        options.limits = ParagraphLimits{o.minSentences, o.maxSentences};
        // Reading takes about as long as all the rest together.
        constexpr double kReadShare = 0.5;
        EssayText essay;
        bool gatheredAny = false;
        const bool done = ctx.ui.runLong(std::string(kGeneratingCaption), [&](JobProgress &progress) {
            // Laid out once for all files, read one at a time.
            Gatherer gathered(*type, !options.sentenceParse);
            gathered.reserve(total);
            const auto unread = gatherFiles(gathered, paths, [&](std::size_t read) {
                progress.checkpoint(total > 0 ? kReadShare * static_cast<double>(read) / static_cast<double>(total)
                                              : 0.0);
            });
            if (unread)
                failCannotOpen(names[unread->index], unread->status.error());
            progress.checkpoint(kReadShare);
            if (gathered.empty())
                return;
            gatheredAny = true;
            essay = generateEssayText(std::move(gathered), options, ctx.random, &progress, kReadShare);
        });
        if (!done || !gatheredAny)
            return;
        MakeEssay(ctx, essay);
        rereadLists(ctx);
        releaseAside(std::move(essay));
    });
}

} // namespace varnok
