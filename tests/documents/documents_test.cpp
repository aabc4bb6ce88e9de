#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "documents/documents.h"
#include "platform/files.h"
#include "support/fakeui.h"

namespace varnok {
namespace {

using testing::Harness;

// One reading of the folder finds what a lookup per name finds.
TEST(FolderNamesNoCase, ResolvesAsALookupPerNameDoes)
{
    testing::TempFolder folder;
    for (const char *name : {"Money.ess", "money.ESS", "Work.ess", "WORK.lie", "\xC3\x84rger.ess", "a b.ess"})
        folder.write(name, "x\r\n");
    const FolderNamesNoCase names(folder.path());
    for (const char *query : {"Money.ess", "money.ess", "MONEY.ESS", "money.ESS", "work.ESS", "Work.lie",
                              "\xC3\x84RGER.ess", "\xC3\xA4rger.ess", "A B.ESS", "missing.ess", ""})
        EXPECT_EQ(names.resolve(query), resolveNoCase(folder.path() + query)) << query;
    EXPECT_EQ(names.resolve("work.ess"), folder.path() + "Work.ess");
}

TEST(CleanFileName, DropsTheNineCharactersAndNothingElse)
{
    AppState state;
    state.lieFolder = "/lies/";
    EXPECT_EQ(CleanFileName(state.lieFolder, "Who? Me: never|always.lie"), "/lies/Who Me neveralways.lie");
    EXPECT_EQ(CleanFileName(state.lieFolder, "a\"*/:<>?\\|b"), "/lies/ab");
    EXPECT_EQ(CleanFileName(state.lieFolder, " \t.x. "), "/lies/ \t.x. ");
    EXPECT_EQ(CleanFileName(state.lieFolder, "???"), "/lies/");
    EXPECT_EQ(CleanFileName(state.lieFolder, "../../etc/passwd"), "/lies/....etcpasswd");
}

TEST(CleanFileName, FiftyCharactersAreCountedBeforeCleaning)
{
    AppState state;
    state.lieFolder = "/lies/";
    const std::string seventy = std::string(10, '?') + std::string(60, 'a');
    EXPECT_EQ(documentPathFromText(state.lieFolder, seventy, ".lie"), "/lies/" + std::string(40, 'a') + ".lie");
    EXPECT_EQ(documentPathFromText(state.lieFolder, std::string(70, 'b'), ".lie"),
              "/lies/" + std::string(50, 'b') + ".lie");
    EXPECT_EQ(documentPathFromText(state.lieFolder, "", ".lie"), "/lies/.lie");
}

TEST(EssayOfALie, ReplacesFromTheLastFullStop)
{
    AppState state;
    state.lieFolder = "/lies/";
    EXPECT_EQ(essayPathOf(state.lieFolder, "Money.lie"), "/lies/Money.ess");
    EXPECT_EQ(essayPathOf(state.lieFolder, "a.b.lie"), "/lies/a.b.ess");
    EXPECT_EQ(essayPathOf(state.lieFolder, "NoDot"), "/lies/NoDot.ess");
    EXPECT_EQ(essayPathOf(state.lieFolder, ".lie"), "/lies/.ess");
}

TEST(FileLists, CaseInsensitiveOrderMasksAndOnlyTemporariesHidden)
{
    testing::TempFolder f;
    // Names with a leading "." are documents like any other; only the
    // program's own temporaries stay out of the lists, even under a mask
    // that would match them.
    for (const char *name :
         {"Gamma.lie", "alpha.lie", "Beta.lie", ".hidden.lie", ".lie", "Note.LIE", "x.ess", "y.gen", "z.txt",
          "Varnok.Ini", "...and yet it moves.lie", ".Gamma.lie.AbCdEf012345.varnok-tmp", ".Gamma.lie.AbCdEf012345.tmp"})
        f.write(name, "x");
    ::mkdir(f.file("folder.lie").c_str(), 0700);
    EXPECT_EQ(listFolder(f.path(), "*.lie"),
              (std::vector<std::string>{"...and yet it moves.lie", ".hidden.lie", ".lie", "alpha.lie", "Beta.lie",
                                        "Gamma.lie", "Note.LIE"}));
    EXPECT_EQ(listFolder(f.path(), "*.varnok-tmp;*.tmp"), std::vector<std::string>{".Gamma.lie.AbCdEf012345.tmp"});
    EXPECT_EQ(listFolder(f.path(), "*.ess;*.txt"), (std::vector<std::string>{"x.ess", "z.txt"}));
    EXPECT_EQ(listFolder(f.path(), "?.gen"), std::vector<std::string>{"y.gen"});
    EXPECT_EQ(listFolder(f.path(), ""), std::vector<std::string>{});
    EXPECT_EQ(listFolder(f.path() + "missing/", "*"), std::vector<std::string>{});
}

TEST(FileLists, EssaysMaskFollowsTheShowBoxes)
{
    EXPECT_EQ(essaysMask(true, true, false), "*.ess;*.gen");
    EXPECT_EQ(essaysMask(true, false, true), "*.ess;*.txt");
    EXPECT_EQ(essaysMask(true, true, true), "*.ess;*.gen;*.txt");
    EXPECT_EQ(essaysMask(false, false, false), "");

    Harness h;
    h.folder.write("a.ess", "x");
    h.folder.write("b.gen", "x");
    h.folder.write("c.txt", "x");
    h.state.showGenerated = false;
    h.state.showText = true;
    cbGeneratedClick(h.ctx);
    EXPECT_EQ(h.state.essays.names(), (std::vector<std::string>{"a.ess", "c.txt"}));
    h.state.showEssays = h.state.showText = false;
    cbGeneratedClick(h.ctx);
    EXPECT_EQ(h.state.essays.count(), 0);
}

TEST(CreateFromFile, OneLiePerLine)
{
    Harness h;
    h.folder.write("source.txt", "One\r\n\r\nTwo?\nWho? Me: never|always\r\n" + std::string(70, 'q'));
    h.ui.answerOpen(h.folder.file("source.txt"));
    btnLoadClick(h.ctx);
    EXPECT_EQ(h.folder.read("One.lie"), "One\r\n");
    EXPECT_EQ(h.folder.read(".lie"), "\r\n");
    EXPECT_EQ(h.folder.read("Two.lie"), "Two?\r\n");
    EXPECT_EQ(h.folder.read("Who Me neveralways.lie"), "Who? Me: never|always\r\n");
    EXPECT_EQ(h.folder.read(std::string(50, 'q') + ".lie"), std::string(70, 'q') + "\r\n");
    EXPECT_EQ(h.state.lies.count(), 5);
    EXPECT_TRUE(h.ui.messages.empty());
}

TEST(CreateFromFile, CancelCreatesNothingAndAFailureKeepsEarlierLies)
{
    Harness h;
    h.ui.answerOpen(std::nullopt);
    btnLoadClick(h.ctx);
    EXPECT_TRUE(h.ui.log.size() == 1 && h.folder.names().empty());

    // A name the file system refuses (longer than a name may be) stops the
    // command at that line.
    const std::string tooLong(300, 'n');
    h.folder.write("source.txt", "First\r\n" + std::string(50, '\xff') + "\r\nLast\r\n");
    h.state.lieFolder = h.folder.path() + "missing/";
    h.ui.answerOpen(h.folder.file("source.txt"));
    btnLoadClick(h.ctx);
    ASSERT_EQ(h.ui.messages.size(), 1u);
    EXPECT_EQ(h.ui.messages[0], "Cannot create file " + h.folder.path() + "missing/First.lie.");
    EXPECT_EQ(h.ui.log.back(), "error: " + h.ui.messages[0]);
}

TEST(CreateFromFile, AnUnreadableSourceIsReported)
{
    Harness h;
    h.ui.answerOpen(h.folder.file("gone.txt"));
    btnLoadClick(h.ctx);
    ASSERT_EQ(h.ui.messages.size(), 1u);
    EXPECT_EQ(h.ui.messages[0], "Cannot open file " + h.folder.file("gone.txt") + ".");
}

TEST(MemoText, LineEndsAndBytesRoundTrip)
{
    EXPECT_EQ(memoTextFromBytes("a\r\nb\rc\nd\r\n"), "a\nb\nc\nd\n");
    EXPECT_EQ(memoTextFromBytes(std::string("ab\0cd", 5)), "ab");
    for (const std::string bytes : {"a\r\nb", "a\r\nb\r\n", "\xff\xfe\r\n\xe9t\xe9\r\n", "", "\r\n\r\n"})
        EXPECT_EQ(bytesFromMemoText(memoTextFromBytes(bytes)), bytes);
}

TEST(AtomicWrite, ReplacesWholeAndKeepsTheMode)
{
    testing::TempFolder f;
    f.write("essay.ess", "old");
    ::chmod(f.file("essay.ess").c_str(), 0640);
    ASSERT_TRUE(writeFileAtomic(f.file("essay.ess"), "new content"));
    EXPECT_EQ(f.read("essay.ess"), "new content");
    struct stat info {};
    ::stat(f.file("essay.ess").c_str(), &info);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    EXPECT_EQ(f.names(), std::vector<std::string>{"essay.ess"});

    // A write that cannot complete leaves the old file and no temporary file.
    ::symlink("/nonexistent-folder/x", f.file("dangling").c_str());
    EXPECT_FALSE(writeFileAtomic(f.file("missing/essay.ess"), "x"));
    EXPECT_FALSE(writeFileAtomic(f.path(), "x"));
    EXPECT_EQ(f.read("essay.ess"), "new content");
    EXPECT_EQ(f.names(), (std::vector<std::string>{"dangling", "essay.ess"}));
}

TEST(RenameNoReplace, NeverReplacesAndKnowsLetterCase)
{
    testing::TempFolder f;
    f.write("Money.lie", "m");
    f.write("Cash.lie", "c");
    EXPECT_FALSE(renameNoReplace(f.file("Money.lie"), f.file("Cash.lie")));
    EXPECT_FALSE(renameNoReplace(f.file("Money.lie"), f.file("CASH.lie")));
    EXPECT_FALSE(renameNoReplace(f.file("Gone.lie"), f.file("New.lie")));
    EXPECT_TRUE(renameNoReplace(f.file("Money.lie"), f.file("money.lie")));
    EXPECT_EQ(f.names(), (std::vector<std::string>{"Cash.lie", "money.lie"}));
    EXPECT_EQ(f.read("Cash.lie"), "c");
}

} // namespace
} // namespace varnok
