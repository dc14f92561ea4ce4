// The language list of the Languages window, switching the language and the rebuild of the
// description index that goes with it; the About box's version line and read-me.
#include "ui/LanguagesLogic.h"
#include "ui/AboutLogic.h"

#include "app/IniManager.h"
#include "matrix/DefaultSet.h"
#include "support/TempFolder.h"
#include "ui/Localisation.h"

#include <gtest/gtest.h>

using namespace quire;
using namespace quire::languages;
using quire::test::TempFolder;
namespace fs = std::filesystem;

TEST(LanguageList, ListsLanguageFilesSortedWithoutRegardToCase) {
    TempFolder program;
    EXPECT_TRUE(listLanguageFiles(program / "Languages").empty());
    fs::create_directories(program / "Languages");
    EXPECT_TRUE(listLanguageFiles(program / "Languages").empty());
    program.write("Languages.lng", "a file, not a folder");
    EXPECT_TRUE(listLanguageFiles(program / "Languages.lng").empty());
    for (const char* name : {"zulu.lng", "Italiano.lng", "deutsch2.LNG", "English.lng", "\xC3\x84rger.lng", "b.LNG",
                             "B.lng", "readme.txt", "English.lng.bak", ".hidden.lng", "\xE6\x97\xA5.lng"})
        program.write(std::string("Languages/") + name, "x");
    fs::create_directories(program / "Languages/folder.lng");
    // "Ärger.lng" comes back as Windows-1252 and sorts after the ASCII letters.
    const std::vector<std::string> expected = {"B.lng",        "b.LNG",    "deutsch2.LNG", "English.lng",
                                               "Italiano.lng", "zulu.lng", "\xC4rger.lng"};
    EXPECT_EQ(listLanguageFiles(program / "Languages"), expected);
}

TEST(SetLanguage, WritesConfigLanguageAndKeepsTheRest) {
    TempFolder program;
    program.write("Editor.ini", "[Config]\r\nLanguage=English.lng\r\nMatrixFolder=/m\r\n[Colors]\r\nBackColor=1\r\n");
    setLanguage(program.path(), "Italiano.lng");
    EXPECT_EQ(currentLanguage(program.path()), "Italiano.lng");
    EXPECT_EQ(program.read("Editor.ini"),
              "[Config]\r\nLanguage=Italiano.lng\r\nMatrixFolder=/m\r\n[Colors]\r\nBackColor=1\r\n");
}

// Built-in names (compared exactly) rebuild the index as the defaults then the custom file; any
// other language, or no custom file or matrix folder, is handled as each row says.
TEST(RebuildIndex, BuiltInLanguagesRebuildDefaultsThenCustom) {
    const std::string custom = "[my matrix.mtx]\r\nInfo1=Mine\r\nInfo2=For cartoons\r\n";
    const std::string old = "[old.mtx]\r\nInfo1=stale\r\n";
    const std::string defaults = std::string(defaultMatrixInfo()) + "\r\n";
    const struct {
        std::string language;
        bool customFile;
        IndexRebuild result;
        std::string index;
    } rows[] = {{"English.lng", true, IndexRebuild::Done, defaults + custom + "\r\n"},
                {"Deutch.lng", true, IndexRebuild::Done, defaults + custom + "\r\n"},
                {"Francais.lng", true, IndexRebuild::Done, defaults + custom + "\r\n"},
                {"Italiano.lng", true, IndexRebuild::Done, defaults + custom + "\r\n"},
                {"Portugues.lng", true, IndexRebuild::Done, defaults + custom + "\r\n"},
                {"English.lng", false, IndexRebuild::Done, defaults + "\r\n"},
                {"Klingon.lng", true, IndexRebuild::NotBuiltIn, old},
                {"english.lng", true, IndexRebuild::NotBuiltIn, old},
                {"ENGLISH.LNG", true, IndexRebuild::NotBuiltIn, old},
                {"Italiano.lng.lng", true, IndexRebuild::NotBuiltIn, old},
                {"", true, IndexRebuild::NotBuiltIn, old}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.language + (row.customFile ? "" : ", no custom file"));
        TempFolder library;
        library.write("Matrix_Info.ini", old);
        if (row.customFile)
            library.write("Matrix_Info_Custom.ini", custom);
        EXPECT_EQ(rebuildIndexFor(library.path(), row.language), row.result);
        EXPECT_EQ(library.read("Matrix_Info.ini"), row.index);
        EXPECT_EQ(fs::exists(library / "Matrix_Info_Custom.ini"), row.customFile);
    }
}

TEST(RebuildIndex, NoMatrixFolderWritesNothing) {
    TempFolder program;
    EXPECT_EQ(rebuildIndexFor(program / "bghrk756348347", "English.lng"), IndexRebuild::Failed);
    EXPECT_FALSE(fs::exists(program / "bghrk756348347"));
    // An empty matrix folder must not mean the working folder.
    const fs::path before = fs::current_path();
    fs::current_path(program.path());
    EXPECT_EQ(rebuildIndexFor(fs::path(), "English.lng"), IndexRebuild::Failed);
    EXPECT_FALSE(fs::exists(program / "Matrix_Info.ini"));
    fs::current_path(before);
}

TEST(About, VersionLineAndReadmeWithLineEndsMadeSingle) {
    EXPECT_EQ(about::versionLine(0, 2, 9), "  Version 0.2.9 beta");
    EXPECT_EQ(about::versionLine(1, 10, 0), "  Version 1.10.0 beta");
    const struct {
        std::string bytes;
        std::string shown;
    } cases[] = {{"Quire\r\nline two\r\n", "Quire\nline two\n"},
                 {"lf\nonly", "lf\nonly"},
                 {"lone\rcr\r", "lone\ncr\n"},
                 {"blank\r\n\r\n\r\nlines", "blank\n\n\nlines"},
                 {"mixed\r\n\n\r\r\n", "mixed\n\n\n\n"},
                 {"caf\xE9 \x80 5", "caf\xE9 \x80 5"},
                 {std::string("nul\0byte", 8), std::string("nul\0byte", 8)},
                 {"", ""}};
    for (const auto& c : cases) {
        TempFolder program;
        program.write("readme.txt", c.bytes);
        EXPECT_EQ(about::readReadme(program.path()), std::optional<std::string>(c.shown)) << c.bytes;
    }
    TempFolder program;
    EXPECT_EQ(about::readReadme(program.path()), std::nullopt);
    fs::create_directories(program / "readme.txt");
    EXPECT_EQ(about::readReadme(program.path()), std::nullopt);
}
