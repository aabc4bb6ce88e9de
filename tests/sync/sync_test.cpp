// Two machines sharing one lie folder through two real Syncthing daemons,
// which scripts/syncpair starts. Varnok runs through its logic with the
// scripted fake; side B is written as the other machine would. Every case
// ends with both sides equal byte for byte.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>

#include "app/startup.h"
#include "documents/commands.h"
#include "documents/conflicts.h"
#include "documents/documents.h"
#include "documents/editing.h"
#include "platform/files.h"
#include "platform/textfile.h"
#include "support/fakeui.h"
#include "testrun/history.h"
#include "testrun/testrun.h"

namespace varnok {
namespace {

std::string env(const char *name)
{
    const char *value = std::getenv(name);
    return value ? value : "";
}

void daemons(const char *command)
{
    ASSERT_EQ(std::system((env("VARNOK_SYNC_CTL") + " " + command).c_str()), 0) << command;
}

void write(const std::string &path, const std::string &bytes)
{
    ASSERT_TRUE(writeFileAtomic(path, bytes).ok()) << path;
}

std::string read(const std::string &path)
{
    std::string bytes;
    EXPECT_TRUE(readFileBytes(path, bytes).ok()) << path;
    return bytes;
}

// Every plain file of a folder with its bytes. The sync tool's temporaries
// are its own (it keeps an interrupted download's for a day) and never listed.
std::map<std::string, std::string> contents(const std::string &folder)
{
    std::map<std::string, std::string> files;
    for (const auto &entry : std::filesystem::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (entry.is_regular_file() && !(name.starts_with(".syncthing.") && name.ends_with(".tmp")))
            files[name] = read(entry.path().string());
    }
    return files;
}

// Varnok on one side, in one case's own folder.
struct Machine {
    Machine(const std::string &folder, const std::string &home)
    {
        state.lieFolder = folder;
        state.homeTrash = home + "Trash/";
        state.options.editor = "true";
    }
    ~Machine() { setCurrentFolder(start); }
    std::string start = currentFolder();
    testing::FakeUi ui;
    testing::FixedClock clock{DateTime{2026, 12, 9, 11, 46, 0, 0}};
    testing::ScriptedRandom random;
    AppState state;
    Context ctx{state, ui, ui, clock, random};
};

class SyncStage : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (env("VARNOK_SYNC_CTL").empty())
            GTEST_SKIP() << "needs two Syncthing daemons: run through scripts/syncpair";
        const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        a = env("VARNOK_SYNC_A") + name + "/";
        b = env("VARNOK_SYNC_B") + name + "/";
        home = env("HOME") + "/" + name + "/";
        ASSERT_TRUE(createFolders(a).ok() && createFolders(home).ok());
    }
    void expectBothSidesEqual(const std::string &sub = "")
    {
        daemons("wait");
        EXPECT_EQ(contents(a + sub), contents(b + sub));
    }
    std::string a, b, home;
};

std::string block(const std::string &stamp, int response, const std::string &explanation)
{
    return "\r\n" + stamp + "  RESPONSE: " + std::to_string(response) + "\r\n\r\nEXPLAIN YOURSELF\r\n" + explanation +
           "\r\n";
}

const std::string kOld = "Money is evil\r\n" + block("2026-12-01 0900am", 3, "first");

// Relies on the test run owning its Lies by name, whatever the lists show.
TEST_F(SyncStage, LiesCreatedAndDeletedOnTheOtherMachineMidTest)
{
    for (const char *lie : {"Beta", "Delta", "Gamma", "Kappa"})
        write(a + lie + ".lie", std::string(lie) + " is true\r\n");
    daemons("wait");
    Machine m(a, home);
    rereadLists(m.ctx);
    m.ui.answerTestParams(TestChoice::Full);
    m.ui.answerInput(std::string("Run"));
    bAskStartClick(m.ctx);
    for (int i = 0; i < 8; ++i) // every answer asks for an essay: a line and OK
        m.ui.whileWaiting([&m, i] {
            m.ui.memo += "explained " + std::to_string(i) + "\n";
            bEditCommitClick(m.ctx);
        });
    const auto answer = [&m] {
        m.ui.scale = 25;
        TrackBar1Change(m.ctx);
        bAskNextClick(m.ctx);
    };
    answer(); // Beta
    answer(); // Delta; Gamma is shown
    // The other machine adds a Lie that lists first and deletes one answered.
    write(b + "Alpha.lie", "Alpha is new\r\n");
    ASSERT_EQ(::unlink((b + "Delta.lie").c_str()), 0);
    daemons("wait");
    refreshLists(m.ctx);
    for (int guard = 0; guard < 8 && m.state.run.running; ++guard)
        answer();
    ASSERT_FALSE(m.state.run.running);
    for (const auto &text : m.ui.messages)
        EXPECT_EQ(text.find("Cannot open file"), std::string::npos) << text;
    for (const char *lie : {"Beta", "Gamma", "Kappa"}) {
        const std::string essay = fileExists(a + lie + ".ess") ? read(a + lie + ".ess") : "";
        EXPECT_EQ(essay.rfind(std::string(lie) + " is true\r\n", 0), 0u) << lie << ":\n" << essay;
        const auto first = essay.find("RESPONSE: 25\r\n");
        EXPECT_TRUE(first != std::string::npos && essay.find("RESPONSE:", first + 1) == std::string::npos &&
                    essay.find("explained", first) != std::string::npos)
            << essay;
    }
    EXPECT_FALSE(fileExists(a + "Alpha.ess"));
    expectBothSidesEqual();
}

