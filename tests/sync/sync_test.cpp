// Two machines sharing one lie folder through two real Syncthing daemons
// (tests/sync/syncpair starts them). Varnok is driven through its logic with
// the scripted fake on side A; side B is the other machine's folder, written
// as the other machine would. Every case ends with both sides equal byte for
// byte.
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

using testing::FakeUi;
using testing::FixedClock;
using testing::ScriptedRandom;
namespace fs = std::filesystem;

const char *env(const char *name)
{
    const char *value = std::getenv(name);
    return value && *value ? value : nullptr;
}

// The shared folder of each side, and the daemons' control.
struct Pair {
    std::string a = env("VARNOK_SYNC_A") ? env("VARNOK_SYNC_A") : "";
    std::string b = env("VARNOK_SYNC_B") ? env("VARNOK_SYNC_B") : "";
    std::string ctl = env("VARNOK_SYNC_CTL") ? env("VARNOK_SYNC_CTL") : "";
    bool ready() const { return !a.empty() && !b.empty() && !ctl.empty(); }
    // Both daemons have everything either side wrote.
    void sync() const { ASSERT_EQ(std::system((ctl + " wait").c_str()), 0) << "the daemons did not get in sync"; }
    void pause() const { ASSERT_EQ(std::system((ctl + " pause").c_str()), 0); }
    void resume() const { ASSERT_EQ(std::system((ctl + " resume").c_str()), 0); }
};

#define SKIP_WITHOUT_DAEMONS(pair)                                                                                     \
    if (!(pair).ready())                                                                                               \
    GTEST_SKIP() << "needs two Syncthing daemons: run through tests/sync/syncpair"

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

// Every plain file of a folder by name with its bytes. The sync tool's own
// temporaries are its business: it keeps one of an interrupted download for
// a day, to reuse, and Varnok never lists them.
std::map<std::string, std::string> contents(const std::string &folder)
{
    std::map<std::string, std::string> files;
    for (const auto &entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (entry.is_regular_file() && !(name.starts_with(".syncthing.") && name.ends_with(".tmp")))
            files[name] = read(entry.path().string());
    }
    return files;
}

// Varnok on side A, in one case's own folder.
struct MachineA {
    explicit MachineA(const std::string &folder, const std::string &home) : start(currentFolder())
    {
        state.lieFolder = folder;
        state.homeTrash = home + "Trash/";
        state.options.editor = "true";
    }
    ~MachineA() { setCurrentFolder(start); }
    std::string start;
    FakeUi ui;
    FixedClock clock{DateTime{2026, 12, 9, 11, 46, 0, 0}};
    ScriptedRandom random;
    AppState state;
    Context ctx{state, ui, ui, clock, random};
};

class SyncStage : public ::testing::Test {
protected:
    void SetUp() override
    {
        SKIP_WITHOUT_DAEMONS(pair);
        const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        a = pair.a + name + "/";
        b = pair.b + name + "/";
        ASSERT_TRUE(createFolders(a).ok());
        home = pair.a + "../home/" + name + "/";
        ASSERT_TRUE(createFolders(home).ok());
    }
    void expectBothSidesEqual()
    {
        pair.sync();
        EXPECT_EQ(contents(a), contents(b));
    }
    Pair pair;
    std::string a, b, home;
};

std::string block(const std::string &stamp, int response, const std::string &explanation)
{
    return "\r\n" + stamp + "  RESPONSE: " + std::to_string(response) + "\r\n\r\nEXPLAIN YOURSELF\r\n" + explanation +
           "\r\n";
}

// ---- A Lie created and one deleted on B while a test runs on A -------------

// This case relies on the test run owning its Lies by name, whatever the
// lists show meanwhile.
TEST_F(SyncStage, LiesCreatedAndDeletedOnTheOtherMachineMidTest)
{
    for (const char *lie : {"Beta", "Delta", "Gamma", "Kappa"})
        write(a + lie + ".lie", std::string(lie) + " is true\r\n");
    pair.sync();

    MachineA m(a, home);
    rereadLists(m.ctx);
    m.ui.answerTestParams(TestChoice::Full);
    m.ui.answerInput(std::string("Run"));
    bAskStartClick(m.ctx);
    // Every answer asks for an essay; each edit gets its own line and OK.
    for (int i = 0; i < 8; ++i)
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
    pair.sync();
    refreshLists(m.ctx);
    for (int guard = 0; guard < 8 && m.state.run.running; ++guard)
        answer();
    ASSERT_FALSE(m.state.run.running);
    for (const auto &text : m.ui.messages)
        EXPECT_EQ(text.find("Cannot open file"), std::string::npos) << text;
    // Every answer that still has its Lie is in that Lie's own essay, once.
    for (const char *lie : {"Beta", "Gamma", "Kappa"}) {
        ASSERT_TRUE(fileExists(a + lie + ".ess")) << lie;
        const std::string essay = read(a + lie + ".ess");
        EXPECT_EQ(essay.rfind(std::string(lie) + " is true\r\n", 0), 0u) << essay;
        std::size_t responses = 0;
        for (auto at = essay.find("RESPONSE:"); at != std::string::npos; at = essay.find("RESPONSE:", at + 1))
            ++responses;
        EXPECT_EQ(responses, 1u) << lie << ":\n" << essay;
        EXPECT_NE(essay.find("explained"), std::string::npos) << essay;
    }
    EXPECT_FALSE(fileExists(a + "Alpha.ess"));
    expectBothSidesEqual();
}

// ---- An essay changed on B while it is open on A ---------------------------

