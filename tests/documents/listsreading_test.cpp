#include <gtest/gtest.h>

#include "documents/commands.h"
#include "documents/documents.h"
#include "support/fakeui.h"

namespace varnok {
namespace {

using testing::Harness;

// The three lists and the Lies selected, as "lies | essays | tests | selected".
std::string shown(AppState &state)
{
    std::string text;
    for (const auto &names :
         {state.lies.names(), state.essays.names(), state.tests.names(), state.lies.selectedNames()})
        for (const auto &name : names)
            text += name + " ";
    return text;
}

// A reading made aside fills only the lists nothing changed since it began:
// whatever was re-read, refreshed or selected in meanwhile is newer than the
// reading and stays; another lie folder takes nothing.
TEST(ListsReadAside, FillOnlyWhatNothingChangedSince)
{
    struct Case {
        const char *meanwhile;
        void (*act)(Harness &);
        int taken;
        std::string shown;
    };
    const Case cases[] = {
        {"nothing", [](Harness &) {}, 3, "A.lie b.lie x.ess t.tst "},
        {"Lies re-read", [](Harness &h) { rereadList(h.ctx, ListId::Lies); }, 2, "A.lie b.lie c.lie x.ess t.tst "},
        {"folder refreshed", [](Harness &h) { refreshLists(h.ctx); }, 0, "A.lie b.lie c.lie x.ess y.gen t.tst "},
        {"Lie selected", [](Harness &h) { h.state.lies.setSelected(0, true); }, 2, "A.lie x.ess t.tst A.lie "},
        {"other lie folder", [](Harness &h) { h.state.lieFolder = h.home.path(); }, 0, "A.lie "},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.meanwhile);
        Harness h;
        for (const char *name : {"b.lie", "A.lie", "x.ess", "t.tst"})
            h.folder.write(name, "x\r\n");
        // As after Create from file at a first start: a Lie already listed.
        h.state.lies.setNames({"A.lie"});
        ListsReading reading = beginListsReading(h.state);
        readLists(reading);
        h.folder.write("c.lie", "x\r\n");
        h.folder.write("y.gen", "x\r\n");
        c.act(h);
        EXPECT_EQ(applyListsReading(h.ctx, std::move(reading)), c.taken);
        EXPECT_EQ(shown(h.state), c.shown);
    }
}

} // namespace
} // namespace varnok
