// The language files: the built-in files written into the program folder, captions looked up in the
// active one, the Languages window's list, switching the language with the rebuild of the description
// index that goes with it; the About box's version line and read-me.
#include "ui/AboutLogic.h"
#include "ui/LanguagesLogic.h"
#include "ui/Localisation.h"

#include "app/Folders.h"
#include "matrix/DefaultSet.h"
#include "support/ScriptedPrompter.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

using namespace quire;
using namespace quire::languages;
using quire::test::ScriptedPrompter;
using quire::test::TempFolder;
namespace fs = std::filesystem;

// A first run writes the five files and sets English; a second restores the built-in files and
// keeps the user's; a language already set stays (set as the Languages window sets it, keeping the
// rest of Editor.ini), an empty one becomes English.
TEST(WriteLanguageFiles, WritesTheBuiltInFilesKeepsUserFilesAndSetsTheLanguage) {
    TempFolder program;
    ScriptedPrompter prompter;
    EXPECT_EQ(WriteLanguageFiles(prompter, program.path()), std::optional<std::string>("English.lng"));
    for (const auto name : kLanguageFileNames)
        EXPECT_EQ(program.read("Languages/" + std::string(name)), std::string(*builtinLanguageText(name)) + "\r\n");
    program.write("Languages/English.lng", "English\r\n\r\n[MAIN]\r\ncmdExit=E&xit\r\n");
    program.write("Languages/Klingon.lng", "tlhIngan\r\n");
    program.write("Editor.ini", "[Config]\r\nLanguage=\r\nMatrixFolder=/m\r\n");
    EXPECT_EQ(WriteLanguageFiles(prompter, program.path()), std::optional<std::string>("English.lng"));
    EXPECT_EQ(program.read("Languages/English.lng") + program.read("Languages/Klingon.lng") +
                  program.read("Editor.ini"),
              std::string(*builtinLanguageText("English.lng")) +
                  "\r\ntlhIngan\r\n[Config]\r\nLanguage=English.lng\r\nMatrixFolder=/m\r\n");
    setLanguage(program.path(), "Klingon.lng");
    EXPECT_EQ(WriteLanguageFiles(prompter, program.path()), std::optional<std::string>("Klingon.lng"));
    EXPECT_EQ(currentLanguage(program.path()) + "|" + program.read("Editor.ini"),
              "Klingon.lng|[Config]\r\nLanguage=Klingon.lng\r\nMatrixFolder=/m\r\n");
}

// A folder that cannot be made shows the message; a read-only built-in file fails quietly.
TEST(WriteLanguageFiles, FailuresChangeNothing) {
    TempFolder blocked, locked;
    blocked.write("Languages", "a file in the way");
    fs::permissions(locked.write("Languages/Francais.lng", "old"), fs::perms::owner_read);
    ScriptedPrompter prompter;
    prompter.expect(std::string(kCreateFolderMessage));
    EXPECT_EQ(WriteLanguageFiles(prompter, blocked.path()), std::nullopt);
    EXPECT_EQ(WriteLanguageFiles(prompter, locked.path()), std::nullopt);
    EXPECT_EQ(blocked.read("Languages") + "|" + locked.read("Languages/Francais.lng"), "a file in the way|old");
    EXPECT_FALSE(fs::exists(blocked / "Editor.ini") || fs::exists(locked / "Editor.ini"));
}

TEST(Caption, LooksUpTheActiveLanguageFile) {
    TempFolder program;
    ScriptedPrompter prompter;
    ASSERT_TRUE(WriteLanguageFiles(prompter, program.path()).has_value());
    struct Case {
        std::string_view lang, section, key, text;
    };
    const Case cases[] = {
        {"English.lng", "Messages", "NoPlayer", // the preview window's spelling of the section
         "The path to a media player isn't defined!!! Please, point it on Setup dialog."},
        {"Italiano.lng", "MESSAGES", "MatrixImport2", "Questa matrice esiste gi\xE0! Vuoi sovrascriverla?"},
        {"Italiano.lng", "MESSAGES", "MatrixImport", ""}, // missing in the Italian file
        {"Klingon.lng", "MAIN", "cmdExit", ""}};
    for (const auto& c : cases)
        EXPECT_EQ(caption(program.path(), c.lang, c.section, c.key), c.text)
            << c.lang << " " << c.section << "/" << c.key;
}

TEST(LanguageList, ListsLanguageFilesSortedWithoutRegardToCase) {
    TempFolder program;
    program.write("Languages.lng", "a file, not a folder");
    EXPECT_TRUE(listLanguageFiles(program / "Languages").empty() &&
                listLanguageFiles(program / "Languages.lng").empty());
    // Which files are listed is the file listing's test (ListFiles); here what the list adds to it.
    for (const char* name : {"English.lng", "\xC3\x84rger.lng", "b.LNG", "B.lng", "\xE6\x97\xA5.lng"})
        program.write(std::string("Languages/") + name, "x");
    // "Ärger.lng" comes back as Windows-1252 and sorts after the ASCII letters; a name it cannot hold is left out.
    const std::vector<std::string> expected = {"B.lng", "b.LNG", "English.lng", "\xC4rger.lng"};
    EXPECT_EQ(listLanguageFiles(program / "Languages"), expected);
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
                {"English.lng", false, IndexRebuild::Done, defaults + "\r\n"},
                {"Klingon.lng", true, IndexRebuild::NotBuiltIn, old},
                {"english.lng", true, IndexRebuild::NotBuiltIn, old}};
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
    EXPECT_EQ(about::versionLine(1, 10, 0), "  Version 1.10.0 beta");
    const struct {
        std::string bytes;
        std::string shown;
    } cases[] = {{"Quire\r\nline two\r\n", "Quire\nline two\n"},
                 {"lone\rcr\r", "lone\ncr\n"},
                 {std::string("caf\xE9 \x80\0", 7), std::string("caf\xE9 \x80\0", 7)}};
    for (const auto& c : cases) {
        TempFolder program;
        program.write("readme.txt", c.bytes);
        EXPECT_EQ(about::readReadme(program.path()), std::optional<std::string>(c.shown)) << c.bytes;
    }
    TempFolder program;
    EXPECT_EQ(about::readReadme(program.path()), std::nullopt);
}
