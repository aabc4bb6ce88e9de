#pragma once

#include <string>
#include <vector>

namespace varnok {

inline constexpr char kHelpOption[] = "--help";
inline constexpr char kShortHelpOption[] = "-h";
inline constexpr char kVersionOption[] = "--version";

// What a start from the command line asks for. Only the first argument is
// looked at: "--help" (or "-h") and "--version" answer and end, any other
// first argument starting with "-" is refused, anything else names the lie
// folder, and further arguments are ignored as they always were.
enum class CommandLineAction { Run, ShowHelp, ShowVersion, RefuseOption };

struct CommandLine {
    CommandLineAction action = CommandLineAction::Run;
    std::vector<std::string> arguments; // for the start-up, without the program name
    std::string refusedOption;          // set with RefuseOption
};

// The exit status for a refused option, as command-line tools use it.
inline constexpr int kUsageExitStatus = 2;

// Takes the arguments without the program name.
CommandLine parseCommandLine(const std::vector<std::string> &arguments);

// The texts printed for --help and --version, each ending in a line break.
std::string helpText();
std::string versionText();
// For a refused option: one line naming it, then the help text.
std::string refusedOptionText(const std::string &option);

} // namespace varnok
