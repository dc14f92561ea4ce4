// The start-up sequence without a window (Editor.ini defaults, language files, the folder check, the
// initialisation of a new matrix folder, the log codes in step order), and the Setup window's workings:
// colour texts and parts, swatches, bars and styles written to Editor.ini, Apply and Cancel (also on a
// first run), the default-set restore, the path buttons and the lines the load leaves in BUG.DEB.
#include "app/IniManager.h"
#include "app/Startup.h"
#include "matrix/DefaultSet.h"
#include "platform/Text1252.h"
#include "support/EditorIni.h"
#include "support/ScriptedPrompter.h"
#include "support/TempFolder.h"
#include "ui/Localisation.h"
#include "ui/SetupLogic.h"

#include <gtest/gtest.h>

using namespace quire;
using namespace quire::setup;
using quire::test::describe;
using quire::test::EditorIniValues;
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

// A program folder with the shared state start-up and the Setup window work on.
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
    // The messages of BUG.DEB without their time stamps, one per line; separator lines as they stand.
    std::string log() const {
        std::string out;
        for (const auto& line : text::splitLines(program.read("BUG.DEB"))) {
            const auto arrow = line.find(" --> ");
            out += (arrow == std::string::npos ? line : line.substr(arrow + 5)) + "\n";
        }
        return out;
    }
    // The start-up's own codes, in order (the Setup window's lines left out).
    std::string codes() const {
        std::string out;
        for (const auto& line : text::splitLines(log()))
            if (line.starts_with("MA") || line.starts_with("0001:"))
                out += (out.empty() ? "" : " ") + line.substr(0, line.find(':'));
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
    EXPECT_EQ(window.calls, (std::vector<std::string>{"refreshMatrixList", "applyMainColours", "applyMainCaptions",
                                                      "setTranslator", "unloadSetup"}));
    EXPECT_EQ(state.txtLang + "|" + state.txtPath + "|" + state.txtCheckMatrixInfo,
              "English.lng|" + (program / "Lib").string() + "|" + std::string(defaultMatrixInfo()));
}

TEST_F(StartupTest, FirstRunShowsTwoUpdateBoxesAndTheFolderPrompt) {
    prompter.expect("Interface Updated").expect("Interface Updated");
    prompter.expect("The 'Matrix' folder wasn't found!!!\nPlease select the path to it.");
    Startup startup(state, window);
    ASSERT_TRUE(startup.begin());
    EXPECT_EQ(program.read("Editor.ini"), fileio::readFile(fs::path(QUIRE_TEST_DATA) / "startup-first-run-editor.ini"));
    EXPECT_EQ(window.calls, std::vector<std::string>{"prepareSetup"});

    // The user chose a folder in Setup; start-up initialises it.
    fs::create_directories(program / "Chosen");
    ini::SetValue("Config", "MatrixFolder", (program / "Chosen").string(), program / "Editor.ini");
    state.txtPath = (program / "Chosen").string();
    startup.finish(); // what the initialisation writes is checked where start-up initialises an ordinary folder
    EXPECT_EQ(codes(), "0001 MA0001 MA0002 MA0004 MA0007 MA0008 MA0009 MA0010 MA0011 MA0012 MA0013 MA0014 MA0015 "
                       "MA0016 MA0017 MA0018 MA0019 MA0020 MA0021 MA0022 MA0024");
}

TEST_F(StartupTest, ExistingCustomIndexIsNeverTruncatedAMissingOneIsCreatedAtTheEnd) {
    prepare();
    fs::remove(program / "Lib/Matrix_Info.ini");
    program.write("Lib/Matrix_Info_Custom.ini", "[mine.mtx]\r\nInfo1=Mine\r\n");
    program.write("Lib/Mine.mtx", "1 2\r\n");
    EXPECT_FALSE(run());
    EXPECT_EQ(program.read("Lib/Matrix_Info_Custom.ini") + program.read("Lib/Mine.mtx"),
              "[mine.mtx]\r\nInfo1=Mine\r\n1 2\r\n");
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
    EXPECT_TRUE(programFolderWritable(program.path()) && !programFolderWritable(program / "missing"));
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
}

