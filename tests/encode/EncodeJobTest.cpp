// The encoder stand-in's job checks, its FFmpeg arguments and its three front-ends, without running
// anything.
#include "EncodeMatrices.h"
#include "FrontEnds.h"
#include "MediaProbe.h"

#include "support/TempFolder.h"

#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <iterator>
#include <sstream>

using namespace quire::encode;
using quire::test::asymmetric;
using quire::test::matrixRows;
namespace fs = std::filesystem;

namespace {

EncodeJob goodJob() {
    EncodeJob job;
    job.input = "/in.y4m";
    job.output = "/out.m2v";
    job.averageKbps = 5000;
    job.maximumKbps = 8000;
    return job;
}

} // namespace

TEST(EncodeCheck, RefusesBadJobsAndClampsTheRangeEnd) {
    // The range a job is accepted with ("clamped" when its end was past the clip), or a part of the
    // one-line reason it is refused for.
    struct Case {
        const char* name;
        std::function<void(EncodeJob&)> change;
        int frames;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"whole clip", [](EncodeJob&) {}, 20, "0-19"},
        {"Quire's one-past end", [](EncodeJob& j) { j.lastFrame = 20; }, 20, "0-19 clamped"},
        {"one frame", [](EncodeJob& j) { j.firstFrame = 19, j.lastFrame = 19; }, 20, "19-19"},
        {"start past the clip", [](EncodeJob& j) { j.firstFrame = 20; }, 20, "refused: first frame 20 is outside"},
        {"end before start", [](EncodeJob& j) { j.firstFrame = 5, j.lastFrame = 4; }, 20, "refused: comes before"},
        {"empty clip", [](EncodeJob&) {}, 0, "refused: no frames"},
        {"uncounted, every frame", [](EncodeJob&) {}, kNotCounted, "0-end"},
        {"uncounted, a range", [](EncodeJob& j) { j.lastFrame = 5; }, kNotCounted, "refused: not counted"},
        {"matrix 0", [](EncodeJob& j) { (j.matrices = asymmetric())->at(70) = 0; }, 20,
         "refused: value 71 of 128 is 0"},
        {"matrix 256", [](EncodeJob& j) { (j.matrices = asymmetric())->at(0) = 256; }, 20, "refused: value 1 of 128"},
        {"matrix 1 and 255", [](EncodeJob& j) { (j.matrices = asymmetric())->at(1) = 1, j.matrices->at(2) = 255; }, 20,
         "0-19"},
        {"max above DVD", [](EncodeJob& j) { j.maximumKbps = 9801; }, 20, "refused: maximum bitrate 9801"},
        {"avg above max", [](EncodeJob& j) { j.averageKbps = 8001; }, 20, "refused: average bitrate 8001"},
        {"avg zero", [](EncodeJob& j) { j.averageKbps = 0; }, 20, "refused: average bitrate 0"},
        {"min above max", [](EncodeJob& j) { j.minimumKbps = 9000; }, 20, "refused: minimum bitrate"},
        {"quantiser mode ignores avg",
         [](EncodeJob& j) { j.mode = RateMode::Quantiser, j.quantiser = 4.5, j.averageKbps = 0; }, 20, "0-19"},
        {"quantiser 0", [](EncodeJob& j) { j.mode = RateMode::Quantiser, j.quantiser = 0; }, 20,
         "refused: quantiser range"},
        {"dc 11", [](EncodeJob& j) { j.dcPrecision = 11; }, 20, "refused: DC precision 11"},
        {"rate code 9", [](EncodeJob& j) { j.frameRateCode = 9; }, 20, "refused: frame rate code 9"},
        {"aspect code 5", [](EncodeJob& j) { j.aspectCode = 5; }, 20, "refused: aspect ratio code 5"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EncodeJob job = goodJob();
        c.change(job);
        const CheckResult result = checkJob(job, ClipInfo{720, 576, 25, 1, c.frames});
        const std::string outcome = result.range
                                        ? std::to_string(result.range->first) + "-" +
                                              (result.range->toEnd() ? "end" : std::to_string(result.range->last)) +
                                              (result.range->clamped ? " clamped" : "")
                                        : "refused: " + result.reason;
        if (c.expected.starts_with("refused: "))
            EXPECT_TRUE(outcome.find(c.expected.substr(9)) != std::string::npos && !result.range &&
                        result.reason.find('\n') == std::string::npos)
                << outcome;
        else
            EXPECT_EQ(outcome, c.expected);
    }
}

