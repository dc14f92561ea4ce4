// Measures of real MPEG-2 encodes made with FFmpeg during the run, against a source the renderer
// reads through an encode script kept beside each file.
#include "preview/EncodeMetrics.h"

#include "support/TempFolder.h"

#include <chrono>
#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <thread>

namespace quire::preview {
namespace {

using test::TempFolder;

constexpr std::string_view kSourceScript = "FFVideoSource(\"source.y4m\")\r\n";

void run(const std::string& command) {
    ASSERT_EQ(std::system((command + " >/dev/null 2>&1").c_str()), 0) << command;
}

MeasureTools tools() {
    return {fs::path(QUIRE_BIN) / "quire-avs"};
}

class MeasureEncode : public ::testing::Test {
protected:
    // A moving 176x144 clip of 25 frames at 25 fps and its encode script.
    void SetUp() override {
        run("ffmpeg -y -f lavfi -i testsrc2=size=176x144:rate=25 -frames:v 25 -pix_fmt yuv420p '" +
            (temp / "source.y4m").string() + "'");
        temp.write("encode.avs", kSourceScript);
    }
    // Encodes the source with the given FFmpeg options into NAME.m2v and keeps the script beside it.
    fs::path encode(std::string_view name, const std::string& options) {
        const fs::path file = temp / name;
        run("ffmpeg -y -i '" + (temp / "source.y4m").string() + "' " + options + " -c:v mpeg2video -bf 2 '" +
            file.string() + "'");
        EXPECT_TRUE(keepEncodeScript(temp / "encode.avs", file));
        return file;
    }
    EncodeMetrics measure(const fs::path& file, double target = 0) {
        MeasureProgress progress;
        const MeasureResult result = MeasureEncodedFile(tools(), file, target, progress);
        EXPECT_TRUE(result.metrics) << file.filename() << ": " << result.why;
        EXPECT_EQ(progress.framesDone, result.metrics ? result.metrics->frames : -1);
        return result.metrics.value_or(EncodeMetrics{});
    }
    TempFolder temp;
};

TEST_F(MeasureEncode, AVeryLowBitrateMeasuresFarWorseThanAVeryHighOne) {
    const fs::path low = encode("low.m2v", "-q:v 31");
    const fs::path high = encode("high.m2v", "-q:v 2");
    const EncodeMetrics lo = measure(low, 100);
    const EncodeMetrics hi = measure(high, 100);
    for (const EncodeMetrics* m : {&lo, &hi}) {
        EXPECT_EQ(m->frames, 25);
        EXPECT_EQ(m->sourceFrames, 25);
        EXPECT_DOUBLE_EQ(m->rate, 25.0);
        EXPECT_DOUBLE_EQ(m->target, 100.0);
        // 25 frames at 25 fps: one second.
        EXPECT_NEAR(m->bitrate, static_cast<double>(m->size) * 8 / 1000, 1e-9);
        EXPECT_GT(m->ssim, 0.0);
        EXPECT_LE(m->ssim, 1.0);
        EXPECT_LE(m->psnrMin, m->psnrAll);
    }
    EXPECT_EQ(hi.size, fs::file_size(high));
    EXPECT_LT(lo.size, hi.size);
    // Frames paired by index: a high-bitrate encode is close to its source on every frame. Paired by
    // the streams' own times the encode is one frame off and measures about 25 dB.
    EXPECT_GT(hi.psnrY, 40.0);
    EXPECT_LT(hi.psnrY, 60.0);
    EXPECT_GT(hi.psnrMin, 38.0);
    EXPECT_GT(hi.ssim, 0.98);
    EXPECT_GT(lo.psnrY, 15.0);
    EXPECT_LT(lo.psnrY, hi.psnrY - 8);
    EXPECT_LT(lo.ssim, hi.ssim - 0.05);

    // Kept beside the file and read back as measured; gone once the file changes.
    EXPECT_EQ(savedMetrics(high), hi);
    std::int64_t time = 0;
    EXPECT_EQ(parseMetricsText(temp.read("high.m2v.metrics"), time), hi);
    fs::resize_file(high, fs::file_size(high) - 1);
    EXPECT_FALSE(savedMetrics(high));
}

TEST_F(MeasureEncode, FramePairingShowsFirstFramesThatDifferOrAreMissing) {
    // The first five frames blacked out: only those measure badly.
    const EncodeMetrics changed =
        measure(encode("changed.m2v", "-vf \"drawbox=enable='lt(n,5)':c=black:t=fill\" -q:v 2"));
    EXPECT_EQ(changed.frames, 25);
    EXPECT_LT(changed.psnrMin, 15.0);
    EXPECT_LT(changed.psnrAll, 25.0);
    // The first five frames dropped: frame 0 of the file is the source's frame 5 and no frame matches.
    const EncodeMetrics dropped = measure(encode("dropped.m2v", "-vf trim=start_frame=5,setpts=PTS-STARTPTS -q:v 2"));
    EXPECT_EQ(dropped.frames, 20);
    EXPECT_EQ(dropped.sourceFrames, 25);
    EXPECT_LT(dropped.psnrY, 25.0);
    EXPECT_NEAR(dropped.bitrate, static_cast<double>(dropped.size) * 8 / 0.8 / 1000, 1e-9);
}

TEST_F(MeasureEncode, FramesPipedByTheRendererMeasureAsTheSameFramesFromAFile) {
    // Undot runs in the renderer, which pipes its frames; the same frames kept in a file reach FFmpeg
    // directly. The same encode measures alike both ways.
    temp.write("undot.avs", "FFVideoSource(\"source.y4m\").Undot()\r\n");
    run("'" + tools().renderer.string() + "' '" + (temp / "undot.avs").string() + "' --y4m '" +
        (temp / "undot.y4m").string() + "'");
    temp.write("file.avs", "FFVideoSource(\"undot.y4m\")\r\n");
    const fs::path piped = encode("piped.m2v", "-q:v 4");
    const fs::path direct = temp / "direct.m2v";
    fs::copy_file(piped, direct);
    ASSERT_TRUE(keepEncodeScript(temp / "undot.avs", piped) && keepEncodeScript(temp / "file.avs", direct));
    const EncodeMetrics a = measure(piped), b = measure(direct);
    EXPECT_EQ(a.frames, 25);
    EXPECT_GT(a.psnrY, 30.0);
    EXPECT_DOUBLE_EQ(a.psnrY, b.psnrY);
    EXPECT_DOUBLE_EQ(a.psnrAll, b.psnrAll);
    EXPECT_DOUBLE_EQ(a.ssim, b.ssim);
}

TEST_F(MeasureEncode, CancelKillsAndReapsTheChildrenAndKeepsNothing) {
    // A long clip, so the run is still going when it is cancelled.
    run("ffmpeg -y -f lavfi -i testsrc2=size=352x288:rate=25 -frames:v 1500 -pix_fmt yuv420p '" +
        (temp / "long.y4m").string() + "'");
    temp.write("long.avs", "FFVideoSource(\"long.y4m\")\r\n");
    const fs::path file = temp / "long.m2v";
    run("ffmpeg -y -i '" + (temp / "long.y4m").string() + "' -c:v mpeg2video -q:v 10 '" + file.string() + "'");
    ASSERT_TRUE(keepEncodeScript(temp / "long.avs", file));
    {
        MeasureJob job(tools(), file, 0);
        const auto start = std::chrono::steady_clock::now();
        while (job.framesDone() == 0 && !job.finished() &&
               std::chrono::steady_clock::now() - start < std::chrono::seconds(30))
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        EXPECT_EQ(job.framesTotal(), 1500);
        ASSERT_FALSE(job.finished());
        job.cancel();
        while (!job.finished() && std::chrono::steady_clock::now() - start < std::chrono::seconds(30))
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        ASSERT_TRUE(job.finished());
        EXPECT_TRUE(job.result().cancelled);
        EXPECT_FALSE(job.result().metrics);
        EXPECT_LT(job.framesDone(), 1500);
    }
    EXPECT_FALSE(fs::exists(metricsFileOf(file)));
    // No child left, running or unreaped.
    EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
}

TEST(MeasureSummary, ReadsFfmpegsSummaryLinesAndRefusesAMissingOne) {
    const std::string psnr = "[Parsed_psnr_7 @ 0x1] PSNR y:47.61 u:45.04 v:45.00 average:46.56 min:inf max:inf\n";
    const std::string ssim =
        "[Parsed_ssim_8 @ 0x2] SSIM Y:0.9958 (23.8) U:0.99 (23.1) V:0.99 (24.1) All:0.9957 (23.7)\n";
    EncodeMetrics m;
    ASSERT_TRUE(parseMeasureSummary("frame=25\n" + ssim + psnr, m));
    EXPECT_DOUBLE_EQ(m.psnrY, 47.61);
    EXPECT_DOUBLE_EQ(m.psnrAll, 46.56);
    EXPECT_DOUBLE_EQ(m.psnrMin, 100.0);
    EXPECT_DOUBLE_EQ(m.ssim, 0.9957);
    EXPECT_FALSE(parseMeasureSummary(psnr, m));
    EXPECT_FALSE(parseMeasureSummary(ssim, m));
}

TEST(MeasureSummary, AMissingProgramOrScriptIsAnErrorNotACrash) {
    TempFolder temp;
    const fs::path file = temp.write("a.m2v", "not video");
    MeasureProgress progress;
    EXPECT_NE(MeasureEncodedFile(tools(), file, 0, progress).why.find("was not kept"), std::string::npos);
    temp.write("a.m2v.avs", kSourceScript); // its source is missing
    const MeasureResult result = MeasureEncodedFile(tools(), file, 0, progress);
    EXPECT_FALSE(result.metrics);
    EXPECT_NE(result.why.find("renderer"), std::string::npos) << result.why;
    EXPECT_FALSE(fs::exists(metricsFileOf(file)));
}

} // namespace
} // namespace quire::preview
