#include <gtest/gtest.h>

#include <functional>

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
        std::function<void(TestDrive &)> event;
        bool bWritten;
        bool dWritten;
        std::vector<std::string> messages;
    };
    const auto add = [](const char *name) { return [name](TestDrive &d) { d.lie(name, "new"); }; };
    const auto remove = [](const char *name) {
        return [name](TestDrive &d) { ASSERT_TRUE(removeFile(d.h.folder.file(name))); };
    };
    const std::string dGone = formatMessage(kLieGoneAtReview, "D.lie");
    const Case cases[] = {
        {"a Lie sorting first, while B shows", Step::FirstLieShown, add("0.lie"), true, true, {}},
        {"a Lie between B and D, while D shows", Step::SecondLieShown, add("Bz.lie"), true, true, {}},
        {"a Lie sorting first, in B's essay", Step::FirstEssayOpen, add("0.lie"), true, true, {}},
        {"D removed before it shows", Step::FirstLieShown, remove("D.lie"), true, false, {"Cannot open file D.lie."}},
        {"B removed while it shows",
         Step::FirstLieShown,
         remove("B.lie"),
         false,
         true,
         {formatMessage(kLieGoneAtReview, "B.lie")}},
        {"D removed while B's essay is open", Step::FirstEssayOpen, remove("D.lie"), true, false, {dGone}},
        {"both removed while D shows",
         Step::SecondLieShown,
         [](TestDrive &d) {
             ASSERT_TRUE(removeFile(d.h.folder.file("B.lie")));
             ASSERT_TRUE(removeFile(d.h.folder.file("D.lie")));
         },
         false,
         false,
         {formatMessage(kLiesGoneAtReview, "B.lie, D.lie")}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        TestDrive d;
        for (const char *name : {"A", "B", "C", "D"})
            d.lie(std::string(name) + ".lie", std::string("Lie ") + name);
        d.reread();
        d.h.state.lies.selectNames({"B.lie", "D.lie"});
        const auto happen = [&] {
            c.event(d);
            refreshLists(d.h.ctx);
        };
        if (c.step == Step::FirstEssayOpen)
            d.h.ui.whileWaiting([&] {
                happen();
                bEditCommitClick(d.h.ctx);
            });
        for (int i = 0; i < 2; ++i)
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

        EXPECT_FALSE(d.h.state.run.running);
        EXPECT_EQ(d.h.ui.testPositions, (std::vector<std::string>{"Lie 1 of 2", "Lie 2 of 2", ""}));
        EXPECT_EQ(d.h.ui.messages, c.messages);
        EXPECT_EQ(d.exists("B.ess") ? d.read("B.ess") : "", c.bWritten ? essay("B", "3") : "");
        EXPECT_EQ(d.exists("D.ess") ? d.read("D.ess") : "", c.dWritten ? essay("D", "22") : "");
        for (const char *stranger : {"A.ess", "0.ess", "Bz.ess", "C.ess"})
            EXPECT_FALSE(d.exists(stranger)) << stranger;
    }
}

} // namespace
} // namespace varnok::testing
