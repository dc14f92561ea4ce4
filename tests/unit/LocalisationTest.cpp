// Writing the built-in language files and looking captions up in the active one.
#include "ui/Localisation.h"
#include "app/Folders.h"
#include "app/IniManager.h"
#include "support/ScriptedPrompter.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

using namespace quire;
using quire::test::ScriptedPrompter;
using quire::test::TempFolder;
namespace fs = std::filesystem;

namespace {

std::string configLanguage(const TempFolder& program) {
    return ini::GetValue("Config", "Language", program / "Editor.ini");
}

} // namespace

// A first run writes the five files and sets English; a second restores the built-in files and
// keeps the user's; a language already set stays, an empty one becomes English.
TEST(WriteLanguageFiles, WritesTheBuiltInFilesKeepsUserFilesAndSetsTheLanguage) {
    TempFolder program;
    ScriptedPrompter prompter;
    EXPECT_EQ(WriteLanguageFiles(prompter, program.path()), std::optional<std::string>("English.lng"));
    EXPECT_EQ(configLanguage(program), "English.lng");
    EXPECT_EQ(std::distance(fs::directory_iterator(program / "Languages"), fs::directory_iterator()), 5);
    for (const auto name : kLanguageFileNames)
        EXPECT_EQ(program.read("Languages/" + std::string(name)), std::string(*builtinLanguageText(name)) + "\r\n");
    fs::remove(program / "Languages/Deutch.lng");
    program.write("Languages/English.lng", "English\r\n\r\n[MAIN]\r\ncmdExit=E&xit\r\n");
    program.write("Languages/Klingon.lng", "tlhIngan\r\n");
    program.write("Editor.ini", "[Config]\r\nLanguage=\r\nMatrixFolder=/m\r\n");
    EXPECT_EQ(WriteLanguageFiles(prompter, program.path()), std::optional<std::string>("English.lng"));
    EXPECT_EQ(program.read("Languages/Deutch.lng"), std::string(*builtinLanguageText("Deutch.lng")) + "\r\n");
    EXPECT_EQ(program.read("Languages/English.lng"), std::string(*builtinLanguageText("English.lng")) + "\r\n");
    EXPECT_EQ(program.read("Languages/Klingon.lng"), "tlhIngan\r\n");
    EXPECT_EQ(program.read("Editor.ini"), "[Config]\r\nLanguage=English.lng\r\nMatrixFolder=/m\r\n");
    for (const std::string language : {"Francais.lng", "Klingon.lng"}) {
        ini::SetValue("Config", "Language", language, program / "Editor.ini");
        EXPECT_EQ(WriteLanguageFiles(prompter, program.path()), std::optional<std::string>(language));
        EXPECT_EQ(configLanguage(program), language);
    }
}

// A folder that cannot be made shows the message; a read-only built-in file fails quietly.
TEST(WriteLanguageFiles, FailuresChangeNothing) {
    TempFolder blocked, locked;
    blocked.write("Languages", "a file in the way");
    fs::permissions(locked.write("Languages/Francais.lng", "old"), fs::perms::owner_read);
    ScriptedPrompter prompter;
    prompter.expect(std::string(kCreateFolderMessage));
    EXPECT_EQ(WriteLanguageFiles(prompter, blocked.path()), std::nullopt);
    EXPECT_EQ(blocked.read("Languages"), "a file in the way");
    EXPECT_EQ(WriteLanguageFiles(prompter, locked.path()), std::nullopt);
    EXPECT_EQ(locked.read("Languages/Francais.lng"), "old");
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
        {"English.lng", "MAIN", "cmdPreview", "&Preview/Test"},
        {"English.lng", "Messages", "NoPlayer", // the preview window's spelling of the section
         "The path to a media player isn't defined!!! Please, point it on Setup dialog."},
        {"English.lng", "SETUP", "OKButton", "Apply"},
        {"English.lng", "HELP", "cmdRestore",
         "Restores all the default Matrices. This action WON'T ERASE your CUSTOM MATRICES."},
        {"Portugues.lng", "MAIN", "cmdExit", "&Sair"},
        {"Deutch.lng", "MATRIXEdit", "cmdSave", "&Speichern"},
        {"Francais.lng", "Languages", "cmdUpd", "Mettre \xE0 jour les langues"},
        {"Italiano.lng", "MESSAGES", "MatrixImport2", "Questa matrice esiste gi\xE0! Vuoi sovrascriverla?"},
        {"Italiano.lng", "MESSAGES", "MatrixImport", ""}, // missing in the Italian file
        {"English.lng", "MAIN", "NoSuchKey", ""},
        {"Klingon.lng", "MAIN", "cmdExit", ""},
        {"", "MAIN", "cmdExit", ""}};
    for (const auto& c : cases)
        EXPECT_EQ(caption(program.path(), c.lang, c.section, c.key), c.text)
            << c.lang << " " << c.section << "/" << c.key;
}