TEST_F(StartupTest, SetupAppliedLaterInitialisesANewFolderAfterStartupInitialisedAnother) {
    prepare();
    fs::remove(program / "Lib/Matrix_Info.ini");
    state.mainView = &window;
    run();
    ASSERT_EQ(program.read("Lib/Matrix_Info.ini"), std::string(defaultMatrixInfo()));

    // A new folder chosen in Setup gets the index and the default set at Apply.
    const auto applyFolder = [&](const fs::path& folder) {
        prompter.expectFolder(folder.string());
        SetupLogic logic(state);
        logic.load();
        logic.browseMatrixFolder();
        logic.apply();
    };
    fs::create_directories(program / "New");
    applyFolder(program / "New");
    EXPECT_EQ(program.read("New/Matrix_Info.ini"), std::string(defaultMatrixInfo()));
    EXPECT_TRUE(fs::exists(program / "New" / kDefaultMatrixNames[15]));

    // A folder that has an index is left alone.
    program.write("Other/Matrix_Info.ini", "[mine.mtx]\r\nInfo1=Mine\r\n");
    applyFolder(program / "Other");
    EXPECT_EQ(program.read("Other/Matrix_Info.ini"), "[mine.mtx]\r\nInfo1=Mine\r\n");
    EXPECT_FALSE(fs::exists(program / "Other" / kDefaultMatrixNames[0]));
    EXPECT_FALSE(fs::exists(program / "Matrix"));
}

namespace {

// The window's colour state on one line: the colour being edited, the bars, the four hex texts.
std::string shown(const SetupLogic& logic) {
    std::string text = logic.txtComColor();
    for (const int bar : logic.bars())
        text += " " + std::to_string(bar);
    for (const ColourKind kind : kColourKinds)
        text += " " + logic.hex(kind);
    return text;
}
// The custom colour parts of one kind, blue first.
std::string parts(const SetupLogic& logic, ColourKind kind) {
    return logic.customPart(kind, 0) + " " + logic.customPart(kind, 1) + " " + logic.customPart(kind, 2);
}

// Editor.ini as the values say, a matrix folder "Matrix", and a log with a fixed clock.
class SetupLogicTest : public StartupTest {
protected:
    SetupLogicTest() {
        fs::create_directory(program / "Matrix");
        values.matrixFolder = (program / "Matrix").string();
        program.write("Editor.ini", values.bytes());
        state.log = BugTrack(program.path(), [] { return std::tm{}; });
        state.mainView = &window;
        state.txtLang = "English.lng";
        state.txtPath = values.matrixFolder;
        state.txtCheckMatrixInfo = "[1-high_high(4000+).mtx]\r\n";
    }

    std::string editorIni() const { return program.read("Editor.ini"); }
    // Editor.ini holds the expected values after this colour of the kind (0 Back ... 3 Buttons) is stored.
    void expectStored(std::size_t kind, const std::string& colour) {
        values.colours[kind] = colour;
        EXPECT_EQ(editorIni(), values.bytes()) << kind << " " << colour;
    }
    // Answers the three path buttons with the given choices.
    void browseAll(SetupLogic& logic, const std::string& folder, const std::string& tessera,
                   const std::string& player) {
        prompter.expectFolder(folder).expectFolder(tessera).expectFile(player);
        EXPECT_TRUE(logic.browseMatrixFolder());
        logic.browseTesseraFolder();
        logic.browsePlayer();
        values.tessera = tessera;
        values.player = player;
    }
    std::string lastLog() const {
        const std::string all = log();
        return all.substr(all.rfind('\n', all.size() - 2) + 1);
    }

    EditorIniValues values;
};

} // namespace

// The ordinary colours go through the Setup window's tests; here what a hand-edited Editor.ini may hold.
TEST(SetupColourText, AValueThatIsNoColourShowsAsBlackAndPartsThatAreNoHexAs16) {
    EXPECT_EQ(hexText("junk") + " " + hexText("16777216"), "000000 000000");
    Parts parts = splitHex("ZZ1");
    raiseZeroParts(parts);
    EXPECT_EQ(parts, (Parts{"16", "16", "16"}));
}

TEST_F(SetupLogicTest, LoadShowsTheSettingsLeavesOutAMissingCustomFileAndLeavesEditorIniAlone) {
    // The whole load log is in the start-up log of InitialisingANewFolder; without a custom file its line is left out.
    SetupLogic without(state);
    without.load();
    EXPECT_NE(log().find("SET003: Translations read\nSLI001: OK\n"), std::string::npos);
    program.write("Matrix/Matrix_Info_Custom.ini", "[mine.mtx]\r\nInfo1=a\r\n");
    SetupLogic logic(state);
    logic.load();
    EXPECT_EQ(editorIni(), values.bytes());
    EXPECT_EQ(logic.lblMatPath() + "|" + logic.lblTesseraPath() + "|" + logic.lblPlayerPath() + "|" + logic.language() +
                  "|" + logic.txtCustomInfo(),
              values.matrixFolder + "|/opt/tessera|/usr/bin/mplayer|English.lng|[mine.mtx]\r\nInfo1=a\r\n");
    EXPECT_EQ(shown(logic), "Back 16 102 255 FF6610 FFFFFF DA4E10 404040");
    EXPECT_EQ(parts(logic, ColourKind::Stripes), "218 78 16");
    EXPECT_TRUE(window.calls.empty());
}

