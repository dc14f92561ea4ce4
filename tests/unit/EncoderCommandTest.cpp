// Encoder detection and the encoders' command lines.
#include "PreviewFixture.h"

#include "preview/EncoderCommand.h"
#include "preview/SegmentDetails.h"

namespace quire::test {
namespace {

using preview::EncoderKind;

using DetectEncoderTest = PreviewFixture;

TEST_F(DetectEncoderTest, ModeAndEditionSelectOneIndicator) {
    struct Case {
        std::string mode, cce, quality;
        bool ok;
        int indicator; // -1: none
        std::string box;
        std::vector<std::string> logs;
        std::string profile;
    };
    const Case cases[] = {
        {"0",
         "",
         "1",
         true,
         7,
         "You can't use Matrices on ReJig Mode",
         {"ENCDEF001: ReJig Mode detected", "ENCDEF006.2: HC Quality = Normal"},
         "NORMAL"},
        {"2", "", "3", true, 4, "", {"ENCDEF003: QuEnc Mode detected", "ENCDEF006.3: HC Quality = BEST"}, "BEST"},
        {"3",
         "",
         "2",
         true,
         6,
         "Canopus ProCoder doesn't support custom matrices!!!",
         {"ENCDEF004: ProCoder Mode detected"},
         ""},
        {"1",
         "0",
         "2",
         true,
         1,
         "CCE 2.50 doesn't support custom matrices!!!",
         {"ENCDEF005: CCE Mode detected", "ENCDEF005.1: CCE Mode = 2.50"},
         ""},
        {"1", "9", "2", true, -1, "", {"ENCDEF005: CCE Mode detected"}, ""},
        {"1", "", "1", false, -1, "", {"ENCDEF005: CCE Mode detected"}, "unchanged"},
        {"5", "", "", false, 5, "", {"ENCDEF002: HC Mode detected"}, "unchanged"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode + "/" + c.cce + "/" + c.quality);
        PreviewProject f;
        auto& p = f.state.project;
        p.txtMode = c.mode;
        p.txtCCE = c.cce;
        p.txtHCQuality = c.quality;
        p.HCQuality = "unchanged";
        if (!c.box.empty())
            f.prompter.expect(c.box);
        EXPECT_EQ(preview::DetectEncoder(f.context, f.state), c.ok);
        EXPECT_EQ(f.logLines(), c.logs);
        EXPECT_EQ(f.state.encoder ? static_cast<int>(*f.state.encoder) : -1, c.indicator);
        EXPECT_EQ(f.state.project.HCQuality, c.profile);
        const bool cce = c.indicator >= 0 && c.indicator <= 3;
        EXPECT_EQ(std::count(f.view.calls.begin(), f.view.calls.end(), "enableCceGroupLabel"), cce ? 1 : 0);
    }
}

using BuildEncoderCommandTest = PreviewFixture;

TEST_F(BuildEncoderCommandTest, EachKindGetsItsExecutableAndForm) {
    const std::string ecl = " -ecl \"<P>/Preview/preview.ecl\" -batch";
    const std::pair<std::optional<EncoderKind>, std::string> cases[] = {
        {EncoderKind::Hc, "\"/opt/enc/hcenc.exe\" -ini \"<P>/Preview/preview.ini\""},
        {EncoderKind::CceSp, "\"/opt/enc/cce.exe\"" + ecl},
        {EncoderKind::Cce250, "\"\"" + ecl},
        {std::nullopt, "\"as before\"" + ecl},
    };
    set(ini(), "Paths", "CCE250", "");
    for (const auto& [kind, line] : cases) {
        state.encoder = kind;
        state.project.txtEncoder = "\"as before\"";
        preview::BuildEncoderCommand(context, state);
        std::string shown = state.project.txtCmdLine;
        shown.replace(shown.find(program.string()), program.string().size(), "<P>");
        EXPECT_EQ(shown, line);
    }
}

using QuEncCommandTest = PreviewFixture;

// The road of a QuEnc test encode: the window opens, loads the project, the user selects a segment and
// a matrix; the changes are made to the host files first.
TEST_F(QuEncCommandTest, GoldenCommandLines) {
    enum File { Ini, Inf, Ecl };
    struct Case {
        std::vector<std::tuple<File, std::string, std::string, std::string>> changes;
        bool analysed;
        std::string matrix, filter, line;
    };
    const std::string head = "\"/opt/enc/quenc.exe\" -i \"<P>/Preview/encode.avs\" -o \"<P>/Preview/V010001_V001001_";
    const std::string segment = "V010001_V001001";
    const Case cases[] = {
        {{},
         false,
         "No_Matrix",
         "No_Filter",
         head + "No_Matrix_No_Filter.m2v\" -b 900 -maxbitrate 8000 -aspectratio 16:9 -2 -vbr -dc 9 -hq -noscene "
                "-trell -interlaced -nocmatrix -mpeg2 -auto -close"},
        {{{Ecl, "item", "progressive", "1"}, {Ini, "Options", "DCPREC", "0"}, {Inf, segment, "Aspect_Ratio", "2"}},
         true,
         "Sharp",
         "Undot",
         head + "Sharp_Undot.m2v\" -b 45 -maxbitrate 8000 -aspectratio 4:3  -dc  -hq -noscene -trell -nointerlaced "
                "-cmatrix \"<P>/Preview/temp.cqm\" -mpeg2 -auto -close"},
        {{{Ini, "Options", "QuEncodeType", "2"},
          {Ini, "Options", "QTrellis", "0"},
          {Ini, "Options", "QuEncHQ", ""},
          {Ini, "Options", "QuEncScene", "1"},
          {Ini, "Options", "DCPREC", ""},
          {Inf, segment, "Aspect_Ratio", ""}},
         false,
         "No_Matrix",
         "No_Filter",
         head + "No_Matrix_No_Filter.m2v\" -b 900 -maxbitrate 8000 -aspectratio 4:3 -1 -vbr -dc 8 -nohq -scene "
                "-notrell -interlaced -nocmatrix -mpeg2 -auto -close"},
        {{{Ini, "Options", "QuEncodeType", "1"}, {Ini, "Options", "DCPREC", "3"}},
         false,
         "No_Matrix",
         "No_Filter",
         head + "No_Matrix_No_Filter.m2v\" -b 45 -maxbitrate 8000 -aspectratio 16:9  -dc 10 -hq -noscene -trell "
                "-interlaced -nocmatrix -mpeg2 -auto -close"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        PreviewProject f;
        set(f.inf(), "Status", "mode", "2");
        for (const auto& [file, section, key, value] : c.changes)
            set(file == Ini ? f.ini() : file == Inf ? f.inf() : f.ecl(), section, key, value);
        if (c.analysed)
            writeBytes(f.context.workFolder / "analysis.ecl", "[item]\r\n");
        preview::RefreshSegmentList(f.context, f.state);
        ASSERT_TRUE(preview::LoadPreview(f.context, f.state));
        preview::ShowSegmentDetails(f.context, f.state, segment + ".avs");
        f.state.matrixName = c.matrix;
        f.state.FilterName = c.filter;
        preview::BuildQuEncCommand(f.context, f.state, segment + ".avs");
        std::string line = f.state.project.txtCmdLine;
        for (auto at = line.find(f.program.string()); at != std::string::npos; at = line.find(f.program.string()))
            line.replace(at, f.program.string().size(), "<P>");
        EXPECT_EQ(line, c.line);
        EXPECT_EQ(f.logged("QUENCDEF: OPV ON"), c.analysed);
    }
}

} // namespace
} // namespace quire::test
