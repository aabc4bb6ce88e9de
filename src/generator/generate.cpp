#include "generator/generate.h"

#include <cerrno>

#include "core/text.h"
#include "documents/documents.h"
#include "generator/gathering.h"
#include "generator/generation.h"
#include "platform/files.h"
#include "platform/memory.h"
#include "platform/textfile.h"

namespace varnok {

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
    const std::string path = CleanFileName(ctx.state, generatedEssayName(ctx.clock.now(), *wanted));
    if (!writeFileAtomic(path, essay.bytes()))
        failCannotCreate(path);
}

void bFunEssayClick(Context &ctx)
{
    runCommand(ctx, [&] {
        if (ctx.state.essays.count() == 0)
            return;
        const auto type = ctx.ui.askEssayType();
        if (!type)
            return;
        const auto names = ctx.state.essays.selectedNames();
        // Refused before anything is read or written: a selection that cannot
        // fit in memory would otherwise end the program.
        const std::size_t room = memoryForFiles();
        std::size_t total = 0;
        for (const auto &name : names) {
            const std::size_t size = fileSize(documentPath(ctx.state, name));
            if (size > room - total)
                throw CommandError(errorReportText(formatMessage(size > room ? kFileTooLarge : kFilesTooLarge, name)));
            total += size;
        }
        // Laid out once for all files, read one at a time.
        Gatherer gathered(*type);
        gathered.reserve(total);
        std::string bytes;
        for (const auto &name : names) {
            if (!readFileBytes(documentPath(ctx.state, name), bytes))
                failCannotOpen(name, errno);
            gathered.addFileBytes(bytes);
        }
        std::string().swap(bytes);
        if (gathered.empty())
            return;
        const Options &o = ctx.state.options;
        GenerationOptions options;
        options.sentenceParse = o.sentenceParse;
        options.randomize = o.randomize;
        options.limits = ParagraphLimits{o.minSentences, o.maxSentences};
        EssayText essay = generateEssayText(std::move(gathered), options, ctx.random);
        MakeEssay(ctx, essay);
        rereadLists(ctx);
    });
}

} // namespace varnok
