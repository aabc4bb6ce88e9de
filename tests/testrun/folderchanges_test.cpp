#include <gtest/gtest.h>

#include "documents/commands.h"
#include "core/text.h"
#include "platform/files.h"
#include "testrun/review.h"
#include "testrun/testdrive.h"

namespace varnok::testing {
namespace {

enum class Step { FirstLieShown, SecondLieShown, FirstEssayOpen };

std::string essay(const std::string &lie, const std::string &response)
{
    return "Lie " + lie + "\r\n\r\n2026-12-07 0527pm  RESPONSE: " + response + "\r\n\r\nEXPLAIN YOURSELF\r\n\r\n";
}

// A file appears or goes while the run or its review waits for the person,
// and the folder watch re-reads the lists, as a sync tool makes happen at any
// moment. The run asks B then D, chosen from A to D; each answer asks for an
// essay.
TEST(TestRunFolderChanges, AnswersStayWithTheirLiesWhateverTheListsDo)
{
    struct Case {
        const char *what;
        Step step;
        std::vector<std::string> changes; // "+name" appears, "-name" goes
        std::string written;              // the essays that get their block
        std::string message;
    };
    const std::string goneAndUnread =
        formatMessage(kLieUnreadInTest, "D.lie") + "  " + formatMessage(kLieGoneAtReview, "B.lie");
    const Case cases[] = {
        {"a Lie sorting first, while B shows", Step::FirstLieShown, {"+0.lie"}, "BD", ""},
        {"a Lie between B and D, while D shows", Step::SecondLieShown, {"+Bz.lie"}, "BD", ""},
        {"a Lie sorting first, in B's essay", Step::FirstEssayOpen, {"+0.lie"}, "BD", ""},
        {"B removed while it shows", Step::FirstLieShown, {"-B.lie"}, "D", formatMessage(kLieGoneAtReview, "B.lie")},
        {"D removed in B's essay", Step::FirstEssayOpen, {"-D.lie"}, "B", formatMessage(kLieGoneAtReview, "D.lie")},
        {"B removed while it shows, D before its turn", Step::FirstLieShown, {"-B.lie", "-D.lie"}, "", goneAndUnread},
        {"both removed while D shows",
         Step::SecondLieShown,
         {"-B.lie", "-D.lie"},
         "",
         formatMessage(kLiesGoneAtReview, "B.lie, D.lie")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        TestDrive d;
        for (const char *name : {"A", "B", "C", "D"})
            d.lie(std::string(name) + ".lie", std::string("Lie ") + name);
        d.reread();
        d.h.state.lies.selectNames({"B.lie", "D.lie"});
        const auto happen = [&] {
            for (const auto &change : c.changes)
                change[0] == '+' ? d.lie(change.substr(1), "new") : (void)removeFile(d.h.folder.file(change.substr(1)));
            refreshLists(d.h.ctx);
        };
        if (c.step == Step::FirstEssayOpen)
            d.h.ui.whileWaiting([&] {
                happen();
                bEditCommitClick(d.h.ctx);
            });
        d.commitNextEdit();
        d.commitNextEdit();
        d.h.ui.answerTestParams(TestChoice::UseSelected);
        d.h.ui.answerInput("Run");
        bAskStartClick(d.h.ctx);
        if (c.step == Step::FirstLieShown)
            happen();
        d.answer(3);
        if (c.step == Step::SecondLieShown)
            happen();
        if (d.h.state.run.running)
            d.answer(22);

        EXPECT_EQ(d.h.ui.testPositions, (std::vector<std::string>{"Lie 1 of 2", "Lie 2 of 2", ""}));
        EXPECT_EQ(d.h.ui.messages, c.message.empty() ? std::vector<std::string>{} : std::vector{c.message});
        for (const auto &[lie, response] : {std::pair{"B", "3"}, std::pair{"D", "22"}}) {
            const std::string name = lie + std::string(".ess");
            EXPECT_EQ(d.exists(name) ? d.read(name) : "",
                      c.written.find(lie) != std::string::npos ? essay(lie, response) : "");
        }
        for (const char *stranger : {"A.ess", "0.ess", "Bz.ess", "C.ess"})
            EXPECT_FALSE(d.exists(stranger)) << stranger;
    }
}

} // namespace
} // namespace varnok::testing
