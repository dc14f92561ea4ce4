// The Setup window's workings: colour texts and parts, swatches, bars and styles written to
// Editor.ini, Apply and Cancel (also on a first run), the default-set restore, the path buttons and
// the lines the load leaves in BUG.DEB.
#include "ui/SetupLogic.h"
#include "support/RecordingMainView.h"

#include "app/IniManager.h"
#include "matrix/DefaultSet.h"
#include "platform/Text1252.h"
#include "support/ScriptedPrompter.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <vector>

using namespace quire;
using namespace quire::setup;
using quire::test::ScriptedPrompter;
using quire::test::TempFolder;
namespace fs = std::filesystem;

namespace {

using RecordingView = quire::test::RecordingMainView;

struct IniValues {
    std::string matrixFolder;
    std::string tessera = "/opt/tessera";
    std::string player = "/usr/bin/mplayer";
    std::array<std::string, 4> colours{"16737808", "16777215", "14306832", "4210752"};
};

std::string editorIniBytes(const IniValues& v) {
    return "[Config]\r\nInterfaceVersion=7\r\nLanguage=English.lng\r\nMatrixFolder=" + v.matrixFolder +
           "\r\nTesseraFolder=" + v.tessera + "\r\nPlayer=" + v.player + "\r\n[Colors]\r\nBackColor=" + v.colours[0] +
           "\r\nTextColor=" + v.colours[1] + "\r\nStripesColor=" + v.colours[2] + "\r\nButtonsColor=" + v.colours[3] +
           "\r\n";
}

const std::string kSeparator = std::string(86, '-');

class SetupLogicTest : public ::testing::Test {
protected:
    SetupLogicTest() {
        fs::create_directory(program / "Matrix");
        values.matrixFolder = (program / "Matrix").string();
        program.write("Editor.ini", editorIniBytes(values));
        state.log = BugTrack(program.path(), [] { return std::tm{}; });
        state.mainView = &mainView;
        state.txtLang = "English.lng";
        state.txtPath = values.matrixFolder;
        state.txtCheckMatrixInfo = "[1-high_high(4000+).mtx]\r\n";
    }

    std::string editorIni() const { return program.read("Editor.ini"); }
    // The messages of BUG.DEB without their time stamps; separator lines as they stand.
    std::vector<std::string> logLines() const {
        std::vector<std::string> lines;
        for (const auto& line : text::splitLines(program.read("BUG.DEB"))) {
            const auto arrow = line.find(" --> ");
            lines.push_back(arrow == std::string::npos ? line : line.substr(arrow + 5));
        }
        return lines;
    }

    TempFolder program;
    IniValues values;
    ScriptedPrompter prompter;
    RecordingView mainView;
    SharedState state{program.path(), prompter};
};

} // namespace

TEST(SetupColourText, HexadecimalTextIsSixUpperCaseDigitsBlueGreenRed) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"16737808", "FF6610"}, {"8421376", "808000"}, {"16777215", "FFFFFF"}, {"0", "000000"},
        {"255", "0000FF"},      {"65536", "010000"},   {"4210752", "404040"},  {"1052779", "10106B"},
        {"", "000000"},         {"junk", "000000"},    {"16777216", "000000"}};
    for (const auto& [decimal, hex] : cases)
        EXPECT_EQ(hexText(decimal), hex) << decimal;
}

TEST(SetupColourText, SplitReadsRedFromTheLastPairAndRaisesZeroTo16) {
    struct Case {
        std::string hex;
        Parts split;  // [0] blue, [1] green, [2] red
        Parts raised; // after the zero check
    };
    const std::vector<Case> cases = {
        {"FF6610", {"255", "102", "16"}, {"255", "102", "16"}}, {"808000", {"128", "128", "0"}, {"128", "128", "16"}},
        {"000000", {"0", "0", "0"}, {"16", "16", "16"}},        {"050A0F", {"5", "10", "15"}, {"5", "10", "15"}},
        {"ABC", {"171", "0", "0"}, {"171", "16", "16"}},        {"ZZ1010", {"0", "16", "16"}, {"16", "16", "16"}}};
    for (const auto& c : cases) {
        Parts parts = splitHex(c.hex);
        EXPECT_EQ(parts, c.split) << c.hex;
        raiseZeroParts(parts);
        EXPECT_EQ(parts, c.raised) << c.hex;
    }
}

