#include <gtest/gtest.h>
#include <cctype>
#include <sys/stat.h>
#include <unistd.h>

#include "core/inifile.h"
#include "core/options.h"
#include "app/startup.h"
#include "documents/commands.h"
#include "platform/files.h"
#include "platform/folderlock.h"
#include "support/fakeui.h"
#include "support/unprivileged.h"

namespace varnok {
namespace {

using testing::Harness;

TEST(IniFile, ReadsSectionsAndKeysWithoutRegardToCase)
{
    const IniFile ini("[settings]\r\nFONT NAME = Courier New \r\n; a comment\r\n[Other]\r\nFont Name=x\r\n");
    EXPECT_EQ(ini.readString("Settings", "Font Name"), "Courier New");
    EXPECT_EQ(ini.readString("OTHER", "font name"), "x");
    EXPECT_EQ(ini.readString("Settings", "Missing"), std::nullopt);
    EXPECT_EQ(ini.readString("Missing", "Font Name"), std::nullopt);
}

TEST(IniFile, IntegersAndBooleans)
{
    struct Case {
        const char *value;
        int expected;
    };
    const Case cases[] = {
        {"12", 12},
        {"0x0C", 12},
        {"0X1f", 31},
        {" -7 ", -7},
        {"abc", 99},
        {"12abc", 99},
        {"", 99},
        {"0x", 99},
        {"99999999999999999999", 99},
        {"2147483647", 2147483647},
        // Written back at exit, the lowest int must read back.
        {"-2147483648", INT32_MIN},
        {"-0x80000000", INT32_MIN},
        {"2147483648", 99},
        {"-2147483649", 99},
    };
    for (const auto &c : cases) {
        const IniFile ini(std::string("[S]\nK=") + c.value + "\n");
        EXPECT_EQ(ini.readInteger("S", "K", 99), c.expected) << c.value;
    }
    EXPECT_TRUE(IniFile("[S]\nB=2\n").readBool("S", "B", false));
    EXPECT_FALSE(IniFile("[S]\nB=0\n").readBool("S", "B", true));
    EXPECT_TRUE(IniFile("[S]\nB=junk\n").readBool("S", "B", true));
}

// Every hexadecimal digit in either case, one at a time, so that a reader
// refusing any single one shows.
TEST(IniFile, EveryHexDigitInEitherCase)
{
    const std::string digits = "0123456789abcdef";
    for (int value = 0; value < 16; ++value) {
        for (const bool upper : {false, true}) {
            const char digit = upper ? static_cast<char>(std::toupper(digits[static_cast<std::size_t>(value)]))
                                     : digits[static_cast<std::size_t>(value)];
            SCOPED_TRACE(digit);
            EXPECT_EQ(parseIniInteger(std::string("0x") + digit), value);
            EXPECT_EQ(parseIniInteger(std::string("0x1") + digit), 16 + value);
        }
    }
    EXPECT_EQ(parseIniInteger("0xff"), 255);
    EXPECT_EQ(parseIniInteger("0xFfFf"), 65535);
    EXPECT_EQ(parseIniInteger("0xg"), std::nullopt);
    EXPECT_EQ(parseIniInteger("0xfg"), std::nullopt);
    EXPECT_EQ(parseIniInteger("ff"), std::nullopt);
}

// A key is looked for in its own section only: a search that ran on into the
// next section would read another section's value, and write a missing key
// there instead of into its own section.
TEST(IniFile, AKeyBelongsToItsOwnSectionOnly)
{
    IniFile ini("[Settings]\r\nHeight=300\r\n[Editor]\r\nWidth=999\r\nProgramName=ed\r\n[Settings2]\r\nTop=1\r\n");
    EXPECT_EQ(ini.readString("Settings", "Width"), std::nullopt);
    EXPECT_EQ(ini.readInteger("Settings", "Width", 415), 415);
    EXPECT_EQ(ini.readString("Editor", "Top"), std::nullopt);
    EXPECT_EQ(ini.readString("Editor", "Height"), std::nullopt);
    EXPECT_EQ(ini.readString("Editor", "Width"), "999");
    ini.writeInteger("Settings", "Width", 500);
    ini.writeInteger("Editor", "Top", 7);
    ini.writeInteger("Settings2", "Width", 8);
    EXPECT_EQ(ini.text(),
              "[Settings]\r\nHeight=300\r\nWidth=500\r\n[Editor]\r\nWidth=999\r\nProgramName=ed\r\n"
              "Top=7\r\n[Settings2]\r\nTop=1\r\nWidth=8\r\n");
}

TEST(IniFile, TextIsReadUpTo1023Characters)
{
    const std::string longValue(10 * 1024 * 1024, 'v');
    const IniFile ini("[S]\nK=" + longValue + "\n");
    EXPECT_EQ(ini.readString("S", "K")->size(), 1023u);
}

TEST(IniFile, WritingAKeyChangesOnlyItsLine)
{
    IniFile ini("; kept comment\r\n[Mine]\r\nstay=1\r\n\r\n[Settings]\r\nheight=300\r\nodd line\r\n");
    ini.writeInteger("Settings", "Height", 500);
    ini.writeString("Settings", "Width", "415");
    ini.writeBool("General", "AllowRenames", true);
    EXPECT_EQ(ini.text(),
              "; kept comment\r\n[Mine]\r\nstay=1\r\n\r\n[Settings]\r\nheight=500\r\nWidth=415\r\nodd "
              "line\r\n\r\n[General]\r\nAllowRenames=1\r\n");
}

TEST(IniFile, BinaryJunkGivesDefaultsWithoutCrashing)
{
    std::string junk;
    for (int i = 0; i < 4096; ++i)
        junk += static_cast<char>((i * 7919) % 256);
    const IniFile ini(junk);
    const Options o = readOptions(ini, "ed");
    EXPECT_EQ(o.height, 400);
    EXPECT_EQ(o.editor, "ed");
}

TEST(Options, ReadsClampsAndWritesTheSixteenKeysInOrder)
{
    const IniFile ini(
        "[EssayGeneration]\nSentencesPerParagraph=40\nMinSentencesPerParagraph=-3\n"
        "[Settings]\nFont Size=0x0C\n[Editor]\nUseInternalEditor=2\n");
    const Options o = readOptions(ini, "gedit --wait");
    EXPECT_EQ(o.maxSentences, 11);
    EXPECT_EQ(o.minSentences, 1);
    EXPECT_EQ(o.fontSize, 12);
    EXPECT_TRUE(o.useInternalEditor);
    EXPECT_EQ(o.editor, "gedit --wait");

    IniFile out;
    writeOptions(out, o);
    EXPECT_EQ(out.text(),
              "[Settings]\r\nHeight=400\r\nWidth=415\r\nTop=10\r\nLeft=10\r\nFont Name=Arial\r\n"
              "Font Size=12\r\n\r\n[ReactionLimits]\r\nWeak=05\r\nStrong=20\r\nVariance=10\r\n\r\n"
              "[Editor]\r\nProgramName=gedit --wait\r\nUseInternalEditor=1\r\n\r\n[EssayGeneration]\r\n"
              "Randomize=1\r\nSentenceParse=1\r\nSentencesPerParagraph=11\r\n"
              "MinSentencesPerParagraph=1\r\n\r\n[General]\r\nAllowRenames=0\r\n");
}

TEST(Options, ReactionLimitsFallBackOneByOne)
{
    struct Case {
        const char *weak;
        const char *strong;
        int expectedWeak;
        int expectedStrong;
    };
    // A limit field left with an empty position holds "_5" or "  ".
    const Case cases[] = {
        {"05", "20", 5, 20},
        {"01", "25", 1, 25},
        {"_5", "20", kDefaultWeakLimit, 20},
        {"07", "  ", 7, kDefaultStrongLimit},
        {"", "", kDefaultWeakLimit, kDefaultStrongLimit},
    };
    for (const Case &c : cases) {
        Options options;
        options.weak = c.weak;
        options.strong = c.strong;
        const ReactionLimits limits = reactionLimits(options);
        EXPECT_EQ(limits.weak, c.expectedWeak) << c.weak;
        EXPECT_EQ(limits.strong, c.expectedStrong) << c.strong;
    }
}

TEST(Settings, FirstStartInAnEmptyFolderOffersLiesAndWritesEveryKeyAtExit)
{
    Harness h;
    const std::string folder = h.folder.path() + "Lies";
    h.folder.write("lies.txt", "One\r\n\r\nTwo?\r\n");
    h.ui.answerOpen(h.folder.file("lies.txt"));
    startUp(h.ctx, {{folder}, "/nowhere/", h.folder.path(), "gedit --wait"});

    EXPECT_EQ(h.state.lieFolder, folder + "/");
    ASSERT_GE(h.ui.log.size(), 2u);
    EXPECT_EQ(h.ui.log[0], std::string("message: ") + kFirstStartMessage);
    EXPECT_EQ(h.ui.log[1], "open: lies.txt");
    EXPECT_EQ(h.state.lies.names(), (std::vector<std::string>{".lie", "One.lie", "Two.lie"}));
    EXPECT_EQ(h.state.options.width, 415);

    exitSequence(h.ctx);
    const IniFile written = IniFile::load(h.state.lieFolder + "Varnok.Ini");
    int keys = 0;
    for (const auto &line : splitLines(written.text()))
        keys += line.find('=') != std::string::npos;
    EXPECT_EQ(keys, 16);

    // The next start finds the settings and asks nothing.
    Harness again;
    startUp(again.ctx, {{folder}, "/nowhere/", again.folder.path(), "x"});
    EXPECT_TRUE(again.ui.messages.empty());
}

TEST(Settings, ExitKeepsUnrelatedLinesAndFindsTheFileInAnyCase)
{
    Harness h;
    h.folder.write("VARNOK.INI", "; mine\r\n[Elsewhere]\r\nkeep=yes\r\n[Settings]\r\nWidth=600\r\n");
    startUp(h.ctx, {{h.folder.path()}, "/nowhere/", h.folder.path(), "x"});
    EXPECT_TRUE(h.ui.messages.empty());
    EXPECT_EQ(h.state.options.width, 600);
    h.state.options.width = 640;
    exitSequence(h.ctx);
    const std::string text = h.folder.read("VARNOK.INI");
    EXPECT_EQ(text, "; mine\r\n[Elsewhere]\r\nkeep=yes\r\n[Settings]\r\nWidth=640\r\n");
    EXPECT_FALSE(h.folder.exists("Varnok.Ini"));
}

// Editors that save UTF-8 may put a byte order mark first. It must not hide
// the first section, nor be lost, nor make exit append that section again.
TEST(Settings, AByteOrderMarkHidesNoSectionAndIsKept)
{
    const std::string mark = "\xEF\xBB\xBF";
    Harness h;
    h.folder.write("Varnok.Ini", mark + "[Settings]\r\nWidth=600\r\n[Editor]\r\nProgramName=ed\r\n");
    startUp(h.ctx, {{h.folder.path()}, "/nowhere/", h.folder.path(), "x"});
    EXPECT_EQ(h.state.options.width, 600);
    EXPECT_EQ(h.state.options.editor, "ed");
    h.state.options.width = 640;
    exitSequence(h.ctx);
    const std::string text = h.folder.read("Varnok.Ini");
    EXPECT_EQ(text.rfind(mark + "[Settings]\r\nWidth=640\r\n[Editor]", 0), 0u) << text;
    EXPECT_EQ(text.find("[Settings]"), text.rfind("[Settings]")) << text;

    // Without a mark none is added.
    EXPECT_EQ(IniFile("[S]\nK=1\n").text(), "[S]\nK=1\n");
    EXPECT_EQ(IniFile(mark).text(), mark);
}

TEST(Settings, ACopyASyncToolLeftIsMergedAndDifferencesAreToldOnce)
{
    const std::string copy = "Varnok.sync-conflict-20261209-114603-ABC.Ini";
    struct Case {
        std::string copyText;
        std::string after;
        std::string told; // empty: nothing said
    };
    const Case cases[] = {
        {"[General]\r\nAllowRenames=0\r\n[Mine]\r\nk=v\r\n", "[General]\r\nAllowRenames=0\r\n\r\n[Mine]\r\nk=v\r\n",
         ""},
        {"[general]\r\nallowrenames=1\r\n", "[General]\r\nAllowRenames=0\r\n",
         "[general] allowrenames: 0 (the copy: 1)"},
    };
    for (const auto &c : cases) {
        Harness h;
        h.folder.write("Varnok.Ini", "[General]\r\nAllowRenames=0\r\n");
        h.folder.write(copy, c.copyText);
        startUp(h.ctx, {{h.folder.path()}, "/nowhere/", h.folder.path(), "x"});
        EXPECT_EQ(h.folder.read("Varnok.Ini"), c.after);
        EXPECT_FALSE(h.folder.exists(copy));
        EXPECT_TRUE(fileExists(h.home.path() + "Trash/files/" + copy));
        ASSERT_EQ(h.ui.messages.size(), c.told.empty() ? 0u : 1u);
        if (!c.told.empty()) {
            EXPECT_NE(h.ui.messages[0].find("\n" + c.told + "\n"), std::string::npos) << h.ui.messages[0];
        }
    }
}

TEST(Settings, AnUnwritableSettingsFileIsReportedAtExit)
{
    Harness h;
    h.state.lieFolder = h.folder.path() + "gone/";
    exitSequence(h.ctx);
    ASSERT_EQ(h.ui.messages.size(), 1u);
    EXPECT_EQ(h.ui.messages[0], "Unable to write to " + h.folder.path() + "gone/Varnok.Ini");
}

TEST(StartUp, LieFolderFromTheCommandLine)
{
    EXPECT_EQ(lieFolderFromArguments({}, "/opt/tools/"), "/opt/tools/Lies/");
    EXPECT_EQ(lieFolderFromArguments({"/data/work"}, "/x/"), "/data/work/");
    EXPECT_EQ(lieFolderFromArguments({"/data/work/"}, "/x/"), "/data/work/");
    EXPECT_EQ(lieFolderFromArguments({"rel/dir", "ignored"}, "/x/"), "rel/dir/");
}

TEST(StartUp, AnUncreatableLieFolderIsReportedAndStartUpCompletes)
{
    Harness h;
    h.folder.write("plainfile", "x");
    h.ui.answerOpen(std::nullopt);
    startUp(h.ctx, {{h.folder.path() + "plainfile/sub"}, "/nowhere/", h.folder.path(), "x"});
    ASSERT_FALSE(h.ui.messages.empty());
    EXPECT_EQ(h.ui.messages[0].rfind("Unable to create the lie folder", 0), 0u);
    EXPECT_EQ(h.state.options.height, 400);
    EXPECT_EQ(h.state.lies.count(), 0);
}

TEST(StartUp, WithoutAWritableProgramFolderTheDataFolderStandsIn)
{
    Harness h;
    h.folder.write("ro", "not a folder");
    h.ui.answerOpen(std::nullopt);
    startUp(h.ctx, {{}, h.folder.path() + "ro/", h.folder.path() + "data/", "x"});
    EXPECT_EQ(h.state.lieFolder, h.folder.path() + "data/Lies/");
    EXPECT_TRUE(folderExists(h.state.lieFolder));
}

TEST(LieSet, OkSwitchesTheFolderAndNewCreatesOnlyReachableFolders)
{
    Harness h;
    testing::TempFolder other;
    other.write("Elsewhere.lie", "x\r\n");
    openLieSet(h.ctx, other.path().substr(0, other.path().size() - 1));
    EXPECT_EQ(h.state.lieFolder, other.path());
    EXPECT_EQ(h.state.lies.names(), std::vector<std::string>{"Elsewhere.lie"});

    h.ui.answerInput(other.path() + "made/deeper");
    EXPECT_EQ(newLieFolder(h.ctx, other.path()), other.path() + "made/deeper");
    EXPECT_TRUE(folderExists(other.path() + "made/deeper"));

    h.ui.answerInput(std::string("Work"));
    EXPECT_EQ(newLieFolder(h.ctx, other.path()), std::nullopt);
    EXPECT_EQ(h.ui.messages.back(), kUnableToCreateDirectory);
    EXPECT_FALSE(folderExists(other.path() + "Work"));
}

TEST(LieSet, NewBuildsRelativeNamesFromTheirLastExistingFolder)
{
    Harness h;
    const std::string tree = h.folder.path() + "tree/";
    ASSERT_TRUE(createFolders(tree + "Sub"));
    struct Case {
        const char *answer;
        const char *made; // relative to the tree's folder; empty when refused
    };
    const Case cases[] = {
        {"Sub/Work", "Sub/Work"}, {"Sub/Deeper/Still/", "Sub/Deeper/Still/"}, {"../x", "../x"}, {"Work", ""},
        {"Missing/Work", ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.answer);
        h.ui.messages.clear();
        h.ui.answerInput(std::string(c.answer));
        const auto made = newLieFolder(h.ctx, tree);
        if (*c.made) {
            EXPECT_EQ(made, tree + c.made);
            EXPECT_TRUE(folderExists(tree + c.made));
            EXPECT_TRUE(h.ui.messages.empty());
        } else {
            EXPECT_EQ(made, std::nullopt);
            EXPECT_EQ(h.ui.messages, std::vector<std::string>{kUnableToCreateDirectory});
            EXPECT_FALSE(folderExists(tree + c.answer));
        }
    }
    EXPECT_FALSE(folderExists(tree + "Missing"));
    EXPECT_TRUE(folderExists(h.folder.path() + "x"));
}

// Started as "cd ~/journals && varnok mine": the start-up makes the lie
// folder current, so a relative one must not be joined onto itself again.
TEST(StartUp, ARelativeLieFolderWorksForListsDocumentsAndSettings)
{
    Harness h;
    ASSERT_TRUE(setCurrentFolder(h.folder.path()));
    h.ui.answerOpen(std::nullopt);
    startUp(h.ctx, {{"mine"}, "/nowhere/", h.folder.path(), "x"});
    EXPECT_EQ(h.state.lieFolder, h.folder.path() + "mine/");

    h.ui.answerInput(std::string("Gamma"));
    bLiesNewClick(h.ctx);
    EXPECT_TRUE(h.folder.exists("mine/Gamma.lie"));
    EXPECT_EQ(h.state.lies.names(), std::vector<std::string>{"Gamma.lie"});
    exitSequence(h.ctx);
    EXPECT_TRUE(h.folder.exists("mine/Varnok.Ini"));
    EXPECT_EQ(h.ui.messages, std::vector<std::string>{kFirstStartMessage});

    // Open Lie set with a name relative to the folder in use.
    ASSERT_TRUE(createFolders(h.folder.path() + "mine/sub"));
    h.folder.write("mine/sub/Delta.lie", "Delta\r\n");
    openLieSet(h.ctx, "./sub");
    EXPECT_EQ(h.state.lieFolder, h.folder.path() + "mine/sub/");
    EXPECT_EQ(h.state.lies.names(), std::vector<std::string>{"Delta.lie"});
    h.ui.answerInput(std::string("Epsilon"));
    bLiesNewClick(h.ctx);
    EXPECT_TRUE(h.folder.exists("mine/sub/Epsilon.lie"));
    EXPECT_EQ(h.ui.messages.size(), 1u);
}

} // namespace
} // namespace varnok

