// Loading a prepared Tessera project and listing its segments.
#include "PreviewFixture.h"

#include "preview/EncoderCommand.h"

#include <array>
#include <functional>
#include <locale>

namespace quire::test {
namespace {

using preview::LoadPreview;

using LoadPreviewTest = PreviewFixture;

TEST_F(LoadPreviewTest, ReadsTheProjectInOrderWithEveryLogLine) {
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

// The bitrate line of the log: Bitrate | txtDif | Percent.
TEST_F(LoadPreviewTest, BitrateDifferenceAndPercent) {
    const std::array<std::string, 5> cases[] = {
        {"1", "2400", "5000", "900", "818 | 82 | 10.02"},   {"3", "2048", "4000", "900", "800 | 100 | 12.5"},
        {"3", "2048", "4000", "824", "800 | 24 | 3."},      {"3", "2048", "4000", "802", "800 | 2 | .25"},
        {"3", "2048", "4000", "830.4", "800 | 30.4 | 3.8"},
    };
    for (const auto& [code, frames, sectors, average, line] : cases) {
        PreviewProject f;
        set(f.inf(), "V010001_V001001", "Frame_Rate_Code", code);
        set(f.inf(), "V010001_V001001", "Frames", frames);
        set(f.inf(), "V010001_V001001", "Video_Sectors", sectors);
        set(f.ecl(), "item", "vbr_brate_avg", average);
        ASSERT_TRUE(LoadPreview(f.context, f.state));
        EXPECT_TRUE(f.logged("LPREV0026: Bitrate Calculation OK_ Value Codes= " + line)) << line;
    }
}

TEST_F(LoadPreviewTest, IlvuAtSectionZeroTakesTheFirstSegmentFromSectionThree) {
    const std::string body = readBytes(inf());
    writeBytes(inf(), "[ILVU]\r\nCount=1\r\n" + body);
    ASSERT_TRUE(LoadPreview(context, state));
    EXPECT_EQ(state.project.txtFirstSection, "ILVU");
    EXPECT_EQ(state.project.txt1stSection, "V010001_V001001");
    EXPECT_TRUE(logged("LPREV0011: 1STSECT = V010001_V001001 [UPDATED!]"));
    EXPECT_EQ(state.project.audioSectors, "1000");
}

// Each abort shows its message once, logs its line last and closes the window.
TEST_F(LoadPreviewTest, AbortsWithTheirMessages) {
    static const std::string eclBox = "The file 'Tessera.ecl' doesn't exist!\n" + std::string(preview::kPrepareLine);
    const std::string infBox = "The file 'Tessera.inf' doesn't exist!\n" + std::string(preview::kPrepareLine);
    static const std::string eclLog = "WARNING: 'Tessera.ecl' could not be read - ABORTING!!!";
    struct Case {
        const char* name;
        std::function<void(PreviewProject&)> change;
        std::vector<std::string> boxes{eclBox};
        std::string lastLog = eclLog;
    };
    const std::string project(ini::kProjectMessage);
    const Case cases[] = {
        {"no control list", [](auto& f) { fs::remove(f.ecl()); }},
        {"no information file",
         [](auto& f) { fs::remove(f.inf()); },
         {project, project, infBox},
         "WARNING: 'Tessera.inf' could not be read - ABORTING!!!"},
        {"ReJig",
         [](auto& f) { set(f.inf(), "Status", "mode", "0"); },
         {std::string(preview::kReJigMessage)},
         "LPREV0018: ReJig Mode Selected - ABORTING!"},
        {"empty HC quality", [](auto& f) { set(f.ini(), "Options", "HC_Quality", ""); }},
        {"CCE without edition", [](auto& f) { set(f.inf(), "Status", "ccetype", ""); }},
        {"no frames", [](auto& f) { set(f.inf(), "V010001_V001001", "Frames", "0"); }},
        {"no average bitrate", [](auto& f) { set(f.ecl(), "item", "vbr_brate_avg", ""); }},
        {"bitrate of nothing", [](auto& f) { set(f.inf(), "V010001_V001001", "Video_Sectors", "0"); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PreviewProject f;
        c.change(f);
        for (const auto& box : c.boxes)
            f.prompter.expect(box);
        EXPECT_FALSE(LoadPreview(f.context, f.state));
        EXPECT_EQ(f.logLines().back(), c.lastLog);
        EXPECT_EQ(f.view.calls.back(), "closeWindow");
        EXPECT_TRUE(f.prompter.done());
    }
}

TEST_F(LoadPreviewTest, WarnsWhenTheOpvFactorIsNoNumber) {
    set(ecl(), "item", "opv_q_factor", "high");
    state.project.hc_opv_point = "7.5";
    ASSERT_TRUE(LoadPreview(context, state));
    EXPECT_TRUE(logged("WARNING: HC OPV Factor couldn't be Calculated"));
    EXPECT_EQ(state.project.hc_opv_point, "7.5");
}

// A user whose locale writes "4,5" sees that, while every number for an encoder or a file keeps ".".
TEST_F(LoadPreviewTest, NumbersForEncodersStayLocaleFreeUnderACommaLocale) {
    struct Comma : std::numpunct<char> {
        char do_decimal_point() const override { return ','; }
        char do_thousands_sep() const override { return '.'; }
        std::string do_grouping() const override { return "\3"; }
    };
    const std::locale previous = std::locale::global(std::locale(std::locale::classic(), new Comma));
    context.separators = preview::separatorsOf();
    set(inf(), "Status", "mode", "2");
    set(ecl(), "item", "vbr_brate_avg", "1000.5");
    const bool loaded = LoadPreview(context, state);
    preview::BuildQuEncCommand(context, state, "V010001_V001001.avs");
    std::locale::global(previous);
    ASSERT_TRUE(loaded);
    const auto& p = state.project;
    EXPECT_EQ(p.hc_opv_q_factor + " " + p.hc_opv_point + " " + p.txtDif + " " + p.Percent, "4,5 4.5 181.5 22.16");
    EXPECT_TRUE(logged("LPREV0020: HC OPV Factor calculated as: 4.5"));
    EXPECT_EQ(state.project.txtCmdLine.find(','), std::string::npos);
}

using SegmentListTest = PreviewFixture;

TEST_F(SegmentListTest, FilterBoxesPickTheSegments) {
    const std::vector<std::string> all = {"V010001_V001001.avs", "V010002_V001002.avs", "v020001_V002001.AVS"};
    struct Case {
        bool movie, extras;
        std::vector<std::string> list;
        std::string log;
    };
    const Case cases[] = {
        {true, true, all, "SEGL00005: List All Segments"},
        {true, false, {all[0], all[1]}, "SEGL00003: List 'Main Movie' Only"},
        {false, true, {all[2]}, "SEGL00002: List 'Extras' Only"},
        {false, false, all, "SEGL00004: List All Segments"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.movie) + std::to_string(c.extras));
        state.movie = c.movie;
        state.extras = c.extras;
        view.calls.clear();
        preview::RefreshSegmentList(context, state);
        EXPECT_EQ(state.segmentList, c.list);
        EXPECT_EQ(view.shownList, c.list);
        EXPECT_TRUE(logged(c.log));
        EXPECT_EQ(state.analysisPattern, "ANALYSIS.ECL");
        const bool switched = !c.movie && !c.extras;
        EXPECT_EQ(view.calls.front() == "setFilterBoxes 11", switched);
        EXPECT_EQ(state.movie, c.movie || switched);
        EXPECT_EQ(state.extras, c.extras || switched);
        state.segmentPattern = "*.avs";
    }
}

TEST_F(SegmentListTest, ExtrasOnlyWithNothingLeftShowsTheNotice) {
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

TEST(ProjectFolder, FollowsTheWorkingPathOfTesseraIni) {
    TempFolder temp;
    temp.write("Tessera/Tessera.ini", "[Paths]\r\nWorking=Z:\\srv\\work\\\r\n");
    EXPECT_EQ(preview::projectFolder(temp / "Tessera"), fs::path("/srv/work/D2VAVS"));
}

} // namespace
} // namespace quire::test
