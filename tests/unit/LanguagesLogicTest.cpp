// The language list of the Languages window, switching the language and the rebuild of the
// description index that goes with it; the About box's version line and read-me.
#include "ui/LanguagesLogic.h"
#include "ui/AboutLogic.h"

#include "app/IniManager.h"
#include "matrix/DefaultSet.h"
#include "platform/Text1252.h"
#include "support/TempFolder.h"
#include "ui/Localisation.h"

#include <gtest/gtest.h>

using namespace quire;
using namespace quire::languages;
using quire::test::TempFolder;
namespace fs = std::filesystem;

namespace {

const std::vector<std::string> kDefaultSections = {"[1-high_high(4000+).mtx]",
                                                   "[2-high_medium(4000).mtx]",
                                                   "[3-high_low(3500-4000).mtx]",
                                                   "[4-medium_high(3200-4000).mtx]",
                                                   "[5-medium_medium(2800-3500).mtx]",
                                                   "[6-medium_low(2500-3200).mtx]",
                                                   "[7-low_high(1800-2500).mtx]",
                                                   "[8-low_low(1800-).mtx]",
                                                   "[quenc lower bitrate (QLB).mtx]",
                                                   "[tamsin's 1cd (1500-2500).mtx]",
                                                   "[marlo (1500-2500).mtx]",
                                                   "[smooth (cg)(3800+).mtx]",
                                                   "[lorin comic low (cg) (2500-3800).mtx]",
                                                   "[seraph bestlow (1900-2500).mtx]",
                                                   "[seraph bestverylow (1200-1900).mtx]",
                                                   "[dovan (2500-3000).mtx]"};

const std::string kCustom = "[my matrix.mtx]\r\nInfo1=Mine\r\nInfo2=For cartoons\r\n";

std::vector<std::string> sectionLines(std::string_view text) {
    std::vector<std::string> sections;
    for (const std::string& line : quire::text::splitLines(text))
        if (line.starts_with("["))
            sections.push_back(line);
    return sections;
}

} // namespace

TEST(LanguageList, ListsLanguageFilesSortedWithoutRegardToCase) {
    TempFolder program;
    for (const char* name : {"zulu.lng", "Italiano.lng", "deutsch2.LNG", "English.lng", "\xC3\x84rger.lng", "b.LNG",
                             "B.lng", "readme.txt", "English.lng.bak", ".hidden.lng", "\xE6\x97\xA5.lng"})
        program.write(std::string("Languages/") + name, "x");
    fs::create_directories(program / "Languages/folder.lng");

    // "Ärger.lng" comes back as Windows-1252 and sorts after the ASCII letters.
    const std::vector<std::string> expected = {"B.lng",        "b.LNG",    "deutsch2.LNG", "English.lng",
                                               "Italiano.lng", "zulu.lng", "\xC4rger.lng"};
    EXPECT_EQ(listLanguageFiles(program / "Languages"), expected);
}

TEST(LanguageList, MissingOrEmptyFolderListsNothing) {
    TempFolder program;
    EXPECT_TRUE(listLanguageFiles(program / "Languages").empty());
    fs::create_directories(program / "Languages");
    EXPECT_TRUE(listLanguageFiles(program / "Languages").empty());
    program.write("Languages.lng", "a file, not a folder");
    EXPECT_TRUE(listLanguageFiles(program / "Languages.lng").empty());
}

TEST(LanguageList, BuiltInFilesListInNameOrder) {
    TempFolder program;
    for (const auto name : kLanguageFileNames)
        program.write("Languages/" + std::string(name), "x");
    const std::vector<std::string> expected = {"Deutch.lng", "English.lng", "Francais.lng", "Italiano.lng",
                                               "Portugues.lng"};
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

TEST(RebuildIndex, EveryBuiltInLanguageRebuildsDefaultsThenCustom) {
    for (const auto name : kLanguageFileNames) {
        SCOPED_TRACE(std::string(name));
        TempFolder library;
        library.write("Matrix_Info.ini", "[old.mtx]\r\nInfo1=stale\r\n");
        library.write("Matrix_Info_Custom.ini", kCustom);
        EXPECT_EQ(rebuildIndexFor(library.path(), name), IndexRebuild::Done);
        const std::string rebuilt = library.read("Matrix_Info.ini");
        EXPECT_EQ(rebuilt, std::string(defaultMatrixInfo()) + "\r\n" + kCustom + "\r\n");

        std::vector<std::string> sections = sectionLines(rebuilt);
        ASSERT_EQ(sections.size(), 17u);
        EXPECT_EQ(std::vector<std::string>(sections.begin(), sections.begin() + 16), kDefaultSections);
        EXPECT_EQ(sections.back(), "[my matrix.mtx]");
        EXPECT_TRUE(rebuilt.ends_with(kCustom + "\r\n"));
        EXPECT_EQ(ini::GetValue("my matrix.mtx", "Info2", library / "Matrix_Info.ini"), "For cartoons");
    }
}

TEST(RebuildIndex, OtherLanguageFilesLeaveTheIndexAlone) {
    // Built-in names are compared exactly, so a renamed copy is a language of the user's.
    for (const std::string_view name : {"Klingon.lng", "english.lng", "ENGLISH.LNG", "Italiano.lng.lng", ""}) {
        SCOPED_TRACE(std::string(name));
        TempFolder library;
        library.write("Matrix_Info.ini", "[old.mtx]\r\nInfo1=kept\r\n");
        library.write("Matrix_Info_Custom.ini", kCustom);
        EXPECT_EQ(rebuildIndexFor(library.path(), name), IndexRebuild::NotBuiltIn);
        EXPECT_EQ(library.read("Matrix_Info.ini"), "[old.mtx]\r\nInfo1=kept\r\n");
    }
}

TEST(RebuildIndex, MissingCustomFileGivesDefaultsOnly) {
    TempFolder library;
    EXPECT_EQ(rebuildIndexFor(library.path(), "English.lng"), IndexRebuild::Done);
    EXPECT_EQ(library.read("Matrix_Info.ini"), std::string(defaultMatrixInfo()) + "\r\n\r\n");
    EXPECT_FALSE(fs::exists(library / "Matrix_Info_Custom.ini"));
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

TEST(AboutVersion, TwoBlanksVersionNumbersAndBeta) {
    EXPECT_EQ(about::versionLine(0, 2, 9), "  Version 0.2.9 beta");
    EXPECT_EQ(about::versionLine(1, 10, 0), "  Version 1.10.0 beta");
    EXPECT_EQ(about::versionLine(0, 0, 0), "  Version 0.0.0 beta");
}

TEST(AboutReadme, ReadWholeWithLineEndsMadeSingle) {
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
}

TEST(AboutReadme, MissingReadmeReadsNothing) {
    TempFolder program;
    EXPECT_EQ(about::readReadme(program.path()), std::nullopt);
    fs::create_directories(program / "readme.txt");
    EXPECT_EQ(about::readReadme(program.path()), std::nullopt);
}
