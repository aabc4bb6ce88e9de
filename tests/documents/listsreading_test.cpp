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
// reading and stays; another lie folder takes nothing. A refresh for changes
// made outside keeps the selection of the moment it comes in, and leaves a
// list it would not change alone.
TEST(ListsReadAside, FillOnlyWhatNothingChangedSince)
{
    enum Kind { Reread, Refresh, RefreshOfListsRead };
    struct Case {
        const char *meanwhile;
        Kind kind;
        void (*act)(Harness &);
        int taken;
        std::string shown;
    };
    const Case cases[] = {
        {"nothing", Reread, [](Harness &) {}, 3, "A.lie b.lie x.ess t.tst "},
        {"Lies re-read", Reread, [](Harness &h) { rereadList(h.ctx, ListId::Lies); }, 2,
         "A.lie b.lie c.lie x.ess t.tst "},
        {"folder refreshed", Reread, [](Harness &h) { refreshLists(h.ctx); }, 0,
         "A.lie b.lie c.lie x.ess y.gen t.tst "},
        {"Lie selected", Reread, [](Harness &h) { h.state.lies.setSelected(0, true); }, 2, "A.lie x.ess t.tst A.lie "},
        {"other lie folder", Reread, [](Harness &h) { h.state.lieFolder = h.home.path(); }, 0, "A.lie "},
        {"Lie selected", Refresh, [](Harness &h) { h.state.lies.setSelected(0, true); }, 3,
         "A.lie b.lie x.ess t.tst A.lie "},
        {"Lies re-read", Refresh, [](Harness &h) { rereadList(h.ctx, ListId::Lies); }, 2,
         "A.lie b.lie c.lie x.ess t.tst "},
        {"Lie selected", RefreshOfListsRead, [](Harness &h) { h.state.lies.setSelected(1, true); }, 0,
         "A.lie b.lie x.ess t.tst b.lie "},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.meanwhile) + " " + std::to_string(c.kind));
        Harness h;
        for (const char *name : {"b.lie", "A.lie", "x.ess", "t.tst"})
            h.folder.write(name, "x\r\n");
        // As after Create from file at a first start: a Lie already listed.
        h.state.lies.setNames({"A.lie"});
        if (c.kind == RefreshOfListsRead)
            rereadLists(h.ctx);
        ListsReading reading = beginListsReading(h.state);
        reading.keepSelection = c.kind != Reread;
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
