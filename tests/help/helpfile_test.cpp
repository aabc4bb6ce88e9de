#include <gtest/gtest.h>

#include <algorithm>

#include "help/helpfile.h"
#include "help/rtfreader.h"
#include "platform/textfile.h"
#include "platform/files.h"
#include "support/fakeui.h"

namespace varnok {
namespace {

using testing::TempFolder;

TEST(HelpFile, BesideTheProgramFirstThenTheDataFoldersInTheirOrder)
{
    struct Case {
        std::vector<std::string> files;
        std::optional<std::string> found; // relative to the temporary folder
    };
    const Case cases[] = {
        {{}, std::nullopt},
        {{"bin/QZHelp.rtf", "share1/varnok/QZHelp.rtf"}, "bin/QZHelp.rtf"},
        {{"bin/qzhelp.RTF", "share1/varnok/QZHelp.rtf"}, "bin/qzhelp.RTF"},
        {{"share2/varnok/QZHelp.rtf"}, "share2/varnok/QZHelp.rtf"},
        {{"share1/varnok/QZHelp.rtf", "share2/varnok/QZHelp.rtf"}, "share1/varnok/QZHelp.rtf"},
        // Only the program's own subfolder of a data folder is searched.
        {{"share1/QZHelp.rtf"}, std::nullopt},
        // A folder of that name is no help file.
        {{"bin/QZHelp.rtf/x", "share2/varnok/QZHelp.rtf"}, "share2/varnok/QZHelp.rtf"},
    };
    for (const auto &c : cases) {
        TempFolder folder;
        for (const auto &file : c.files) {
            ASSERT_TRUE(createFolders(folder.path() + file.substr(0, file.rfind('/'))));
            folder.write(file, "{\\rtf1 help}");
        }
        createFolders(folder.path() + "bin");
        const auto found = findHelpFile(folder.path() + "bin/", {folder.path() + "share1/", folder.path() + "share2/"});
        const std::optional<std::string> expected =
            c.found ? std::optional<std::string>(folder.path() + *c.found) : std::nullopt;
        EXPECT_EQ(found, expected) << (c.files.empty() ? "(no files)" : c.files.front());
    }
}

} // namespace
} // namespace varnok

namespace varnok {
namespace {

// The help file shipped with the program: it must read as a document, not as
// leftovers of mistyped rich text, and cover every part of the program.
TEST(HelpDocument, TheShippedHelpReadsCleanlyAndCoversTheProgram)
{
    std::string bytes;
    ASSERT_TRUE(readFileBytes(std::string(VARNOK_TEST_SOURCE_DIR) + "/../data/" + kHelpFileName, bytes));
    const RtfDocument document = parseRtf(bytes);
    const std::string text = rtfPlainText(document);

    ASSERT_FALSE(document.paragraphs.empty());
    EXPECT_EQ(rtfPlainText(RtfDocument{{document.paragraphs.front()}}), "Varnok Help");
    EXPECT_NE(text.find(std::string("Varnok ") + VARNOK_VERSION), std::string::npos)
        << "the help names another version";
    // A mistyped control word or a lost brace shows up as raw markup.
    for (const char markup : {'\\', '{', '}'})
        EXPECT_EQ(text.find(markup), std::string::npos) << "raw '" << markup << "' in the help text";

    // Headings are paragraphs of one bold run.
    std::vector<std::string> headings;
    for (const auto &paragraph : document.paragraphs)
        if (paragraph.runs.size() == 1 && paragraph.runs.front().bold)
            headings.push_back(paragraph.runs.front().text);
    for (const char *heading :
         {"The pages", "Taking a test", "The review: when you are asked to write", "History and chart",
          "Generating an essay", "Viewing and editing", "Files and settings", "Keyboard"})
        EXPECT_NE(std::find(headings.begin(), headings.end(), heading), headings.end()) << heading;
    // The words the program writes into essays are quoted as it writes them.
    for (const char *keyword : {"RESPONSE:", "EXPLAIN YOURSELF", "Varnok.Ini", ".lie", ".ess", ".tst", ".gen"})
        EXPECT_NE(text.find(keyword), std::string::npos) << keyword;
}

} // namespace
} // namespace varnok
