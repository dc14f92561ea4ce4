// Measures of real MPEG-2 encodes made with FFmpeg during the run, against a source the renderer
// reads through an encode script kept beside each file.
#include "preview/EncodeMetrics.h"
#include "preview/PictureMeasure.h"

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

TEST_F(MeasureEncode, FramesPairedByIndexShowFirstFramesThatAreMissing) {
    const fs::path high = encode("high.m2v", "-q:v 2");
    const EncodeMetrics hi = measure(high, 100);
    EXPECT_EQ(std::tuple(hi.frames, hi.sourceFrames, hi.rate, hi.target, hi.size),
              std::tuple(25, 25, 25.0, 100.0, fs::file_size(high)));
    // 25 frames at 25 fps: one second.
    EXPECT_NEAR(hi.bitrate, static_cast<double>(hi.size) * 8 / 1000, 1e-9);
    // Frames paired by index: a high-bitrate encode is close to its source on every frame. Paired by
    // the streams' own times the encode is one frame off and measures about 25 dB.
    EXPECT_TRUE(hi.psnrY > 40 && hi.psnrMin > 38 && hi.ssim > 0.98) << hi.psnrY << " " << hi.psnrMin << " " << hi.ssim;

    // Kept beside the file and read back as measured; gone once the file changes.
    EXPECT_EQ(savedMetrics(high), hi);
    fs::resize_file(high, fs::file_size(high) - 1);
    EXPECT_FALSE(savedMetrics(high));

    // The first five frames dropped: frame 0 of the file is the source's frame 5 and no frame matches.
    const EncodeMetrics dropped = measure(encode("dropped.m2v", "-vf trim=start_frame=5,setpts=PTS-STARTPTS -q:v 2"));
    EXPECT_EQ(std::tuple(dropped.frames, dropped.sourceFrames, dropped.psnrY < 25), std::tuple(20, 25, true));
    EXPECT_NEAR(dropped.bitrate, static_cast<double>(dropped.size) * 8 / 0.8 / 1000, 1e-9);
}

TEST_F(MeasureEncode, AFileThatIsNotTheScriptsPicturesOrHasNoScriptIsRefusedAndNothingKept) {
    const fs::path big = encode("big.m2v", "-s 352x288 -q:v 4");
    const fs::path junk = temp.write("junk.m2v", std::string(4096, 'x'));
    ASSERT_TRUE(keepEncodeScript(temp / "encode.avs", junk));
    for (const auto& [file, why] : {std::pair{big, "big.m2v is 352x288, the frames of its encode script are 176x144."},
                                    std::pair{junk, "FFmpeg could not decode junk.m2v."}}) {
        MeasureProgress progress;
        const MeasureResult result = MeasureEncodedFile(tools(), file, 0, progress);
        EXPECT_EQ(result.why, why);
        EXPECT_TRUE(!result.metrics && !fs::exists(metricsFileOf(file)));
    }
    // No encode script kept beside the file, or one whose source is missing: an error, not a crash.
    const fs::path bare = temp.write("bare.m2v", "not video");
    MeasureProgress progress;
    EXPECT_NE(MeasureEncodedFile(tools(), bare, 0, progress).why.find("was not kept"), std::string::npos);
    temp.write("bare.m2v.avs", "FFVideoSource(\"gone.y4m\")\r\n");
    const MeasureResult result = MeasureEncodedFile(tools(), bare, 0, progress);
    EXPECT_TRUE(!result.metrics && result.why.find("renderer") != std::string::npos) << result.why;
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
    EXPECT_GT(a.psnrY, 30.0);
    EXPECT_EQ(std::tuple(a.frames, a.psnrY, a.psnrAll, a.ssim), std::tuple(b.frames, b.psnrY, b.psnrAll, b.ssim));
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
        EXPECT_TRUE(job.result().cancelled && !job.result().metrics && job.framesDone() < 1500);
    }
    EXPECT_FALSE(fs::exists(metricsFileOf(file)));
    // No child left, running or unreaped.
    EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
}

// The frames of a 4:2:0 YUV4MPEG2 file.
std::vector<std::string> y4mFrames(const std::string& bytes, Y4mFormat& format) {
    const std::size_t headerEnd = bytes.find('\n');
    format = parseY4mHeader(bytes.substr(0, headerEnd)).value_or(Y4mFormat{});
    std::vector<std::string> frames;
    for (std::size_t at = bytes.find('\n', headerEnd + 1) + 1; format.width > 0 && at > 0 && at < bytes.size();
         at = bytes.find('\n', at + format.frameBytes()) + 1)
        frames.push_back(bytes.substr(at, format.frameBytes()));
    return frames;
}

