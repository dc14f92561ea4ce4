// Encoder detection and the encoders' command lines.
#include "PreviewFixture.h"

#include "preview/EncoderCommand.h"

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
        {"5", "", "0", true, 5, "", {"ENCDEF002: HC Mode detected", "ENCDEF006.1: HC Quality = Fast"}, "FAST"},
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
        {"1", "1", "2", true, 2, "", {"ENCDEF005: CCE Mode detected", "ENCDEF005.2: CCE Mode = SP"}, ""},
        {"1", "2", "2", true, 0, "", {"ENCDEF005: CCE Mode detected", "ENCDEF005.3: CCE Mode = Basic"}, ""},
        {"1", "3", "2", true, 3, "", {"ENCDEF005: CCE Mode detected", "ENCDEF005.4: CCE Mode = 2.70 Trial"}, ""},
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
        {EncoderKind::QuEnc, "\"/opt/enc/quenc.exe\"" + ecl},
        {EncoderKind::CceSp, "\"/opt/enc/cce.exe\"" + ecl},
        {EncoderKind::Cce270, "\"/opt/enc/cce.exe\"" + ecl},
        {EncoderKind::CceBasic, "\"/opt/enc/ccebasic.exe\"" + ecl},
        {EncoderKind::Cce250, "\"\"" + ecl},
        {EncoderKind::ProCoder, "\"/opt/enc/eclpro.exe\"" + ecl},
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

TEST_F(QuEncCommandTest, GoldenCommandLines) {
    struct Case {
        std::vector<std::pair<std::string, std::string>> options;
        bool analysed;
        std::string progressive, dcprec, aspect, matrix, filter, line;
    };
    const std::string head = "\"/opt/enc/quenc.exe\" -i \"<P>/Preview/encode.avs\" -o \"<P>/Preview/V010001_V001001_";
    const Case cases[] = {
        {{},
         false,
         "0",
         "2",
         "3",
         "No_Matrix",
         "No_Filter",
         head + "No_Matrix_No_Filter.m2v\" -b 900 -maxbitrate 8000 -aspectratio 16:9 -2 -vbr -dc 9 -hq -noscene "
                "-trell -interlaced -nocmatrix -mpeg2 -auto -close"},
        {{},
         true,
         "1",
         "0",
         "2",
         "Sharp",
         "Undot",
         head + "Sharp_Undot.m2v\" -b 45 -maxbitrate 8000 -aspectratio 4:3  -dc  -hq -noscene -trell -nointerlaced "
                "-cmatrix \"<P>/Preview/temp.cqm\" -mpeg2 -auto -close"},
        {{{"QuEncodeType", "2"}, {"QTrellis", "0"}, {"QuEncHQ", ""}, {"QuEncScene", "1"}},
         false,
         "0",
         "",
         "",
         "No_Matrix",
         "No_Filter",
         head + "No_Matrix_No_Filter.m2v\" -b 900 -maxbitrate 8000 -aspectratio 4:3 -1 -vbr -dc 8 -nohq -scene "
                "-notrell -interlaced -nocmatrix -mpeg2 -auto -close"},
        {{{"QuEncodeType", "1"}},
         false,
         "0",
         "3",
         "3",
         "No_Matrix",
         "No_Filter",
         head + "No_Matrix_No_Filter.m2v\" -b 45 -maxbitrate 8000 -aspectratio 16:9  -dc 10 -hq -noscene -trell "
                "-interlaced -nocmatrix -mpeg2 -auto -close"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        PreviewProject f;
        for (const auto& [key, value] : c.options)
            set(f.ini(), "Options", key, value);
        if (c.analysed)
            writeBytes(f.context.workFolder / "analysis.ecl", "[item]\r\n");
        auto& p = f.state.project;
        p.txtProgressive = c.progressive;
        p.vbr_brate_max = "8000";
        p.opv_q_factor = "45";
        p.DCPREC = c.dcprec;
        p.txtAspectRatio = c.aspect;
        p.BitrateFinal = "900";
        p.txtEncoder = "\"/opt/enc/quenc.exe\"";
        f.state.analysisFolder = f.context.workFolder;
        f.state.analysisPattern = "ANALYSIS.ECL";
        f.state.matrixName = c.matrix;
        f.state.FilterName = c.filter;
        preview::ReadQuEncOptions(f.context, f.state);
        preview::BuildQuEncCommand(f.context, f.state, "V010001_V001001.avs");
        std::string line = p.txtCmdLine;
        for (auto at = line.find(f.program.string()); at != std::string::npos; at = line.find(f.program.string()))
            line.replace(at, f.program.string().size(), "<P>");
        EXPECT_EQ(line, c.line);
        EXPECT_EQ(f.logged("QUENCDEF: OPV ON"), c.analysed);
    }
}

} // namespace
} // namespace quire::test
