#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <unistd.h>
#include <vector>

#include "core/text.h"
#include "documents/commands.h"
#include "documents/documents.h"
#include "documents/editing.h"
#include "platform/files.h"
#include "platform/trash.h"
#include "support/fakeui.h"

namespace varnok {
namespace {

using testing::Harness;
using Names = std::vector<std::string>;

void listAndSelect(Harness &h, ListId id, const Names &selected)
{
    for (const ListId each : {ListId::Lies, ListId::Essays, ListId::Tests})
        h.state.list(each).reread(h.state.lieFolder);
    h.state.list(id).selectNames(selected);
}

Names trashFiles(const Harness &h)
{
    const std::string trash = h.home.path() + "Trash/files/";
    return folderExists(trash) ? listFolder(trash, "*") : Names{};
}

// ---- Delete to the Trash and Undo delete ----------------------------------

TEST(UndoDelete, DeletedFilesComeBackByteForByteAndSelected)
{
    Harness h;
    const std::string essay = "Money is evil.\r\n\r\nEXPLAIN YOURSELF\r\n\xE4rger\r\n";
    h.folder.write("Money.lie", "Money is evil.\r\n");
    h.folder.write("Money.ess", essay);
    h.folder.write("Work.ess", "Work.\r\n");
    h.folder.write("Zebra.ess", "Z.\r\n");
    listAndSelect(h, ListId::Essays, {"Money.ess", "Work.ess", "Zebra.ess"});
    h.state.page = Page::Essays;
    EXPECT_FALSE(canUndoDelete(h.state));
    for (bool yes : {true, false, true})
        h.ui.answerConfirm(yes);
    DeleteClick(h.ctx);
    EXPECT_EQ(h.state.essays.names(), Names{"Work.ess"});
    EXPECT_EQ(trashFiles(h), (Names{"Money.ess", "Zebra.ess"}));
    ASSERT_TRUE(canUndoDelete(h.state));

    // A second delete is undone first.
    listAndSelect(h, ListId::Lies, {"Money.lie"});
    h.state.page = Page::Lies;
    h.ui.answerConfirm(true);
    DeleteClick(h.ctx);
    EXPECT_TRUE(h.state.lies.names().empty());

    h.ui.log.clear();
    UndoDelete1Click(h.ctx);
    EXPECT_EQ(h.folder.read("Money.lie"), "Money is evil.\r\n");
    EXPECT_EQ(h.state.lies.selectedNames(), Names{"Money.lie"});
    EXPECT_EQ(h.ui.status, "Put back: Money.lie");

    UndoDelete1Click(h.ctx);
    EXPECT_EQ(h.folder.read("Money.ess"), essay);
    EXPECT_EQ(h.folder.read("Zebra.ess"), "Z.\r\n");
    EXPECT_EQ(h.state.essays.names(), (Names{"Money.ess", "Work.ess", "Zebra.ess"}));
    EXPECT_EQ(h.state.essays.selectedNames(), (Names{"Money.ess", "Zebra.ess"}));
    EXPECT_EQ(h.ui.status, "Put back: Money.ess, Zebra.ess");
    EXPECT_TRUE(trashFiles(h).empty());
    EXPECT_TRUE(h.ui.messages.empty());
    EXPECT_FALSE(canUndoDelete(h.state));
    UndoDelete1Click(h.ctx); // nothing left: nothing happens
    EXPECT_TRUE(h.ui.messages.empty());
}

TEST(UndoDelete, AFileThatCannotGoBackIsNamedAndTheOthersGoBack)
{
    Harness h;
    for (const char *name : {"a.lie", "b.lie", "c.lie", "d.lie"})
        h.folder.write(name, std::string(name) + "\r\n");
    listAndSelect(h, ListId::Lies, {"a.lie", "b.lie", "c.lie", "d.lie"});
    h.state.page = Page::Lies;
    for (int i = 0; i < 4; ++i)
        h.ui.answerConfirm(true);
    DeleteClick(h.ctx);
    const std::vector<TrashedFile> trashed = h.state.deleted.back();
    ASSERT_EQ(trashed.size(), 4u);
    h.folder.write("A.LIE", "made meanwhile\r\n");          // names the same document
    ASSERT_EQ(::unlink(trashed[1].trashedPath.c_str()), 0); // the Trash was emptied of it
    // ... and of this one, and another folder's d.lie was trashed since.
    ASSERT_EQ(::unlink(trashed[3].trashedPath.c_str()), 0);
    ASSERT_EQ(::unlink(trashed[3].infoPath.c_str()), 0);
    h.home.write("d.lie", "a stranger\r\n");
    ASSERT_TRUE(moveToTrash(h.home.file("d.lie"), h.state.homeTrash, h.clock.now()).trashed);

    UndoDelete1Click(h.ctx);
    EXPECT_EQ(h.ui.messages,
              (Names{"a.lie cannot be put back: a file of that name exists.  It stays in the Trash as " +
                         trashed[0].trashedPath + "; Undo delete puts it back once the name is free.",
                     "b.lie is no longer in the Trash.", formatMessage(kReplacedInTrashMessage, "d.lie")}));
    EXPECT_EQ(h.folder.read("A.LIE"), "made meanwhile\r\n");
    EXPECT_EQ(h.folder.read("c.lie"), "c.lie\r\n");
    EXPECT_FALSE(h.folder.exists("d.lie")) << "the stranger stays in the Trash";
    EXPECT_EQ(h.state.lies.selectedNames(), Names{"c.lie"});

    // The step is kept for the file still in the Trash: once the name is free it goes back.
    ASSERT_TRUE(canUndoDelete(h.state));
    ASSERT_EQ(::unlink(h.folder.file("A.LIE").c_str()), 0);
    UndoDelete1Click(h.ctx);
    EXPECT_EQ(h.folder.read("a.lie"), "a.lie\r\n");
    EXPECT_FALSE(canUndoDelete(h.state));
}

TEST(UndoDelete, WhereTheTrashCannotTakeAFileASecondYesDeletesIt)
{
    Harness h;
    h.home.write("blocker", "");
    h.state.homeTrash = h.home.file("blocker") + "/Trash/"; // cannot be made
    for (const char *name : {"a.tst", "b.tst"})
        h.folder.write(name, "x\r\n");
    listAndSelect(h, ListId::Tests, {"a.tst", "b.tst"});
    h.state.page = Page::Tests;
    for (bool yes : {true, false, true, true})
        h.ui.answerConfirm(yes);
    DeleteClick(h.ctx);
    EXPECT_EQ(h.ui.log, (Names{"confirm: Delete a.tst?",
                               "confirm, No by default: The Trash cannot take a.tst: there is no Trash on its file "
                               "system.  Delete it for good?",
                               "confirm: Delete b.tst?",
                               "confirm, No by default: The Trash cannot take b.tst: there is no Trash on its file "
                               "system.  Delete it for good?",
                               "list: Lies", "list: Essays", "list: Tests"}));
    EXPECT_EQ(h.state.tests.names(), Names{"a.tst"});
    EXPECT_FALSE(canUndoDelete(h.state)) << "nothing deleted for good can be undone";
}

// ---- A live folder ---------------------------------------------------------

TEST(LiveFolder, ChangesFromOutsideKeepTheSelection)
{
    Harness h;
    for (const char *name : {"a.lie", "b.lie", "c.lie", "x.ess"})
        h.folder.write(name, "x\r\n");
    listAndSelect(h, ListId::Lies, {"b.lie", "c.lie"});
    h.state.essays.selectNames({"x.ess"});

    // Another program adds a Lie, removes one and renames a selected one.
    h.folder.write("aa.lie", "new\r\n");
    ::unlink(h.folder.file("a.lie").c_str());
    ::rename(h.folder.file("c.lie").c_str(), h.folder.file("d.lie").c_str());
    h.ui.log.clear();
    refreshLists(h.ctx);
    EXPECT_EQ(h.state.lies.names(), (Names{"aa.lie", "b.lie", "d.lie"}));
    EXPECT_EQ(h.state.lies.selectedNames(), Names{"b.lie"});
    EXPECT_EQ(h.state.essays.selectedNames(), Names{"x.ess"});
    EXPECT_EQ(h.ui.log, Names{"list: Lies"}) << "only a list that changed is shown anew";

    h.ui.log.clear();
    refreshLists(h.ctx);
    EXPECT_TRUE(h.ui.log.empty());
}

TEST(LiveFolder, ConflictCopiesOfSyncToolsAreListedAsDocuments)
{
    Harness h;
    const Names lies = {"Money (Ann's conflicted copy).lie", "Money (conflicted copy 2026-12-07 172705).lie",
                        "Money.lie", "Money.sync-conflict-20261207-172705-ABCDEFG.lie"};
    const Names essays = {"Money (conflicted copy 2026-12-07).ess", "Money.sync-conflict-20261207-172705-Z.ess"};
    for (const auto &name : lies)
        h.folder.write(name, "x\r\n");
    for (const auto &name : essays)
        h.folder.write(name, "x\r\n");
    refreshLists(h.ctx);
    EXPECT_EQ(h.state.lies.names(), lies);
    EXPECT_EQ(h.state.essays.names(), essays);
}

// ---- The built-in editor and a file changed on disk -----------------------

TEST(BuiltInEditorOnDisk, OkKeepsWhatIsOnDiskAndNeverDropsTheTextTyped)
{
    const std::string copy = "a (copy 2026-12-07 0527pm).ess";
    struct Case {
        const char *what;
        std::string onDisk; // written meanwhile; empty: left alone, "-": removed
        std::string typed;  // the text area at OK
        std::vector<ChangedFileAnswer> answers;
        std::string fileAfter;
        std::string copyAfter; // empty: no copy
        bool stillEditing;
    };
    const Case cases[] = {
        {"unchanged", "", "old\nmine\n", {}, "old\r\nmine\r\n", "", false},
        {"same bytes again", "old\r\n", "old\nmine\n", {}, "old\r\nmine\r\n", "", false},
        {"grown, both added",
         "old\r\nB\r\n",
         "old\nmine\n",
         {ChangedFileAnswer::KeepBoth},
         "old\r\nB\r\nmine\r\n",
         "",
         false},
        {"grown without a line end",
         "old\r\nB",
         "old\nmine\n",
         {ChangedFileAnswer::KeepBoth},
         "old\r\nB\r\nmine\r\n",
         "",
         false},
        {"grown, mine changed the old text",
         "old\r\nB\r\n",
         "OLD\nmine\n",
         {ChangedFileAnswer::KeepBoth},
         "old\r\nB\r\n",
         "OLD\r\nmine\r\n",
         false},
        {"rewritten", "new\r\n", "old\nmine\n", {ChangedFileAnswer::KeepBoth}, "new\r\n", "old\r\nmine\r\n", false},
        {"shrunk to a prefix", "ol", "old\nmine\n", {ChangedFileAnswer::KeepBoth}, "ol", "old\r\nmine\r\n", false},
        {"rewritten, Replace", "new\r\n", "mine\n", {ChangedFileAnswer::Replace}, "mine\r\n", "", false},
        {"rewritten, back to editing", "new\r\n", "mine\n", {ChangedFileAnswer::KeepEditing}, "new\r\n", "", true},
        {"rewritten, nothing typed", "new\r\n", "old\n", {}, "new\r\n", "", false},
        {"removed", "-", "mine\n", {}, "mine\r\n", "", false},
    };
    for (const auto &c : cases) {
        Harness h;
        h.folder.write("a.ess", "old\r\n");
        h.folder.write(copy, "taken\r\n"); // the next free name is used
        for (auto answer : c.answers)
            h.ui.answerChangedFile(answer);
        h.ui.answerConfirm(true); // "removed ... Write it again?"
        bool editingAfterOk = true;
        h.ui.whileWaiting([&] {
            if (c.onDisk == "-")
                ::unlink(h.folder.file("a.ess").c_str());
            else if (!c.onDisk.empty())
                h.folder.write("a.ess", c.onDisk);
            h.ui.memo = c.typed;
            bEditCommitClick(h.ctx);
            editingAfterOk = h.state.edit.editInProgress;
            if (editingAfterOk)
                bEditCancelClick(h.ctx);
        });
        InternalEdit(h.ctx, "a.ess");
        EXPECT_EQ(editingAfterOk, c.stillEditing) << c.what;
        EXPECT_TRUE(h.ui.changedFiles.empty()) << c.what << ": a question was not asked";
        EXPECT_EQ(h.folder.read("a.ess"), c.fileAfter) << c.what;
        const std::string second = "a (copy 2026-12-07 0527pm 2).ess";
        EXPECT_EQ(h.folder.exists(second) ? h.folder.read(second) : "", c.copyAfter) << c.what;
        if (!c.copyAfter.empty()) {
            EXPECT_EQ(h.state.essays.names(),
                      (Names{"a (copy 2026-12-07 0527pm 2).ess", "a (copy 2026-12-07 0527pm).ess", "a.ess"}))
                << c.what;
        }
    }
}

TEST(BuiltInEditorOnDisk, RevertDropsTypingOnlyAfterAQuestionThatDefaultsToNo)
{
    struct Case {
        std::string typed;
        std::vector<bool> answers;
        std::string memoAfter;
    };
    const Case cases[] = {{"old\n", {}, "old\n"}, {"mine\n", {false}, "mine\n"}, {"mine\n", {true}, "old\n"}};
    for (const auto &c : cases) {
        Harness h;
        h.folder.write("a.ess", "old\r\n");
        for (bool yes : c.answers)
            h.ui.answerConfirm(yes);
        h.ui.whileWaiting([&] {
            h.ui.memo = c.typed;
            h.ui.log.clear();
            bEditRevertClick(h.ctx);
            EXPECT_EQ(h.ui.memo, c.memoAfter) << c.typed;
            bEditCancelClick(h.ctx);
        });
        InternalEdit(h.ctx, "a.ess");
        EXPECT_EQ(h.ui.log.front().rfind("confirm, No by default: Revert drops", 0) == 0, !c.answers.empty())
            << h.ui.log.front();
    }
}

TEST(BuiltInEditorOnDisk, RevertTakesTheNewTextAsTheOneLoaded)
{
    Harness h;
    h.folder.write("a.ess", "old\r\n");
    h.ui.whileWaiting([&] {
        h.folder.write("a.ess", "synced\r\n");
        bEditRevertClick(h.ctx);
        EXPECT_EQ(h.ui.memo, "synced\n");
        h.ui.memo = "synced\nmine\n";
        bEditCommitClick(h.ctx); // no question: the text came from the file as it is now
    });
    InternalEdit(h.ctx, "a.ess");
    EXPECT_EQ(h.folder.read("a.ess"), "synced\r\nmine\r\n");
    EXPECT_TRUE(h.ui.messages.empty());
}

} // namespace
} // namespace varnok
