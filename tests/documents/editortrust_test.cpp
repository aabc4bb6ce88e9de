#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <unistd.h>
#include <functional>
#include <string>

#include "app/startup.h"
#include "core/editortrust.h"
#include "core/text.h"
#include "documents/editing.h"
#include "platform/files.h"
#include "support/fakeui.h"

namespace varnok {
namespace {

using testing::Harness;
using testing::TempFolder;

const std::string kRecorder = std::string(VARNOK_TEST_HELPER_DIR) + "/arg_recorder";

// A folder whose settings name a program as its editor: run only after a
// Yes (asked once, with No as the default) or when this user chose that
// program; a No opens the built-in editor instead and is remembered too.
TEST(FolderEditor, RunsOnlyWithThisUsersConsent)
{
    const struct {
        const char *what;
        std::string defaultEditor;
        std::function<void(AppState &)> before;
        std::vector<bool> answers; // given to the questions, in order
        int runs;                  // of the two Edits
    } cases[] = {
        {"asked, yes, remembered", "x", {}, {true}, 2},
        {"asked, no, remembered", "x", {}, {false}, 0},
        {"chosen on the options page", "x", [](AppState &s) { rememberChosenEditor(s, kRecorder); }, {}, 2},
        {"Varnok's own default", kRecorder, {}, {}, 2},
        {"set in this run", "x", [](AppState &s) { s.options.editor = kRecorder + " "; }, {}, 2},
    };
    TempFolder records;
    ::setenv("VARNOK_RECORD", records.file("calls").c_str(), 1);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        Harness h;
        TempFolder config;
        h.state.configFolder = config.path() + "varnok/";
        h.folder.write("Varnok.Ini", "[Editor]\r\nUseInternalEditor=0\r\nProgramName=" + kRecorder + "\r\n");
        h.folder.write("a.lie", "A\r\n");
        ASSERT_TRUE(startUp(h.ctx, {{h.folder.path()}, "/nowhere/", h.folder.path(), c.defaultEditor}));
        if (c.before)
            c.before(h.state);
        for (const bool answer : c.answers)
            h.ui.answerConfirm(answer);
        ::unlink(records.file("calls").c_str());
        for (int i = 0; i < 2; ++i) {
            h.ui.whileWaiting([&] { bEditCancelClick(h.ctx); });
            h.state.lies.selectNames({"a.lie"});
            h.state.page = Page::Lies;
            EditClick(h.ctx);
        }
        std::string calls;
        readFileBytes(records.file("calls"), calls);
        EXPECT_EQ(std::count(calls.begin(), calls.end(), '\n'), c.runs) << c.what;
        const std::string question = "confirm, No by default: " + formatMessage(kRunFolderEditorQuestion, kRecorder);
        EXPECT_EQ(std::count(h.ui.log.begin(), h.ui.log.end(), question), std::ssize(c.answers)) << c.what;
    }
    ::unsetenv("VARNOK_RECORD");
}

// A settings file leading out of the lie folder is neither read nor written:
// said once, the defaults used, the file it leads to untouched at exit.
TEST(FolderEditor, ASettingsLinkOutOfTheFolderIsNotFollowed)
{
    Harness h;
    TempFolder elsewhere;
    elsewhere.write("private.ini", "[Editor]\r\nUseInternalEditor=0\r\nProgramName=./helper.sh\r\n");
    ASSERT_EQ(::symlink(elsewhere.file("private.ini").c_str(), h.folder.file("Varnok.Ini").c_str()), 0);
    h.folder.write("Money.ess", "mine\r\n");
    ASSERT_EQ(::symlink(elsewhere.file("private.ini").c_str(), h.folder.file("Secret.ess").c_str()), 0);
    ASSERT_TRUE(startUp(h.ctx, {{h.folder.path()}, "/nowhere/", h.folder.path(), "x"}));
    EXPECT_EQ(h.ui.messages,
              std::vector<std::string>{formatMessage(kSettingsLinkMessage, h.folder.file("Varnok.Ini"))});
    EXPECT_TRUE(h.state.options.useInternalEditor);
    std::string bytes;
    EXPECT_FALSE(readFileBytes(h.folder.file("Secret.ess"), bytes));
    EXPECT_TRUE(readFileBytes(h.folder.file("Money.ess"), bytes));
    exitSequence(h.ctx);
    EXPECT_TRUE(linksOutOfItsFolder(h.folder.file("Varnok.Ini"))) << "neither written through nor replaced";
}

} // namespace
} // namespace varnok