// The number after "key:" on FFmpeg's last summary line that holds it ("inf" as the cap).
double summaryValue(const std::string& log, const std::string& line, const std::string& key) {
    const std::size_t at = log.find(key, log.rfind(line));
    const std::string value = log.substr(at + key.size(), log.find_first_of(" \n", at) - at - key.size());
    return value == "inf" ? kIdenticalPsnr : std::stod(value);
}

TEST(PictureMeasures, MatchFfmpegsPsnrAndSsimFiltersOnTheSameFrames) {
    // The size and the FFmpeg filters making the measured frames from the reference. Odd chroma sizes
    // leave part blocks at the right and bottom edges; identical frames cap at 100 dB.
    for (const auto& [size, distortion] :
         {std::pair{"176x144", "noise=alls=12:allf=t"}, std::pair{"178x146", "gblur=sigma=1.5,eq=brightness=0.02"},
          std::pair{"64x48", "null"}}) {
        SCOPED_TRACE(size);
        TempFolder temp;
        const std::string reference = (temp / "reference.y4m").string(), decoded = (temp / "decoded.y4m").string();
        run(std::string("ffmpeg -y -f lavfi -i testsrc2=size=") + size + ":rate=25 -frames:v 6 -pix_fmt yuv420p '" +
            reference + "'");
        run("ffmpeg -y -i '" + reference + "' -vf " + distortion + " -pix_fmt yuv420p '" + decoded + "'");
        // FFmpeg's own C code (-cpuflags 0): its x86 SSIM reads the padding past a row whose 4x4 blocks do
        // not fill its vectors, so its figures for such widths depend on memory outside the picture.
        run("(ffmpeg -cpuflags 0 -nostdin -i '" + decoded + "' -i '" + reference +
            "' -lavfi \"[0][1]psnr[p];[p][1]ssim\" -f null - 2>'" + (temp / "log").string() + "')");
        Y4mFormat format, referenceFormat;
        const auto a = y4mFrames(temp.read("decoded.y4m"), format);
        const auto b = y4mFrames(temp.read("reference.y4m"), referenceFormat);
        ASSERT_EQ(a.size() + b.size(), 12u);
        PictureMeasure measure(format.width, format.height);
        for (std::size_t i = 0; i < a.size(); ++i)
            measure.add(reinterpret_cast<const std::uint8_t*>(a[i].data()),
                        reinterpret_cast<const std::uint8_t*>(b[i].data()));
        const std::string log = temp.read("log");
        EXPECT_EQ(measure.frames(), 6);
        EXPECT_NEAR(measure.psnrY(), summaryValue(log, "PSNR y:", "y:"), 1e-3);
        EXPECT_NEAR(measure.psnrAll(), summaryValue(log, "PSNR y:", "average:"), 1e-3);
        EXPECT_NEAR(measure.psnrMin(), summaryValue(log, "PSNR y:", "min:"), 1e-3);
        EXPECT_NEAR(measure.ssim(), summaryValue(log, "SSIM Y:", "All:"), 2e-6);
    }
}

TEST(PictureMeasures, ReadsTheHeadersOfTheStreamsAndFoldsTheirChromaTo420) {
    using C = Y4mFormat::Chroma;
    EXPECT_EQ(parseY4mHeader("YUV4MPEG2 W720 H576 F25:1 Ip A1:1 C420jpeg XYSCSS=420JPEG"),
              (Y4mFormat{720, 576, C::Yuv420}));
    EXPECT_EQ(parseY4mHeader("YUV4MPEG2 W4 H2 C422")->frameBytes(), 16u);
    EXPECT_EQ(parseY4mHeader("YUV4MPEG2 W5 H3 C420mpeg2")->frameBytes(), 15u + 2 * 3 * 2);
    for (const char* bad : {"YUV4MPEG W4 H2", "YUV4MPEG2 W4", "YUV4MPEG2 W0 H2", "YUV4MPEG2 W4 H2 C420p10"})
        EXPECT_FALSE(parseY4mHeader(bad)) << bad;

    // A 4x2 frame: the chroma of 4:2:2 averaged over row pairs, rounded.
    const std::vector<std::uint8_t> yuv422{1, 2, 3, 4, 5, 6, 7, 8, 10, 20, 11, 40, 100, 200, 0, 1};
    std::vector<std::uint8_t> out;
    toYuv420({4, 2, C::Yuv422}, yuv422.data(), out);
    EXPECT_EQ(out, (std::vector<std::uint8_t>{1, 2, 3, 4, 5, 6, 7, 8, 11, 30, 50, 101}));
}

} // namespace
} // namespace quire::preview
