// The prepared Tessera project: loading it for the preview window, listing and showing its segments,
// encoder detection and the encoders' command lines, and the numbers read from and written to it.
#include "PreviewFixture.h"

#include "preview/EncoderCommand.h"
#include "preview/HostNumbers.h"
#include "preview/SegmentDetails.h"

#include <algorithm>
#include <array>

namespace quire::test {
namespace {

using preview::LoadPreview;
using PreviewProjectTest = PreviewFixture;

TEST_F(PreviewProjectTest, ReadsTheProjectInOrderWithEveryLogLine) {
    ASSERT_TRUE(LoadPreview(context, state));
    EXPECT_EQ(logLines(), golden("load.log"));
    const auto& p = state.project;
    EXPECT_EQ(
        p.Bitrate + " " + p.txtDif + " " + p.Percent + " " + p.hc_opv_q_factor + " " + p.txtNumKeys + " " +
            p.HC_VBR_Bias + " " + p.OPVHC + " " + p.OPVCCE + " " + p.ProcoderPath + " " + masked(p.txtCmdLine),
        "819 81 9.89 4.5 6 20 0 0 /opt/enc/eclpro.INI \"/opt/enc/cce.exe\" -ecl \"<P>/Preview/preview.ecl\" -batch");
    EXPECT_EQ(view.calls, (std::vector<std::string>{"disableEncoderIndicators", "selectEncoder 2",
                                                    "enableCceGroupLabel", "setActionCaptions", "playIdleScript",
                                                    "disableApplyOptions", "showSegmentList"}));
    EXPECT_EQ(view.caption, preview::kSelectSegmentCaption);
    EXPECT_EQ(state.segmentList, state.segmentFiles);
}

// An ILVU section first: the first segment is the one of section three. Its bitrate at 23.976 frames a
// second in the log as Bitrate | txtDif | Percent.
TEST_F(PreviewProjectTest, IlvuAtSectionZeroTakesTheFirstSegmentFromSectionThree) {
    ini::SetValue("V010001_V001001", "Frame_Rate_Code", "1", inf());
    ini::SetValue("V010001_V001001", "Frames", "2400", inf());
    ini::SetValue("item", "vbr_brate_avg", "900", ecl());
    writeBytes(inf(), "[ILVU]\r\nCount=1\r\n" + readBytes(inf()));
    ASSERT_TRUE(LoadPreview(context, state));
    const auto& p = state.project;
    EXPECT_EQ(p.txtFirstSection + " " + p.txt1stSection + " " + p.audioSectors, "ILVU V010001_V001001 1000");
    EXPECT_TRUE(logged("LPREV0011: 1STSECT = V010001_V001001 [UPDATED!]"));
    EXPECT_TRUE(logged("LPREV0026: Bitrate Calculation OK_ Value Codes= 818 | 82 | 10.02"));
}

// Each abort shows its message once, logs its line last and closes the window.
TEST_F(PreviewProjectTest, AbortsWithTheirMessages) {
    static const std::string eclBox = "The file 'Tessera.ecl' doesn't exist!\n" + std::string(preview::kPrepareLine);
    const std::string infBox = "The file 'Tessera.inf' doesn't exist!\n" + std::string(preview::kPrepareLine);
    static const std::string eclLog = "WARNING: 'Tessera.ecl' could not be read - ABORTING!!!";
    // The change to the project: a key set or, without a section, the file removed.
    struct Case {
        const char* name;
        fs::path (PreviewProject::*file)() const;
        std::string section, key, value;
        std::vector<std::string> boxes{eclBox};
        std::string lastLog = eclLog;
    };
    const std::string project(ini::kProjectMessage);
    const std::vector<std::string> infBoxes = {project, project, infBox}, reJig = {std::string(preview::kReJigMessage)};
    const Case cases[] = {
        {"no control list", &PreviewProject::ecl, "", "", ""},
        {"no information file", &PreviewProject::inf, "", "", "", infBoxes,
         "WARNING: 'Tessera.inf' could not be read - ABORTING!!!"},
        {"ReJig", &PreviewProject::inf, "Status", "mode", "0", reJig, "LPREV0018: ReJig Mode Selected - ABORTING!"},
        // A failed encoder detection (DetectEncoderTest holds its rules) aborts as a missing control list.
        {"CCE without edition", &PreviewProject::inf, "Status", "ccetype", ""},
        {"no frames", &PreviewProject::inf, "V010001_V001001", "Frames", "0"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PreviewProject f;
        if (c.section.empty())
            fs::remove((f.*c.file)());
        else
            ini::SetValue(c.section, c.key, c.value, (f.*c.file)());
        for (const auto& box : c.boxes)
            f.prompter.expect(box);
        EXPECT_FALSE(LoadPreview(f.context, f.state));
        EXPECT_EQ(f.logLines().back() + " | " + f.view.calls.back(), c.lastLog + " | closeWindow");
        EXPECT_TRUE(f.prompter.done());
    }
}

// A user whose locale writes "4,5" sees that, while every number for an encoder or a file keeps ".".
TEST_F(PreviewProjectTest, NumbersForEncodersStayLocaleFreeUnderACommaLocale) {
    bool loaded = false;
    {
        CommaDecimalLocale comma;
        context.separators = preview::separatorsOf();
        ini::SetValue("Status", "mode", "2", inf());
        ini::SetValue("item", "vbr_brate_avg", "1000.5", ecl());
        loaded = LoadPreview(context, state);
        preview::BuildQuEncCommand(context, state, "V010001_V001001.avs");
    }
    ASSERT_TRUE(loaded);
    const auto& p = state.project;
    EXPECT_EQ(p.hc_opv_q_factor + " " + p.hc_opv_point + " " + p.txtDif + " " + p.Percent, "4,5 4.5 181.5 22.16");
    EXPECT_TRUE(logged("LPREV0020: HC OPV Factor calculated as: 4.5") && p.txtCmdLine.find(',') == std::string::npos);
}

TEST_F(PreviewProjectTest, FilterBoxesPickTheSegments) {
    const std::vector<std::string> all = {"V010001_V001001.avs", "V010002_V001002.avs", "v020001_V002001.AVS"};
    // Movie, Extras, the list and the log line.
    const std::tuple<bool, bool, std::vector<std::string>, std::string> cases[] = {
        {true, true, all, "SEGL00005: List All Segments"},
        {true, false, {all[0], all[1]}, "SEGL00003: List 'Main Movie' Only"},
        {false, true, {all[2]}, "SEGL00002: List 'Extras' Only"},
        {false, false, all, "SEGL00004: List All Segments"}};
    for (const auto& [movie, extras, list, line] : cases) {
        SCOPED_TRACE(line);
        state.movie = movie;
        state.extras = extras;
        view.calls.clear();
        preview::RefreshSegmentList(context, state);
        EXPECT_TRUE(logged(line));
        const bool switched = !movie && !extras;
        EXPECT_EQ(std::tuple(state.segmentList, view.shownList, view.calls.front() == "setFilterBoxes 11", state.movie,
                             state.extras),
                  std::tuple(list, list, switched, movie || switched, extras || switched));
        state.segmentPattern = "*.avs";
    }
    EXPECT_EQ(state.analysisPattern, "ANALYSIS.ECL");
}

TEST_F(PreviewProjectTest, ExtrasOnlyWithNothingLeftShowsTheNotice) {
    fs::remove(context.workFolder / "v020001_V002001.AVS");
    state.movie = false;
    preview::RefreshSegmentList(context, state);
    const std::vector<std::string> notice = {"No 'Extras' found!", "", "Make sure you didn't select",
                                             "'MOVIE ONLY' Under", "Tessera's Menu Mode!"};
    EXPECT_EQ(view.shownList, notice);
    const auto lines = logLines();
    EXPECT_EQ(std::vector<std::string>(lines.end() - 3, lines.end()),
              (std::vector<std::string>{"SEGU00004: Segment Loaded OK", "SEGL00007: No 'Extras' found!",
                                        "SEGL00008: Analysis Pattern OK"}));
}

// Selections one after another on the same window, each shown as its fields and the view's calls in one
// line: a segment without an entry keeps what it cannot compute.
TEST_F(PreviewProjectTest, SelectionsFillTheFields) {
    const std::tuple<std::string, std::string, std::string, char> cases[] = {
        {"V010001_V001001.avs", "81", "9.89", '.'}, {"V010002_V001002.avs", "81", "9.89", '.'},
        {"v020001_V002001.AVS", "-5", "-20.", ','}, {"v020001_V002001.AVS", "0", ".", '.'},
        {"V090009_V009009.avs", "0", ".", '.'},     {"V.avs", "0", ".", '.'}};
    std::vector<std::string> lines;
    for (const auto& [item, dif, percent, point] : cases) {
        state.project.txtDif = dif;
        state.project.Percent = percent;
        context.separators = {point, point == '.' ? ',' : '.'};
        view.calls.clear();
        preview::ShowSegmentDetails(context, state, item);
        const auto& p = state.project;
        std::string line = p.txtVTS + " | " + p.txtVob + " | " + p.txtSegment + " | " + p.txtTotalSize + " | " +
                           p.txtVideoSize + " | " + p.txtAudioSize + " | " + p.txtDuration + " | " + p.txtVBR + " | " +
                           p.txtFrameRate + " | " + p.txtSegIndex;
        for (const auto& call : view.calls)
            line += " | " + call;
        lines.push_back(line);
    }
    EXPECT_EQ(lines, golden("details.lines"));
    EXPECT_EQ(state.project.ActionInf + "/" + state.project.Frames, "0/");
}

// Each case in one line: success, indicator (-1: none), HC profile, CCE group labels enabled, the log.
TEST(DetectEncoderTest, ModeAndEditionSelectOneIndicator) {
    const std::array<std::string, 4> cases[] = {{"0", "", "1", "You can't use Matrices on ReJig Mode"},
                                                {"2", "", "3", ""},
                                                {"3", "", "2", "Canopus ProCoder doesn't support custom matrices!!!"},
                                                {"1", "0", "2", "CCE 2.50 doesn't support custom matrices!!!"},
                                                {"1", "", "1", ""},
                                                {"5", "", "", ""}};
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

// The CCE SP form is in ReadsTheProjectInOrderWithEveryLogLine.
TEST_F(PreviewProjectTest, HcAndCce250GetTheirExecutableAndForm) {
    ini::SetValue("Paths", "CCE250", "", ini());
    const std::pair<preview::EncoderKind, std::string> cases[] = {
        {preview::EncoderKind::Hc, "\"/opt/enc/hcenc.exe\" -ini \"<P>/Preview/preview.ini\""},
        {preview::EncoderKind::Cce250, "\"\" -ecl \"<P>/Preview/preview.ecl\" -batch"}};
    for (const auto& [kind, line] : cases) {
        state.encoder = kind;
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
        {{{Ini, "Options", "QuEncodeType", "1"}, {Ini, "Options", "DCPREC", "3"}}, false}};
    std::vector<std::string> lines;
    for (const auto& [changes, analysed] : cases) {
        PreviewProject f;
        ini::SetValue("Status", "mode", "2", f.inf());
        for (const auto& [file, section, key, value] : changes)
            ini::SetValue(section, key, value, file == Ini ? f.ini() : file == Inf ? f.inf() : f.ecl());
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

TEST(HostNumbers, FormatsWithOptionalDigits) {
    const std::tuple<double, const char*, const char*, const char*> cases[] = {
        // value, whole "##", percent "#.##", grouped "##,##0.00"
        {12.5, "13", "12.5", "12.50"},
        {0.25, "", ".25", "0.25"},
        {9.890109, "10", "9.89", "9.89"},
        {-20, "-20", "-20.", "-20.00"},
        {0, "", ".", "0.00"},
        {1234567.891, "1234568", "1234567.89", "1,234,567.89"},
        {-0.4, "", "-.4", "-0.40"}};
    for (const auto& [value, whole, percent, grouped] : cases)
        EXPECT_EQ(preview::formatWhole(value) + " " + preview::formatPercent(value) + " " +
                      preview::formatGrouped(value, '.', ','),
                  std::string(whole) + " " + percent + " " + grouped);
    EXPECT_EQ(std::tuple(preview::toNumber("-20."), preview::toNumber(".25"), preview::toNumber("4,5")),
              std::tuple(-20.0, 0.25, std::nullopt));
}

} // namespace
} // namespace quire::test
