// The files of a test encode compared whole with golden files under tests/data/preview/golden: the
// control files (preview.ecl, preview.ini, temp.cqm) with the encode run that reports around them, the
// scripts (editor.avs, preview.avs, encode.avs), the filter text, and the keys written into Tessera.ini,
// which keeps every other byte. They are written under a comma-decimal locale that the generators must
// not notice.
//
// To regenerate the golden files on purpose, run the tests with QUIRE_UPDATE_GOLDEN=1: each comparison
// then writes its golden file instead of checking it. Read every rewritten file before committing it.
#include "PreviewFixture.h"

#include "preview/ControlList.h"
#include "preview/EncoderCommand.h"
#include "preview/Filters.h"
#include "preview/HostMatrices.h"
#include "preview/PreviewScripts.h"
#include "preview/SegmentDetails.h"
#include "support/RecordingRunner.h"
#include "ui/Localisation.h"

#include <cstdlib>
#include <fstream>

namespace quire::test {
namespace {

using namespace preview;

inline const fs::path kEncodeData = fs::path(QUIRE_TEST_DATA) / "preview" / "encode";

// The preview project with the program's Preview folder and its first segment selected, under the
// comma-decimal locale.
class GoldenFixture : public PreviewFixture {
protected:
    GoldenFixture() {
        fs::create_directories(program / "Preview");
        state.segment = "V010001_V001001.avs";
        context.separators = preview::separatorsOf();
    }
    fs::path preview(std::string_view name) const { return program / "Preview" / name; }

    // The generated file, with the program folder written as "<P>", against the golden file.
    void expectGolden(const fs::path& generated, std::string_view name) const {
        const std::string actual = masked(readBytes(generated));
        const fs::path golden = fs::path(QUIRE_TEST_DATA) / "preview" / "golden" / name;
        if (const char* update = std::getenv("QUIRE_UPDATE_GOLDEN"); update && std::string_view(update) == "1")
            std::ofstream(golden, std::ios::binary) << actual;
        else
            EXPECT_EQ(actual, readBytes(golden)) << "golden file " << name;
    }

