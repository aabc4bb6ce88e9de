#include <algorithm>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <unistd.h>
#include <optional>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <sys/resource.h>

#include "app/startup.h"
#include "core/editortrust.h"
#include "core/text.h"
#include "platform/textfile.h"
#include "documents/documents.h"
#include "documents/editing.h"
#include "platform/files.h"
#include "support/fakeui.h"

namespace varnok {
namespace {

using testing::Harness;

void selectAllIn(Harness &h, ListId id)
{
    rereadList(h.ctx, id);
    h.state.list(id).selectAll();
}

TEST(BuiltInEditor, SelectedFilesAreEditedOneAfterAnother)
{
    Harness h;
    h.folder.write("a.ess", "first\r\n");
    h.folder.write("b.ess", "second\r\n");
    h.folder.write("c.ess", "third\r\n");
    selectAllIn(h, ListId::Essays);
    h.state.page = Page::Essays;
    std::vector<std::string> seen;
    h.ui.whileWaiting([&] {
        seen.push_back(h.ui.memo);
        h.ui.memo = "changed\n";
        bEditCommitClick(h.ctx);
    });
    h.ui.whileWaiting([&] {
        seen.push_back(h.ui.memo);
        EXPECT_FALSE(pageChangeAllowed(h.ctx));
        bEditCancelClick(h.ctx);
    });
    h.ui.whileWaiting([&] {
        seen.push_back(h.ui.memo);
        EXPECT_EQ(h.ui.status, "Editing: c.ess");
        EXPECT_TRUE(h.ui.memoWritable && h.ui.editing && h.state.edit.editInProgress);
        bEditCommitClick(h.ctx);
    });
    EditClick(h.ctx);

    EXPECT_EQ(seen, (std::vector<std::string>{"first\n", "second\n", "third\n"}));
    EXPECT_EQ(h.folder.read("a.ess"), "changed\r\n");
    EXPECT_EQ(h.folder.read("b.ess"), "second\r\n");
    EXPECT_EQ(h.folder.read("c.ess"), "third\r\n");
    EXPECT_EQ(h.ui.messages, std::vector<std::string>{"Please finish your edits by pressing OK or Cancel"});
    EXPECT_EQ(h.ui.status, "File Updated: c.ess");
    EXPECT_FALSE(h.ui.memoVisible || h.ui.memoWritable || h.ui.editing || h.state.edit.editInProgress);
    EXPECT_TRUE(pageChangeAllowed(h.ctx));
}

TEST(BuiltInEditor, StatusTextsNameOnlyTheFile)
{
    Harness h;
    h.folder.write("Money.ess", "m\r\n");
    std::vector<std::string> statuses;
    h.ui.whileWaiting([&] {
        statuses.push_back(h.ui.status);
        h.ui.memo = "typed over\n";
        h.ui.answerConfirm(true); // drop the typing
        bEditRevertClick(h.ctx);
        statuses.push_back(h.ui.status);
        EXPECT_EQ(h.ui.memo, "m\n");
        bEditRevertClick(h.ctx);
        EXPECT_TRUE(h.state.edit.editInProgress);
        bEditCancelClick(h.ctx);
        statuses.push_back(h.ui.status);
    });
    InternalEdit(h.ctx, h.folder.file("Money.ess"));
    EXPECT_EQ(statuses, (std::vector<std::string>{"Editing: Money.ess", "File restored: Money.ess",
                                                  "Changes canceled: Money.ess"}));
    EXPECT_EQ(h.folder.read("Money.ess"), "m\r\n");
}

TEST(BuiltInEditor, OkWritesEvenAnUnchangedTextAndKeepsItsBytes)
{
    Harness h;
    const std::string latin1 = "caf\xe9 \xff\r\nna\xefve\r\nlast without break";
    h.folder.write("l1.ess", latin1);
    h.folder.write("lf.ess", "one\ntwo\n");
    h.ui.whileWaiting([&] { bEditCommitClick(h.ctx); });
    h.ui.whileWaiting([&] { bEditCommitClick(h.ctx); });
    InternalEdit(h.ctx, "l1.ess");
    InternalEdit(h.ctx, "lf.ess");
    EXPECT_EQ(h.folder.read("l1.ess"), latin1);
    EXPECT_EQ(h.folder.read("lf.ess"), "one\r\ntwo\r\n");
}

TEST(BuiltInEditor, AFileThatCannotBeReadIsNeverWrittenOver)
{
    Harness h;
    h.folder.write("b.lie", "b\r\n");
    h.folder.write("c.lie", "c\r\n");
    selectAllIn(h, ListId::Lies);
    h.state.page = Page::Lies;
    ::unlink(h.folder.file("b.lie").c_str());
    EditClick(h.ctx);
    EXPECT_EQ(h.ui.messages, std::vector<std::string>{"Cannot open file b.lie."});
    EXPECT_FALSE(h.state.edit.editInProgress || h.ui.editing || h.ui.memoVisible);
    bEditCommitClick(h.ctx);
    EXPECT_FALSE(h.folder.exists("b.lie"));
    // The command stopped there: c.lie was never opened.
    EXPECT_EQ(h.ui.log.end(), std::find(h.ui.log.begin(), h.ui.log.end(), "wait"));
}

TEST(BuiltInEditor, ALineTooLongToShowWholeIsLeftToAnExternalEditor)
{
    const std::string full(kLongestShownLine, 'x');
    struct Case {
        const char *what;
        std::string bytes;
        bool editable;
    };
    const Case cases[] = {
        {"a line just short enough", full + "\r\n", true},
        {"two such lines split by a lone CR", full + "\r" + full, true},
        {"split by a lone LF", "a\n" + full + "\n" + full, true},
        {"one byte more", full + "x\r\n", false},
        {"one byte more, last and unended", "a\r\nb\r\n" + full + "x", false},
        {"five megabytes on one line", std::string(5u << 20, 'y'), false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        Harness h;
        h.folder.write("long.lie", c.bytes);
        h.ui.whileWaiting([&h] { bEditCancelClick(h.ctx); });
        InternalEdit(h.ctx, "long.lie");
        if (c.editable) {
            EXPECT_TRUE(h.ui.messages.empty());
            EXPECT_EQ(h.ui.waitActions.size(), 0u);
            continue;
        }
        EXPECT_EQ(h.ui.messages, std::vector<std::string>{"The file long.lie has a line too long to edit safely in the "
                                                          "built-in editor. Please edit it with an external editor."});
        EXPECT_FALSE(h.state.edit.editInProgress || h.ui.editing || h.ui.memoVisible || h.ui.memoWritable);
        EXPECT_EQ(h.ui.memo, "");
        EXPECT_EQ(h.folder.read("long.lie"), c.bytes);
    }
}

TEST(BuiltInEditor, AFailedWriteKeepsTheOldFileAndTheEditOpen)
{
    Harness h;
    const std::string old(4096, 'o');
    h.folder.write("big.ess", old);
    h.ui.whileWaiting([&] {
        h.ui.memo = std::string(8192, 'n');
        struct rlimit saved {};
        ::getrlimit(RLIMIT_FSIZE, &saved);
        struct rlimit small = saved;
        small.rlim_cur = 1024;
        std::signal(SIGXFSZ, SIG_IGN);
        ::setrlimit(RLIMIT_FSIZE, &small);
        bEditCommitClick(h.ctx);
        EXPECT_TRUE(h.state.edit.editInProgress);
        EXPECT_EQ(h.ui.memo, std::string(8192, 'n'));
        // Changed meanwhile, and the copy beside it cannot be written either.
        h.folder.write("big.ess", "other");
        h.ui.answerChangedFile(ChangedFileAnswer::KeepBoth);
        bEditCommitClick(h.ctx);
        ::setrlimit(RLIMIT_FSIZE, &saved);
        bEditCancelClick(h.ctx);
    });
    InternalEdit(h.ctx, "big.ess");
    const std::string copyFailed = "Cannot create file big (copy 2026-12-07 0527pm).ess: File too large.";
    EXPECT_EQ(h.ui.messages, (std::vector<std::string>{"Cannot create file big.ess.", copyFailed}));
    EXPECT_EQ(h.folder.read("big.ess"), "other");
    EXPECT_EQ(h.folder.names(), std::vector<std::string>{"big.ess"});
}

TEST(BuiltInEditor, ClosingTheWindowAsksAboutTheOpenEdit)
{
    for (SaveAnswer answer : {SaveAnswer::Save, SaveAnswer::Discard, SaveAnswer::Cancel}) {
        Harness h;
        h.folder.write("e.ess", "before\r\n");
        bool closed = false;
        h.ui.answerSaveEdit(answer);
        h.ui.whileWaiting([&] {
            h.ui.memo = "after\n";
            closed = endEditForClose(h.ctx);
            if (!closed)
                bEditCancelClick(h.ctx);
        });
        InternalEdit(h.ctx, "e.ess");
        EXPECT_EQ(closed, answer != SaveAnswer::Cancel);
        EXPECT_EQ(h.folder.read("e.ess"), answer == SaveAnswer::Save ? "after\r\n" : "before\r\n");
    }
}

TEST(BuiltInEditor, ClosingAsksOnlyWhenTheTextDiffersFromWhatWasLoaded)
{
    struct Case {
        const char *name;
        std::function<void(Harness &)> edit;
        bool asks;
    };
    const Case cases[] = {
        {"untouched", [](Harness &) {}, false},
        {"typed and taken back",
         [](Harness &h) {
             h.ui.memo += "more\n";
             h.ui.memo = "before\n";
         },
         false},
        {"changed, then reverted",
         [](Harness &h) {
             h.ui.memo = "other\n";
             h.ui.answerConfirm(true);
             bEditRevertClick(h.ctx);
         },
         false},
        {"changed", [](Harness &h) { h.ui.memo = "after\n"; }, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        Harness h;
        h.folder.write("e.ess", "before\r\n");
        if (c.asks)
            h.ui.answerSaveEdit(SaveAnswer::Discard);
        bool closed = false;
        h.ui.whileWaiting([&] {
            c.edit(h);
            closed = endEditForClose(h.ctx);
        });
        InternalEdit(h.ctx, "e.ess");
        EXPECT_TRUE(closed);
        EXPECT_FALSE(h.state.edit.editInProgress);
        const bool asked = std::find(h.ui.log.begin(), h.ui.log.end(), "save edit: e.ess") != h.ui.log.end();
        EXPECT_EQ(asked, c.asks);
        EXPECT_EQ(h.folder.read("e.ess"), "before\r\n");
    }
}

TEST(BuiltInEditor, AnEditDuringATestHidesAndRestoresTheTestControls)
{
    Harness h;
    h.folder.write("x.tst", "t\r\n");
    h.ui.editing = false;
    h.ui.whileWaiting([&] {
        EXPECT_TRUE(h.ui.editing); // tool bar shown, test panel hidden
        bEditCancelClick(h.ctx);
    });
    InternalEdit(h.ctx, "x.tst");
    EXPECT_FALSE(h.ui.editing);
    EXPECT_FALSE(h.ui.memoVisible);
}

std::vector<std::vector<std::string>> readRecord(const std::string &path)
{
    std::string bytes;
    readFileBytes(path, bytes);
    std::vector<std::vector<std::string>> calls;
    std::vector<std::string> current;
    std::string field;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\0') {
            current.push_back(field);
            field.clear();
        } else if (bytes[i] == '\n' && field.empty()) {
            calls.push_back(current);
            current.clear();
        } else {
            field += bytes[i];
        }
    }
    return calls;
}

TEST(ExternalEditor, EachFileInTurnWithTheLieFolderAsCurrentFolder)
{
    Harness h;
    testing::TempFolder records;
    ::setenv("VARNOK_RECORD", records.file("calls").c_str(), 1);
    const std::string hostile = "$(touch pwned); `touch pwned2` 'q' a b.ess";
    for (const std::string &name : {std::string("a.ess"), hostile, std::string("-rf.ess")})
        h.folder.write(name, "x");
    selectAllIn(h, ListId::Essays);
    h.state.page = Page::Essays;
    h.state.options.useInternalEditor = false;
    h.state.options.editor = std::string(VARNOK_TEST_HELPER_DIR) + "/arg_recorder";
    EditClick(h.ctx);
    ::unsetenv("VARNOK_RECORD");

    const auto calls = readRecord(records.file("calls"));
    const std::string cwd = h.folder.path().substr(0, h.folder.path().size() - 1);
    EXPECT_EQ(calls, (std::vector<std::vector<std::string>>{
                         {cwd, "./$(touch pwned); `touch pwned2` 'q' a b.ess"}, {cwd, "./-rf.ess"}, {cwd, "./a.ess"}}));
    EXPECT_FALSE(h.folder.exists("pwned") || h.folder.exists("pwned2"));
    EXPECT_TRUE(h.ui.messages.empty());
}

// Editors read "-..." as an option and "+..." as a command to run on
// opening (one runs "+!cmd" in a shell): whatever a name begins with, it must
// reach the editor as a path.
TEST(ExternalEditor, NoNameReachesTheEditorAsAnOptionOrACommand)
{
    Harness h;
    testing::TempFolder records;
    ::setenv("VARNOK_RECORD", records.file("calls").c_str(), 1);
    const std::vector<std::string> names = {"+!touch PWNED.lie", "+.lie",     "+5 x.lie", "-.lie",     "--help.lie",
                                            "-c q.lie",          "Plain.lie", "~x.lie",   "@args.lie", ".lie"};
    for (const auto &name : names)
        h.folder.write(name, "x");
    selectAllIn(h, ListId::Lies);
    h.state.page = Page::Lies;
    h.state.options.useInternalEditor = false;
    h.state.options.editor = std::string(VARNOK_TEST_HELPER_DIR) + "/arg_recorder";
    EditClick(h.ctx);
    // The review and New Essay hand over full paths.
    openForEdit(h.ctx, h.folder.file("+!touch PWNED.lie"));
    ::unsetenv("VARNOK_RECORD");

    const auto calls = readRecord(records.file("calls"));
    ASSERT_EQ(calls.size(), names.size() + 1);
    std::vector<std::string> passed;
    for (const auto &call : calls) {
        ASSERT_EQ(call.size(), 2u) << "one argument besides the folder";
        EXPECT_NE(call[1].front(), '+') << call[1];
        EXPECT_NE(call[1].front(), '-') << call[1];
        passed.push_back(call[1]);
    }
    // And each still names its file, from the lie folder the editor runs in.
    std::vector<std::string> expected;
    for (const auto &name : h.state.lies.names())
        expected.push_back("./" + name);
    expected.push_back(h.folder.file("+!touch PWNED.lie"));
    EXPECT_EQ(passed, expected);
    EXPECT_TRUE(h.ui.messages.empty());
}

TEST(ExternalEditor, AChosenProgramWhosePathHoldsABlankStarts)
{
    Harness h;
    testing::TempFolder records;
    const std::string folder = records.path() + "my editors";
    ASSERT_TRUE(createFolders(folder));
    std::filesystem::copy_file(std::string(VARNOK_TEST_HELPER_DIR) + "/arg_recorder", folder + "/arg recorder");
    h.folder.write("a.ess", "x");
    h.state.options.useInternalEditor = false;
    h.state.options.editor = editorTextForProgram(folder + "/arg recorder");
    EXPECT_EQ(editorTextForProgram("/usr/bin/gedit"), "/usr/bin/gedit");
    ::setenv("VARNOK_RECORD", records.file("calls").c_str(), 1);
    openForEdit(h.ctx, "a.ess");
    ::unsetenv("VARNOK_RECORD");
    EXPECT_TRUE(h.ui.messages.empty()) << h.ui.messages.front();
    const std::string cwd = h.folder.path().substr(0, h.folder.path().size() - 1);
    EXPECT_EQ(readRecord(records.file("calls")), (std::vector<std::vector<std::string>>{{cwd, "./a.ess"}}));
}

TEST(ExternalEditor, AnEditorThatCannotStartIsReported)
{
    Harness h;
    h.folder.write("a.lie", "x");
    h.state.options.useInternalEditor = false;
    h.state.options.editor = "no-such-editor-here --wait";
    openForEdit(h.ctx, "a.lie");
    ASSERT_EQ(h.ui.messages.size(), 1u);
    EXPECT_NE(h.ui.messages[0].find("no-such-editor-here --wait \"a.lie\""), std::string::npos) << h.ui.messages[0];
    EXPECT_EQ(editorCommandLine("notepad.exe", "Money.lie"), "notepad.exe \"Money.lie\"");
}

const std::string kRecorder = std::string(VARNOK_TEST_HELPER_DIR) + "/arg_recorder";

// A folder's own editor runs after a Yes (No the default, asked once) or a
// choice of this user's; after a No the built-in editor opens.
TEST(FolderEditor, RunsOnlyWithThisUsersConsent)
{
    const struct {
        const char *what;
        std::string defaultEditor;
        bool chosen;                // on the Program Options page
        std::optional<bool> answer; // to the one question
        int runs;                   // of the two Edits
    } cases[] = {
        {"asked, yes, remembered", "x", false, true, 2},
        {"asked, no, remembered", "x", false, false, 0},
        {"chosen on the options page", "x", true, {}, 2},
        {"Varnok's own default", kRecorder, false, {}, 2},
    };
    testing::TempFolder records;
    ::setenv("VARNOK_RECORD", records.file("calls").c_str(), 1);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        Harness h;
        testing::TempFolder config;
        h.state.configFolder = config.path() + "varnok/";
        h.folder.write("Varnok.Ini", "[Editor]\r\nUseInternalEditor=0\r\nProgramName=" + kRecorder + "\r\n");
        h.folder.write("a.lie", "A\r\n");
        ASSERT_TRUE(startUp(h.ctx, {{h.folder.path()}, "/nowhere/", h.folder.path(), c.defaultEditor}));
        if (c.chosen)
            rememberChosenEditor(h.state, kRecorder);
        if (c.answer)
            h.ui.answerConfirm(*c.answer);
        ::unlink(records.file("calls").c_str());
        for (int i = 0; i < 2; ++i) {
            h.ui.whileWaiting([&] { bEditCancelClick(h.ctx); });
            h.state.lies.selectNames({"a.lie"});
            h.state.page = Page::Lies;
            EditClick(h.ctx);
        }
        std::string calls;
        readFileBytes(records.file("calls"), calls);
        EXPECT_EQ(std::count(calls.begin(), calls.end(), '\n'), c.runs);
        const std::string question = "confirm, No by default: " + formatMessage(kRunFolderEditorQuestion, kRecorder);
        EXPECT_EQ(std::count(h.ui.log.begin(), h.ui.log.end(), question), c.answer ? 1 : 0);
    }
    ::unsetenv("VARNOK_RECORD");
}

// A settings file or document linking out of the folder is not followed.
TEST(FolderEditor, ASettingsLinkOutOfTheFolderIsNotFollowed)
{
    Harness h;
    testing::TempFolder elsewhere;
    elsewhere.write("private.ini", "[Editor]\r\nUseInternalEditor=0\r\n");
    for (const char *name : {"Varnok.Ini", "Secret.ess"})
        ASSERT_EQ(::symlink(elsewhere.file("private.ini").c_str(), h.folder.file(name).c_str()), 0);
    ASSERT_TRUE(startUp(h.ctx, {{h.folder.path()}, "/nowhere/", h.folder.path(), "x"}));
    EXPECT_EQ(h.ui.messages, std::vector{formatMessage(kSettingsLinkMessage, h.folder.file("Varnok.Ini"))});
    std::string bytes;
    EXPECT_EQ(readFileBytes(h.folder.file("Secret.ess"), bytes).error(), EXDEV);
    exitSequence(h.ctx);
    EXPECT_TRUE(linksOutOfItsFolder(h.folder.file("Varnok.Ini"))) << "neither written through nor replaced";
}

} // namespace
} // namespace varnok
