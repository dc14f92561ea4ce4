// Times the A/B view's decoding: the seconds from asking for frame N of two 10-second 720x576 encodes
// (250 frames at 25 fps) to both pictures in hand, for the first and the last frame, and prints them with
// the processor time the two FFmpeg children took (the figure that a busy machine does not inflate).
#include "preview/FramePair.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/resource.h>
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

// User and system seconds of the children waited for so far.
double childSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_CHILDREN, &usage);
    const auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
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
    const FramePair first = decodeFramePair(FrameTools{}, a, b, 0, std::nullopt, keepGoing);
    const double withProbe = std::chrono::duration<double>(Clock::now() - probed).count();
    if (!first.why.empty() || first.infoA.frames != kFrames) {
        std::fprintf(stderr, "%s\n", first.why.c_str());
        return 1;
    }
    const std::pair known{first.infoA, first.infoB};
    std::printf("frame pair: first frame with the probe %.3f s\n", withProbe);
    for (const int index : {0, kFrames - 1}) {
        std::vector<double> times;
        const double cpuBefore = childSeconds();
        for (int run = 0; run < kRuns; ++run) {
            const auto start = Clock::now();
            const FramePair pair = decodeFramePair(FrameTools{}, a, b, index, known, keepGoing);
            times.push_back(std::chrono::duration<double>(Clock::now() - start).count());
            if (!pair.why.empty() || pair.a.empty())
                return 1;
        }
        std::sort(times.begin(), times.end());
        std::printf("frame pair: frame %d of %d at 720x576, median of %d: %.3f s per shown pair (%.3f s of CPU)\n",
                    index + 1, kFrames, kRuns, times[kRuns / 2], (childSeconds() - cpuBefore) / kRuns);
    }
    fs::remove_all(folder);
    return 0;
}