TEST(EncodeArguments, CarryEveryJobSetting) {
    const std::string common =
        "ffmpeg -hide_banner -nostdin -y -loglevel error -i /src.y4m -map 0:v:0 -an -sn -dn -vf ";
    struct Case {
        std::function<void(EncodeJob&)> change;
        FrameRange range;
        int pass;
        std::string expected; // after `common`
    };
    const std::vector<Case> cases = {
        {[](EncodeJob& j) {
             j.dcPrecision = 10, j.nonLinearQuantiser = true, j.aspectCode = 3, j.interlaced = true,
             j.frameRateCode = 4, j.minimumKbps = 1000;
         },
         {5, 14, false},
         2,
         "trim=start_frame=5:end_frame=15,settb=1001/30000,setpts=N,scale=iw:ih:interl=1,format=yuv420p -r "
         "30000/1001 -fps_mode passthrough -c:v mpeg2video -g 18 -bf 2 -flags +cgop+ilme+ildct -sc_threshold "
         "1000000000 -top 1 -maxrate 8000k -bufsize 1835008 -minrate 1000k -b:v 5000k -dc 10 -non_linear_quant 1 "
         "-qmax 28 -aspect 16:9 -mbd bits -pass 2 -passlogfile /log -f mpeg2video /out.m2v"},
        {[](EncodeJob& j) { j.speed = Speed::Best; },
         {0, 39, false},
         1,
         "trim=start_frame=0:end_frame=40,settb=1/25,setpts=N,format=yuv420p -r 25/1 -fps_mode passthrough -c:v "
         "mpeg2video -g 15 -bf 2 -flags +cgop -sc_threshold 1000000000 -maxrate 8000k -bufsize 1835008 -b:v 5000k "
         "-dc 8 -mbd rd -cmp 2 -subcmp 2 -trellis 1 -pass 1 -passlogfile /log -f null /dev/null"},
        {[](EncodeJob& j) {
             j.mode = RateMode::Quantiser, j.quantiser = 4.5, j.maximumKbps.reset(), j.trellis = true,
             j.speed = Speed::Fast;
         },
         {0, kNotCounted, false},
         0,
         "trim=start_frame=0,settb=1/25,setpts=N,format=yuv420p -r 25/1 -fps_mode passthrough -c:v mpeg2video -g 15 "
         "-bf 2 -flags +cgop -sc_threshold 1000000000 -maxrate 9800k -bufsize 1835008 -q:v 4.5 -dc 8 -mbd simple "
         "-trellis 1 -f mpeg2video /out.m2v"}};
    // The matrices, which go over in raster order, are read back from real encodes by the program tests.
    for (const Case& c : cases) {
        EncodeJob job = goodJob();
        c.change(job);
        std::string line;
        for (const std::string& arg :
             ffmpegArguments(job, ClipInfo{720, 576, 25, 1, 40}, c.range, "/src.y4m", c.pass, "/log"))
            line += (line.empty() ? "" : " ") + arg;
        EXPECT_EQ(line, common + c.expected);
    }
}

// Every field of a job on one line, so that a table can say what a control text gives.
std::string summary(const ParseResult& parsed) {
    if (!parsed.job)
        return "refused: " + parsed.error;
    const EncodeJob& j = *parsed.job;
    const char* modes[] = {"2pass", "1pass", "quant"};
    const char* speeds[] = {"fast", "normal", "best"};
    std::ostringstream out;
    out << j.input.string() << " > " << j.output.string() << " " << modes[static_cast<int>(j.mode)] << " avg "
        << j.averageKbps << " max " << (j.maximumKbps ? std::to_string(*j.maximumKbps) : "-") << " q " << j.quantiser
        << " frames " << j.firstFrame << "-" << (j.lastFrame ? std::to_string(*j.lastFrame) : "end") << " dc "
        << j.dcPrecision << " aspect " << j.aspectCode << " rate " << j.frameRateCode
        << (j.interlaced ? " interlaced" : "") << (j.nonLinearQuantiser ? " nonlinear" : "")
        << (j.matrices ? (*j.matrices == asymmetric() ? " matrix" : " other-matrix") : "") << " "
        << speeds[static_cast<int>(j.speed)] << (j.trellis ? " trellis" : "") << " notes " << j.notes.size();
    return out.str();
}

