// Folder creation and its message.
#include "app/Folders.h"
#include "support/ScriptedPrompter.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

using namespace quire;
using quire::test::ScriptedPrompter;
using quire::test::TempFolder;

TEST(CreateFolderPath, CreatesEveryMissingFolderAndAFileInTheWayGivesTheMessage) {
    TempFolder dir;
    ScriptedPrompter prompter;
    EXPECT_TRUE(CreateFolderPath(prompter, dir / "a/b/c"));
    EXPECT_TRUE(std::filesystem::is_directory(dir / "a/b/c"));
    EXPECT_TRUE(CreateFolderPath(prompter, dir / "a/b/c")); // already there
    EXPECT_TRUE(CreateFolderPath(prompter, dir.path()));
    EXPECT_TRUE(prompter.shown().empty());

    dir.write("plain", "x");
    prompter.expect(std::string(kCreateFolderMessage));
    EXPECT_FALSE(CreateFolderPath(prompter, dir / "plain/sub"));
    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_EQ(prompter.shown()[0].icon, PromptIcon::Exclamation);
    EXPECT_EQ(prompter.shown()[0].buttons, PromptButtons::Ok);
    EXPECT_TRUE(kCreateFolderMessage.starts_with("Could not Create Destination Folder. You can't run this program "
                                                 "from a drive root... please put it inside a folder!\n\nN\xE3o foi"));
}
