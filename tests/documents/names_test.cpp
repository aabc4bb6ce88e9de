// A file name only ever names a file: whatever the person types or another
// program puts in the lie folder, every path stays inside it and no name is
// ever read as an option, a command or a path.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>

#include "documents/commands.h"
#include "documents/documents.h"
#include "documents/editing.h"
#include "platform/collate.h"
#include "platform/files.h"
#include "support/fakeui.h"
#include "testrun/testrun.h"

namespace varnok {
namespace {

using testing::Harness;
using testing::TempFolder;
using Names = std::vector<std::string>;

// A lie folder inside another folder, so that anything escaping it shows.
struct Nested {
    TempFolder outer;
    Harness h;
    Nested()
    {
        ::mkdir(outer.file("inner").c_str(), 0700);
        h.state.lieFolder = outer.file("inner/");
    }
    std::string inner(const std::string &name) const { return outer.file("inner/" + name); }
    Names innerNames() const
    {
        Names names;
        for (const auto &name : outer.names())
            if (name != "inner")
                names.push_back("outside: " + name);
        for (const auto &entry : std::filesystem::directory_iterator(outer.file("inner")))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

bool insideFolder(const std::string &path, const std::string &folder)
{
    if (path.compare(0, folder.size(), folder) != 0)
        return false;
    const std::string rest = path.substr(folder.size());
    return !rest.empty() && rest != "." && rest != ".." && rest.find('/') == std::string::npos;
}

const char *const kHostileTexts[] = {"..",          "/",         "\\..\\", "../../etc/passwd",
                                     "/etc/passwd", "a/../../b", ".",      "line\nbreak",
                                     "..\\..\\x",   "./.",       "-rf",    "--help"};

TEST(Names, EveryPathFormedFromATextStaysInTheLieFolder)
{
    Nested n;
    for (const char *text : kHostileTexts) {
        SCOPED_TRACE(text);
        for (const char *extension : {kLieExtension, kEssayExtension, kTestExtension})
            EXPECT_TRUE(insideFolder(documentPathFromText(n.h.state.lieFolder, text, extension), n.h.state.lieFolder));
        EXPECT_TRUE(insideFolder(essayPathOf(n.h.state.lieFolder, std::string(text) + ".lie"), n.h.state.lieFolder));
        const std::string cleaned = CleanFileName(n.h.state.lieFolder, text);
        EXPECT_EQ(cleaned.find('/', n.h.state.lieFolder.size()), std::string::npos);
        EXPECT_EQ(cleaned.find('\\'), std::string::npos);
    }
}

TEST(Names, CommandsGivenHostileTextsWriteOnlyInsideTheLieFolder)
{
    Nested n;
    Harness &h = n.h;
    h.state.options.useInternalEditor = true;
    for (const char *text : kHostileTexts) {
        SCOPED_TRACE(text);
        h.ui.answerInput(std::string(text));
        bLiesNewClick(h.ctx);
        h.ui.answerInput(std::string(text));
        h.ui.whileWaiting([&h] { bEditCancelClick(h.ctx); });
        bEssaysNewClick(h.ctx);
    }
    EXPECT_TRUE(h.ui.messages.empty());
    const Names names = n.innerNames();
    EXPECT_EQ(names.size(), 2 * std::size(kHostileTexts) - 4) << "three of the texts clean to \"..\"";
    for (const auto &name : names)
        EXPECT_NE(name.rfind("outside: ", 0), 0u) << name;

    // A test named after a path: the summary and the essay stay inside too.
    h.ui.messages.clear();
    for (const auto &name : names)
        ::unlink(n.inner(name).c_str());
    n.outer.write("inner/Money.lie", "Money is evil.\r\n");
    rereadLists(h.ctx);
    h.ui.answerTestParams(TestChoice::Full);
    h.ui.answerInput(std::string("../../Evening"));
    bAskStartClick(h.ctx);
    h.ui.scale = 25;
    TrackBar1Change(h.ctx);
    h.ui.whileWaiting([&h] { bEditCommitClick(h.ctx); });
    bAskNextClick(h.ctx);
    EXPECT_TRUE(h.ui.messages.empty());
    EXPECT_EQ(n.innerNames(), (Names{"....Evening.tst", "Money.ess", "Money.lie"}));
}

// Names another program may give files, none of which may do anything but name one.
const std::vector<std::string> kStrangeNames = {
    "say \"no\".ess", "$(touch pwned).ess", "$HOME.ess",    "a;touch pwned.ess", "`touch pwned`.ess", "two\nlines.ess",
    "-rf.ess",        "--help.ess",         "'single'.ess", "back\\slash.ess",   "star*?.ess",        " blank.ess",
    "caf\xe9.ess",    "a|b>c<d.ess",        "%s%n.ess"};

std::string contentOf(std::size_t i)
{
    return "Essay number " + std::to_string(i) + ".\r\n";
}

void addStrangeFiles(Nested &n)
{
    for (std::size_t i = 0; i < kStrangeNames.size(); ++i)
        n.outer.write("inner/" + kStrangeNames[i], contentOf(i));
    n.h.state.page = Page::Essays;
    rereadLists(n.h.ctx);
    n.h.state.essays.selectAll();
}

std::size_t indexOf(const std::string &name)
{
    return static_cast<std::size_t>(std::find(kStrangeNames.begin(), kStrangeNames.end(), name) -
                                    kStrangeNames.begin());
}

TEST(Names, StrangeNamesAreListedAndViewed)
{
    Nested n;
    addStrangeFiles(n);
    Names sorted = kStrangeNames;
    NameCollator::user().sort(sorted);
    EXPECT_EQ(n.h.state.essays.names(), sorted);

    bTestsViewClick(n.h.ctx);
    std::string expected;
    for (const auto &name : sorted)
        expected += "Essay number " + std::to_string(indexOf(name)) + ".\n  * * *\n\n\n";
    expected.pop_back();
    EXPECT_EQ(n.h.ui.memo, expected);
    EXPECT_TRUE(n.h.ui.messages.empty());
}

TEST(Names, StrangeNamesAreEditedInTheBuiltInEditor)
{
    Nested n;
    addStrangeFiles(n);
    for (std::size_t i = 0; i < kStrangeNames.size(); ++i)
        n.h.ui.whileWaiting([&n] {
            n.h.ui.memo += "Edited.\n";
            bEditCommitClick(n.h.ctx);
        });
    EditClick(n.h.ctx);
    EXPECT_TRUE(n.h.ui.messages.empty());
    for (std::size_t i = 0; i < kStrangeNames.size(); ++i)
        EXPECT_EQ(n.outer.read("inner/" + kStrangeNames[i]), contentOf(i) + "Edited.\r\n") << kStrangeNames[i];
    Names expected = kStrangeNames;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(n.innerNames(), expected);
}

// The calls the recording editor received: its current folder, then its arguments.
std::vector<Names> recordedCalls(const std::string &path)
{
    std::string bytes;
    if (!readFileBytes(path, bytes))
        return {};
    std::vector<Names> calls;
    Names current;
    std::string field;
    for (const char c : bytes) {
        if (c == '\0') {
            current.push_back(field);
            field.clear();
        } else if (c == '\n' && field.empty()) {
            calls.push_back(current);
            current.clear();
        } else {
            field += c;
        }
    }
    return calls;
}

TEST(Names, StrangeNamesReachTheExternalEditorAsOneArgumentEach)
{
    Nested n;
    addStrangeFiles(n);
    TempFolder records;
    ::setenv("VARNOK_RECORD", records.file("calls").c_str(), 1);
    n.h.state.options.useInternalEditor = false;
    n.h.state.options.editor = std::string(VARNOK_TEST_HELPER_DIR) + "/arg_recorder";
    EditClick(n.h.ctx);
    ::unsetenv("VARNOK_RECORD");

    const std::string folder = n.outer.file("inner");
    std::vector<Names> expected;
    for (const auto &name : n.h.state.essays.names())
        expected.push_back({folder, "./" + name});
    EXPECT_EQ(recordedCalls(records.file("calls")), expected);
    EXPECT_TRUE(n.h.ui.messages.empty());
    EXPECT_FALSE(n.outer.exists("inner/pwned") || std::filesystem::exists("pwned"));
}

TEST(Names, StrangeNamesAreRenamedAndDeleted)
{
    Nested n;
    addStrangeFiles(n);
    Harness &h = n.h;
    const Names listed = h.state.essays.names();
    for (std::size_t i = 0; i < listed.size(); ++i) {
        // The new names are strange too, but for the nine characters cleaning drops.
        h.ui.answerRename(RenameAnswer{listed[i], "-new $(x); `y` " + std::to_string(i) + ".ess"});
        h.ui.answerConfirm(true);
    }
    bEssaysRenameClick(h.ctx);
    EXPECT_TRUE(h.ui.messages.empty());
    ASSERT_EQ(h.state.essays.count(), static_cast<int>(listed.size()));
    for (std::size_t i = 0; i < listed.size(); ++i)
        EXPECT_EQ(n.outer.read("inner/-new $(x); `y` " + std::to_string(i) + ".ess"), contentOf(indexOf(listed[i])))
            << listed[i];

    h.state.essays.selectAll();
    for (std::size_t i = 0; i < listed.size(); ++i)
        h.ui.answerConfirm(true);
    h.ui.log.clear();
    DeleteClick(h.ctx);
    EXPECT_EQ(n.innerNames(), Names{});
    Names questions;
    for (const auto &line : h.ui.log)
        if (line.rfind("confirm: ", 0) == 0)
            questions.push_back(line);
    ASSERT_EQ(questions.size(), listed.size());
    EXPECT_EQ(questions[0], "confirm: Delete -new $(x); `y` 0.ess?");
}

TEST(Names, ARenameFromAPathMovesNothingIntoTheLieFolder)
{
    Nested n;
    n.outer.write("outside.lie", "not in the journal\r\n");
    n.outer.write("inner/a.lie", "a\r\n");
    rereadLists(n.h.ctx);
    n.h.state.lies.selectAll();
    for (const std::string &from : {std::string("../outside.lie"), n.outer.file("outside.lie"), std::string("..")}) {
        SCOPED_TRACE(from);
        n.h.ui.answerRename(RenameAnswer{from, "taken.lie"});
        n.h.ui.answerConfirm(true);
        bLiesRenameClick(n.h.ctx);
        n.h.state.lies.selectAll();
    }
    EXPECT_EQ(n.outer.read("outside.lie"), "not in the journal\r\n");
    EXPECT_EQ(n.innerNames(), (Names{"a.lie", "outside: outside.lie"}));
    EXPECT_TRUE(n.h.ui.messages.empty());
}

} // namespace
} // namespace varnok