TEST(SetupColourText, BarsComposeRedGreenBlue) {
    EXPECT_EQ(composeColour({16, 128, 128}), "8421392");
    EXPECT_EQ(composeColour({16, 102, 255}), "16737808");
    EXPECT_EQ(composeColour({255, 16, 16}), "1052927");
}

TEST(SetupColourText, EveryStyleColourFitsTheBars) {
    for (const auto& style : kStyles)
        for (const auto& colour : style.colours) {
            const auto rgb = parseColour(colour);
            ASSERT_TRUE(rgb) << style.button;
            EXPECT_GE(std::min({rgb->red, rgb->green, rgb->blue}), kBarMin) << style.button << " " << colour;
        }
}

TEST_F(SetupLogicTest, LoadLogsEachStepInOrderAndLeavesEditorIniAlone) {
    program.write("Matrix/Matrix_Info_Custom.ini", "[mine.mtx]\r\nInfo1=a\r\n");
    SetupLogic logic(state);
    logic.load();
    const std::vector<std::string> expected = {kSeparator,
                                               "",
                                               "SET001: Config read",
                                               "SET002: Color data read",
                                               "SET003: Translations read",
                                               "SET004: Matrix Custom Info read",
                                               "SLI001: OK",
                                               "SLI002: OK",
                                               "SLI003: OK",
                                               "SLI004: OK",
                                               "SLI005: OK",
                                               "SLI006: OK",
                                               "SLI007: OK",
                                               "SLI008: OK",
                                               "SLI009: OK",
                                               "SETUP: Sliders Updated with color data"};
    EXPECT_EQ(logLines(), expected);
    EXPECT_EQ(program.read("BUG.DEB").substr(0, 90), kSeparator + "\r\n\r\n");
    EXPECT_EQ(editorIni(), editorIniBytes(values));
    EXPECT_EQ(logic.txtCustomInfo(), "[mine.mtx]\r\nInfo1=a\r\n");
    EXPECT_EQ(logic.lblMatPath(), values.matrixFolder);
    EXPECT_EQ(logic.lblTesseraPath(), "/opt/tessera");
    EXPECT_EQ(logic.lblPlayerPath(), "/usr/bin/mplayer");
    EXPECT_EQ(logic.language(), "English.lng");
    EXPECT_EQ(logic.txtComColor(), "Back");
    EXPECT_EQ((std::array<int, 3>{16, 102, 255}), logic.bars());
    const std::vector<std::string> hex = {"FF6610", "FFFFFF", "DA4E10", "404040"};
    for (const ColourKind kind : kColourKinds)
        EXPECT_EQ(logic.hex(kind), hex[static_cast<std::size_t>(kind)]);
    EXPECT_EQ(logic.customPart(ColourKind::Stripes, 2), "16");
    EXPECT_EQ(logic.customPart(ColourKind::Stripes, 1), "78");
    EXPECT_EQ(logic.customPart(ColourKind::Stripes, 0), "218");
    EXPECT_TRUE(mainView.calls.empty());
}

TEST_F(SetupLogicTest, LoadSkipsTheCustomInfoLineWhenTheFileCannotBeRead) {
    SetupLogic logic(state);
    logic.load();
    const auto lines = logLines();
    ASSERT_GE(lines.size(), 6u);
    EXPECT_EQ(lines[4], "SET003: Translations read");
    EXPECT_EQ(lines[5], "SLI001: OK");
    EXPECT_EQ(logic.txtCustomInfo(), "");
}

TEST_F(SetupLogicTest, Label17StoresItsExactColourAndABarMoveStoresWhatTheBarsShow) {
    SetupLogic logic(state);
    logic.load();
    logic.pickSwatch(16);
    values.colours[0] = "8421376";
    EXPECT_EQ(editorIni(), editorIniBytes(values));
    EXPECT_EQ(logic.hex(ColourKind::Back), "808000");
    EXPECT_EQ((std::array<int, 3>{16, 128, 128}), logic.bars());
    EXPECT_EQ(logic.customPart(ColourKind::Back, 2), "16");
    EXPECT_EQ(logic.customPart(ColourKind::Back, 1), "128");
    EXPECT_EQ(logic.customPart(ColourKind::Back, 0), "128");

    logic.setBar(1, 129);
    values.colours[0] = composeColour({16, 129, 128});
    EXPECT_EQ(editorIni(), editorIniBytes(values));
    logic.setBar(1, 128);
    values.colours[0] = "8421392";
    EXPECT_EQ(editorIni(), editorIniBytes(values));
    EXPECT_EQ(logic.hex(ColourKind::Back), "808010");
}

