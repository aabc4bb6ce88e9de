#include <gtest/gtest.h>

#include <regex>

#include "app/commandline.h"
#include "app/startup.h"

namespace varnok {
namespace {

using Args = std::vector<std::string>;

TEST(CommandLine, OnlyTheFirstArgumentIsAnOptionEverythingElseNamesTheLieFolder)
{
    struct Case {
        Args arguments;
        CommandLineAction action;
        Args passedOn;
    };
    const Case cases[] = {
        {{}, CommandLineAction::Run, {}},
        {{"--help"}, CommandLineAction::ShowHelp, {}},
        {{"-h"}, CommandLineAction::ShowHelp, {}},
        {{"-h", "/data/lies"}, CommandLineAction::ShowHelp, {}},
        {{"--version"}, CommandLineAction::ShowVersion, {}},
        {{"--help", "/data/lies"}, CommandLineAction::ShowHelp, {}},
        {{"--version", "--help"}, CommandLineAction::ShowVersion, {}},
        // Options later on are ignored like any further argument.
        {{"/data/lies", "--help"}, CommandLineAction::Run, {"/data/lies", "--help"}},
        {{"/data/lies", "--version"}, CommandLineAction::Run, {"/data/lies", "--version"}},
        // Near misses are refused rather than made into a folder.
        {{"--HELP"}, CommandLineAction::RefuseOption, {}},
        {{"--help="}, CommandLineAction::RefuseOption, {}},
        {{"--verbose", "x"}, CommandLineAction::RefuseOption, {}},
        {{"-"}, CommandLineAction::RefuseOption, {}},
        {{"-H"}, CommandLineAction::RefuseOption, {}},
        // Such a folder is named with a path, and names without a dash stay folders.
        {{"./--help"}, CommandLineAction::Run, {"./--help"}},
        {{"./-h"}, CommandLineAction::Run, {"./-h"}},
        {{"h-"}, CommandLineAction::Run, {"h-"}},
        {{""}, CommandLineAction::Run, {""}},
    };
    for (const auto &c : cases) {
        const CommandLine line = parseCommandLine(c.arguments);
        const std::string label = c.arguments.empty() ? "(none)" : c.arguments.front();
        EXPECT_EQ(line.action, c.action) << label;
        EXPECT_EQ(line.arguments, c.passedOn) << label;
        EXPECT_EQ(line.refusedOption, c.action == CommandLineAction::RefuseOption ? label : "") << label;
    }
}

TEST(CommandLine, ARefusedOptionIsNamedOnOneLineBeforeTheUsage)
{
    EXPECT_EQ(refusedOptionText("--verbose"), "varnok: unknown option '--verbose'\n" + helpText());
}

TEST(CommandLine, APassedOnFolderIsTheLieFolderOfTheStartUp)
{
    EXPECT_EQ(lieFolderFromArguments(parseCommandLine({"./--help"}).arguments, "/opt/v/"), "./--help/");
    EXPECT_EQ(lieFolderFromArguments(parseCommandLine({}).arguments, "/home/me/v/"), "/home/me/v/Lies/");
}

TEST(CommandLine, HelpAndVersionTexts)
{
    const std::string help = helpText();
    EXPECT_EQ(help.rfind("Usage: varnok [LIE-FOLDER]\n", 0), 0u);
    EXPECT_NE(help.find("  -h, --help "), std::string::npos);
    EXPECT_NE(help.find("  --version "), std::string::npos);
    ASSERT_FALSE(help.empty());
    EXPECT_EQ(help.back(), '\n');
    // Fits a plain terminal.
    std::size_t lineStart = 0;
    for (std::size_t end = help.find('\n'); end != std::string::npos; end = help.find('\n', lineStart)) {
        EXPECT_LE(end - lineStart, 79u) << help.substr(lineStart, end - lineStart);
        lineStart = end + 1;
    }
    EXPECT_TRUE(std::regex_match(versionText(), std::regex("Varnok [0-9]+\\.[0-9]+(\\.[0-9]+)*\n"))) << versionText();
}

} // namespace
} // namespace varnok
