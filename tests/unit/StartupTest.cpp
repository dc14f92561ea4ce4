// The start-up sequence without a window: Editor.ini defaults, language files, the folder check,
// the initialisation of a new matrix folder, and the log codes in step order.
#include "app/Startup.h"
#include "app/IniManager.h"
#include "matrix/DefaultSet.h"
#include "support/ScriptedPrompter.h"
#include "support/TempFolder.h"
#include "ui/Localisation.h"
#include "ui/SetupLogic.h"

#include <gtest/gtest.h>

using namespace quire;
using quire::test::ScriptedPrompter;
using quire::test::TempFolder;
namespace fs = std::filesystem;

namespace {

// Records what start-up asked of the main window.
struct FakeWindow : StartupHooks {
    std::string previewCaption = "&Preview/Test";
    std::vector<std::string> calls;
    void resetView() override { calls.push_back("resetView"); }
    void resetViewKeepGrid() override { calls.push_back("resetViewKeepGrid"); }
    void refreshMatrixList() override { calls.push_back("refreshMatrixList"); }
    void applyMainColours() override { calls.push_back("applyMainColours"); }
    void applyMainCaptions() override { calls.push_back("applyMainCaptions"); }
    void setTranslator() override { calls.push_back("setTranslator"); }
    std::string previewButtonCaption() override { return previewCaption; }
    void prepareSetupForMissingFolder() override { calls.push_back("prepareSetup"); }
    void unloadSetup() override { calls.push_back("unloadSetup"); }
};

class StartupTest : public ::testing::Test {
protected:
    // An ordinary program folder: language files, Editor.ini, and a matrix folder Lib with its index files.
    void prepare() {
        ScriptedPrompter quiet;
        WriteLanguageFiles(quiet, program.path());
        program.write("Editor.ini", "[Config]\r\nLanguage=English.lng\r\nMatrixFolder=" + (program / "Lib").string() +
                                        "\r\nInterfaceVersion=7\r\n[Colors]\r\nBackColor=16737808\r\n");
        program.write("Lib/Matrix_Info.ini", std::string(defaultMatrixInfo()));
        program.write("Lib/Matrix_Info_Custom.ini", "");
    }
    // Both halves of start-up; true when it asked for Setup.
    bool run() {
        Startup startup(state, window);
        const bool setup = startup.begin();
        startup.finish();
        return setup;
    }
    // The start-up's own codes in BUG.DEB, in order (the Setup window's lines left out).
    std::string codes() const {
        std::string out;
        const std::string log = program.read("BUG.DEB");
        for (std::size_t pos = 0; (pos = log.find(" --> ", pos)) != std::string::npos;) {
            pos += 5;
            const std::string code = log.substr(pos, log.find(':', pos) - pos);
            if (code.starts_with("MA") || code == "0001")
                out += (out.empty() ? "" : " ") + code;
        }
        return out;
    }

    TempFolder program;
    ScriptedPrompter prompter;
    SharedState state{program.path(), prompter};
    FakeWindow window;
};

} // namespace

TEST_F(StartupTest, OrdinaryStartWritesItsCodesInStepOrder) {
    prepare();
    EXPECT_FALSE(run());
    EXPECT_EQ(codes(), "MA0002 MA0004 MA0007 MA0009 MA0010 MA0012 MA0015 MA0016 MA0017 MA0022 MA0024");
    EXPECT_TRUE(program.read("BUG.DEB").starts_with("TESSERA MATRIX EDITOR (Quire) STARTED\r\n"));
    EXPECT_EQ(window.calls, (std::vector<std::string>{"refreshMatrixList", "applyMainColours", "applyMainCaptions",
                                                      "setTranslator", "unloadSetup"}));
    EXPECT_EQ(state.txtLang, "English.lng");
    EXPECT_EQ(state.txtPath, (program / "Lib").string());
    EXPECT_EQ(state.txtCheckMatrixInfo, std::string(defaultMatrixInfo()));
}

TEST_F(StartupTest, FirstRunShowsTwoUpdateBoxesAndTheFolderPrompt) {
    prompter.expect("Interface Updated").expect("Interface Updated");
    prompter.expect("The 'Matrix' folder wasn't found!!!\nPlease select the path to it.");
    Startup startup(state, window);
    ASSERT_TRUE(startup.begin());
    const fs::path ini = program / "Editor.ini";
    std::string values;
    for (const auto& [section, key] : std::vector<std::pair<std::string, std::string>>{{"Config", "MatrixFolder"},
                                                                                       {"Config", "Language"},
                                                                                       {"Config", "InterfaceVersion"},
                                                                                       {"Colors", "BackColor"},
                                                                                       {"Colors", "TextColor"},
                                                                                       {"Colors", "StripesColor"},
                                                                                       {"Colors", "ButtonsColor"}})
        values += ini::GetValue(section, key, ini) + " ";
    EXPECT_EQ(values, "bghrk756348347 English.lng 7 16737808 16777215 14306832 4210752 ");
    EXPECT_EQ(window.calls, std::vector<std::string>{"prepareSetup"});
    EXPECT_EQ(prompter.shown().at(0).title, "Quire");

    // The user chose a folder in Setup; start-up initialises it.
    fs::create_directories(program / "Chosen");
    ini::SetValue("Config", "MatrixFolder", (program / "Chosen").string(), ini);
    state.txtPath = (program / "Chosen").string();
    startup.finish();
    for (const auto name : kDefaultMatrixNames)
        EXPECT_TRUE(fs::exists(program / "Chosen" / name)) << name;
    EXPECT_EQ(program.read("Chosen/Matrix_Info.ini"), std::string(defaultMatrixInfo()));
    EXPECT_EQ(program.read("Chosen/Matrix_Info_Custom.ini"), "");
    EXPECT_EQ(codes(), "0001 MA0001 MA0002 MA0004 MA0007 MA0008 MA0009 MA0010 MA0011 MA0012 MA0013 MA0014 MA0015 "
                       "MA0016 MA0017 MA0018 MA0019 MA0020 MA0021 MA0022 MA0024");
}

