#include "generator/generate.h"

#include <memory>
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
        CutText cut = cutSentences(gathered.take().text);
        if (options.randomize)
            shuffleLines(cut.sentences, random);
        return composeParagraphs(std::move(cut), options.limits, random);
    }

    const EssayText::Tail tail =
        gathered.type() == EssayType::EssayResponses ? EssayText::Tail::Break : EssayText::Tail::None;
    Gatherer::Taken taken = gathered.take();
    auto text = std::make_unique<const std::string>(std::move(taken.text));
    std::vector<std::string_view> lines;
    lines.reserve(taken.ends.size());
    std::size_t start = 0;
    for (const std::size_t end : taken.ends) {
        lines.push_back(std::string_view(*text).substr(start, end - start));
        start = end;
    }
    EssayText essay(std::move(text), std::move(lines));
    for (std::size_t i = 0; i < taken.ends.size(); ++i) {
        essay.setTail(i, tail);
        essay.endLineAfter(i + 1);
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
    const std::string path = resolveNoCase(CleanFileName(ctx.state.lieFolder, generatedEssayName(ctx.clock.now(), *wanted)));
    if (!writeFileAtomic(path, [&essay](const BytePut &put) { essay.produce(put); }))
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
            paths.push_back(documentPath(ctx.state.lieFolder, name));
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