TEST_F(SetupLogicTest, BarsStayWithinTheirRangeAndAnUnchangedBarStoresNothing) {
    SetupLogic logic(state);
    logic.load();
    logic.setBar(0, 3);
    logic.setBar(2, 999);
    EXPECT_EQ((std::array<int, 3>{16, 102, 255}), logic.bars());
    EXPECT_EQ(editorIni(), editorIniBytes(values));
    logic.setBar(0, 300);
    values.colours[0] = composeColour({255, 102, 255});
    EXPECT_EQ(editorIni(), editorIniBytes(values));
}

TEST_F(SetupLogicTest, OptionButtonsChooseTheColourThatSwatchesAndBarsChange) {
    SetupLogic logic(state);
    logic.load();
    const std::array<std::string, 4> names = {"Back", "Text", "Stripes", "Buttons"};
    const std::array<std::string, 4> barCodes = {"SLI009: OK", "SLI010: OK", "SLI011: OK", "SLI012: OK"};
    for (const ColourKind kind : kColourKinds) {
        const auto k = static_cast<std::size_t>(kind);
        logic.chooseColour(kind);
        EXPECT_EQ(logic.txtComColor(), names[k]);
        EXPECT_EQ(logLines().back(), barCodes[k]);
        logic.pickSwatch(static_cast<int>(k)); // Label1 to Label4
        values.colours[k] = colourText(kSwatches[k]);
        EXPECT_EQ(editorIni(), editorIniBytes(values)) << names[k];
    }
    // Buttons is edited now: a bar move changes ButtonsColor only.
    logic.setBar(2, 65);
    values.colours[3] = composeColour({64, 64, 65});
    EXPECT_EQ(editorIni(), editorIniBytes(values));
}

TEST_F(SetupLogicTest, LoadShowsAZeroPartAs16AndCancelRestoresTheFileAsItWas) {
    values.colours[0] = "8421376";
    values.colours[1] = "328965"; // 5, 5, 5: below the bars' range
    program.write("Editor.ini", editorIniBytes(values));
    const std::string before = editorIni();
    SetupLogic logic(state);
    logic.load();
    // Setting the bars ran their handler, which stores what they show.
    EXPECT_EQ((std::array<int, 3>{16, 128, 128}), logic.bars());
    EXPECT_NE(editorIni().find("BackColor=8421392\r\n"), std::string::npos);
    EXPECT_EQ(logic.loadColour(ColourKind::Back), "8421376");
    logic.chooseColour(ColourKind::Text);
    EXPECT_EQ((std::array<int, 3>{16, 16, 16}), logic.bars());
    EXPECT_EQ(logic.customPart(ColourKind::Text, 2), "5");
    logic.applyStyle(2);
    EXPECT_TRUE(logic.cancel());
    EXPECT_EQ(editorIni(), before);
}

TEST_F(SetupLogicTest, StylesStoreTheirFourColoursAndRepaintOnlyTheMainWindow) {
    SetupLogic logic(state);
    logic.load();
    for (std::size_t s = 0; s < kStyles.size(); ++s) {
        mainView.calls.clear();
        logic.applyStyle(static_cast<int>(s));
        for (std::size_t k = 0; k < 4; ++k)
            values.colours[k] = std::string(kStyles[s].colours[k]);
        EXPECT_EQ(editorIni(), editorIniBytes(values)) << kStyles[s].button;
        EXPECT_EQ(mainView.calls, std::vector<std::string>{"applyMainColours"});
        EXPECT_EQ(logic.hex(ColourKind::Back), "FF6610");
        EXPECT_EQ((std::array<int, 3>{16, 102, 255}), logic.bars());
    }
}

