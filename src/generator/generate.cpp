#include "generator/generate.h"

#include <utility>
#include <vector>

#include "core/text.h"
#include "documents/documents.h"
#include "generator/sentences.h"
#include "generator/shuffle.h"
#include "platform/files.h"
#include "platform/textfile.h"

namespace varnok {

EssayText generateEssayText(Gatherer gathered, const GenerationOptions &options, Random &random)
{
    if (options.sentenceParse) {
        const CutText cut(gathered.takeForCutting());
        if (!options.randomize)
            return composeParagraphs(cut.sentences(), cut.textSize(), options.limits, random);
        return composeParagraphs(randomized(cut.sentences(), random), cut.textSize(), options.limits, random);
    }

    const std::string_view lineBreak =
        gathered.type() == EssayType::EssayResponses ? kLineBreak : std::string_view();
    EssayText essay;
    std::size_t bytes = 0;
    for (std::size_t i = 0; i < gathered.lineCount(); ++i)
        bytes += gathered.lineText(i).size() + lineBreak.size() + kLineBreak.size();
    essay.reserve(bytes, gathered.lineCount());
    for (std::size_t i = 0; i < gathered.lineCount(); ++i) {
        essay.append(gathered.lineText(i));
        essay.append(lineBreak);
        essay.endLine();
    }
    return essay;
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
    const std::string path = resolveNoCase(CleanFileName(ctx.state, generatedEssayName(ctx.clock.now(), *wanted)));
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
        std::vector<std::string> paths;
        paths.reserve(names.size());
        std::size_t total = 0;
        for (const auto &name : names) {
            paths.push_back(documentPath(ctx.state, name));
            total += fileSize(paths.back());
        }
        // Laid out once for all files, read one at a time.
        Gatherer gathered(*type);
        gathered.reserve(total);
        std::string bytes;
        for (std::size_t i = 0; i < names.size(); ++i) {
            if (!readFileBytes(paths[i], bytes))
                failCannotOpen(names[i]);
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
