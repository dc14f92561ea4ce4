// Frame N of two encoded files: the pictures' difference and PSNR on small pictures made here, and real
// MPEG-2 made by FFmpeg during the run whose frames say their own index in their grey level.
#include "preview/FramePair.h"

#include "support/TempFolder.h"

#include <chrono>
#include <cstdlib>
#include <gtest/gtest.h>
#include <thread>
#include <tuple>

namespace quire::preview {
namespace {

using test::TempFolder;

// A picture of one colour (blue, green, red), alpha 255.
Picture plain(int width, int height, std::uint8_t b, std::uint8_t g, std::uint8_t r) {
    Picture p{width, height, {}};
    for (int i = 0; i < width * height; ++i)
        p.bgra.insert(p.bgra.end(), {b, g, r, 255});
    return p;
}

TEST(FramePictures, DifferenceIsAmplifiedAndClampedAndPsnrFollowsTheError) {
    // The pictures, the last pixel of their difference amplified 8 times (empty: no difference picture)
    // and their PSNR (-1: none).
    Picture oneChanged = plain(2, 2, 10, 20, 30);
    oneChanged.bgra[4 * 3 + 2] = 31; // the red of the last pixel
    const std::tuple<const char*, Picture, Picture, std::vector<int>, double> rows[] = {
        {"identical", plain(2, 2, 10, 20, 30), plain(2, 2, 10, 20, 30), {0, 0, 0, 255}, kIdenticalPsnr},
        // Every colour sample off by 1: MSE 1.
        {"off by one", plain(2, 2, 10, 20, 30), plain(2, 2, 11, 19, 31), {8, 8, 8, 255}, 48.1308036},
        // 1 of 12 samples off by 1: MSE 1/12.
        {"one sample off", plain(2, 2, 10, 20, 30), oneChanged, {0, 0, 8, 255}, 58.9226161},
        // 40 * 8 = 320 is clamped to 255.
        {"clamped", plain(1, 1, 0, 100, 50), plain(1, 1, 40, 100, 60), {255, 0, 80, 255}, 20.5975269},
        {"other size", plain(2, 2, 0, 0, 0), plain(2, 1, 0, 0, 0), {}, -1}};
    for (const auto& [name, a, b, lastPixel, psnr] : rows) {
        SCOPED_TRACE(name);
        const Picture d = differencePicture(a, b, 8);
        EXPECT_EQ(d.empty(), lastPixel.empty());
        if (!lastPixel.empty()) {
            ASSERT_EQ(std::pair(d.width, d.bgra.size()), std::pair(a.width, a.bgra.size()));
            EXPECT_EQ(std::vector<int>(d.bgra.end() - 4, d.bgra.end()), lastPixel);
        }
        EXPECT_NEAR(picturePsnr(a, b).value_or(-1), psnr, 1e-6);
    }
}

void run(const std::string& command) {
    ASSERT_EQ(std::system((command + " >/dev/null 2>&1").c_str()), 0) << command;
}

// The grey level (red sample of the middle pixel) of a picture.
int greyOf(const Picture& p) {
    return p.bgra[(std::size_t(p.height / 2) * p.width + p.width / 2) * 4 + 2];
}

// Two encodes with B pictures of clips whose frame N has the luma 16 + 8 N, shown as the grey
// 8 N * 255 / 219: a.m2v of 20 frames, b.m2v of 25 whose first frame is white instead.
TEST(FramePairing, FrameNOfBothFilesIsTheNthFrameShownAndAFailureOrCancelSaysSo) {
    TempFolder temp;
    const auto encode = [&temp](const char* name, const char* luma, int frames) {
        run("ffmpeg -y -f lavfi -i color=c=black:s=64x48:r=25 -vf \"geq=lum='" + std::string(luma) +
            "':cb=128:cr=128\" -frames:v " + std::to_string(frames) + " -c:v mpeg2video -bf 2 -g 12 -q:v 1 '" +
            (temp / name).string() + "'");
        return temp / name;
    };
    const fs::path a = encode("a.m2v", "16+8*N", 20);
    const fs::path b = encode("b.m2v", "if(eq(N,0),235,16+8*N)", 25);
    const std::atomic<bool> keepGoing{false};
    std::optional<std::pair<ClipInfo, ClipInfo>> known;
    const auto grey = [](int n) { return n * 8 * 255 / 219; };
    // The files stay open from one frame to the next: forward, past the end of a, and back again.
    FrameCursors cursors;
    for (const int index : {0, 2, 7, 24, 3, 0}) {
        SCOPED_TRACE(index);
        const FramePair pair = decodeFramePair(a, b, index, known, keepGoing, &cursors);
        ASSERT_TRUE(pair.why.empty()) << pair.why;
        const int shown = std::min(index, 19); // within both files
        EXPECT_EQ(std::tuple(pair.infoA.frames, pair.infoB.frames, pair.infoA.rate, pair.index),
                  std::tuple(20, 25, 25.0, shown));
        ASSERT_EQ(std::tuple(pair.a.bgra.size(), pair.b.bgra.size()), std::tuple(64u * 48 * 4, 64u * 48 * 4));
        EXPECT_NEAR(greyOf(pair.a), grey(shown), 3);
        EXPECT_NEAR(greyOf(pair.b), shown == 0 ? 255 : grey(shown), 3);
        known = std::pair{pair.infoA, pair.infoB}; // later frames skip the probe
    }

    // A missing file, one that is not video, and a job cancelled on its way far into a long file.
    const FramePair missing = decodeFramePair(temp / "none.m2v", temp / "b.m2v", 0, std::nullopt, keepGoing);
    EXPECT_EQ(missing.why + std::to_string(missing.a.empty()), "FFmpeg could not read the video of none.m2v.1");

    temp.write("junk.m2v", "not video");
    const ClipInfo info{64, 48, 25, 4.0 / 3, 10};
    EXPECT_EQ(decodeFramePair(temp / "junk.m2v", temp / "junk.m2v", 3, std::pair{info, info}, keepGoing).why,
              "FFmpeg could not decode frame 3 of junk.m2v.");

    // Cancelled on its way to a frame far into a long file.
    run("ffmpeg -y -f lavfi -i testsrc2=size=176x144:rate=25 -frames:v 3000 -c:v mpeg2video -q:v 10 '" +
        (temp / "long.m2v").string() + "'");
    const auto start = std::chrono::steady_clock::now();
    {
        FramePairJob job(temp / "long.m2v", temp / "long.m2v", 2999, std::nullopt);
        job.cancel();
        while (!job.finished() && std::chrono::steady_clock::now() - start < std::chrono::seconds(10))
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        ASSERT_TRUE(job.finished());
        EXPECT_TRUE(job.result().cancelled && job.result().a.empty());
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}

} // namespace
} // namespace quire::preview