TEST_F(SetupLogicTest, SwatchesBarsAndOptionButtonsStoreWhatTheyShow) {
    SetupLogic logic(state);
    logic.load();
    logic.pickSwatch(16); // Label17 stores its exact colour
    expectStored(0, "8421376");
    EXPECT_EQ(shown(logic), "Back 16 128 128 808000 FFFFFF DA4E10 404040");
    EXPECT_EQ(parts(logic, ColourKind::Back), "128 128 16");
    // A bar move stores what the bars show; bars stay within their range, an unchanged bar stores nothing.
    logic.setBar(1, 129);
    expectStored(0, composeColour({16, 129, 128}));
    logic.setBar(1, 128);
    logic.setBar(0, 3);
    expectStored(0, "8421392");
    logic.setBar(0, 300);
    expectStored(0, composeColour({255, 128, 128}));

    const std::array<std::string, 4> chosen = {"Back SLI009", "Text SLI010", "Stripes SLI011", "Buttons SLI012"};
    for (const ColourKind kind : kColourKinds) {
        const auto k = static_cast<std::size_t>(kind);
        logic.chooseColour(kind);
        EXPECT_EQ(logic.txtComColor() + " " + lastLog(), chosen[k] + ": OK\n");
        logic.pickSwatch(static_cast<int>(k)); // Label1 to Label4
        expectStored(k, colourText(kSwatches[k]));
    }
    logic.setBar(2, 65); // Buttons is edited now: a bar move changes ButtonsColor only
    expectStored(3, composeColour({64, 64, 65}));
}

TEST_F(SetupLogicTest, LoadShowsAZeroPartAs16AndAStyleRepaintsOnlyTheMainWindow) {
    values.colours[0] = "8421376";
    values.colours[1] = "328965"; // 5, 5, 5: below the bars' range
    program.write("Editor.ini", values.bytes());
    SetupLogic logic(state);
    logic.load();
    // Setting the bars ran their handler, which stores what they show.
    EXPECT_EQ(logic.bars(), (std::array<int, 3>{16, 128, 128}));
    EXPECT_NE(editorIni().find("BackColor=8421392\r\n"), std::string::npos);
    EXPECT_EQ(logic.loadColour(ColourKind::Back), "8421376");
    logic.chooseColour(ColourKind::Text);
    EXPECT_EQ(shown(logic).substr(0, 13) + " " + logic.customPart(ColourKind::Text, 2), "Text 16 16 16 5");
    logic.chooseColour(ColourKind::Back);
    window.calls.clear();
    const std::size_t last = kStyles.size() - 1;
    logic.applyStyle(static_cast<int>(last));
    for (std::size_t k = 0; k < 4; ++k)
        values.colours[k] = std::string(kStyles[last].colours[k]);
    EXPECT_EQ(editorIni(), values.bytes());
    EXPECT_EQ(window.calls, std::vector<std::string>{"applyMainColours"});
}

TEST_F(SetupLogicTest, CancelWritesBackTheLoadColoursKeepingHostAndPlayerPathsApplyStoresAllThree) {
    SetupLogic logic(state);
    logic.load();
    logic.pickSwatch(19);
    logic.applyStyle(0);
    browseAll(logic, "/srv/other matrices", "/srv/Tessera 2", "/usr/bin/vlc");
    window.calls.clear();
    EXPECT_TRUE(logic.cancel());
    EXPECT_EQ(editorIni(), values.bytes());
    EXPECT_TRUE(window.calls.empty());
    EXPECT_FALSE(fs::exists(program / "Matrix" / "Matrix_Info.ini"));

    // Folder names with outer blanks read back whole.
    fs::create_directories(program / "Videos ");
    const std::string videos = (program / "Videos ").string();
    SetupLogic applied(state);
    applied.load();
    browseAll(applied, videos, "/srv/Tessera ", "/usr/bin/vlc ");
    applied.apply();
    values.matrixFolder = "\"" + videos + "\""; // outer blanks are kept in quotes
    values.tessera = "\"/srv/Tessera \"";
    values.player = "\"/usr/bin/vlc \"";
    EXPECT_EQ(editorIni(), values.bytes());
    EXPECT_EQ(state.txtPath, videos);
    EXPECT_EQ(window.calls, (std::vector<std::string>{"refreshMatrixList", "applyMainColours"}));
    EXPECT_TRUE(fs::is_empty(program / "Videos "));
}

