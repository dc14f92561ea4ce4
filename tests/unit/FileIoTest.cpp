// Whole-file writes that never leave a half-written or read-only file changed, and folder listings
// in the order Windows gives them.
#include "platform/FileIo.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

using namespace quire;
using quire::test::TempFolder;
namespace fs = std::filesystem;

TEST(ListFiles, PatternMatchesWithoutRegardToCase) {
    TempFolder dir;
    for (const char* name : {"English.lng", "NEW.LNG", "mixed.LnG", "a.lng", ".lng", "lng", "English.txt",
                             "notes.lng.bak", "English.lngx", "English.lng ", "Englishlng", ".hidden.lng"})
        dir.write(name, "x");
    fs::create_directories(dir / "folder.lng");
    const std::vector<std::string> expected = {"a.lng", "English.lng", "mixed.LnG", "NEW.LNG"};
    EXPECT_EQ(fileio::listFiles(dir.path(), {".lng"}), expected);
}

TEST(ListFiles, SeveralPatternsAndWindowsOrder) {
    TempFolder dir;
    for (const char* name : {"VTS_01_2.VOB", "vts_01_1.vob", "clip.m2v", "B.mpg", "a.MPEG", "x.mpv", "z.txt",
                             "\xC3\x89t\xC3\xA9.vob", "b.mpg"})
        dir.write(name, "x");
    const std::vector<std::string> expected = {"a.MPEG",       "B.mpg",        "b.mpg", "clip.m2v",
                                               "vts_01_1.vob", "VTS_01_2.VOB", "x.mpv", "\xC3\x89t\xC3\xA9.vob"};
    EXPECT_EQ(fileio::listFiles(dir.path(), {".vob", ".m2v", ".mpv", ".mpg", ".mpeg"}), expected);
    EXPECT_TRUE(fileio::listFiles(dir / "missing", {".vob"}).empty());
}

TEST(WriteFileAtomic, ReplacesWholeAndKeepsReadOnlyFiles) {
    TempFolder dir;
    const auto file = dir.write("Editor.ini", "old");
    ASSERT_TRUE(fileio::writeFileAtomic(file, "new content"));
    EXPECT_EQ(dir.read("Editor.ini"), "new content");
    fs::permissions(file, fs::perms::owner_read);
    EXPECT_FALSE(fileio::writeFileAtomic(file, "changed"));
    EXPECT_EQ(dir.read("Editor.ini"), "new content");
    EXPECT_FALSE(fileio::writeFileAtomic(dir / "no-folder" / "x.ini", "x"));
    // No temporary file is left behind.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

TEST(ReadFile, MissingFileAndFolderGiveNothing) {
    TempFolder dir;
    EXPECT_FALSE(fileio::readFile(dir / "none").has_value());
    EXPECT_FALSE(fileio::readFile(dir.path()).has_value());
    EXPECT_EQ(fileio::readFile(dir.write("empty", "")), std::optional<std::string>(""));
}
