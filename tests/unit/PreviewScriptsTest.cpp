// The scripts of a test encode (editor.avs, preview.avs, encode.avs) against golden files, the filter
// text, and the keys written into Tessera.ini, which keeps every other byte.
#include "preview/PreviewScripts.h"
#include "GoldenFile.h"
#include "preview/Filters.h"
#include "preview/HostMatrices.h"

namespace quire::test {
namespace {

using namespace preview;

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