namespace varnok {
namespace {

TEST(StartUp, AnUnreadableLieFolderIsReportedAndStartUpCompletes)
{
    if (!testing::canRunUnprivileged())
        GTEST_SKIP() << "running as root without the right to become another user";
    Harness h;
    const std::string folder = h.folder.path() + "closed";
    ASSERT_TRUE(createFolders(folder));
    h.folder.write("closed/Varnok.Ini", "[Settings]\r\n");
    ::chmod(folder.c_str(), 0);
    EXPECT_EQ(testing::checkUnprivileged(h.folder.path(),
                                         [&] {
                                             h.ui.answerOpen(std::nullopt);
                                             startUp(h.ctx, {{folder}, "/nowhere/", h.folder.path(), "x"});
                                             ASSERT_FALSE(h.ui.messages.empty());
                                             EXPECT_EQ(h.ui.messages[0].rfind("Unable to read the lie folder", 0), 0u);
                                             EXPECT_EQ(h.state.options.width, 415);
                                         }),
              "");
    ::chmod(folder.c_str(), 0700);
}

// A lock taken here stands in for another Varnok's (tests/wm has two real
// processes): Open Lie set refuses a held folder and keeps its own.
TEST(FolderLock, AFolderAnotherVarnokHoldsIsNotOpened)
{
    testing::TempFolder locks, second;
    Harness h;
    h.state.lockFolder = locks.path();
    h.folder.write("Varnok.Ini", "");
    ASSERT_TRUE(startUp(h.ctx, {{h.folder.path()}, "/nowhere/", h.folder.path(), "x"}));
    EXPECT_EQ(h.folder.names(), std::vector<std::string>{"Varnok.Ini"}) << "nothing of the lock in the lie folder";

    const struct {
        const char *what;
        std::string folder;
        bool heldByOther, switched;
    } cases[] = {
        {"held by another", second.path(), true, false},
        {"the same folder by another path", h.folder.path() + ".", false, true},
        {"free", second.path(), false, true},
        {"back, the first let go", h.folder.path(), false, true},
    };
    for (const auto &c : cases) {
        FolderClaim holder = c.heldByOther ? claimFolder(c.folder, locks.path()) : FolderClaim{};
        const std::string before = h.state.lieFolder;
        h.ui.messages.clear();
        EXPECT_EQ(openLieSet(h.ctx, c.folder), c.switched) << c.what;
        EXPECT_EQ(sameFolder(h.state.lieFolder, c.folder), c.switched || sameFolder(before, c.folder)) << c.what;
        EXPECT_EQ(h.ui.messages.size(), c.switched ? 0u : 1u) << c.what;
        // Whatever happened, this one holds the folder it is in.
        EXPECT_TRUE(claimFolder(h.state.lieFolder, locks.path()).heldElsewhere) << c.what;
    }
}

} // namespace
} // namespace varnok
