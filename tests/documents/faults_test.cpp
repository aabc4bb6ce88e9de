// Writes that cannot happen: a full disk and a lie folder the program may not
// change. Every command that writes must say so in the described words and
// leave every file as it was, byte for byte, with no temporary file behind.

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <map>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "app/startup.h"
#include "documents/commands.h"
#include "documents/documents.h"
#include "documents/editing.h"
#include "support/fakeui.h"
#include "support/unprivileged.h"
#include "testrun/testrun.h"

namespace varnok {
namespace {

using testing::Harness;
using Log = std::vector<std::string>;
using Snapshot = std::map<std::string, std::string>;

// Every entry of the folder, hidden ones too, with its bytes.
Snapshot snapshot(const testing::TempFolder &folder)
{
    Snapshot files;
    for (const auto &name : folder.names())
        files[name] = folder.read(name);
    return files;
}

void select(Harness &h, ListId id, const std::string &name)
{
    rereadLists(h.ctx);
    FileList &list = h.state.list(id);
    for (int i = 0; i < list.count(); ++i)
        if (list.name(i) == name)
            list.setSelected(i, true);
}

// Starts a full test named "Evening" and gives the one Lie the response.
void takeTest(Harness &h, int response)
{
    bAskStartClick(h.ctx);
    h.ui.scale = response;
    TrackBar1Change(h.ctx);
    bAskNextClick(h.ctx);
}

std::string cannotCreate(const std::string &name)
{
    return "Cannot create file " + name + ".";
}

struct Scenario {
    const char *title;
    // Files and the person's answers, made before the fault.
    std::function<void(Harness &)> arrange;
    std::function<void(Harness &)> act;
    std::function<Log(const Harness &)> messages;
    bool writes = true; // false: the command only renames or deletes
};

const std::string kOldLie = "an older lie\r\n";

std::vector<Scenario> scenarios()
{
    return {
        {"New Lie",
         [](Harness &h) {
             h.folder.write("This is a lie.lie", kOldLie);
             h.ui.answerInput("This is a lie");
         },
         [](Harness &h) { bLiesNewClick(h.ctx); },
         [](const Harness &h) { return Log{cannotCreate(h.folder.file("This is a lie.lie"))}; }},
        {"New Essay",
         [](Harness &h) {
             h.folder.write("Essay Title.ess", "an older essay\r\nwith its lines\r\n");
             h.ui.answerInput("Essay Title");
         },
         [](Harness &h) {
             bEssaysNewClick(h.ctx);
             if (h.state.edit.editInProgress)
                 h.ui.messages.push_back("an edit was opened");
         },
         [](const Harness &h) { return Log{cannotCreate(h.folder.file("Essay Title.ess"))}; }},
        {"Create from file",
         [](Harness &h) {
             h.folder.write("lies.txt", "First lie\r\nSecond lie\r\n");
             h.folder.write("First lie.lie", kOldLie);
             h.ui.answerOpen(h.folder.file("lies.txt"));
         },
         [](Harness &h) { btnLoadClick(h.ctx); },
         [](const Harness &h) { return Log{cannotCreate(h.folder.file("First lie.lie"))}; }},
        {"the review's summary",
         [](Harness &h) {
             h.folder.write("Money.lie", "Money is evil.\r\n");
             h.folder.write("Evening.tst", "an older test\r\n");
             rereadLists(h.ctx);
             h.ui.answerTestParams(TestChoice::Full);
             h.ui.answerInput("Evening");
         },
         [](Harness &h) { takeTest(h, 13); },
         // The older test's summary is not replaced: a name of its own is tried.
         [](const Harness &h) { return Log{cannotCreate(h.folder.file("Evening (2).tst"))}; }},
        {"OK of the built-in editor",
         [](Harness &h) {
             h.folder.write("a.lie", kOldLie);
             h.state.page = Page::Lies;
             select(h, ListId::Lies, "a.lie");
             h.ui.whileWaiting([&h] {
                 h.ui.memo = "a changed lie\n";
                 bEditCommitClick(h.ctx);
                 // A failed OK keeps the edit open with the text in it.
                 if (!h.state.edit.editInProgress || h.ui.memo != "a changed lie\n")
                     h.ui.messages.push_back("the edit was lost");
                 bEditCancelClick(h.ctx);
             });
         },
         [](Harness &h) { EditClick(h.ctx); }, [](const Harness &) { return Log{cannotCreate("a.lie")}; }},
        {"Save to file",
         [](Harness &h) {
             h.folder.write("out.txt", "an older text");
             h.ui.memo = "the view\nof two lines";
             h.ui.answerSave(h.folder.file("out.txt"));
         },
         [](Harness &h) { Savetofile1Click(h.ctx); },
         [](const Harness &h) { return Log{cannotCreate(h.folder.file("out.txt"))}; }},
        {"settings at exit", [](Harness &h) { h.folder.write("varnok.ini", "[Settings]\r\nHeight=300\r\n"); },
         [](Harness &h) {
             h.state.options.height = 320;
             exitSequence(h.ctx);
         },
         [](const Harness &h) { return Log{"Unable to write to " + h.folder.file("varnok.ini")}; }},
        {"Delete",
         [](Harness &h) {
             h.folder.write("a.lie", kOldLie);
             h.state.page = Page::Lies;
             select(h, ListId::Lies, "a.lie");
             h.ui.answerConfirm(true);
         },
         [](Harness &h) { DeleteClick(h.ctx); }, [](const Harness &) { return Log{}; }, false},
        {"Rename",
         [](Harness &h) {
             h.folder.write("a.lie", kOldLie);
             select(h, ListId::Lies, "a.lie");
             h.ui.answerRename(RenameAnswer{"a.lie", "b.lie"});
             h.ui.answerConfirm(true);
         },
         [](Harness &h) { bLiesRenameClick(h.ctx); }, [](const Harness &) { return Log{}; }, false},
    };
}

// A disk that takes no more than `limit` bytes per file, for the length of one
// command. The signal a process gets for a write past the limit is ignored,
// so the write fails with EFBIG as on a full disk.
class FullDisk {
public:
    explicit FullDisk(rlim_t limit)
    {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lowered = saved_;
        lowered.rlim_cur = limit;
        ok_ = ::setrlimit(RLIMIT_FSIZE, &lowered) == 0;
    }
    ~FullDisk()
    {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, oldHandler_);
    }
    bool ok() const { return ok_; }

private:
    rlimit saved_{};
    void (*oldHandler_)(int) = nullptr;
    bool ok_ = false;
};

TEST(FullDisk, EveryWritingCommandFailsAndChangesNothing)
{
    for (const auto &s : scenarios()) {
        if (!s.writes)
            continue;
        // Nothing at all fits, or a write stops after its first bytes.
        for (const rlim_t limit : {rlim_t{0}, rlim_t{5}}) {
            SCOPED_TRACE(std::string(s.title) + ", limit " + std::to_string(limit));
            Harness h;
            s.arrange(h);
            const Snapshot before = snapshot(h.folder);
            {
                FullDisk full(limit);
                ASSERT_TRUE(full.ok());
                s.act(h);
            }
            EXPECT_EQ(h.ui.messages, s.messages(h));
            EXPECT_EQ(snapshot(h.folder), before);
        }
    }
}

TEST(FullDisk, TheReviewsEssayFailsAfterItsSummary)
{
    Harness h;
    h.folder.write("Money.lie", "Money is evil.\r\n");
    std::string essay = "Money is evil.\r\n";
    while (essay.size() < 4096)
        essay += "A line the person wrote about money, long ago.\r\n";
    h.folder.write("Money.ess", essay);
    h.ui.answerTestParams(TestChoice::Full);
    h.ui.answerInput("Evening");
    rereadLists(h.ctx);
    Snapshot before = snapshot(h.folder);
    {
        // Room for the summary, not for the essay with its new block.
        FullDisk full(1024);
        ASSERT_TRUE(full.ok());
        takeTest(h, 25);
    }
    EXPECT_EQ(h.ui.messages, Log{cannotCreate(h.folder.file("Money.ess"))});
    Snapshot after = snapshot(h.folder);
    ASSERT_EQ(after.count("Evening.tst"), 1u);
    EXPECT_EQ(after["Evening.tst"].substr(0, 9), "Evening\r\n");
    after.erase("Evening.tst");
    EXPECT_EQ(after, before);
    EXPECT_FALSE(h.state.edit.editInProgress);
}

// Runs the command in a lie folder it may not change, in a child without
// root rights; returns the messages it showed.
Log actInReadOnlyFolder(Harness &h, const std::function<void(Harness &)> &act)
{
    const std::string out = testing::runUnprivileged(h.folder.path(), [&] {
        if (::chmod(h.folder.path().c_str(), 0500) != 0)
            return std::string("child: cannot make the folder read-only");
        act(h);
        std::string messages;
        for (const auto &m : h.ui.messages)
            messages += m + '\0';
        return messages;
    });
    if (out.rfind("child: ", 0) == 0)
        return {out};
    Log messages;
    for (std::size_t start = 0; start < out.size();) {
        const auto end = out.find('\0', start);
        messages.push_back(out.substr(start, end - start));
        start = end + 1;
    }
    return messages;
}

TEST(ReadOnlyLieFolder, EveryCommandFailsAsDescribedAndChangesNothing)
{
    if (!testing::canRunUnprivileged())
        GTEST_SKIP() << "running as root without the right to become another user";
    for (const auto &s : scenarios()) {
        SCOPED_TRACE(s.title);
        Harness h;
        s.arrange(h);
        const Snapshot before = snapshot(h.folder);
        EXPECT_EQ(actInReadOnlyFolder(h, s.act), s.messages(h));
        EXPECT_EQ(snapshot(h.folder), before);
    }
}

} // namespace
} // namespace varnok