TEST_F(SyncStage, EssayChangedOnTheOtherMachineWhileOpenHere)
{
    const std::string grown = kOld + block("2026-12-09 1100am", 22, "from B");
    const struct {
        const char *name;
        std::string onB, kept, copy; // copy: A's text beside the essay, if any
    } cases[] = {{"grown", grown, grown + "mine\r\n", ""},
                 {"rewritten", "Money is evil, says B\r\n", "Money is evil, says B\r\n", kOld + "mine\r\n"}};
    for (const auto &c : cases) {
        ASSERT_TRUE(createFolders(a + c.name).ok());
        const std::string folderA = a + c.name + "/", folderB = b + c.name + "/";
        write(folderA + "Money.ess", kOld);
        daemons("wait");
        Machine m(folderA, home);
        m.ui.answerChangedFile(ChangedFileAnswer::KeepBoth);
        m.ui.whileWaiting([&] {
            m.ui.memo += "mine\n";
            write(folderB + "Money.ess", c.onB);
            daemons("wait");
            bEditCommitClick(m.ctx);
        });
        InternalEdit(m.ctx, "Money.ess");
        EXPECT_FALSE(m.state.edit.editInProgress) << c.name;
        EXPECT_EQ(read(folderA + "Money.ess"), c.kept) << c.name;
        const std::string copy = folderA + "Money (copy 2026-12-09 1146am).ess";
        EXPECT_EQ(fileExists(copy) ? read(copy) : "", c.copy) << c.name;
        expectBothSidesEqual(c.name);
    }
}

TEST_F(SyncStage, SettingsChangedOnBothMachinesAreBothKept)
{
    IniFile first;
    writeOptions(first, Options{});
    write(a + "Varnok.Ini", first.text());
    daemons("wait");
    const StartupPlaces onA{{a}, "/nowhere/", home, "x", {}, windowPlaceSection(1920, 1080)};
    const StartupPlaces onB{{b}, "/nowhere/", home, "x", {}, windowPlaceSection(1366, 768)};
    Machine ma(a, home), mb(b, home);
    startUp(ma.ctx, onA);
    startUp(mb.ctx, onB);
    ma.state.options.allowRenames = true;
    ma.state.options.left = 1500;
    mb.state.options.weak = "03";
    mb.state.options.left = 20;
    exitSequence(ma.ctx);
    daemons("wait");
    exitSequence(mb.ctx);
    expectBothSidesEqual();
    Machine againB(b, home), againA(a, home);
    startUp(againB.ctx, onB);
    startUp(againA.ctx, onA);
    for (const Machine *m : {&againA, &againB}) {
        EXPECT_TRUE(m->state.options.allowRenames);
        EXPECT_EQ(m->state.options.weak, "03");
    }
    EXPECT_EQ(againB.state.options.left, 20); // each screen keeps its own place
    EXPECT_EQ(againA.state.options.left, 1500);
}

TEST_F(SyncStage, EssayEditedOnBothWhileApartIsFlaggedCountedAndJoined)
{
    write(a + "Money.lie", "Money is evil\r\n");
    write(a + "Money.ess", kOld);
    daemons("wait");
    daemons("pause");
    write(a + "Money.ess", kOld + block("2026-12-08 0900am", 22, "on A"));
    write(b + "Money.ess", kOld + block("2026-12-08 1000am", 7, "on B"));
    daemons("resume");
    expectBothSidesEqual();

    Machine m(a, home);
    rereadLists(m.ctx);
    std::vector<std::string> copies;
    for (const auto &name : m.state.essays.names())
        if (parseConflictCopy(name))
            copies.push_back(name);
    ASSERT_EQ(copies.size(), 1u) << "the sync tool made no conflict copy";
    m.ui.whileWaiting([&] { bEditCancelClick(m.ctx); });
    openForEdit(m.ctx, "Money.ess");
    ASSERT_EQ(m.ui.messages.size(), 1u);
    EXPECT_EQ(m.ui.messages[0].rfind("Money.ess has a conflict copy from ", 0), 0u) << m.ui.messages[0];

    m.state.lies.selectNames({"Money.lie"});
    bLiesHistoryClick(m.ctx);
    for (const std::string response : {"RESPONSE: 3\n", "RESPONSE: 22\n", "RESPONSE: 7\n"}) {
        const auto at = m.ui.memo.find(response);
        EXPECT_TRUE(at != std::string::npos && m.ui.memo.find(response, at + 1) == std::string::npos) << m.ui.memo;
    }
    m.state.page = Page::Essays;
    m.state.essays.selectNames(copies);
    m.ui.answerConflict(ConflictChoice::Join);
    resolveConflictClick(m.ctx);
    for (const char *kept : {"first", "on A", "on B"})
        EXPECT_NE(read(a + "Money.ess").find(kept), std::string::npos) << kept;
    expectBothSidesEqual();
    EXPECT_FALSE(fileExists(a + copies[0]) || fileExists(b + copies[0]));
}

} // namespace
} // namespace varnok
