// The folder picker's results: the root as "/", other folders without a trailing separator,
// empty text on cancel.
#include "ui/BrowseForFolder.h"
#include "support/ScriptedPrompter.h"

#include <gtest/gtest.h>

using quire::BrowseForFolder;
using quire::normaliseChosenFolder;

TEST(BrowseForFolder, ResultRules) {
    const struct {
        const char* chosen;
        const char* result;
    } cases[] = {{"", ""},
                 {"   ", ""},
                 {"/", "/"},
                 {"//", "/"},
                 {"/home/user/Matrices", "/home/user/Matrices"},
                 {"/home/user/Matrices/", "/home/user/Matrices"},
                 {"/home//user///Matrices//", "/home/user/Matrices"},
                 {"/media/dvd drive/VIDEO_TS", "/media/dvd drive/VIDEO_TS"}};
    for (const auto& c : cases)
        EXPECT_EQ(normaliseChosenFolder(c.chosen), c.result) << c.chosen;
}

TEST(BrowseForFolder, BlanksOfAFolderNameAreKept) {
    EXPECT_EQ(normaliseChosenFolder("/home/user/Videos "), "/home/user/Videos ");
    EXPECT_EQ(normaliseChosenFolder("/home/user/ Videos /"), "/home/user/ Videos ");
}

TEST(BrowseForFolder, AsksThroughThePrompter) {
    quire::test::ScriptedPrompter prompter;
    prompter.expectFolder("/srv/tessera/").expectFolder("");
    EXPECT_EQ(BrowseForFolder(prompter, "Select the Tessera.exe Folder"), "/srv/tessera");
    EXPECT_EQ(BrowseForFolder(prompter, "Select the Matrices Folder"), "");
    EXPECT_EQ(prompter.fileDialogTitles(),
              (std::vector<std::string>{"Select the Tessera.exe Folder", "Select the Matrices Folder"}));
}
