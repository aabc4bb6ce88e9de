#include "app/commandline.h"

#ifndef VARNOK_VERSION
#error "VARNOK_VERSION comes from the project version in CMakeLists.txt"
#endif

namespace varnok {

namespace {

constexpr char kHelpText[] =
    "Usage: varnok [LIE-FOLDER]\n"
    "\n"
    "Varnok keeps short statements (Lies) in a folder of plain text files, tests\n"
    "the strength of your reaction to each on a scale from 1 to 25, asks you to\n"
    "explain the strong, weak and changed ones in an essay, and generates new\n"
    "essays from your own sentences.\n"
    "\n"
    "LIE-FOLDER holds the documents and the settings file Varnok.Ini, and is\n"
    "created when missing. Without it Varnok uses the folder Lies beside the\n"
    "program; an installed Varnok uses $XDG_DATA_HOME/varnok/Lies (by default\n"
    "~/.local/share/varnok/Lies). Further arguments are ignored.\n"
    "\n"
    "Options:\n"
    "  -h, --help  show this help and exit\n"
    "  --version   show the version and exit\n"
    "\n"
    "Only a first argument is taken as an option; name a folder whose name\n"
    "starts with - as ./-name.\n";

} // namespace

CommandLine parseCommandLine(const std::vector<std::string> &arguments)
{
    CommandLine line;
    const std::string first = arguments.empty() ? std::string() : arguments.front();
    if (first == kHelpOption || first == kShortHelpOption) {
        line.action = CommandLineAction::ShowHelp;
    } else if (first == kVersionOption) {
        line.action = CommandLineAction::ShowVersion;
    } else if (first.starts_with('-')) {
        // A mistyped option would otherwise quietly become a lie folder.
        line.action = CommandLineAction::RefuseOption;
        line.refusedOption = first;
    } else {
        line.arguments = arguments;
    }
    return line;
}

std::string helpText()
{
    return kHelpText;
}

std::string refusedOptionText(const std::string &option)
{
    return "varnok: unknown option '" + option + "'\n" + helpText();
}

std::string versionText()
{
    return std::string("Varnok ") + VARNOK_VERSION + "\n";
}

} // namespace varnok