TEST(EncodeFrontEnds, QuEncCommandLines) {
    quire::test::TempFolder folder;
    std::string cqm;
    for (const int v : asymmetric())
        cqm += static_cast<char>(v);
    folder.write("temp.cqm", cqm);
    folder.write("short.cqm", cqm.substr(1));
    const std::string in = folder.path().string() + "/in.avs > " + folder.path().string() + "/out.m2v ";
    // As Quire writes them: two-pass; one-pass; Tessera's quality factor without a pass switch and "-dc"
    // left without a precision.
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"-i in.avs -o out.m2v -b 4000 -maxbitrate 8000 -aspectratio 16:9 -2 -vbr -dc 9 -hq -scene -trell "
         "-interlaced -cmatrix temp.cqm -mpeg2 -auto -close",
         in + "2pass avg 4000 max 8000 q 0 frames 0-end dc 9 aspect 3 rate 0 interlaced matrix best trellis notes 1"},
        {"-i in.avs -o out.m2v -b 3000 -maxbitrate 8000 -aspectratio 4:3 -1 -vbr -dc 10 -nohq -noscene -notrell "
         "-nointerlaced -nocmatrix -mpeg2 -auto -close",
         in + "1pass avg 3000 max 8000 q 0 frames 0-end dc 10 aspect 2 rate 0 normal notes 0"},
        {"-i in.avs -o out.m2v -b 45 -maxbitrate 8000 -aspectratio 4:3  -dc  -nohq -noscene -notrell",
         in + "quant avg 0 max 8000 q 4.5 frames 0-end dc 8 aspect 2 rate 0 normal notes 1"},
        {"-i a -o b -b 1 -cmatrix short.cqm",
         "refused: the matrix file " + (folder / "short.cqm").string() + " holds 127 bytes, not 128"},
        {"-i a -o b -b 1 -cmatrix none.cqm", "refused: cannot read the matrix file " + (folder / "none.cqm").string()},
        {"-i a -o b -b x", "refused: -b needs a whole number (kbit/s, or the quality factor without a pass switch)"},
        {"-i a -o b", "refused: -i INPUT, -o OUTPUT and -b RATE are required"},
        {"-i a -o b -b 1 -aspectratio 2:1", "refused: -aspectratio takes 4:3 or 16:9, not \"2:1\""},
        {"-i a -o b -b 1 -bogus", "refused: unknown option or missing value: \"-bogus\""}};
    for (const auto& [line, expected] : cases) {
        std::istringstream text(line);
        const std::vector<std::string> words{std::istream_iterator<std::string>(text), {}};
        EXPECT_EQ(summary(parseQuEncArguments(words, folder.path())), expected) << line;
    }
}

TEST(EncodeFrontEnds, HcSettingsFiles) {
    const std::string head = "*BATCH\r\n*PROFILE  BEST\r\n*INFILE  Z:\\p\\encode.avs\r\n*OUTFILE  rel\\out.m2v\r\n";
    const std::string paths = "/p/encode.avs > /w/rel/out.m2v ";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {head + "*BITRATE  0\r\n*MAXBITRATE  7000\r\n*WAIT 0\r\n*BIAS 20\r\n*CQ_MAXBITRATE  4.5\r\n*CUSTOMMATRIX\r\n" +
             matrixRows(0, 8, " ", "\r\n") + "\r\n" + matrixRows(8, 8, " ", "\r\n") +
             "*DC_PREC 10\r\n*ASPECT 4:3\r\n*INTERLACED\r\n*NEWTHING 1\r\n",
         paths + "quant avg 0 max 7000 q 4.5 frames 0-end dc 10 aspect 2 rate 0 interlaced matrix best notes 2"},
        {"*PROFILE  \r\n*INFILE  a.avs\r\n*OUTFILE  b.m2v\r\n*BITRATE  3000\r\n*ASPECT 16:9\r\n",
         "/w/a.avs > /w/b.m2v 2pass avg 3000 max - q 0 frames 0-end dc 8 aspect 3 rate 0 normal notes 0"},
        {head + "*CUSTOMMATRIX\r\n" + matrixRows(0, 15, " ", "\r\n"), "refused: *CUSTOMMATRIX holds 15 rows, not 16"},
        {head + "*CUSTOMMATRIX\r\n8 9 10\r\n", "refused: line 6: a matrix row must be eight numbers"},
        {head + "*BITRATE  fast\r\n", "refused: line 5: *BITRATE needs a whole number of kbit/s"},
        {"*BITRATE  10\r\n", "refused: *INFILE and *OUTFILE are required"}};
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(summary(parseHcSettings(text, "/w/preview.ini")), expected) << text;
}

