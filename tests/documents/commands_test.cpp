#include <algorithm>
#include <fstream>
#include <memory>
#include <random>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "documents/commands.h"
#include "documents/documents.h"
#include "documents/editing.h"
#include "support/fakeui.h"
#include "support/unprivileged.h"

namespace varnok {
namespace {

using testing::Harness;
using Log = std::vector<std::string>;

const Log kAllListsReread = {"list: Lies", "list: Essays", "list: Tests"};

Log concat(Log a, const Log &b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Lists the folder into the three lists and selects the given names.
void listAndSelect(Harness &h, ListId id, const std::vector<std::string> &selected)
{
    h.state.lies.reread(h.state.lieFolder);
    h.state.essays.reread(h.state.lieFolder);
    h.state.tests.reread(h.state.lieFolder);
    FileList &list = h.state.list(id);
    for (const auto &name : selected) {
        bool found = false;
        for (int i = 0; i < list.count(); ++i) {
            if (list.name(i) == name) {
                list.setSelected(i, true);
                found = true;
            }
        }
        ASSERT_TRUE(found) << name << " is not listed";
    }
}

// ---- New Lie ------------------------------------------------------------

TEST(NewLie, WritesOneLineNamedAfterTheText)
{
    struct Case {
        std::string typed;
        std::string fileName;
    };
    const std::string seventy(70, 'x');
    const std::string tenQuestions = std::string(10, '?') + std::string(60, 'q');
    const Case cases[] = {
        {"This is a lie", "This is a lie.lie"},
        {"Who? Me: never|always", "Who Me neveralways.lie"},
        {seventy, std::string(50, 'x') + ".lie"},
        {tenQuestions, std::string(40, 'q') + ".lie"},
        {"", ".lie"},
        {"?*|", ".lie"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.typed);
        Harness h;
        h.ui.answerInput(c.typed);
        bLiesNewClick(h.ctx);
        EXPECT_EQ(h.folder.names(), Log{c.fileName});
        EXPECT_EQ(h.folder.read(c.fileName), c.typed + "\r\n");
        EXPECT_EQ(h.ui.log, concat({"input: Lie entry | Enter your lies! | This is a lie"}, kAllListsReread));
        EXPECT_TRUE(h.ui.messages.empty());
    }
}

TEST(NewLie, TwiceReplacesWithoutAQuestion)
{
    Harness h;
    h.folder.write("This is a lie.lie", "an older text\r\nof two lines\r\n");
    h.ui.answerInput("This is a lie");
    h.ui.answerInput("This is a lie");
    bLiesNewClick(h.ctx);
    bLiesNewClick(h.ctx);
    EXPECT_EQ(h.folder.names(), Log{"This is a lie.lie"});
    EXPECT_EQ(h.folder.read("This is a lie.lie"), "This is a lie\r\n");
    const Log once = concat({"input: Lie entry | Enter your lies! | This is a lie"}, kAllListsReread);
    EXPECT_EQ(h.ui.log, concat(once, once));
    EXPECT_EQ(h.state.lies.names(), Log{"This is a lie.lie"});
}

TEST(NewLie, CancelWritesNothingButClearsEverySelection)
{
    Harness h;
    h.folder.write("a.lie", "a\r\n");
    h.folder.write("a.ess", "e\r\n");
    h.folder.write("a.tst", "t\r\n");
    listAndSelect(h, ListId::Lies, {"a.lie"});
    h.state.essays.selectAll();
    h.state.tests.selectAll();
    h.ui.answerInput(std::nullopt);
    bLiesNewClick(h.ctx);
    EXPECT_EQ(h.folder.names(), (Log{"a.ess", "a.lie", "a.tst"}));
    EXPECT_EQ(h.state.lies.selectedCount(), 0);
    EXPECT_EQ(h.state.essays.selectedCount(), 0);
    EXPECT_EQ(h.state.tests.selectedCount(), 0);
    EXPECT_EQ(h.ui.log, concat({"input: Lie entry | Enter your lies! | This is a lie"}, kAllListsReread));
}

TEST(NewLie, FileThatCannotBeWrittenIsReportedAndNothingReread)
{
    Harness h;
    ASSERT_EQ(::mkdir(h.folder.file("Stuck.lie").c_str(), 0700), 0);
    h.folder.write("b.lie", "b\r\n");
    listAndSelect(h, ListId::Lies, {"b.lie"});
    h.ui.answerInput("Stuck");
    bLiesNewClick(h.ctx);
    EXPECT_EQ(h.ui.messages, Log{"Cannot create file " + h.folder.file("Stuck.lie") + "."});
    EXPECT_EQ(h.ui.log.size(), 2u) << "no list may be re-read";
    EXPECT_EQ(h.state.lies.selectedCount(), 1);
}

// ---- New Essay ----------------------------------------------------------

TEST(NewEssay, CancelTouchesNothing)
{
    Harness h;
    h.folder.write("a.lie", "a\r\n");
    h.folder.write("a.ess", "e\r\n");
    listAndSelect(h, ListId::Essays, {"a.ess"});
    h.state.lies.selectAll();
    h.ui.answerInput(std::nullopt);
    bEssaysNewClick(h.ctx);
    EXPECT_EQ(h.folder.names(), (Log{"a.ess", "a.lie"}));
    EXPECT_EQ(h.ui.log, Log{"input: Essay Title | Essay Title | Essay Title"});
    EXPECT_EQ(h.state.lies.selectedCount(), 1);
    EXPECT_EQ(h.state.essays.selectedCount(), 1);
}

TEST(NewEssay, IsWrittenEditedAndListedOnlyAfterTheEdit)
{
    Harness h;
    h.state.options.useInternalEditor = true;
    h.folder.write("Other.ess", "x\r\n");
    listAndSelect(h, ListId::Essays, {"Other.ess"});
    h.ui.answerInput("Essay Title");
    bool checked = false;
    h.ui.whileWaiting([&] {
        // The edit is open on the new layout, and the list was not re-read yet.
        EXPECT_EQ(h.folder.read("Essay Title.ess"), "Essay Title\r\n\r\nEXPLAIN YOURSELF\r\n\r\n");
        EXPECT_EQ(h.ui.memo, "Essay Title\n\nEXPLAIN YOURSELF\n\n");
        EXPECT_EQ(h.state.edit.editFileName, h.folder.file("Essay Title.ess"));
        EXPECT_EQ(h.state.essays.names(), Log{"Other.ess"});
        EXPECT_EQ(h.state.essays.selectedCount(), 1);
        checked = true;
        bEditCancelClick(h.ctx);
    });
    bEssaysNewClick(h.ctx);
    EXPECT_TRUE(checked);
    EXPECT_TRUE(h.ui.messages.empty());
    EXPECT_EQ(h.state.essays.names(), (Log{"Essay Title.ess", "Other.ess"}));
    EXPECT_EQ(h.state.essays.selectedCount(), 0);
    ASSERT_GE(h.ui.log.size(), 5u);
    EXPECT_EQ(h.ui.log.front(), "input: Essay Title | Essay Title | Essay Title");
    EXPECT_EQ(Log(h.ui.log.end() - 3, h.ui.log.end()), kAllListsReread);
}

TEST(NewEssay, TitleIsCleanedAndCutForTheNameOnly)
{
    Harness h;
    const std::string title = "Why: " + std::string(60, 'w');
    h.ui.answerInput(title);
    h.ui.whileWaiting([&] { bEditCommitClick(h.ctx); });
    bEssaysNewClick(h.ctx);
    const std::string name = "Why " + std::string(45, 'w') + ".ess";
    EXPECT_EQ(h.folder.names(), Log{name});
    EXPECT_EQ(h.folder.read(name), title + "\r\n\r\nEXPLAIN YOURSELF\r\n\r\n");
}

TEST(NewEssay, FileThatCannotBeWrittenOpensNoEditorAndRereadsNothing)
{
    Harness h;
    ASSERT_EQ(::mkdir(h.folder.file("Essay Title.ess").c_str(), 0700), 0);
    h.ui.answerInput("Essay Title");
    bEssaysNewClick(h.ctx);
    EXPECT_EQ(h.ui.log, (Log{"input: Essay Title | Essay Title | Essay Title",
                             "error: Cannot create file " + h.folder.file("Essay Title.ess") + "."}));
    EXPECT_FALSE(h.state.edit.editInProgress);
}

// ---- View ---------------------------------------------------------------

TEST(View, ShowsEverySelectedFileOfThePageShowing)
{
    struct Case {
        Page page;
        ListId list;
        std::string first;
        std::string second;
        std::string note = {}; // told after the view is shown
    };
    const Case cases[] = {
        {Page::Lies, ListId::Lies, "a.lie", "b.lie"},
        {Page::Essays, ListId::Essays, "a.ess", "b.gen"},
        {Page::Tests, ListId::Tests, "a.tst", "b.tst"},
        {Page::Essays, ListId::Essays, "a.ess", "a.sync-conflict-20261209-114603-ABCDEFG.ess",
         "a.ess has a conflict copy from 2026-12-09 11:46\nConflict copy of a.ess from 2026-12-09 11:46"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.first);
        Harness h;
        h.folder.write(c.first, "a1\r\na2\r\n");
        h.folder.write(c.second, "b1");
        h.folder.write("unselected.lie", "no\r\n");
        h.folder.write("unselected.ess", "no\r\n");
        h.folder.write("unselected.tst", "no\r\n");
        listAndSelect(h, c.list, {c.second, c.first});
        h.state.page = c.page;
        bTestsViewClick(h.ctx);
        EXPECT_EQ(h.ui.memo, "a1\na2\n  * * *\n\n\nb1\n  * * *\n\n");
        EXPECT_TRUE(h.ui.memoVisible);
        EXPECT_EQ(h.ui.log, c.note.empty() ? Log{"page: Start Here"} : (Log{"page: Start Here", "message: " + c.note}));
        EXPECT_EQ(h.state.list(c.list).selectedCount(), 2) << "the selection stays";
    }
}

TEST(View, ReadsLinesAsTheLineReaderDoes)
{
    struct Case {
        std::string bytes;
        std::string shown;
    };
    const Case cases[] = {
        {"", "  * * *\n\n"},
        {"\r\n", "\n  * * *\n\n"},
        {"x\ry\nz\r\n\r\n", "x\ny\nz\n\n  * * *\n\n"},
        {"a\r\r\nb", "a\n\nb\n  * * *\n\n"},
        {std::string("head\r\nbin\0ary\r\nmore", 20), "head\nbin\n  * * *\n\n"},
        {"caf\xe9 \xff\xfe", "caf\xe9 \xff\xfe\n  * * *\n\n"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.shown);
        Harness h;
        h.folder.write("f.lie", c.bytes);
        listAndSelect(h, ListId::Lies, {"f.lie"});
        h.state.page = Page::Lies;
        bTestsViewClick(h.ctx);
        EXPECT_EQ(h.ui.memo, c.shown);
        EXPECT_TRUE(h.ui.memoVisible);
    }
}

TEST(View, AgreesWithTheLineReaderOnAnyMixOfBreaks)
{
    Harness h;
    h.state.page = Page::Lies;
    std::mt19937 engine(7);
    const char alphabet[] = {'a', 'b', '\r', '\n', '\0'};
    for (int round = 0; round < 300; ++round) {
        std::string bytes;
        const auto length = engine() % 12;
        for (unsigned i = 0; i < length; ++i)
            bytes += alphabet[engine() % sizeof alphabet];
        h.folder.write("f.lie", bytes);
        h.state.lies.setNames({"f.lie"});
        h.state.lies.selectAll();
        bTestsViewClick(h.ctx);
        std::string expected;
        for (const auto &line : splitLines(bytes))
            expected += line + "\n";
        expected += "  * * *\n\n";
        ASSERT_EQ(h.ui.memo, expected) << ::testing::PrintToString(bytes);
    }
}

TEST(View, CancelWhileReadingLeavesTheViewAsItWas)
{
    // A file big enough to be read in pieces moves the bar as it is read;
    // a Cancel at any report stops the View, the last one included.
    const auto view = [](int cancelAt) {
        auto h = std::make_unique<Harness>();
        h->folder.write("a.lie", "a\r\n");
        h->folder.write("b.lie", std::string(std::size_t{9} << 20, 'b'));
        listAndSelect(*h, ListId::Lies, {"a.lie", "b.lie"});
        h->state.page = Page::Lies;
        h->ui.memo = "before";
        h->ui.cancelAtReport(cancelAt);
        bTestsViewClick(h->ctx);
        return h;
    };
    const std::vector<double> reports = view(0)->ui.reports;
    EXPECT_GE(std::count_if(reports.begin(), reports.end(), [](double f) { return f > 0.5 && f < 1; }), 2);
    for (int at = 1; at <= static_cast<int>(reports.size()); ++at) {
        const auto h = view(at);
        EXPECT_EQ(h->ui.jobs, (std::vector<std::string>{kViewCaption, "cancelled"})) << at;
        EXPECT_EQ(h->ui.memo, "before");
        EXPECT_FALSE(h->ui.memoVisible);
        EXPECT_TRUE(h->ui.log.empty());
    }
}

TEST(View, NothingToShowEmptiesAndHidesTheView)
{
    for (const Page page : {Page::Lies, Page::Ask, Page::Options}) {
        Harness h;
        h.folder.write("a.lie", "a\r\n");
        listAndSelect(h, ListId::Lies, {});
        if (page != Page::Lies)
            h.state.lies.selectAll();
        h.state.page = page;
        h.ui.memo = "shown before";
        h.ui.memoVisible = true;
        bTestsViewClick(h.ctx);
        EXPECT_EQ(h.ui.memo, "");
        EXPECT_FALSE(h.ui.memoVisible);
        EXPECT_TRUE(h.ui.log.empty()) << "no page switch";
    }
}

TEST(View, FileThatCannotBeReadLeavesTheViewAsItWas)
{
    for (const bool shownBefore : {true, false}) {
        Harness h;
        h.folder.write("a.lie", "a\r\n");
        h.folder.write("gone.lie", "g\r\n");
        listAndSelect(h, ListId::Lies, {"a.lie", "gone.lie"});
        ASSERT_EQ(::unlink(h.folder.file("gone.lie").c_str()), 0);
        h.state.page = Page::Lies;
        h.ui.memo = "before";
        h.ui.memoVisible = shownBefore;
        bTestsViewClick(h.ctx);
        EXPECT_EQ(h.ui.log, Log{"error: Cannot open file gone.lie."});
        EXPECT_EQ(h.ui.memo, "before");
        EXPECT_EQ(h.ui.memoVisible, shownBefore);
    }
}

// How long this takes is for bench/bench_view to watch.
TEST(View, FiftyMegabytesAreShownWhole)
{
    Harness h;
    const std::string bigLine = "a line of a large file";
    {
        std::ofstream out(h.folder.file("big.lie"), std::ios::binary);
        for (std::size_t written = 0; written < 50u * 1000 * 1000; written += bigLine.size() + 2)
            out << bigLine << "\r\n";
        out << std::string("after\0the nul\r\n", 15);
    }
    h.folder.write("small.lie", "s\r\n");
    listAndSelect(h, ListId::Lies, {"big.lie", "small.lie"});
    h.state.page = Page::Lies;
    bTestsViewClick(h.ctx);
    const std::string tail = "after\n  * * *\n\n\ns\n  * * *\n\n";
    ASSERT_GT(h.ui.memo.size(), 45u * 1000 * 1000); // CR LF became "\n"
    EXPECT_EQ(h.ui.memo.substr(h.ui.memo.size() - tail.size()), tail);
    EXPECT_EQ(h.ui.memo.substr(0, bigLine.size() * 2 + 2), bigLine + "\n" + bigLine + "\n");
}

// ---- Delete -------------------------------------------------------------

TEST(Delete, AsksForEachSelectedEntryInListOrder)
{
    Harness h;
    for (const char *name : {"a.lie", "b.lie", "c.lie", "d.lie", "a.ess"})
        h.folder.write(name, "x\r\n");
    listAndSelect(h, ListId::Lies, {"c.lie", "a.lie", "b.lie"});
    h.state.essays.selectAll();
    h.state.page = Page::Lies;
    h.ui.answerConfirm(true);
    h.ui.answerConfirm(false);
    h.ui.answerConfirm(true);
    DeleteClick(h.ctx);
    EXPECT_EQ(h.folder.names(), (Log{"a.ess", "b.lie", "d.lie"})) << "the essay of a deleted Lie stays";
    EXPECT_EQ(h.ui.log,
              concat({"confirm: Delete a.lie?", "confirm: Delete b.lie?", "confirm: Delete c.lie?"}, kAllListsReread));
    EXPECT_EQ(h.state.lies.names(), (Log{"b.lie", "d.lie"}));
    EXPECT_EQ(h.state.essays.selectedCount(), 0);
}

TEST(Delete, FileAlreadyGoneIsSilentAndNoOtherFileIsTakenForIt)
{
    Harness h;
    h.folder.write("a.tst", "x\r\n");
    h.folder.write("b.tst", "x\r\n");
    listAndSelect(h, ListId::Tests, {"a.tst", "b.tst"});
    ASSERT_EQ(::unlink(h.folder.file("a.tst").c_str()), 0);
    // Made by another program after the listing; nobody was asked about it.
    h.folder.write("A.TST", "keep\r\n");
    h.state.page = Page::Tests;
    h.ui.answerConfirm(true);
    h.ui.answerConfirm(true);
    DeleteClick(h.ctx);
    EXPECT_EQ(h.folder.names(), Log{"A.TST"});
    EXPECT_TRUE(h.ui.messages.empty());
    EXPECT_EQ(h.ui.log, concat({"confirm: Delete a.tst?", "confirm: Delete b.tst?"}, kAllListsReread));
    EXPECT_EQ(h.state.tests.names(), Log{"A.TST"});
}

TEST(Delete, NothingSelectedAsksNothingAndRereads)
{
    Harness h;
    h.folder.write("a.ess", "x\r\n");
    listAndSelect(h, ListId::Essays, {});
    h.state.lies.setNames({"stale.lie"});
    h.state.page = Page::Essays;
    DeleteClick(h.ctx);
    EXPECT_EQ(h.ui.log, kAllListsReread);
    EXPECT_TRUE(h.state.lies.names().empty());
    EXPECT_EQ(h.folder.names(), Log{"a.ess"});
}

// ---- Rename -------------------------------------------------------------

struct RenameCase {
    const char *title;
    std::optional<RenameAnswer> answer;
    std::optional<bool> confirmed; // none: no question expected
    std::vector<std::string> namesAfter;
    std::vector<std::string> liesListed;
};

TEST(Rename, OneLieInEveryWay)
{
    const std::string question = "confirm: Rename (Be sure to include the .lie suffix) Money.lie to ";
    const RenameCase cases[] = {
        {"cleaned",
         RenameAnswer{"Money.lie", "x/y:z.lie"},
         true,
         {"Cash.lie", "Money.ess", "xyz.lie"},
         {"Cash.lie", "xyz.lie"}},
        {"no extension", RenameAnswer{"Money.lie", "Cash"}, true, {"Cash", "Cash.lie", "Money.ess"}, {"Cash.lie"}},
        {"onto existing",
         RenameAnswer{"Money.lie", "Cash.lie"},
         true,
         {"Cash.lie", "Money.ess", "Money.lie"},
         {"Cash.lie", "Money.lie"}},
        {"onto existing in other case",
         RenameAnswer{"Money.lie", "cASH.LIE"},
         true,
         {"Cash.lie", "Money.ess", "Money.lie"},
         {"Cash.lie", "Money.lie"}},
        {"parent folder",
         RenameAnswer{"Money.lie", ".."},
         true,
         {"Cash.lie", "Money.ess", "Money.lie"},
         {"Cash.lie", "Money.lie"}},
        {"this folder",
         RenameAnswer{"Money.lie", "."},
         true,
         {"Cash.lie", "Money.ess", "Money.lie"},
         {"Cash.lie", "Money.lie"}},
        {"cleaned to nothing",
         RenameAnswer{"Money.lie", "/"},
         true,
         {"Cash.lie", "Money.ess", "Money.lie"},
         {"Cash.lie", "Money.lie"}},
        {"cleaned to parent",
         RenameAnswer{"Money.lie", "./."},
         true,
         {"Cash.lie", "Money.ess", "Money.lie"},
         {"Cash.lie", "Money.lie"}},
        {"answered No",
         RenameAnswer{"Money.lie", "New.lie"},
         false,
         {"Cash.lie", "Money.ess", "Money.lie"},
         {"Cash.lie", "Money.lie"}},
        {"cancelled", std::nullopt, std::nullopt, {"Cash.lie", "Money.ess", "Money.lie"}, {"Cash.lie", "Money.lie"}},
        {"empty To",
         RenameAnswer{"Money.lie", ""},
         std::nullopt,
         {"Cash.lie", "Money.ess", "Money.lie"},
         {"Cash.lie", "Money.lie"}},
        {"From edited",
         RenameAnswer{"Cash.lie", "Coins.lie"},
         true,
         {"Coins.lie", "Money.ess", "Money.lie"},
         {"Coins.lie", "Money.lie"}},
        {"From typed in other case",
         RenameAnswer{"money.LIE", "Gold.lie"},
         true,
         {"Cash.lie", "Gold.lie", "Money.ess"},
         {"Cash.lie", "Gold.lie"}},
        {"From missing",
         RenameAnswer{"Nothing.lie", "New.lie"},
         true,
         {"Cash.lie", "Money.ess", "Money.lie"},
         {"Cash.lie", "Money.lie"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.title);
        Harness h;
        h.folder.write("Money.lie", "Money is evil.\r\n");
        h.folder.write("Cash.lie", "Cash is king.\r\n");
        h.folder.write("Money.ess", "Money is evil.\r\n");
        listAndSelect(h, ListId::Lies, {"Money.lie"});
        h.state.essays.selectAll();
        h.ui.answerRename(c.answer);
        if (c.confirmed)
            h.ui.answerConfirm(*c.confirmed);
        bLiesRenameClick(h.ctx);

        Log expected{"rename: Rename (Be sure to include the .lie suffix) | " + h.folder.path() + " | Money.lie"};
        if (c.confirmed)
            expected.push_back("confirm: Rename (Be sure to include the .lie suffix) " + c.answer->from + " to " +
                               c.answer->to + "?");
        expected.push_back("list: Lies");
        EXPECT_EQ(h.ui.log, expected);
        EXPECT_EQ(h.folder.names(), c.namesAfter);
        EXPECT_EQ(h.state.lies.names(), c.liesListed);
        EXPECT_EQ(h.state.essays.selectedCount(), 1) << "other lists stay as they were";
        // Whatever happened, the contents stay with their files.
        for (const auto &name : c.namesAfter) {
            const std::string bytes = h.folder.read(name);
            EXPECT_TRUE(bytes == "Money is evil.\r\n" || bytes == "Cash is king.\r\n") << name;
        }
        EXPECT_TRUE(h.ui.messages.empty());
    }
    // The exact question of the cleaned case, spelled out once.
    Harness h;
    h.folder.write("Money.lie", "m\r\n");
    listAndSelect(h, ListId::Lies, {"Money.lie"});
    h.ui.answerRename(RenameAnswer{"Money.lie", "x/y:z.lie"});
    h.ui.answerConfirm(true);
    bLiesRenameClick(h.ctx);
    EXPECT_EQ(h.ui.log.at(1), question + "x/y:z.lie?");
    EXPECT_EQ(h.folder.read("xyz.lie"), "m\r\n");
}

TEST(Rename, ParentFolderNeverReceivesTheFile)
{
    Harness h;
    testing::TempFolder outer;
    ASSERT_EQ(::mkdir(outer.file("inner").c_str(), 0700), 0);
    h.state.lieFolder = outer.file("inner/");
    outer.write("inner/Money.lie", "m\r\n");
    for (const char *to : {"..", "/", ".", "\\..\\", "./.", "../Money.lie"}) {
        SCOPED_TRACE(to);
        listAndSelect(h, ListId::Lies, {"Money.lie"});
        h.ui.answerRename(RenameAnswer{"Money.lie", to});
        h.ui.answerConfirm(true);
        bLiesRenameClick(h.ctx);
        EXPECT_EQ(outer.names(), Log{"inner"});
    }
    // The last To cleans to "..Money.lie", a plain (hidden) name inside the folder.
    EXPECT_EQ(outer.read("inner/..Money.lie"), "m\r\n");
    EXPECT_FALSE(outer.exists("inner/Money.lie"));
}

TEST(Rename, TwoSelectedEntriesAreAskedInListOrder)
{
    struct Case {
        void (*command)(Context &);
        ListId list;
        std::string caption;
        std::string first, second, other;
    };
    const Case cases[] = {
        {bLiesRenameClick, ListId::Lies, "Rename (Be sure to include the .lie suffix)", "a.lie", "c.lie", "b.lie"},
        {bEssaysRenameClick, ListId::Essays, "Rename (Be sure to include the .ess suffix)", "a.ess", "c.gen", "b.ess"},
        {bTestsRenameClick, ListId::Tests, "Rename (Be sure to include the .tst suffix)", "a.tst", "c.tst", "b.tst"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.caption);
        Harness h;
        for (const auto &name : {c.first, c.second, c.other})
            h.folder.write(name, name + "\r\n");
        listAndSelect(h, c.list, {c.second, c.first});
        h.ui.answerRename(RenameAnswer{c.first, "1" + c.first});
        h.ui.answerConfirm(true);
        h.ui.answerRename(RenameAnswer{c.second, "2" + c.second});
        h.ui.answerConfirm(true);
        c.command(h.ctx);
        const std::string listName = c.list == ListId::Lies ? "Lies" : c.list == ListId::Essays ? "Essays" : "Tests";
        EXPECT_EQ(h.ui.log,
                  (Log{"rename: " + c.caption + " | " + h.folder.path() + " | " + c.first,
                       "confirm: " + c.caption + " " + c.first + " to 1" + c.first + "?",
                       "rename: " + c.caption + " | " + h.folder.path() + " | " + c.second,
                       "confirm: " + c.caption + " " + c.second + " to 2" + c.second + "?", "list: " + listName}));
        EXPECT_EQ(h.folder.read("1" + c.first), c.first + "\r\n");
        EXPECT_EQ(h.folder.read("2" + c.second), c.second + "\r\n");
        EXPECT_EQ(h.folder.read(c.other), c.other + "\r\n");
        EXPECT_EQ(h.state.list(c.list).selectedCount(), 0);
    }
}

TEST(Rename, PatternTextInNamesIsTakenLiterally)
{
    Harness h;
    h.folder.write("100%s.lie", "x\r\n");
    listAndSelect(h, ListId::Lies, {"100%s.lie"});
    h.ui.answerRename(RenameAnswer{"100%s.lie", "%s.lie"});
    h.ui.answerConfirm(true);
    bLiesRenameClick(h.ctx);
    EXPECT_EQ(h.ui.log.at(1), "confirm: Rename (Be sure to include the .lie suffix) 100%s.lie to %s.lie?");
    EXPECT_EQ(h.folder.names(), Log{"%s.lie"});
}

// ---- Select all ---------------------------------------------------------

TEST(SelectAll, SelectsEveryEntryOfItsListOnly)
{
    Harness h;
    for (const char *name : {"a.lie", "b.lie", "a.ess", "b.gen", "a.tst"})
        h.folder.write(name, "x\r\n");
    listAndSelect(h, ListId::Lies, {});
    bLiesSelectAllClick(h.ctx);
    EXPECT_EQ(h.state.lies.selectedCount(), 2);
    EXPECT_EQ(h.state.essays.selectedCount(), 0);
    bFunSelectAllClick(h.ctx);
    EXPECT_EQ(h.state.essays.selectedCount(), 2);
    EXPECT_EQ(h.state.tests.selectedCount(), 0);
    EXPECT_EQ(h.ui.log, (Log{"list: Lies", "list: Essays"}));
}

// ---- Save to file -------------------------------------------------------

TEST(SaveToFile, ReplacesWithoutAQuestionKeepingTheBytes)
{
    Harness h;
    h.folder.write("out.txt", "an older file that is longer than the new one\r\n");
    h.ui.memo = "caf\xe9 \xff\n\nlast";
    h.ui.answerSave(h.folder.file("out.txt"));
    Savetofile1Click(h.ctx);
    EXPECT_EQ(h.folder.read("out.txt"), "caf\xe9 \xff\r\n\r\nlast");
    EXPECT_EQ(h.ui.log, Log{"save: " + h.folder.path()});
    EXPECT_EQ(h.folder.names(), Log{"out.txt"}) << "no temporary file stays";
}

TEST(SaveToFile, CancelWritesNothingAndFailureIsReported)
{
    Harness h;
    h.ui.memo = "text";
    h.ui.answerSave(std::nullopt);
    Savetofile1Click(h.ctx);
    EXPECT_TRUE(h.folder.names().empty());

    ASSERT_EQ(::mkdir(h.folder.file("folder.txt").c_str(), 0700), 0);
    h.ui.answerSave(h.folder.file("folder.txt"));
    Savetofile1Click(h.ctx);
    EXPECT_EQ(h.ui.messages, Log{"Cannot create file " + h.folder.file("folder.txt") + "."});
    EXPECT_EQ(h.folder.names(), Log{"folder.txt"});
}

// ---- A folder the program may not change -------------------------------

TEST(ReadOnlyFolder, CommandsFailAsDescribedAndChangeNothing)
{
    if (!testing::canRunUnprivileged())
        GTEST_SKIP() << "running as root without the right to become another user";
    Harness h;
    h.folder.write("a.lie", "a\r\n");
    h.folder.write("b.lie", "b\r\n");
    listAndSelect(h, ListId::Lies, {"a.lie", "b.lie"});
    ASSERT_EQ(::chmod(h.folder.path().c_str(), 0500), 0);
    EXPECT_EQ(testing::checkUnprivileged(
                  h.folder.path(),
                  [&] {
                      h.state.page = Page::Lies;

                      h.ui.answerInput("New");
                      bLiesNewClick(h.ctx);
                      h.ui.answerInput("Essay Title");
                      bEssaysNewClick(h.ctx);
                      h.ui.memo = "x";
                      h.ui.answerSave(h.folder.file("out.txt"));
                      Savetofile1Click(h.ctx);
                      EXPECT_EQ(h.ui.messages, (Log{"Cannot create file " + h.folder.file("New.lie") + ".",
                                                    "Cannot create file " + h.folder.file("Essay Title.ess") + ".",
                                                    "Cannot create file " + h.folder.file("out.txt") + "."}));
                      EXPECT_FALSE(h.state.edit.editInProgress);

                      h.ui.answerConfirm(true);
                      h.ui.answerConfirm(true);
                      DeleteClick(h.ctx);
                      listAndSelect(h, ListId::Lies, {"a.lie"});
                      h.ui.answerRename(RenameAnswer{"a.lie", "c.lie"});
                      h.ui.answerConfirm(true);
                      bLiesRenameClick(h.ctx);
                      EXPECT_EQ(h.ui.messages.size(), 3u) << "failed deletes and renames are silent";
                      EXPECT_EQ(h.folder.names(), (Log{"a.lie", "b.lie"}));
                      EXPECT_EQ(h.state.lies.names(), (Log{"a.lie", "b.lie"}));
                  }),
              "");
}

} // namespace
} // namespace varnok