// ---- Bytes after a NUL --------------------------------------------------
//
// Lines are read up to a NUL byte, as the program always read them. A file
// holding one (an editor's UTF-16, a damaged sector) must still never be
// written back from those lines.

namespace varnok {
namespace {

using namespace std::string_literals;

const std::string kNulEssay =
    "Money is evil.\r\n\r\nUTF-16 from another editor: E\0x\0p\0\r\nand the person's own words after it."s;

TEST(NulByte, TheReviewAppendsItsBlockAndKeepsEveryByte)
{
    Harness h;
    h.folder.write("Money.lie", "Money is evil.\r\n");
    h.folder.write("Money.ess", kNulEssay);
    rereadLists(h.ctx);
    h.state.options.useInternalEditor = false;
    h.state.options.editor = "true";
    h.ui.answerTestParams(TestChoice::Full);
    h.ui.answerInput("Evening");
    takeTest(h, 25);
    EXPECT_TRUE(h.ui.messages.empty());
    EXPECT_EQ(h.folder.read("Money.ess"),
              kNulEssay + "\r\n\r\n2026-12-07 0527pm  RESPONSE: 25\r\n\r\nEXPLAIN YOURSELF\r\n\r\n");
    // What the text area showed: the lines as read, and the block.
    EXPECT_EQ(h.ui.memo.substr(0, 16), "Money is evil.\n\n");
    EXPECT_NE(h.ui.memo.find("RESPONSE: 25\n\nEXPLAIN YOURSELF\n"), std::string::npos);

    // An essay ending in its NUL gets its block on a line of its own too.
    Harness end;
    end.folder.write("Money.lie", "Money is evil.\r\n");
    end.folder.write("Money.ess", "x\0"s);
    rereadLists(end.ctx);
    end.state.options.useInternalEditor = false;
    end.state.options.editor = "true";
    end.ui.answerTestParams(TestChoice::Full);
    end.ui.answerInput("Evening");
    takeTest(end, 1);
    EXPECT_EQ(end.folder.read("Money.ess"),
              "x\0\r\n\r\n2026-12-07 0527pm  RESPONSE: 1\r\n\r\nEXPLAIN YOURSELF\r\n\r\n"s);
}

TEST(NulByte, TheBuiltInEditorRefusesTheFileAndGoesOn)
{
    Harness h;
    h.folder.write("a.ess", kNulEssay);
    h.folder.write("b.ess", "plain\r\n");
    h.state.page = Page::Essays;
    rereadLists(h.ctx);
    h.state.essays.selectAll();
    h.ui.whileWaiting([&h] {
        h.ui.memo += "more\n";
        bEditCommitClick(h.ctx);
    });
    EditClick(h.ctx);
    EXPECT_EQ(h.ui.messages, Log{"The file a.ess holds a NUL byte; the built-in editor would lose everything after "
                                 "it. Please edit it with an external editor."});
    EXPECT_EQ(h.folder.read("a.ess"), kNulEssay);
    EXPECT_EQ(h.folder.read("b.ess"), "plain\r\nmore\r\n");
    EXPECT_FALSE(h.state.edit.editInProgress);
    EXPECT_FALSE(h.ui.editing);

    // A file that gains a NUL while it is open is not reloaded by Restore.
    Harness r;
    r.folder.write("c.lie", "clean\r\n");
    r.ui.whileWaiting([&r] {
        r.folder.write("c.lie", kNulEssay);
        r.ui.memo = "typed\n";
        r.ui.answerConfirm(true);
        bEditRevertClick(r.ctx);
        if (r.ui.memo != "typed\n")
            r.ui.messages.push_back("the text area was reloaded");
        bEditCancelClick(r.ctx);
    });
    InternalEdit(r.ctx, "c.lie");
    EXPECT_EQ(r.ui.messages, Log{"The file c.lie holds a NUL byte; the built-in editor would lose everything after "
                                 "it. Please edit it with an external editor."});
    EXPECT_EQ(r.folder.read("c.lie"), kNulEssay);
}

TEST(NulByte, TheSettingsFileKeepsEveryByteAtExit)
{
    Harness h;
    const std::string rest = "\0\xff\xfe[Settings]\r\nWidth=1\r\nmine"s;
    h.folder.write("Varnok.Ini", "; mine\r\n[Settings]\r\nWidth=600" + rest);
    h.state.options.width = 640;
    exitSequence(h.ctx);
    EXPECT_TRUE(h.ui.messages.empty());
    const std::string text = h.folder.read("Varnok.Ini");
    EXPECT_EQ(text.rfind("; mine\r\n[Settings]\r\nWidth=640\r\n", 0), 0u) << text;
    ASSERT_GE(text.size(), rest.size());
    EXPECT_EQ(text.substr(text.size() - rest.size()), rest);
    // Only what comes before the NUL is read.
    EXPECT_EQ(readOptions(IniFile(text), "ed").width, 640);
}

} // namespace
} // namespace varnok