TEST(EncodeFrontEnds, ControlListLayouts) {
    // SP, 2.70 and ProCoder: settings and rows (each ending in a tab) in [item], the source in [file].
    const std::string sp = "; Cinema Craft Encoder SP -- Encoder Control List\r\n\r\n[item]\r\nprogressive=0\r\n"
                           "vbr_brate_max=8000\r\nvbr_brate_avg=1310\r\nframe_rate_idx=3\r\naspect_ratio=3\r\n"
                           "pulldown_detect=1\r\nqmat_idx=-1\r\nq_scale_type=1\r\nqmat= \r\n"
                           "vid_file0=Z:\\q\\Preview\\s.m2v\r\nvid_file1=Z:\\q\\Preview\\s.m2v\r\n";
    const std::string file = "[file]\r\nname=Z:\\q\\Preview\\encode.avs\r\nframe_first=0\r\nframe_last=75\r\n"
                             "encode_first=0\r\nencode_last=75\r\n";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {sp + matrixRows(0, 16, " ", "\t\r\n") + "\r\n\r\n" + file,
         "/q/Preview/encode.avs > /q/Preview/s.m2v 2pass avg 1310 max 8000 q 0 frames 0-75 dc 8 aspect 3 rate 3 "
         "interlaced nonlinear matrix normal notes 1"},
        // Basic: everything in [item], encode_last one past the last frame, the default matrices.
        {"[item]\r\ntitle=preview\r\nprogressive=1\r\nvbr_brate_max=6000\r\nvbr_brate_avg=3000\r\naspect_ratio=2\r\n"
         "qmat_idx=0\r\nvid_file=basic.m2v\r\nname=clip.y4m\r\nframe_first=0\r\nframe_last=20\r\nencode_first=2\r\n"
         "encode_last=11\r\n\r\n[file]\r\n",
         "/e/clip.y4m > /e/basic.m2v 2pass avg 3000 max 6000 q 0 frames 2-11 dc 8 aspect 2 rate 0 normal notes 0"},
        {"[item]\r\nvid_file=o\r\nintra_dc_prec=2\r\nqmat_idx=3\r\n[file]\r\nname=a\r\n",
         "/e/a > /e/o 2pass avg 0 max - q 0 frames 0-end dc 10 aspect 0 rate 0 normal notes 1"},
        {sp + matrixRows(0, 15, ",", "\r\n") + file, "refused: qmat_idx=-1 needs 16 matrix rows in [item], found 15"},
        {"[item]\r\nvid_file=o\r\n[file]\r\nframe_first=0\r\n", "refused: the control list names no source (key name)"},
        {"[item]\r\n[file]\r\nname=a\r\n",
         "refused: the control list names no output (key vid_file, vid_file0 or vid_file1)"},
        {"[item]\r\nvid_file=o\r\nvbr_brate_avg=lots\r\n[file]\r\nname=a\r\n",
         "refused: vbr_brate_avg=lots is not a whole number"}};
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(summary(parseControlList(text, "/e/preview.ecl")), expected) << text;
}

TEST(EncodeProbe, ReadsSizeRateAndCountFromTheFirstBytes) {
    const std::string y4m = "YUV4MPEG2 W6 H4 F30000:1001 It A1:1 C420jpeg\n";
    const std::uint64_t frame = 6 + 6 * 4 + 2 * 3 * 2;
    const auto facts = [](const std::optional<ClipInfo>& c) {
        return c ? std::make_tuple(c->width, c->height, c->rateNum, c->rateDen, c->frames)
                 : std::make_tuple(0, 0, 0, 0, 0);
    };
    EXPECT_EQ(facts(probeHeader(y4m + "FRAME\n", y4m.size() + 7 * frame)), std::make_tuple(6, 4, 30000, 1001, 7));
    // A cut last frame, or 4:2:2 samples of another size, leave the count to ffprobe.
    EXPECT_EQ(probeHeader(y4m + "FRAME\n", y4m.size() + 7 * frame - 1)->frames, kNotCounted);
    const std::string y422 = "YUV4MPEG2 W6 H4 F25:1 C422\n";
    EXPECT_EQ(probeHeader(y422 + "FRAME\n", y422.size() + 3 * (6 + 24 + 24))->frames, 3);
    // An MPEG sequence header after some other bytes: 720x576, 4:3, code 3 (25 frames/s).
    const std::string mpeg = std::string("\0\0\1\xBA junk", 9) + std::string("\0\0\1\xB3\x2D\x02\x40\x23\0\0\0\0", 12);
    EXPECT_EQ(facts(probeHeader(mpeg, 1 << 20)), std::make_tuple(720, 576, 25, 1, kNotCounted));
    EXPECT_FALSE(probeHeader("RIFF....AVI LIST", 1000));
}