TEST_F(SetupLogicTest, CancelOnAFirstRunAndRestoreKeepTheUsersMatricesAndDescriptions) {
    const std::string custom = "[mine.mtx]\r\nInfo1=My own\r\nInfo2=matrix\r\n";
    program.write("Matrix/Matrix_Info_Custom.ini", custom);
    program.write("Matrix/Mine.mtx", "user bytes");
    state.txtCheckMatrixInfo.clear();
    SetupLogic first(state);
    first.load();
    prompter.expect(std::string(kMatrixFolderCreated));
    EXPECT_TRUE(first.cancel());
    EXPECT_EQ(program.read("Matrix/Matrix_Info_Custom.ini"), custom);

    program.write("Matrix/" + std::string(kDefaultMatrixNames[3]), "99 99\r\n");
    program.write("Matrix/Matrix_Info.ini", "broken");
    window.calls.clear();
    SetupLogic logic(state);
    logic.load();
    logic.restoreDefaultMatrices();
    EXPECT_EQ(program.read("Matrix/Matrix_Info.ini"), std::string(defaultMatrixInfo()) + "\r\n" + custom + "\r\n");
    EXPECT_EQ(program.read("Matrix/Mine.mtx") + program.read("Matrix/Matrix_Info_Custom.ini"), "user bytes" + custom);
    EXPECT_NE(program.read("Matrix/" + std::string(kDefaultMatrixNames[3])), "99 99\r\n"); // the set is rewritten
    EXPECT_EQ(window.calls, std::vector<std::string>{"resetView"});
    EXPECT_EQ(editorIni(), values.bytes());
}

TEST_F(SetupLogicTest, PathButtonsAskLogKeepOrEmptyThePathOnCancelAndRefuseWhatWindows1252CannotHold) {
    SetupLogic logic(state);
    logic.load();
    prompter.expectFolder("").expectFile("/usr/bin/mpv").expectFile("");
    EXPECT_FALSE(logic.browseMatrixFolder());
    EXPECT_EQ(logic.lblMatPath() + "|" + lastLog(), values.matrixFolder + "|SETUP: Matrices folder defined as \n");
    logic.browsePlayer();
    const std::string player = logic.lblPlayerPath();
    logic.browsePlayer();
    EXPECT_EQ(player + "|" + logic.lblPlayerPath(), "/usr/bin/mpv|");
    EXPECT_EQ(prompter.fileDialogTitles(),
              (std::vector<std::string>{"Select the Matrices Folder", "  Media Player Selection",
                                        "  Media Player Selection"}));
    EXPECT_EQ(prompter.fileDialogFilterText(), "Executable * | Executable *");

    // Without a language file name the default set goes into the chosen folder at once.
    TempFolder chosen;
    state.txtLang.clear();
    prompter.expectFolder(chosen.path().string() + "/");
    EXPECT_TRUE(logic.browseMatrixFolder());
    EXPECT_TRUE(log().ends_with("SETUP: Matrices folder defined as " + chosen.path().string() +
                                "\nSETUP: Default Matrices created\n"));
    EXPECT_TRUE(fs::exists(chosen / kDefaultMatrixNames[15]));

    // A path Windows-1252 cannot hold is refused before anything is written.
    const std::string before = program.read("BUG.DEB");
    const std::string greek = "/srv/\xCE\xA3\xCE\xBF"; // Σο
    prompter.expectFolder(greek).expect("").expectFolder(greek).expect("").expectFile(greek).expect("");
    EXPECT_FALSE(logic.browseMatrixFolder());
    logic.browseTesseraFolder();
    logic.browsePlayer();
    ASSERT_EQ(prompter.shown().size(), 3u);
    EXPECT_EQ(describe(prompter.shown()[0]), "Quire|ok|exclamation|" + unstorablePathMessage(greek));
    EXPECT_NE(prompter.shown()[0].text.find("/srv/??"), std::string::npos);
    EXPECT_EQ(logic.lblMatPath() + "|" + logic.lblTesseraPath() + "|" + logic.lblPlayerPath(),
              chosen.path().string() + "|/opt/tessera|");
    EXPECT_EQ(program.read("BUG.DEB"), before);
    prompter.expectFolder("/srv/Vid\xC3\xA9os"); // a Western European name is kept as Windows-1252
    logic.browseTesseraFolder();
    EXPECT_EQ(logic.lblTesseraPath(), "/srv/Vid\xE9os");
}
