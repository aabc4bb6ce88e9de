#include "core/context.h"

#include <cerrno>
#include <new>
#include <stdexcept>

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

void failCannotOpen(const std::string &name, int readError)
{
    throw CommandError(errorReportText(formatMessage(readError == EFBIG ? kFileTooLarge : kCannotOpenFile, name)));
}

void failCannotCreate(const std::string &name)
{
    throw CommandError(errorReportText(formatMessage(kCannotCreateFile, name)));
}

void failCannotCreate(const std::string &name, const Status &failure)
{
    throw CommandError(errorReportText(formatMessage(kCannotCreateFile, name) + ": " + failure.reason()));
}

Lines readLinesOrFail(const std::string &path, const std::string &shownName)
{
    Lines lines;
    if (const Status read = readLines(path, lines); !read)
        failCannotOpen(shownName, read.error());
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

void reportUnexpected(Context &ctx, const std::exception &e)
{
    // A length beyond what a string or list can hold is the same shortage.
    if (dynamic_cast<const std::bad_alloc *>(&e) || dynamic_cast<const std::length_error *>(&e))
        ctx.ui.error(kOutOfMemory);
    else
        ctx.ui.error(errorReportText(formatMessage(kUnexpectedError, e.what())));
}

} // namespace varnok
