// The control files of a test encode (preview.ecl, preview.ini, temp.cqm), compared whole with golden
// files, and the encode run that reports around them.
#include "preview/ControlList.h"
#include "GoldenFile.h"
#include "preview/EncoderCommand.h"
#include "preview/SegmentDetails.h"
#include "support/RecordingRunner.h"
#include "ui/Localisation.h"

namespace quire::test {
namespace {

using namespace preview;

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
        set(inf(), "Status", "mode", c.mode);
        set(inf(), "Status", "ccetype", c.ccetype);
        set(ini(), "Options", "HC_OPV", c.opv);
        if (c.mode == "3")
            prompter.expect(std::string(kProCoderRefusal));
        ASSERT_TRUE(LoadPreview(context, state));
        set(inf(), "V010001_V001001", "Video_Sectors", "6000");
        set(inf(), "V010001_V001001", "Pulldown", "1");
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
    EXPECT_EQ(runner.styles(), std::vector<WindowStyle>{WindowStyle::Minimised});
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

} // namespace
} // namespace quire::test
