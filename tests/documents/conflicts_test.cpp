#include <gtest/gtest.h>

#include "documents/conflicts.h"
#include "platform/files.h"
#include "support/fakeui.h"

namespace varnok {
namespace {

using testing::Harness;
using Names = std::vector<std::string>;

TEST(ConflictCopies, NamesASyncToolGivesTheSecondVersion)
{
    struct Case {
        const char *name;
        const char *mainName; // empty: not a conflict copy
        const char *note;
    };
    const Case cases[] = {
        {"Money is evil.sync-conflict-20261209-114603-ABCDEFG.ess", "Money is evil.ess",
         "Money is evil.ess has a conflict copy from 2026-12-09 11:46"},
        {"a.b.sync-conflict-20260101-000000-Z9.lie", "a.b.lie", "a.b.lie has a conflict copy from 2026-01-01 00:00"},
        {"README.sync-conflict-20261209-114603-ABC", "README", "README has a conflict copy from 2026-12-09 11:46"},
        {".sync-conflict-20261209-114603-ABC.ess", "", ""},
        {"Money.sync-conflict-2026129-114603-ABC.ess", "", ""},
        {"Money.sync-conflict-20261209-11460-ABC.ess", "", ""},
        {"Money.sync-conflict-20261209-114603-.ess", "", ""},
        {"Money.sync-conflict-20261209-114603-AB_C.ess", "", ""},
        {"Money (copy 2026-12-09 1146am).ess", "", ""},
    };
    for (const auto &c : cases) {
        const auto copy = parseConflictCopy(c.name);
        EXPECT_EQ(copy ? copy->mainName : "", c.mainName) << c.name;
        EXPECT_EQ(copy ? conflictNoteText(*copy) : "", c.note) << c.name;
    }
}

TEST(ConflictCopies, JoiningAddsTheCopysBlocksTheFileLacksOnce)
{
    const std::string head = "Money\n";
    const std::string r1 = "\n2026-12-01 0900am  RESPONSE: 3\n\nEXPLAIN YOURSELF\nfirst\n";
    const std::string r2 = "\n2026-12-08 0900am  RESPONSE: 22\n\nEXPLAIN YOURSELF\n";
    const std::string r3 = "\n2026-12-08 1000am  RESPONSE: 7\n\nEXPLAIN YOURSELF\non B\n";
    struct Case {
        std::string main, copy, joined;
    };
    const Case cases[] = {
        {head + r1, head + r1, head + r1},
        {head + r1 + r2, head + r1 + r3, head + r1 + r2 + r3},
        {head + r1, head + r3 + r1, head + r1 + r3},
        {head + r1, "Money, said B\n" + r1, head + r1 + "Money, said B\n"},
        // The same block edited on both sides: the copy's version is kept too.
        {head + r1 + "edited here", head + r1 + r2, head + r1 + "edited here\n" + r1 + r2},
        {"", head + r1, head + r1},
        // The file's last block with the review's empty line after it is the copy's first.
        {head + r1 + "\n", head + r1 + r3, head + r1 + r3},
    };
    for (const auto &c : cases)
        EXPECT_EQ(joinMissingBlocks(c.main, c.copy), c.joined) << c.main << "|" << c.copy;
}

TEST(ConflictCopies, ResolvingKeepsOneOrJoinsAndTrashesTheOther)
{
    const std::string copyName = "Money.sync-conflict-20261209-114603-ABC.ess";
    const std::string main = "M\r\n\r\nd  RESPONSE: 1\r\n";
    const std::string copy = "M\r\n\r\ne  RESPONSE: 2\r\n";
    struct Case {
        ConflictChoice choice;
        std::string mainAfter;
        bool copyLeft;
        Names trashed;
    };
    const Case cases[] = {
        {ConflictChoice::Cancel, main, true, {}},
        {ConflictChoice::KeepMain, main, false, {copyName}},
        {ConflictChoice::KeepCopy, copy, false, {"Money.ess", copyName}},
        {ConflictChoice::Join, main + "\r\ne  RESPONSE: 2\r\n", false, {copyName}},
    };
    for (const auto &c : cases) {
        Harness h;
        h.folder.write("Money.ess", main);
        h.folder.write(copyName, copy);
        h.state.essays.reread(h.state.lieFolder);
        h.state.essays.selectNames({"Money.ess"});
        h.state.page = Page::Essays;
        h.ui.answerConflict(c.choice);
        resolveConflictClick(h.ctx);
        EXPECT_EQ(h.folder.read("Money.ess"), c.mainAfter);
        EXPECT_EQ(h.folder.exists(copyName), c.copyLeft);
        const std::string trash = h.home.path() + "Trash/files/";
        Names trashed = folderExists(trash) ? listFolder(trash, "*") : Names{};
        EXPECT_EQ(trashed, c.trashed);
    }
}

} // namespace
} // namespace varnok
