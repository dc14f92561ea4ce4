// The details of a selected segment.
#include "PreviewFixture.h"

#include "preview/SegmentDetails.h"

namespace quire::test {
namespace {

using preview::HostProject;
using SegmentDetailsTest = PreviewFixture;

// The shown fields in one line, to compare a whole selection at once.
std::string shown(const HostProject& p) {
    return p.txtVTS + " | " + p.txtVob + " | " + p.txtSegment + " | " + p.txtTotalSize + " | " + p.txtVideoSize +
           " | " + p.txtAudioSize + " | " + p.txtDuration + " | " + p.txtVBR + " | " + p.txtFrameRate + " | " +
           p.txtSegIndex;
}

// Selections one after another on the same window: a segment without an entry keeps what it cannot compute.
TEST_F(SegmentDetailsTest, SelectionsFillTheFields) {
    struct Case {
        std::string item, dif, percent;
        preview::NumberSeparators separators;
        std::string fields, aspect;
    };
    const Case cases[] = {
        {"V010001_V001001.avs",
         "81",
         "9.89",
         {'.', ','},
         "VTS_01 | VOB ID 001 | Cell ID 001 | 11.72MB | 9.77MB | 1.95MB | Aprox. 00:01:40 | VBR 900 | 25 fps | 2",
         "showAspect 16:9"},
        {"V010002_V001002.avs",
         "81",
         "9.89",
         {'.', ','},
         "VTS_01 | VOB ID 001 | Cell ID 002 | 8.00MB | 8.00MB | 0.00MB | Aprox. 00:01:00 | VBR 0 | 25 fps | 4",
         "showAspect 4:3"},
        {"v020001_V002001.AVS",
         "-5",
         "-20.",
         {',', '.'},
         "VTS_02 | VOB ID 002 | Cell ID 001 | 2.344,75MB | 2.343,75MB | 1,00MB | Aprox. 00:01:20 | VBR 157129 | "
         "29,97 fps | 2",
         "showAspect 16:9"},
        {"v020001_V002001.AVS",
         "0",
         ".",
         {'.', ','},
         "VTS_02 | VOB ID 002 | Cell ID 001 | 2,344.75MB | 2,343.75MB | 1.00MB | Aprox. 00:01:20 | VBR 196411 | "
         "29.97 fps | 2",
         "showAspect 16:9"},
        {"V090009_V009009.avs",
         "0",
         ".",
         {'.', ','},
         "VTS_09 | VOB ID 009 | Cell ID 009 | 2,344.75MB | 2,343.75MB | 1.00MB | Aprox. 00:01:20 | VBR 196411 | "
         "29.97 fps | 18",
         ""},
        {"V.avs",
         "0",
         ".",
         {'.', ','},
         "VTS_09 | VOB ID 009 | Cell ID 009 | 2,344.75MB | 2,343.75MB | 1.00MB | Aprox. 00:01:20 | VBR 196411 | "
         "29.97 fps | 18",
         ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.item);
        state.project.txtDif = c.dif;
        state.project.Percent = c.percent;
        context.separators = c.separators;
        view.calls.clear();
        preview::ShowSegmentDetails(context, state, c.item);
        EXPECT_EQ(shown(state.project), c.fields);
        EXPECT_EQ(view.calls, c.aspect.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.aspect});
    }
    EXPECT_EQ(state.project.ActionInf, "0");
    EXPECT_EQ(state.project.Frames, "");
}

TEST_F(SegmentDetailsTest, BasicKeepsTheIndexDigitsAndHoursWrapAtADay) {
    set(inf(), "V010002_V001002", "Frames", "2250000");
    state.encoder = preview::EncoderKind::CceBasic;
    state.project.txtDif = "0";
    preview::ShowSegmentDetails(context, state, "V010002_V001002.avs");
    EXPECT_EQ(state.project.txtSegIndex, "0002");
    EXPECT_EQ(state.project.Duration, "01:00:00");
    EXPECT_EQ(state.project.ILVU, "1");
    EXPECT_EQ(state.project.txtPulldown, "0");
    EXPECT_EQ(state.project.ActionInf, "1");
}

} // namespace
} // namespace quire::test
