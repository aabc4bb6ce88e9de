#include "documents/editing.h"

#include "core/text.h"
#include "platform/process.h"

namespace varnok {

void ExecAndWait(Context &ctx, const std::string &fileName)
{
    // A name that begins with a dash would be read as an option by most
    // editors; "./" names the same file, since the editor runs in the lie folder.
    const bool optionLike = !fileName.empty() && fileName.front() == '-';
    const std::string argument = optionLike ? "./" + fileName : fileName;
    const auto argv = editorArguments(ctx.state.options.editor, argument);
    const auto pid = startProcess(argv, ctx.state.lieFolder);
    if (!pid) {
        // The person would otherwise wait for an editor that never comes.
        ctx.ui.error(errorReportText(
            describeStartError(editorCommandLine(ctx.state.options.editor, fileName), pid.error())));
        return;
    }
    ctx.ui.waitBlocked([pid] { return !processFinished(*pid); });
}

} // namespace varnok
