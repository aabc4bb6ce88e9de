#include "documents/editing.h"

#include "core/text.h"
#include "platform/files.h"
#include "platform/process.h"

namespace varnok {

void ExecAndWait(Context &ctx, const std::string &fileName)
{
    // Editors read options from arguments beginning with "-" and commands
    // from ones beginning with "+" (some even run a shell command given so),
    // and what else a first character means differs from editor to editor.
    // "./" names the same file, since the editor runs in the lie folder, and
    // cannot be read as anything but a path; so can a full path.
    const bool fullPath = !fileName.empty() && fileName.front() == kSeparator;
    const std::string argument = fullPath ? fileName : "./" + fileName;
    const auto argv = editorArguments(ctx.state.options.editor, argument);
    const auto pid = startProcess(argv, ctx.state.lieFolder);
    if (!pid) {
        // The person would otherwise wait for an editor that never comes.
        ctx.ui.error(
            errorReportText(describeStartError(editorCommandLine(ctx.state.options.editor, fileName), pid.error())));
        return;
    }
    ctx.ui.waitBlocked([pid] { return !processFinished(*pid); });
}

} // namespace varnok
