#include <gtest/gtest.h>

#include <fcntl.h>
#include <functional>
#include <new>
#include <stdexcept>
#include <unistd.h>

#include "app/startup.h"
#include "core/text.h"
#include "documents/commands.h"
#include "documents/documents.h"
#include "documents/editing.h"
#include "generator/generate.h"
#include "platform/files.h"
#include "platform/memory.h"
#include "support/fakeui.h"
#include "testrun/history.h"
#include "testrun/testrun.h"

namespace varnok {
namespace {

using testing::Harness;

// A file of the given size that takes no room on the disk.
bool makeSparse(const std::string &path, off_t size)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd < 0)
        return false;
    const bool sized = ::ftruncate(fd, size) == 0;
    ::close(fd);
    return sized;
}

std::string tooLarge(const std::string &name)
{
    return errorReportText(formatMessage(kFileTooLarge, name));
}

void selectOnly(Harness &h, ListId id, const std::string &name)
{
    FileList &list = h.state.list(id);
    list.clearSelection();
    for (int i = 0; i < list.count(); ++i)
        list.setSelected(i, list.name(i) == name);
}

TEST(TooLargeForMemory, AFileThatCannotFitIsRefusedByNameAndNothingIsWritten)
{
    constexpr off_t kTerabyte = off_t{1} << 40;
    if (memoryForFiles() >= static_cast<std::size_t>(kTerabyte))
        GTEST_SKIP() << "this machine could hold a terabyte";
    struct Case {
        const char *name;
        const char *file;
        std::function<void(Harness &)> command;
    };
    const Case cases[] = {
        {"Generate", "big.txt",
         [](Harness &h) {
             h.ui.answerEssayType(EssayType::PlainText);
             selectOnly(h, ListId::Essays, "big.txt");
             bFunEssayClick(h.ctx);
         }},
        {"Edit", "big.lie",
         [](Harness &h) {
             h.state.page = Page::Lies;
             selectOnly(h, ListId::Lies, "big.lie");
             EditClick(h.ctx);
         }},
        {"History", "big.lie",
         [](Harness &h) {
             selectOnly(h, ListId::Lies, "big.lie");
             bLiesHistoryClick(h.ctx);
         }},
        {"Create from file", "big.txt",
         [](Harness &h) {
             h.ui.answerOpen(h.folder.file("big.txt"));
             btnLoadClick(h.ctx);
         }},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        Harness h;
        h.folder.write("small.txt", "One. Two. Three.\r\n");
        if (!makeSparse(h.folder.file(c.file), kTerabyte))
            GTEST_SKIP() << "no sparse files of a terabyte here";
        h.state.showText = true;
        cbGeneratedClick(h.ctx);
        rereadLists(h.ctx);
        const auto before = h.folder.names();
        c.command(h);
        const std::string shown = std::string(c.name) == "Create from file" ? h.folder.file(c.file) : c.file;
        EXPECT_EQ(h.ui.messages, std::vector<std::string>{tooLarge(shown)});
        EXPECT_EQ(h.folder.names(), before);
        EXPECT_FALSE(h.ui.memoVisible);
    }
}

TEST(TooLargeForMemory, GenerateRefusesTheFileThatTheSelectionCannotHoldAnyMore)
{
    const std::size_t room = memoryForFiles();
    Harness h;
    h.folder.write("a.txt", "One. Two.\r\n");
    for (const char *name : {"b.txt", "c.txt"})
        if (!makeSparse(h.folder.file(name), static_cast<off_t>(room / 2 + 1)))
            GTEST_SKIP() << "no sparse files of that size here";
    h.state.showText = true;
    cbGeneratedClick(h.ctx);
    h.state.essays.selectAll();
    h.ui.answerEssayType(EssayType::PlainText);
    const auto before = h.folder.names();
    bFunEssayClick(h.ctx);
    EXPECT_EQ(h.ui.messages, std::vector<std::string>{errorReportText(formatMessage(kFilesTooLarge, "c.txt"))});
    EXPECT_EQ(h.folder.names(), before);
}

// Every command ends at an exception it does not expect, says so, and the
// program goes on.
TEST(UnexpectedExceptions, EveryCommandReportsThemAndTheProgramGoesOn)
{
    struct Command {
        const char *name;
        std::function<void(Harness &)> run;
    };
    const Command commands[] = {
        {"New Lie", [](Harness &h) { bLiesNewClick(h.ctx); }},
        {"New Essay", [](Harness &h) { bEssaysNewClick(h.ctx); }},
        {"Delete", [](Harness &h) { DeleteClick(h.ctx); }},
        {"Rename", [](Harness &h) { bLiesRenameClick(h.ctx); }},
        {"Generate", [](Harness &h) { bFunEssayClick(h.ctx); }},
        {"Start test", [](Harness &h) { bAskStartClick(h.ctx); }},
        {"Save to file", [](Harness &h) { Savetofile1Click(h.ctx); }},
        {"Create from file", [](Harness &h) { btnLoadClick(h.ctx); }},
        {"New lie folder", [](Harness &h) { EXPECT_EQ(newLieFolder(h.ctx, h.folder.path()), std::nullopt); }},
    };
    struct Failure {
        const char *name;
        std::exception_ptr exception;
        std::string message;
    };
    const Failure failures[] = {
        {"out of memory", std::make_exception_ptr(std::bad_alloc()), kOutOfMemory},
        {"too long", std::make_exception_ptr(std::length_error("vector::reserve")), kOutOfMemory},
        {"any other", std::make_exception_ptr(std::runtime_error("boom")),
         "The command was stopped by an unexpected error: boom."},
    };
    for (const auto &command : commands) {
        for (const auto &failure : failures) {
            SCOPED_TRACE(std::string(command.name) + ", " + failure.name);
            Harness h;
            h.folder.write("Alpha.lie", "Alpha\r\n");
            h.folder.write("Alpha.ess", "Alpha\r\n\r\nEXPLAIN YOURSELF\r\nWhy.\r\n");
            rereadLists(h.ctx);
            h.state.lies.selectAll();
            h.state.essays.selectAll();
            h.state.page = Page::Lies;
            h.ui.failNextQuestion(failure.exception);
            command.run(h);
            EXPECT_EQ(h.ui.messages, std::vector<std::string>{failure.message});
            EXPECT_EQ(h.folder.names(), (std::vector<std::string>{"Alpha.ess", "Alpha.lie"}));

            h.ui.answerInput(std::string("After"));
            bLiesNewClick(h.ctx);
            EXPECT_TRUE(h.folder.exists("After.lie"));
        }
    }
}

} // namespace
} // namespace varnok
