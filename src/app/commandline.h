#pragma once

#include <string>
#include <vector>

namespace varnok {

inline constexpr char kHelpOption[] = "--help";
inline constexpr char kVersionOption[] = "--version";

// What a start from the command line asks for. Only the first argument is
// looked at: "--help" and "--version" answer and end, anything else names the
// lie folder, and further arguments are ignored as they always were.
enum class CommandLineAction { Run, ShowHelp, ShowVersion };

struct CommandLine {
    CommandLineAction action = CommandLineAction::Run;
    std::vector<std::string> arguments; // for the start-up, without the program name
};

// Takes the arguments without the program name.
CommandLine parseCommandLine(const std::vector<std::string> &arguments);

// The texts printed for --help and --version, each ending in a line break.
std::string helpText();
std::string versionText();

} // namespace varnok
