// Times the A/B view's decoding: the seconds from asking for frame N of two 10-second 720x576 encodes
// (250 frames at 25 fps) to both pictures in hand, for the first and the last frame from the start of the
// files, and for a step of one frame forward with the files kept open.
#include "preview/FramePair.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using namespace quire::preview;

namespace {

constexpr int kFrames = 250;
constexpr int kRuns = 5;

bool encode(const fs::path& file, const char* bitrate) {
    const std::string command = "ffmpeg -loglevel error -y -f lavfi -i testsrc2=size=720x576:rate=25 -frames:v " +
                                std::to_string(kFrames) + " -c:v mpeg2video -bf 2 -g 15 -aspect 4:3 -b:v " + bitrate +
                                " '" + file.string() + "'";
    return std::system(command.c_str()) == 0;
}

} // namespace

int main() {
    const fs::path folder = fs::temp_directory_path() / "quire-frame-pair-bench";
    fs::create_directories(folder);
    const fs::path a = folder / "a.m2v", b = folder / "b.m2v";
    if (!encode(a, "8000k") || !encode(b, "2000k")) {
        std::fprintf(stderr, "FFmpeg could not make the test encodes\n");
        return 1;
    }
    const std::atomic<bool> keepGoing{false};
    // The first request also probes both files (frame count, size, aspect); later ones reuse that.
    const auto probed = Clock::now();
    const FramePair first = decodeFramePair(a, b, 0, std::nullopt, keepGoing);
    const double withProbe = std::chrono::duration<double>(Clock::now() - probed).count();
    if (!first.why.empty() || first.infoA.frames != kFrames) {
        std::fprintf(stderr, "%s\n", first.why.c_str());
        return 1;
    }
    const std::pair known{first.infoA, first.infoB};
    std::printf("frame pair: first frame with the probe %.3f s\n", withProbe);
    for (const int index : {0, kFrames - 1}) {
        std::vector<double> times;
        for (int run = 0; run < kRuns; ++run) {
            const auto start = Clock::now();
            const FramePair pair = decodeFramePair(a, b, index, known, keepGoing);
            times.push_back(std::chrono::duration<double>(Clock::now() - start).count());
            if (!pair.why.empty() || pair.a.empty())
                return 1;
        }
        std::sort(times.begin(), times.end());
        std::printf("frame pair: frame %d of %d at 720x576 from the start, median of %d: %.3f s per shown pair\n",
                    index + 1, kFrames, kRuns, times[kRuns / 2]);
    }
    // Stepping forward one frame at a time with the files kept open, as the slider's arrow keys do.
    FrameCursors cursors;
    std::vector<double> steps;
    for (int index = 0; index < kFrames; ++index) {
        const auto start = Clock::now();
        const FramePair pair = decodeFramePair(a, b, index, known, keepGoing, &cursors);
        steps.push_back(std::chrono::duration<double>(Clock::now() - start).count());
        if (!pair.why.empty() || pair.a.empty())
            return 1;
    }
    std::sort(steps.begin(), steps.end());
    std::printf("frame pair: one frame forward with the files open, median of %d: %.4f s (worst %.4f s)\n", kFrames,
                steps[steps.size() / 2], steps.back());
    fs::remove_all(folder);
    return 0;
}