TEST_F(SetupLogicTest, CancelWritesBackTheLoadColoursAndKeepsTheHostAndPlayerPaths) {
    SetupLogic logic(state);
    logic.load();
    logic.pickSwatch(19);
    logic.applyStyle(0);
    prompter.expectFolder("/srv/other matrices").expectFolder("/srv/Tessera 2").expectFile("/usr/bin/vlc");
    EXPECT_TRUE(logic.browseMatrixFolder());
    logic.browseTesseraFolder();
    logic.browsePlayer();
    mainView.calls.clear();
    EXPECT_TRUE(logic.cancel());
    values.tessera = "/srv/Tessera 2";
    values.player = "/usr/bin/vlc";
    EXPECT_EQ(editorIni(), editorIniBytes(values));
    EXPECT_TRUE(mainView.calls.empty());
    EXPECT_FALSE(fs::exists(program / "Matrix" / "Matrix_Info.ini"));
}

TEST_F(SetupLogicTest, ApplyStoresTheThreePathsAndRepaintsTheMainWindow) {
    TempFolder other;
    SetupLogic logic(state);
    logic.load();
    prompter.expectFolder(other.path().string()).expectFolder("/srv/Tessera").expectFile("/usr/bin/vlc");
    EXPECT_TRUE(logic.browseMatrixFolder());
    logic.browseTesseraFolder();
    logic.browsePlayer();
    logic.apply();
    values.matrixFolder = other.path().string();
    values.tessera = "/srv/Tessera";
    values.player = "/usr/bin/vlc";
    EXPECT_EQ(editorIni(), editorIniBytes(values));
    EXPECT_EQ(state.txtPath, other.path().string());
    EXPECT_EQ(mainView.calls, (std::vector<std::string>{"refreshMatrixList", "applyMainColours"}));
    EXPECT_TRUE(fs::is_empty(other.path()));
}

TEST_F(SetupLogicTest, CancelOnAFirstRunKeepsTheUsersCustomDescriptions) {
    state.txtCheckMatrixInfo.clear();
    program.write("Matrix/Matrix_Info_Custom.ini", "[mine.mtx]\r\nInfo1=kept\r\n");
    SetupLogic logic(state);
    logic.load();
    prompter.expect(std::string(kMatrixFolderCreated));
    EXPECT_TRUE(logic.cancel());
    EXPECT_EQ(program.read("Matrix/Matrix_Info_Custom.ini"), "[mine.mtx]\r\nInfo1=kept\r\n");
}

TEST_F(SetupLogicTest, RestoreKeepsUserMatricesAndDescriptions) {
    const std::string custom = "[mine.mtx]\r\nInfo1=My own\r\nInfo2=matrix\r\n";
    program.write("Matrix/Matrix_Info_Custom.ini", custom);
    program.write("Matrix/Mine.mtx", "user bytes");
    program.write("Matrix/4-Medium_High(3200-4000).mtx", "99 99\r\n");
    program.write("Matrix/Matrix_Info.ini", "broken");
    SetupLogic logic(state);
    logic.load();
    logic.restoreDefaultMatrices();
    EXPECT_EQ(program.read("Matrix/Matrix_Info.ini"), std::string(defaultMatrixInfo()) + "\r\n" + custom + "\r\n");
    EXPECT_EQ(program.read("Matrix/Mine.mtx"), "user bytes");
    EXPECT_EQ(program.read("Matrix/Matrix_Info_Custom.ini"), custom);
    for (const auto name : kDefaultMatrixNames)
        EXPECT_EQ(program.read("Matrix/" + std::string(name)), std::string(defaultMatrixText(name)) + "\r\n");
    EXPECT_EQ(mainView.calls, std::vector<std::string>{"resetView"});
    EXPECT_EQ(editorIni(), editorIniBytes(values));
}

