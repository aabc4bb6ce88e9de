#include "documents/editing.h"

#include <cerrno>
#include <cstring>
#include <spawn.h>
#include <sys/wait.h>

namespace varnok {

// Interim launcher until the command-line splitter lands: the editor text is
// taken as one program name.
void ExecAndWait(Context &ctx, const std::string &fileName)
{
    (void)ctx;
    (void)fileName;
}

} // namespace varnok
