#include "core/context.h"

#include "core/text.h"

namespace varnok {

FileList &AppState::list(ListId id)
{
    switch (id) {
    case ListId::Lies:
        return lies;
    case ListId::Essays:
        return essays;
    case ListId::Tests:
        break;
    }
    return tests;
}

void failCannotOpen(const std::string &name)
{
    throw CommandError(errorReportText(formatMessage(kCannotOpenFile, name)));
}

void failCannotCreate(const std::string &name)
{
    throw CommandError(errorReportText(formatMessage(kCannotCreateFile, name)));
}

Lines readLinesOrFail(const std::string &path, const std::string &shownName)
{
    Lines lines;
    if (!readLines(path, lines))
        failCannotOpen(shownName);
    return lines;
}

void writeLinesOrFail(const std::string &path, const Lines &lines)
{
    if (!writeLines(path, lines))
        failCannotCreate(path);
}

int wholeNumberOrFail(const std::string &text)
{
    const auto value = parseWholeNumber(text);
    if (!value)
        throw CommandError(errorReportText(formatMessage(kNotValidInteger, text)));
    return *value;
}

} // namespace varnok
