// The details of a selected segment.
#include "PreviewFixture.h"

#include "preview/SegmentDetails.h"

namespace quire::test {
namespace {

using SegmentDetailsTest = PreviewFixture;

// Selections one after another on the same window, each shown as its fields and the view's calls in one
// line: a segment without an entry keeps what it cannot compute.
TEST_F(SegmentDetailsTest, SelectionsFillTheFields) {
    const std::tuple<std::string, std::string, std::string, char> cases[] = {
        {"V010001_V001001.avs", "81", "9.89", '.'}, {"V010002_V001002.avs", "81", "9.89", '.'},
        {"v020001_V002001.AVS", "-5", "-20.", ','}, {"v020001_V002001.AVS", "0", ".", '.'},
        {"V090009_V009009.avs", "0", ".", '.'},     {"V.avs", "0", ".", '.'},
    };
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

TEST_F(SegmentDetailsTest, BasicKeepsTheIndexDigitsAndHoursWrapAtADay) {
    set(inf(), "V010002_V001002", "Frames", "2250000");
    state.encoder = preview::EncoderKind::CceBasic;
    state.project.txtDif = "0";
    preview::ShowSegmentDetails(context, state, "V010002_V001002.avs");
    const auto& p = state.project;
    EXPECT_EQ(p.txtSegIndex + " " + p.Duration + " " + p.ILVU + " " + p.txtPulldown + " " + p.ActionInf,
              "0002 01:00:00 1 0 1");
}

} // namespace
} // namespace quire::test
