// Encoder detection and the encoders' command lines.
#include "PreviewFixture.h"

#include "preview/EncoderCommand.h"
#include "preview/SegmentDetails.h"

#include <algorithm>
#include <array>

namespace quire::test {
namespace {

using preview::EncoderKind;

// Each case in one line: success, indicator (-1: none), HC profile, CCE group labels enabled, the log.
TEST(DetectEncoderTest, ModeAndEditionSelectOneIndicator) {
    const std::array<std::string, 4> cases[] = {
        {"0", "", "1", "You can't use Matrices on ReJig Mode"},
        {"2", "", "3", ""},
        {"3", "", "2", "Canopus ProCoder doesn't support custom matrices!!!"},
        {"1", "0", "2", "CCE 2.50 doesn't support custom matrices!!!"},
        {"1", "9", "2", ""},
        {"1", "", "1", ""},
        {"5", "", "", ""},
    };
    std::vector<std::string> lines;
    for (const auto& [mode, cce, quality, box] : cases) {
        PreviewProject f;
        auto& p = f.state.project;
        p.txtMode = mode;
        p.txtCCE = cce;
        p.txtHCQuality = quality;
        p.HCQuality = "unchanged";
        if (!box.empty())
            f.prompter.expect(box);
        const bool ok = preview::DetectEncoder(f.context, f.state);
        std::string line = std::to_string(ok) + " " +
                           std::to_string(f.state.encoder ? static_cast<int>(*f.state.encoder) : -1) + " " +
                           p.HCQuality + " " + std::to_string(std::ranges::count(f.view.calls, "enableCceGroupLabel"));
        for (const auto& log : f.logLines())
            line += " | " + log;
        lines.push_back(line);
    }
    EXPECT_EQ(lines, PreviewProject::golden("detect.lines"));
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
        EXPECT_EQ(masked(state.project.txtCmdLine), line);
    }
}

// The road of a QuEnc test encode: the window opens, loads the project, the user selects a segment and
// a matrix; the changes are made to the host files first. A line starts "OPV ON" when that was logged.
TEST(QuEncCommandTest, GoldenCommandLines) {
    enum File { Ini, Inf, Ecl };
    using Change = std::tuple<File, std::string, std::string, std::string>;
    const std::string segment = "V010001_V001001";
    const std::pair<std::vector<Change>, bool> cases[] = {
        {{}, false},
        {{{Ecl, "item", "progressive", "1"}, {Ini, "Options", "DCPREC", "0"}, {Inf, segment, "Aspect_Ratio", "2"}},
         true},
        {{{Ini, "Options", "QuEncodeType", "2"},
          {Ini, "Options", "QTrellis", "0"},
          {Ini, "Options", "QuEncHQ", ""},
          {Ini, "Options", "QuEncScene", "1"},
          {Ini, "Options", "DCPREC", ""},
          {Inf, segment, "Aspect_Ratio", ""}},
         false},
        {{{Ini, "Options", "QuEncodeType", "1"}, {Ini, "Options", "DCPREC", "3"}}, false},
    };
    std::vector<std::string> lines;
    for (const auto& [changes, analysed] : cases) {
        PreviewProject f;
        PreviewProject::set(f.inf(), "Status", "mode", "2");
        for (const auto& [file, section, key, value] : changes)
            PreviewProject::set(file == Ini ? f.ini() : file == Inf ? f.inf() : f.ecl(), section, key, value);
        if (analysed)
            writeBytes(f.context.workFolder / "analysis.ecl", "[item]\r\n");
        preview::RefreshSegmentList(f.context, f.state);
        ASSERT_TRUE(preview::LoadPreview(f.context, f.state));
        preview::ShowSegmentDetails(f.context, f.state, segment + ".avs");
        f.state.matrixName = analysed ? "Sharp" : "No_Matrix";
        f.state.FilterName = analysed ? "Undot" : "No_Filter";
        preview::BuildQuEncCommand(f.context, f.state, segment + ".avs");
        lines.push_back((f.logged("QUENCDEF: OPV ON") ? "OPV ON | " : "") + f.masked(f.state.project.txtCmdLine));
    }
    EXPECT_EQ(lines, PreviewProject::golden("quenc.lines"));
}

} // namespace
} // namespace quire::test