TEST_F(SyncStage, EssayChangedOnTheOtherMachineWhileOpenHere)
{
    const std::string old = "Money is evil\r\n" + block("2026-12-01 0900am", 3, "first");
    struct Case {
        const char *name;
        std::string onB;  // what B's machine makes of the essay
        std::string kept; // Money.ess afterwards
        bool copyBeside;  // A's text kept in a copy
    };
    const Case cases[] = {
        {"grown", old + block("2026-12-09 1100am", 22, "from B"),
         old + block("2026-12-09 1100am", 22, "from B") + "mine\r\n", false},
        {"rewritten", "Money is evil, says B\r\n", "Money is evil, says B\r\n", true},
    };
    for (const Case &c : cases) {
        const std::string folderA = a + c.name + "/";
        const std::string folderB = b + c.name + "/";
        ASSERT_TRUE(createFolders(folderA).ok());
        write(folderA + "Money.ess", old);
        pair.sync();

        MachineA m(folderA, home);
        m.ui.answerChangedFile(ChangedFileAnswer::KeepBoth);
        m.ui.whileWaiting([&] {
            m.ui.memo += "mine\n";
            write(folderB + "Money.ess", c.onB);
            pair.sync();
            bEditCommitClick(m.ctx);
        });
        InternalEdit(m.ctx, "Money.ess");
        EXPECT_FALSE(m.state.edit.editInProgress) << c.name;
        EXPECT_EQ(read(folderA + "Money.ess"), c.kept) << c.name;
        const std::string copy = folderA + "Money (copy 2026-12-09 1146am).ess";
        EXPECT_EQ(fileExists(copy), c.copyBeside) << c.name;
        if (c.copyBeside) {
            EXPECT_EQ(read(copy), old + "mine\r\n") << c.name;
        }
        pair.sync();
        EXPECT_EQ(contents(folderA), contents(folderB)) << c.name;
    }
}

// ---- Settings changed on both machines -------------------------------------

TEST_F(SyncStage, SettingsChangedOnBothMachinesAreBothKept)
{
    IniFile first;
    writeOptions(first, Options{});
    write(a + "Varnok.Ini", first.text());
    pair.sync();

    const StartupPlaces onA{{a}, "/nowhere/", home, "x", {}, windowPlaceSection(1920, 1080)};
    const StartupPlaces onB{{b}, "/nowhere/", home, "x", {}, windowPlaceSection(1366, 768)};
    MachineA ma(a, home);
    MachineA mb(b, home);
    startUp(ma.ctx, onA);
    startUp(mb.ctx, onB);
    ma.state.options.allowRenames = true;
    ma.state.options.left = 1500;
    mb.state.options.weak = "03";
    mb.state.options.left = 20;
    exitSequence(ma.ctx);
    pair.sync();
    exitSequence(mb.ctx);
    expectBothSidesEqual();

    MachineA again(b, home);
    startUp(again.ctx, onB);
    EXPECT_TRUE(again.state.options.allowRenames);
    EXPECT_EQ(again.state.options.weak, "03");
    EXPECT_EQ(again.state.options.left, 20); // this screen's own place, not A's
    MachineA onFirst(a, home);
    startUp(onFirst.ctx, onA);
    EXPECT_EQ(onFirst.state.options.left, 1500);
    EXPECT_TRUE(again.ui.messages.empty());
}

// ---- An essay edited on both machines while they were apart ----------------

TEST_F(SyncStage, EssayEditedOnBothWhileApartIsFlaggedCountedAndJoined)
{
    const std::string old = "Money is evil\r\n" + block("2026-12-01 0900am", 3, "first");
    write(a + "Money.lie", "Money is evil\r\n");
    write(a + "Money.ess", old);
    pair.sync();
    pair.pause();
    write(a + "Money.ess", old + block("2026-12-08 0900am", 22, "on A"));
    write(b + "Money.ess", old + block("2026-12-08 1000am", 7, "on B"));
    pair.resume();
    pair.sync();
    expectBothSidesEqual();

    MachineA m(a, home);
    rereadLists(m.ctx);
    std::vector<std::string> copies;
    for (const auto &name : m.state.essays.names())
        if (parseConflictCopy(name))
            copies.push_back(name);
    ASSERT_EQ(copies.size(), 1u) << "the sync tool made no conflict copy";

    // Opening the essay says so.
    m.ui.whileWaiting([&] { bEditCancelClick(m.ctx); });
    openForEdit(m.ctx, "Money.ess");
    ASSERT_EQ(m.ui.messages.size(), 1u);
    EXPECT_EQ(m.ui.messages[0].rfind("Money.ess has a conflict copy from ", 0), 0u) << m.ui.messages[0];

    // History counts the responses of both, each once.
    m.state.lies.selectNames({"Money.lie"});
    bLiesHistoryClick(m.ctx);
    for (const char *response : {"RESPONSE: 3\n", "RESPONSE: 22\n", "RESPONSE: 7\n"}) {
        const auto at = m.ui.memo.find(response);
        EXPECT_NE(at, std::string::npos) << response << m.ui.memo;
        EXPECT_EQ(m.ui.memo.find(response, at + 1), std::string::npos) << response << m.ui.memo;
    }

    // Joining keeps every block; the copy goes to the Trash on both sides.
    m.state.page = Page::Essays;
    m.state.essays.selectNames(copies);
    m.ui.answerConflict(ConflictChoice::Join);
    resolveConflictClick(m.ctx);
    const std::string joined = read(a + "Money.ess");
    for (const char *kept : {"first", "on A", "on B"})
        EXPECT_NE(joined.find(kept), std::string::npos) << kept << "\n" << joined;
    EXPECT_FALSE(fileExists(a + copies[0]));
    expectBothSidesEqual();
    EXPECT_FALSE(fileExists(b + copies[0]));
}

} // namespace
} // namespace varnok
