// Times measuring a 10-second 720x576 test encode (PSNR and SSIM against the renderer's frames of its
// encode script) against decoding the encoded file once with FFmpeg, in the same run and alternating,
// so that all see the same machine; and, for scale, FFmpeg decoding both the source and the encode in
// one run. The encode script is a segment script as Tessera writes it (Mpeg2Source of a .d2v over the
// VOB of a sample project) and, once more, a file source whose frames the renderer counts with ffprobe.
// Prints the medians of wall-clock and CPU time (this process and its children) and the ratios; the aim
// is a measure within 1.5 times the decode.
#include "preview/DecodedFrames.h"
#include "preview/EncodeMetrics.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace fs = std::filesystem;
using namespace quire::preview;

namespace {

constexpr int kRuns = 7;
constexpr double kAim = 1.5;

double cpuSeconds() {
    double total = 0;
    for (const int who : {RUSAGE_SELF, RUSAGE_CHILDREN}) {
        rusage usage{};
        getrusage(who, &usage);
        for (const timeval& t : {usage.ru_utime, usage.ru_stime})
            total += static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    }
    return total;
}

struct Timing {
    std::vector<double> wall, cpu;
    static double median(std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    }
    template <typename F>
    void time(F&& run) {
        const double before = cpuSeconds();
        const auto start = std::chrono::steady_clock::now();
        run();
        wall.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        cpu.push_back(cpuSeconds() - before);
    }
    void print(const char* what) const {
        std::printf("  %-28s %.3f s wall, %.3f s CPU\n", what, median(wall), median(cpu));
    }
};

bool shell(const std::string& command) {
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

std::string quoted(const fs::path& path) {
    return "'" + path.string() + "'";
}

} // namespace

int main() {
    char pattern[] = "/tmp/measure-bench.XXXXXX";
    if (!mkdtemp(pattern))
        return 1;
    const fs::path folder = pattern;
    const fs::path bin = QUIRE_BIN;
    // One 10 s segment of a PAL DVD-like project, its VOB indexed by a .d2v, and a test encode of the
    // segment's frames at 6000 kbit/s beside it, with a copy whose script reads the VOB as a file.
    const fs::path segments = folder / "Tessera" / "work" / "D2VAVS";
    const fs::path segment = segments / "V010000_V001001.avs";
    const fs::path encoded = segments / "encoded.m2v", fileEncoded = segments / "file.m2v";
    if (!shell(quoted(bin / "quire-sample-project") + " " + quoted(folder / "Tessera") +
               " --movie 1 --extras 0 --seconds 10 --size 720x576 --native-paths --program-folder " + quoted(bin)) ||
        !shell(quoted(bin / "quire-avs") + " " + quoted(segment) +
               " --y4m - | ffmpeg -y -i - -c:v mpeg2video -b:v 6000k " + "-maxrate 9000k -bufsize 1835k -g 12 -bf 2 " +
               quoted(encoded))) {
        std::fprintf(stderr, "the sample project or its encode could not be made\n");
        return 1;
    }
    std::vector<fs::path> vobs;
    for (const auto& entry : fs::recursive_directory_iterator(folder / "Tessera"))
        if (entry.path().extension() == ".VOB" || entry.path().extension() == ".vob")
            vobs.push_back(entry.path());
    std::sort(vobs.begin(), vobs.end());
    fs::copy_file(encoded, fileEncoded);
    std::ofstream(segments / "file.avs") << "FFVideoSource(\"" << vobs.front().string() << "\")\r\n";
    if (vobs.size() != 1 || !keepEncodeScript(segment, encoded) ||
        !keepEncodeScript(segments / "file.avs", fileEncoded))
        return 1;

    const MeasureTools tools{bin / "quire-avs"};
    Timing decode, decodeHere, both, measure, fileMeasure;
    EncodeMetrics metrics, fileMetrics;
    const auto measured = [&](const fs::path& file, EncodeMetrics& into) {
        MeasureProgress progress;
        const MeasureResult result = MeasureEncodedFile(tools, file, 6000, progress);
        if (!result.metrics) {
            std::fprintf(stderr, "the measure failed: %s\n", result.why.c_str());
            std::exit(1);
        }
        into = *result.metrics;
    };
    for (int run = 0; run < kRuns; ++run) {
        decode.time([&] { shell("ffmpeg -nostdin -i " + quoted(encoded) + " -f null -"); });
        // The same decode by FFmpeg's libraries in this process, as the measure decodes.
        decodeHere.time([&] {
            std::string why;
            std::vector<std::uint8_t> frame;
            for (auto frames = DecodedFrames::open(encoded.string(), "", why); frames && frames->next(frame);) {
            }
        });
        both.time([&] {
            shell("ffmpeg -nostdin -i " + quoted(vobs.front()) + " -i " + quoted(encoded) +
                  " -map 0:v -f null - -map 1:v -f null -");
        });
        measure.time([&] { measured(encoded, metrics); });
        fileMeasure.time([&] { measured(fileEncoded, fileMetrics); });
    }
    fs::remove_all(folder);
    const double wall = Timing::median(measure.wall) / Timing::median(decode.wall);
    std::printf("measure of a 10 s 720x576 encode (%d frames, PSNR Y %.2f dB, SSIM %.4f; from the file: %d, %.2f, "
                "%.4f), median of %d:\n",
                metrics.frames, metrics.psnrY, metrics.ssim, fileMetrics.frames, fileMetrics.psnrY, fileMetrics.ssim,
                kRuns);
    decode.print("decode once");
    decodeHere.print("decode once in this process");
    both.print("decode source and encode");
    measure.print("measure (Mpeg2Source)");
    fileMeasure.print("measure (FFVideoSource)");
    std::printf("  ratio to decode once: %.2fx wall, %.2fx CPU; from the file %.2fx wall, %.2fx CPU; both in one "
                "FFmpeg run %.2fx wall (aim %.1fx wall): %s\n",
                wall, Timing::median(measure.cpu) / Timing::median(decode.cpu),
                Timing::median(fileMeasure.wall) / Timing::median(decode.wall),
                Timing::median(fileMeasure.cpu) / Timing::median(decode.cpu),
                Timing::median(both.wall) / Timing::median(decode.wall), kAim, wall <= kAim ? "PASS" : "MISSED");
    std::printf("  against the decode in this process: %.2fx wall; from the file %.2fx wall\n",
                Timing::median(measure.wall) / Timing::median(decodeHere.wall),
                Timing::median(fileMeasure.wall) / Timing::median(decodeHere.wall));
    return 0;
}
