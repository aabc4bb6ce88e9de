#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "core/filelist.h"
#include "platform/collate.h"

namespace varnok {
namespace {

using Names = std::vector<std::string>;

Names freshlySorted(Names names)
{
    NameCollator::user().sort(names);
    return names;
}

Names selectedOf(const FileList &list)
{
    return list.selectedNames();
}

// A pool of names with case and accent ties, Latin-1 twins and files the
// list's mask does not take.
Names namePool()
{
    Names pool;
    const char *const stems[] = {"apfel",
                                 "Apfel",
                                 "\xC3\x84rger",
                                 "\xC4rger",
                                 "Banane",
                                 "banane",
                                 "Stra\xC3\x9F"
                                 "e",
                                 "Strasse",
                                 "\xC3\x89lan",
                                 "Elan",
                                 "Lie 1",
                                 "Lie 10",
                                 "Lie 9",
                                 "lie 2"};
    for (const char *stem : stems)
        for (const char *tail : {"", " a", " B", " \xC3\xA4"})
            for (const char *extension : {".lie", ".LIE", ".ess"})
                pool.push_back(std::string(stem) + tail + extension);
    return pool;
}

// Lists are re-read again and again while files come and go, in the order a
// folder gives them: mostly as before with a few changes, sometimes all
// shuffled. The kept keys must give exactly what a fresh sort gives, keep the
// selection of the names still there and tell whether anything changed.
TEST(FileList, KeysKeptAcrossReReadsGiveTheOrderOfAFreshSort)
{
    const Names pool = namePool();
    std::mt19937 random(7);
    FileList list("*.lie");
    Names folder;
    for (int round = 0; round < 200; ++round) {
        const Names before = list.names();
        const Names selectedBefore = selectedOf(list);
        const int kind = round % 4;
        if (kind == 3 || folder.empty()) {
            // Another set of files in another order.
            folder.clear();
            for (const auto &name : pool)
                if (random() % 2)
                    folder.push_back(name);
            std::shuffle(folder.begin(), folder.end(), random);
        } else {
            // A few files added or removed, here and there, or none at all.
            for (int change = static_cast<int>(random() % 4); change > 0; --change) {
                const std::string &name = pool[random() % pool.size()];
                const auto at = std::find(folder.begin(), folder.end(), name);
                if (at != folder.end())
                    folder.erase(at);
                else
                    folder.insert(folder.begin() + static_cast<long>(random() % (folder.size() + 1)), name);
            }
        }
        Names expected;
        for (const auto &name : folder)
            if (name.size() >= 4 && name.compare(name.size() - 4, 4, ".ess") != 0)
                expected.push_back(name);
        expected = freshlySorted(expected);

        const bool keep = round % 5 != 0;
        bool changed = false;
        if (keep)
            changed = list.refreshFrom(folder);
        else
            list.rereadFrom(folder);
        ASSERT_EQ(list.names(), expected) << "round " << round;
        if (keep) {
            EXPECT_EQ(changed, expected != before) << "round " << round;
            Names stillThere;
            const std::set<std::string> present(expected.begin(), expected.end());
            for (const auto &name : selectedBefore)
                if (present.count(name))
                    stillThere.push_back(name);
            EXPECT_EQ(selectedOf(list), stillThere) << "round " << round;
        } else {
            EXPECT_EQ(list.selectedCount(), 0) << "round " << round;
        }
        // Select about a third for the next round.
        list.clearSelection();
        for (int i = 0; i < list.count(); ++i)
            list.setSelected(i, random() % 3 == 0);
    }
}

TEST(FileList, AListSetByHandIsSortedAfreshKeepingItsSelection)
{
    FileList list("*.lie");
    list.setNames({"c.lie", "a.lie", "b.lie"});
    list.setSelected(0, true);
    list.setSelected(2, true);
    EXPECT_TRUE(list.refreshFrom({"b.lie", "c.lie", "a.lie", "d.ess"}));
    EXPECT_EQ(list.names(), (Names{"a.lie", "b.lie", "c.lie"}));
    EXPECT_EQ(list.selectedNames(), (Names{"b.lie", "c.lie"}));
    // Sorted once, the same files change nothing.
    EXPECT_FALSE(list.refreshFrom({"a.lie", "c.lie", "b.lie"}));
    EXPECT_EQ(list.selectedNames(), (Names{"b.lie", "c.lie"}));
}

TEST(FileList, NamesLongerThanAnyListedBeforeAreNew)
{
    FileList list("*.lie");
    list.rereadFrom({"b, long enough to be kept apart.lie"});
    const Names now = {"a, longer than the one listed before.lie", "b, long enough to be kept apart.lie",
                       "c, longer than the one listed before.lie"};
    EXPECT_TRUE(list.refreshFrom(now));
    EXPECT_EQ(list.names(), now);
}

TEST(FileList, ANewMaskTakesTheFilesItMatchesInOrder)
{
    FileList list("*.lie");
    const Names folder = {"b.ess", "a.lie", "c.gen", "B.lie"};
    list.rereadFrom(folder);
    EXPECT_EQ(list.names(), freshlySorted({"a.lie", "B.lie"}));
    list.setMask("*.ess;*.gen");
    list.rereadFrom(folder);
    EXPECT_EQ(list.names(), (Names{"b.ess", "c.gen"}));
    list.setMask("");
    EXPECT_TRUE(list.refreshFrom(folder));
    EXPECT_EQ(list.count(), 0);
}

} // namespace
} // namespace varnok
