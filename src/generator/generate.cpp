#include "generator/generate.h"

#include "app/text.h"
#include "documents/documents.h"
#include "generator/essaywriter.h"
#include "generator/gathering.h"
#include "generator/generation.h"

namespace varnok {

void MakeEssay(Context &ctx, Lines &lines)
{
    const int count = static_cast<int>(lines.size());
    const auto answer =
        ctx.ui.inputText(std::string(kLineCountCaption), std::string(kLineCountPrompt), toDecimal(count));
    if (!answer)
        return;
    const auto wanted = parseLineCount(*answer, count);
    if (!wanted) {
        ctx.ui.message(std::string(kNegativeLineCountMessage));
        return;
    }
    keepFirstLines(lines, *wanted);
    const std::string path = CleanFileName(ctx.state, generatedEssayName(ctx.clock.now(), *wanted));
    writeLinesOrFail(path, lines);
}

void bFunEssayClick(Context &ctx)
{
    runCommand(ctx, [&] {
        if (ctx.state.essays.count() == 0)
            return;
        const auto type = ctx.ui.askEssayType();
        if (!type)
            return;
        Gatherer gathered(*type);
        for (const auto &name : ctx.state.essays.selectedNames())
            gathered.addFile(readLinesOrFail(documentPath(ctx.state, name), name));
        if (gathered.empty())
            return;
        const Options &o = ctx.state.options;
        GenerationOptions options;
        options.sentenceParse = o.sentenceParse;
        options.randomize = o.randomize;
        options.limits = ParagraphLimits{o.minSentences, o.maxSentences};
        Lines lines = generateEssayLines(std::move(gathered), options, ctx.random);
        MakeEssay(ctx, lines);
        rereadLists(ctx);
    });
}

} // namespace varnok
