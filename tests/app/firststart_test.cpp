#include <gtest/gtest.h>

#include "app/startup.h"
#include "platform/files.h"
#include "support/fakeui.h"

namespace varnok {
namespace {

using testing::Harness;

// A harness whose current folder, where the program was started, is "start/",
// and with "share1/" and "share2/" as shared data folders.
struct FirstStart : Harness {
    FirstStart()
    {
        for (const char *sub : {"start", "share1", "share2/varnok"})
            createFolders(folder.path() + sub);
        setCurrentFolder(folder.path() + "start/");
    }
    std::vector<std::string> dataFolders() const { return {folder.path() + "share1/", folder.path() + "share2/"}; }
};

TEST(FirstStartProposal, TheStartFolderFirstThenAnInstalledSampleThenTheBareName)
{
    struct Case {
        std::vector<std::string> files;
        std::string proposed; // relative to the temporary folder, or the bare name
    };
    const Case cases[] = {
        {{}, "lies.txt"},
        {{"share2/varnok/lies.txt"}, "share2/varnok/lies.txt"},
        {{"start/lies.txt", "share2/varnok/lies.txt"}, "lies.txt"},
        // Only the exact name in the start folder counts; the dialog selects it by that name.
        {{"start/Lies.txt", "share2/varnok/lies.txt"}, "share2/varnok/lies.txt"},
        // The sample sits in the program's own subfolder, not loose in the data folder.
        {{"share1/lies.txt"}, "lies.txt"},
        {{"share1/varnok/lies.txt", "share2/varnok/lies.txt"}, "share1/varnok/lies.txt"},
    };
    for (const auto &c : cases) {
        FirstStart h;
        for (const auto &file : c.files) {
            createFolders(h.folder.path() + file.substr(0, file.rfind('/')));
            h.folder.write(file, "A statement\r\n");
        }
        const std::string expected = c.proposed == "lies.txt" ? c.proposed : h.folder.path() + c.proposed;
        EXPECT_EQ(firstStartProposal(h.folder.path() + "start/", h.dataFolders()), expected)
            << (c.files.empty() ? "(no files)" : c.files.front());
    }
}

TEST(FirstStartProposal, AnInstalledProgramStartedInAnEmptyHomeOffersTheSampleAndMakesItsLies)
{
    FirstStart h;
    const std::string sample = h.folder.path() + "share2/varnok/lies.txt";
    h.folder.write("share2/varnok/lies.txt", "Money matters.\nI am patient.\n");
    h.ui.answerOpen(sample);
    StartupPlaces places{{}, "/usr/bin/", h.folder.path() + "data/", "x", h.dataFolders()};
    startUp(h.ctx, places);

    EXPECT_EQ(h.state.lieFolder, h.folder.path() + "data/Lies/");
    ASSERT_GE(h.ui.log.size(), 2u);
    EXPECT_EQ(h.ui.log[0], std::string("message: ") + kFirstStartMessage);
    EXPECT_EQ(h.ui.log[1], "open: " + sample);
    EXPECT_EQ(h.state.lies.names(), (std::vector<std::string>{"I am patient..lie", "Money matters..lie"}));
    // The sample is read, never changed.
    EXPECT_EQ(h.folder.read("share2/varnok/lies.txt"), "Money matters.\nI am patient.\n");
}

TEST(NoHomeFolder, TheMessageSaysWhatIsMissingAndWhatToDo)
{
    const std::string text = noHomeFolderText(1234);
    EXPECT_EQ(text.rfind("varnok: ", 0), 0u);
    EXPECT_NE(text.find("HOME"), std::string::npos);
    EXPECT_NE(text.find("user 1234"), std::string::npos);
    EXPECT_EQ(text.back(), '\n');
}

} // namespace
} // namespace varnok
