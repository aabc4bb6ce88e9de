#include <gtest/gtest.h>

#include <functional>

#include "documents/commands.h"
#include "documents/documents.h"
#include "support/fakeui.h"

namespace varnok {
namespace {

using testing::Harness;
using Names = std::vector<std::string>;

// A reading made aside fills only the lists nothing changed since it began:
// whatever was re-read, refreshed, masked or selected in meanwhile is newer
// than the reading and stays; another lie folder takes nothing.
TEST(ListsReadAside, FillOnlyWhatNothingChangedSince)
{
    struct Case {
        const char *meanwhile;
        std::function<void(Harness &, const std::string &otherFolder)> act;
        int taken;
        Names lies, essays, tests, selectedLies;
    };
    const Names read = {"A.lie", "b.lie"};
    const Names withNew = {"A.lie", "b.lie", "c.lie"};
    const Case cases[] = {
        {"nothing", [](Harness &, const std::string &) {}, 3, read, {"x.ess"}, {"t.tst"}, {}},
        {"Lies re-read",
         [](Harness &h, const std::string &) { rereadList(h.ctx, ListId::Lies); },
         2,
         withNew,
         {"x.ess"},
         {"t.tst"},
         {}},
        {"Essays masked",
         [](Harness &h, const std::string &) {
             h.state.showText = true;
             cbGeneratedClick(h.ctx);
         },
         2,
         read,
         {"x.ess", "y.gen", "z.txt"},
         {"t.tst"},
         {}},
        {"folder refreshed",
         [](Harness &h, const std::string &) { refreshLists(h.ctx); },
         0,
         withNew,
         {"x.ess", "y.gen"},
         {"t.tst"},
         {}},
        {"Lie selected",
         [](Harness &h, const std::string &) { h.state.lies.setSelected(0, true); },
         2,
         {"A.lie"},
         {"x.ess"},
         {"t.tst"},
         {"A.lie"}},
        {"other lie folder",
         [](Harness &h, const std::string &other) { h.state.lieFolder = other; },
         0,
         {"A.lie"},
         {},
         {},
         {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.meanwhile);
        Harness h;
        testing::TempFolder other;
        for (const char *name : {"b.lie", "A.lie", "x.ess", "t.tst", "z.txt"})
            h.folder.write(name, "x\r\n");
        // As after Create from file at a first start: a Lie already listed.
        h.folder.write("A.lie", "x\r\n");
        h.state.lies.setNames({"A.lie"});
        ListsReading reading = beginListsReading(h.state);
        readLists(reading);
        h.folder.write("c.lie", "x\r\n");
        h.folder.write("y.gen", "x\r\n");
        c.act(h, other.path());
        EXPECT_EQ(applyListsReading(h.ctx, std::move(reading)), c.taken);
        EXPECT_EQ(h.state.lies.names(), c.lies);
        EXPECT_EQ(h.state.essays.names(), c.essays);
        EXPECT_EQ(h.state.tests.names(), c.tests);
        EXPECT_EQ(h.state.lies.selectedNames(), c.selectedLies);
    }
}

} // namespace
} // namespace varnok