TEST_F(StartupTest, ExistingCustomIndexIsNeverTruncatedAMissingOneIsCreatedAtTheEnd) {
    prepare();
    fs::remove(program / "Lib/Matrix_Info.ini");
    program.write("Lib/Matrix_Info_Custom.ini", "[mine.mtx]\r\nInfo1=Mine\r\n");
    program.write("Lib/Mine.mtx", "1 2\r\n");
    EXPECT_FALSE(run());
    EXPECT_EQ(program.read("Lib/Matrix_Info_Custom.ini"), "[mine.mtx]\r\nInfo1=Mine\r\n");
    EXPECT_EQ(program.read("Lib/Mine.mtx"), "1 2\r\n");
    EXPECT_TRUE(fs::exists(program / "Lib" / kDefaultMatrixNames[15]));
    EXPECT_FALSE(codes().ends_with("MA0025"));

    fs::remove(program / "Lib/Matrix_Info_Custom.ini");
    run();
    EXPECT_TRUE(fs::exists(program / "Lib/Matrix_Info_Custom.ini"));
    EXPECT_TRUE(codes().ends_with("MA0024 MA0025"));
}

TEST_F(StartupTest, EmptyPreviewCaptionRewritesTheLanguageFiles) {
    prepare();
    program.write("Languages/English.lng", "English\r\n\r\n[MAIN]\r\ncmdExit=\r\n");
    window.previewCaption = "";
    run();
    // cmdExit had no caption.
    EXPECT_EQ(codes(), "MA0002 MA0004 MA0005 MA0006 MA0007 MA0009 MA0010 MA0012 MA0015 MA0016 MA0017 MA0022 MA0023 "
                       "MA0024");
    EXPECT_EQ(program.read("Languages/English.lng"), std::string(*builtinLanguageText("English.lng")) + "\r\n");
    EXPECT_TRUE(programFolderWritable(program.path()));
    EXPECT_FALSE(programFolderWritable(program / "missing"));
    EXPECT_NE(programFolderMessage(program / "x").find((program / "x").string()), std::string::npos);
}

TEST_F(StartupTest, InitialisingANewFolderLogsTheSetupLoadBetweenMA0019AndMA0020) {
    prepare();
    fs::remove(program / "Lib/Matrix_Info.ini");
    fs::remove(program / "Lib/Matrix_Info_Custom.ini");
    state.log = BugTrack(program.path(), [] {
        std::tm at{};
        at.tm_year = 105, at.tm_mon = 6, at.tm_mday = 14, at.tm_hour = 21, at.tm_min = 3, at.tm_sec = 55;
        return at;
    });
    EXPECT_FALSE(run());
    EXPECT_EQ(program.read("BUG.DEB"), fileio::readFile(fs::path(QUIRE_TEST_DATA) / "startup-new-folder.deb"));
    EXPECT_TRUE(fs::exists(program / "Lib" / kDefaultMatrixNames[0]));
}

TEST_F(StartupTest, SetupAppliedLaterInitialisesANewFolderAfterStartupInitialisedAnother) {
    prepare();
    fs::remove(program / "Lib/Matrix_Info.ini");
    state.mainView = &window;
    run();
    ASSERT_EQ(program.read("Lib/Matrix_Info.ini"), std::string(defaultMatrixInfo()));

    // A new folder chosen in Setup gets the index and the default set at Apply.
    fs::create_directories(program / "New");
    prompter.expectFolder((program / "New").string());
    setup::SetupLogic first(state);
    first.load();
    first.browseMatrixFolder();
    first.apply();
    EXPECT_EQ(program.read("New/Matrix_Info.ini"), std::string(defaultMatrixInfo()));
    for (const auto name : kDefaultMatrixNames)
        EXPECT_TRUE(fs::exists(program / "New" / name)) << name;

    // A folder that has an index is left alone, and Cancel keeps the folder in use.
    program.write("Other/Matrix_Info.ini", "[mine.mtx]\r\nInfo1=Mine\r\n");
    prompter.expectFolder((program / "Other").string());
    setup::SetupLogic second(state);
    second.load();
    second.browseMatrixFolder();
    second.apply();
    setup::SetupLogic third(state);
    third.load();
    EXPECT_TRUE(third.cancel());
    EXPECT_EQ(program.read("Other/Matrix_Info.ini"), "[mine.mtx]\r\nInfo1=Mine\r\n");
    EXPECT_FALSE(fs::exists(program / "Other" / kDefaultMatrixNames[0]));
    EXPECT_EQ(ini::GetValue("Config", "MatrixFolder", program / "Editor.ini"), (program / "Other").string());
    EXPECT_FALSE(fs::exists(program / "Matrix"));
}
