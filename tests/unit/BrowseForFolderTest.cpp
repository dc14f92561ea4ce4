// The folder picker's results: the root as "/", other folders without a trailing separator,
// empty text on cancel.
#include "ui/BrowseForFolder.h"
#include "support/ScriptedPrompter.h"

#include <gtest/gtest.h>

using quire::BrowseForFolder;
using quire::normaliseChosenFolder;

TEST(BrowseForFolder, ResultRulesKeepTheBlanksOfAFolderNameAndAskThroughThePrompter) {
    const std::pair<const char*, const char*> cases[] = {{"", ""},
                                                         {"   ", ""},
                                                         {"/", "/"},
                                                         {"//", "/"},
                                                         {"/home/user/Matrices/", "/home/user/Matrices"},
                                                         {"/home//user///Matrices//", "/home/user/Matrices"},
                                                         {"/media/dvd drive/VIDEO_TS", "/media/dvd drive/VIDEO_TS"},
                                                         {"/home/user/Videos ", "/home/user/Videos "},
                                                         {"/home/user/ Videos /", "/home/user/ Videos "}};
    for (const auto& [chosen, result] : cases)
        EXPECT_EQ(normaliseChosenFolder(chosen), result) << chosen;
    quire::test::ScriptedPrompter prompter;
    prompter.expectFolder("/srv/tessera/").expectFolder("");
    EXPECT_EQ(BrowseForFolder(prompter, "Select the Tessera.exe Folder"), "/srv/tessera");
    EXPECT_EQ(BrowseForFolder(prompter, "Select the Matrices Folder"), "");
    EXPECT_EQ(prompter.fileDialogTitles(),
              (std::vector<std::string>{"Select the Tessera.exe Folder", "Select the Matrices Folder"}));
}
