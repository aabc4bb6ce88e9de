#include "help/helpfile.h"

#include "platform/files.h"

namespace varnok {

std::optional<std::string> findHelpFile(const std::string &programFolder, const std::vector<std::string> &dataFolders)
{
    const std::string besideProgram = resolveNoCase(programFolder + kHelpFileName);
    if (fileExists(besideProgram))
        return besideProgram;
    for (const std::string &folder : dataFolders) {
        const std::string installed = folder + kDataSubfolder + kHelpFileName;
        if (fileExists(installed))
            return installed;
    }
    return std::nullopt;
}

} // namespace varnok