    CommaDecimalLocale comma;
};

struct EncodeCase {
    std::string golden, mode, ccetype, eclFile; // <golden>.ecl, and <golden>.ini for HC Encoder
    bool noMatrix;
    std::string works, opv;
};

class EncodeTest : public GoldenFixture {
protected:
    // Loads the project as the case sets it, shows the first segment (given 6000 video sectors and
    // pulldown) and the matrix, and prepares.
    void prepare(const EncodeCase& c) {
        fs::copy_file(kEncodeData / c.eclFile, ecl(), fs::copy_options::overwrite_existing);
        ini::SetValue("Status", "mode", c.mode, inf());
        ini::SetValue("Status", "ccetype", c.ccetype, inf());
        ini::SetValue("Options", "HC_OPV", c.opv, ini());
        if (c.mode == "3")
            prompter.expect(std::string(kProCoderRefusal));
        ASSERT_TRUE(LoadPreview(context, state));
        ini::SetValue("V010001_V001001", "Video_Sectors", "6000", inf());
        ini::SetValue("V010001_V001001", "Pulldown", "1", inf());
        ShowSegmentDetails(context, state, state.segment);
        state.matrixFolder = kEncodeData;
        state.matrixFile = "Custom1.mtx";
        state.noMatrix = c.noMatrix;
        state.matrixName = c.noMatrix ? "No_Matrix" : "Custom1";
        state.CCEWorks = c.works;
        ASSERT_TRUE(CopySegmentSection(context, state) && CopyFileSection(context, state));
        EXPECT_EQ(view.progress, 15);
    }
};

class ControlFileGolden : public EncodeTest, public ::testing::WithParamInterface<EncodeCase> {};

TEST_P(ControlFileGolden, MatchesItsGoldenFiles) {
    const EncodeCase& c = GetParam();
    prepare(c);
    state.txtPlayer = "player";
    state.txtShellMode = "2";
    RecordingRunner runner;
    runner.answer(RunResult::ran(0));
    prompter.expect(std::string(kEncodingCompleted));
    EncodeWithControlList(context, state, runner);

    expectGolden(preview("preview.ecl"), c.golden + ".ecl");
    if (c.mode == "5")
        expectGolden(preview("preview.ini"), c.golden + ".ini");
    EXPECT_EQ(runner.commandLines(), std::vector<std::string>{state.project.txtCmdLine});
}

INSTANTIATE_TEST_SUITE_P(Cases, ControlFileGolden,
                         ::testing::Values(EncodeCase{"cce-sp", "1", "1", "Tessera.ecl", false, "", "0"},
                                           EncodeCase{"cce-sp-no-matrix", "1", "1", "Tessera.ecl", true, "", "0"},
                                           EncodeCase{"cce-basic", "1", "2", "TesseraBasic.ecl", false, "", "0"},
                                           EncodeCase{"cce-works", "1", "3", "Tessera.ecl", false, "1", "0"},
                                           EncodeCase{"procoder", "3", "", "Tessera.ecl", true, "", "0"},
                                           EncodeCase{"hc", "5", "", "Tessera.ecl", false, "", "0"},
                                           EncodeCase{"hc-no-matrix", "5", "", "Tessera.ecl", true, "", "0"},
                                           EncodeCase{"hc-opv", "5", "", "Tessera.ecl", false, "", "1"}));

// QuEnc's encoder cannot be started and no player is set: the user hears of both, and the encode still ends.
TEST_F(EncodeTest, QuEncRunThatCannotStartStillCompletesAndAsksForAPlayer) {
    ASSERT_TRUE(WriteLanguageFiles(prompter, program));
    prepare({"", "2", "", "Tessera.ecl", false, "", "0"});
    state.txtShellMode = "1";
    RecordingRunner runner;
    runner.answer(RunResult::couldNotStart("The program quenc could not be started"));
    prompter.expect("The program quenc could not be started")
        .expect(std::string(kEncodingCompleted))
        .expect("The path to a media player isn't defined!!! Please, point it on Setup dialog.");
    EncodeWithQuEnc(context, state, runner);
    EXPECT_NE(runner.commandLines().at(0).find(" -cmatrix \"" + preview("temp.cqm").string() + "\""),
              std::string::npos);
    EXPECT_EQ(std::vector(view.calls.end() - 2, view.calls.end()),
              (std::vector<std::string>{"refreshEncodedFiles", "disableEncodedFiles"}));
    EXPECT_EQ(view.caption, kEncodedCaption);
}

// Odd runs of line breaks keep one; with 90 keys or more there are no passes at all.
TEST(Normalisation, PassesDependOnTheKeyCount) {
    EXPECT_EQ(normaliseControlList("a\r\n\r\n\r\nb\r\n\r\n", 88, false), "a\r\nb");
    EXPECT_EQ(normaliseControlList("a\r\n\r\n\r\nb\r\n\r\n", 90, false), "a\r\n\r\n\r\nb\r\n\r\n");
}

// A value above 255 has no one-byte code: such a file gives none.
TEST_F(EncodeTest, TempCqmHoldsTheMatrixAs128Bytes) {
    ASSERT_TRUE(writeTempCqm(prompter, program, kEncodeData, "Custom1.mtx"));
    const std::string bytes = readBytes(preview("temp.cqm"));
    EXPECT_EQ(std::to_string(bytes.size()) + bytes.substr(0, 3) + bytes.substr(125), "128\x08\x10\x13\x1e\x1f\x21");
    EXPECT_EQ(ParseMatrixCodes("256" + readBytes(kEncodeData / "Custom1.mtx").substr(2)), "");

    prompter.expect("The Quant Matrix file: Gone.mtx cannot be opened!").expect(std::string(kBadMatrixMessage));
    EXPECT_FALSE(writeTempCqm(prompter, program, kEncodeData, "Gone.mtx"));
    EXPECT_EQ(prompter.shown()[0].title + " " + std::to_string(prompter.shown()[0].icon == PromptIcon::Critical),
              "DVD-TA ERROR 1");
    EXPECT_EQ(readBytes(preview("temp.cqm")), bytes);
}

using ScriptTest = GoldenFixture;

struct ScriptCase {
    std::string golden, mode, ILVU, ActionInf;
    int videoFormat;
    std::string backColor;
};

class PreviewScriptGolden : public ScriptTest, public ::testing::WithParamInterface<ScriptCase> {};

// The segment scripts come from the encode data, in the project's copy of it.
TEST_P(PreviewScriptGolden, MatchesItsGoldenFile) {
    const auto& c = GetParam();
    context.workFolder = temp / "encode";
    state.project.txtMode = c.mode;
    state.project.ILVU = c.ILVU;
    state.project.ActionInf = c.ActionInf;
    state.videoFormat = c.videoFormat;
    state.backColor = c.backColor;
    ASSERT_TRUE(WritePreviewScript(context, state));
    expectGolden(preview("preview.avs"), c.golden);
    EXPECT_EQ(view.calls, (std::vector<std::string>{"setPlayerFile " + preview("preview.avs").string(), "play",
                                                    "enablePlayPause", "setActionCaptions"}));
    EXPECT_EQ(view.caption, kChooseMatrixCaption);
}

// The blanked notice takes its colour from a background of red 255, green 255, blue 0 (written as 16).
INSTANTIATE_TEST_SUITE_P(Cases, PreviewScriptGolden,
                         ::testing::Values(ScriptCase{"preview-cce.avs", "1", "0", "0", 0, "16737808"},
                                           ScriptCase{"preview-quenc.avs", "2", "0", "0", 2, "16737808"},
                                           ScriptCase{"preview-hc.avs", "5", "0", "0", 1, "16737808"},
                                           ScriptCase{"ilvu.avs", "1", "1", "1", 0, "16737808"},
                                           ScriptCase{"blanked.avs", "1", "0", "1", 0, "65535"},
                                           ScriptCase{"slideshow.avs", "5", "0", "2", 1, "16737808"}));

TEST_F(ScriptTest, IdleScriptIsLoggedStepByStep) {
    ASSERT_TRUE(WriteEditorScript(context, state));
    expectGolden(preview("editor.avs"), "editor.avs");
    EXPECT_EQ(logLines(),
              (std::vector<std::string>{"EDAVS0001: OK", "EDAVS0002: OK", "EDAVS0003: OK", "EDAVS0004: OK"}));
    EXPECT_EQ(view.calls, (std::vector<std::string>{"setPlayerFile " + preview("editor.avs").string(), "play"}));
}

TEST(FilterText, TickedFiltersNameTheFilterSetAndTheDeenCallFollowsItsMode) {
    const std::string expected[] = {"No_Filter||00", "Deen|Deen() |11", "Undot|Undot() |10",
                                    "Undot_Deen|Undot() Deen() |11"};
    for (int ticked = 0; ticked < 4; ++ticked) {
        PreviewState state;
        state.filters.undot = ticked & 2;
        state.filters.deen = ticked & 1;
        UpdateFilterChoice(state);
        const auto& f = state.filters;
        EXPECT_EQ(state.FilterName + "|" + f.txtScript + "|" + std::to_string(f.applyFiltersEnabled) +
                      std::to_string(f.advancedEnabled),
                  expected[ticked]);
    }
    FilterPanel panel;
    BuildDeenCall(panel);
    EXPECT_EQ(panel.DeenData, R"(Deen("c3d",rad=1,thrY=10,thrUV=12,tthY=0,tthUV=0,min=1.00))");
    panel.mode = "2d";
    BuildDeenCall(panel);
    EXPECT_EQ(panel.DeenData, R"(Deen("c2d",rad=1,thrY=10,thrUV=12,min=1.00))");
}

// The filter text goes before each of the script's two Convert calls; HC Encoder also gets ConvertToYUY2.
TEST_F(ScriptTest, EncodeScriptCarriesTheFilterTextBeforeEveryConvert) {
    context.workFolder = temp / "encode";
    state.project.txtMode = "5";
    state.filters.txtScript = "Undot() Deen() ";
    ASSERT_TRUE(WriteEncodeScript(context, state));
    state.segment = "Missing.avs";
    EXPECT_FALSE(WriteEncodeScript(context, state));
    expectGolden(preview("encode.avs"), "encode.avs");
}

// Filters and a host matrix written into a hand-edited Tessera.ini change only their own keys.
TEST_F(ScriptTest, TesseraIniKeepsEveryByteButTheKeysWritten) {
    fs::copy_file(kEncodeData / "TesseraFilters.ini", ini(), fs::copy_options::overwrite_existing);
    state.filters.txtScript = "Undot()\r\nDeen(\"c3d\",rad=2)\r\nSharpen(0.5, 0.5)";
    ASSERT_TRUE(WriteHostFilters(context, state));
    state.matrixFile = "2-high_medium(4000).mtx";
    state.optApply = 1;
    ApplyHostMatrix(context, state);
    expectGolden(ini(), "Tessera.after.ini");
}

} // namespace
} // namespace quire::test