TEST_F(SetupLogicTest, MatricesFolderButtonLogsTheChoiceAndKeepsThePathOnCancel) {
    SetupLogic logic(state);
    logic.load();
    prompter.expectFolder("");
    EXPECT_FALSE(logic.browseMatrixFolder());
    EXPECT_EQ(logic.lblMatPath(), values.matrixFolder);
    EXPECT_EQ(logLines().back(), "SETUP: Matrices folder defined as ");
    ASSERT_EQ(prompter.fileDialogTitles().size(), 1u);
    EXPECT_EQ(prompter.fileDialogTitles()[0], "Select the Matrices Folder");

    // Without a language file name the default set goes into the chosen folder at once.
    TempFolder chosen;
    state.txtLang.clear();
    prompter.expectFolder(chosen.path().string() + "/");
    EXPECT_TRUE(logic.browseMatrixFolder());
    EXPECT_EQ(logic.lblMatPath(), chosen.path().string());
    const auto lines = logLines();
    EXPECT_EQ(lines[lines.size() - 2], "SETUP: Matrices folder defined as " + chosen.path().string());
    EXPECT_EQ(lines.back(), "SETUP: Default Matrices created");
    EXPECT_EQ(chosen.read("1-High_High(4000+).mtx"), std::string(defaultMatrixText("1-High_High(4000+).mtx")) + "\r\n");
    EXPECT_EQ(editorIni(), editorIniBytes(values));
}

TEST_F(SetupLogicTest, APathWindows1252CannotHoldIsRefusedBeforeAnythingIsWritten) {
    SetupLogic logic(state);
    logic.load();
    const std::string before = program.read("BUG.DEB");
    const std::string greek = "/srv/\xCE\xA3\xCE\xBF"; // Σο
    prompter.expectFolder(greek).expect("").expectFolder(greek).expect("").expectFile(greek).expect("");
    EXPECT_FALSE(logic.browseMatrixFolder());
    logic.browseTesseraFolder();
    logic.browsePlayer();
    ASSERT_EQ(prompter.shown().size(), 3u);
    EXPECT_EQ(prompter.shown()[0].text, unstorablePathMessage(greek));
    EXPECT_NE(prompter.shown()[0].text.find("/srv/??"), std::string::npos);
    EXPECT_EQ(prompter.shown()[0].icon, PromptIcon::Exclamation);
    EXPECT_EQ(logic.lblMatPath(), values.matrixFolder);
    EXPECT_EQ(logic.lblTesseraPath(), values.tessera);
    EXPECT_EQ(logic.lblPlayerPath(), values.player);
    EXPECT_EQ(program.read("BUG.DEB"), before);

    // A Western European name is kept as Windows-1252.
    prompter.expectFolder("/srv/Vid\xC3\xA9os");
    logic.browseTesseraFolder();
    EXPECT_EQ(logic.lblTesseraPath(), "/srv/Vid\xE9os");
}

TEST_F(SetupLogicTest, PlayerButtonAsksForAnyFileAndCancelEmptiesThePath) {
    SetupLogic logic(state);
    logic.load();
    prompter.expectFile("/usr/bin/mpv").expectFile("");
    logic.browsePlayer();
    EXPECT_EQ(logic.lblPlayerPath(), "/usr/bin/mpv");
    logic.browsePlayer();
    EXPECT_EQ(logic.lblPlayerPath(), "");
    ASSERT_EQ(prompter.fileDialogTitles().size(), 2u);
    EXPECT_EQ(prompter.fileDialogTitles()[0], "  Media Player Selection");
    ASSERT_EQ(prompter.fileDialogFilters()[0].size(), 1u);
    EXPECT_EQ(prompter.fileDialogFilters()[0][0].description, "Executable");
    EXPECT_EQ(prompter.fileDialogFilters()[0][0].patterns, "*");
}

TEST_F(SetupLogicTest, FolderNamesWithOuterBlanksReadBackWhole) {
    fs::create_directories(program / "Videos ");
    const std::string videos = (program / "Videos ").string();
    SetupLogic logic(state);
    logic.load();
    prompter.expectFolder(videos).expectFolder("/srv/Tessera ").expectFile("/usr/bin/vlc ");
    EXPECT_TRUE(logic.browseMatrixFolder());
    logic.browseTesseraFolder();
    logic.browsePlayer();
    logic.apply();
    EXPECT_EQ(state.txtPath, videos);
    const auto ini = program / "Editor.ini";
    EXPECT_EQ(ini::GetValue("Config", "MatrixFolder", ini), videos);
    EXPECT_EQ(ini::GetValue("Config", "TesseraFolder", ini), "/srv/Tessera ");
    EXPECT_EQ(ini::GetValue("Config", "Player", ini), "/usr/bin/vlc ");
    SetupLogic reopened(state);
    reopened.load();
    EXPECT_EQ(reopened.lblMatPath(), videos);
}
