#pragma once

#include <string>
#include <vector>

#include "documents/documents.h"
#include "documents/editing.h"
#include "support/fakeui.h"
#include "testrun/testrun.h"

namespace varnok::testing {

// A lie folder and the person taking tests in it, one action per call.
struct TestDrive {
    Harness h;

    TestDrive()
    {
        // Should an external editor ever be started, it must end at once.
        h.state.options.editor = "true";
    }

    // A Lie as New Lie writes it: one line and a line end.
    void lie(const std::string &name, const std::string &text) { h.folder.write(name, text + "\r\n"); }
    void reread() { rereadLists(h.ctx); }

    // "Start &Test" with a full test and the given name.
    void startFull(const std::string &name)
    {
        h.ui.answerTestParams(TestChoice::Full);
        h.ui.answerInput(name);
        bAskStartClick(h.ctx);
    }

    // The person moves the scale to a position and presses "&Next Lie".
    void answer(int position)
    {
        h.ui.scale = position;
        TrackBar1Change(h.ctx);
        bAskNextClick(h.ctx);
    }

    // The next edit ends with OK and the text unchanged.
    void commitNextEdit()
    {
        h.ui.whileWaiting([this] { bEditCommitClick(h.ctx); });
    }

    // The next edit: the person writes a line on the empty line below the
    // block and ends with OK.
    void writeInNextEdit(const std::string &line)
    {
        h.ui.whileWaiting([this, line] {
            std::string &memo = h.ui.memo;
            if (!memo.empty() && memo.back() == '\n')
                memo.pop_back();
            memo += line + "\n";
            bEditCommitClick(h.ctx);
        });
    }

    void moveClock(int seconds, int milliseconds = 0)
    {
        auto ms = h.clock.time.toMilliseconds() + seconds * 1000LL + milliseconds;
        h.clock.time = DateTime::fromMilliseconds(ms);
    }

    std::string read(const std::string &name) const { return h.folder.read(name); }
    bool exists(const std::string &name) const { return h.folder.exists(name); }

    std::vector<int> selectedPositions() const
    {
        std::vector<int> result;
        for (int i = 0; i < h.state.lies.count(); ++i)
            if (h.state.lies.isSelected(i))
                result.push_back(i);
        return result;
    }
};

// The summary's closing lines for a run that took no measurable time.
inline constexpr char kNoTime[] = "\r\nTest Time: 0  Hours  0  Minutes  0 Seconds\r\n";

// The Lies a run has answers for, in order.
inline std::vector<std::string> answeredLies(const TestRun &run)
{
    std::vector<std::string> names;
    for (const TestAnswer &answer : run.testAnswers)
        names.push_back(answer.lieName);
    return names;
}

} // namespace varnok::testing
