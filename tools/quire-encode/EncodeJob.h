// One encode as the three control forms describe it, its checks against the clip, and the FFmpeg
// mpeg2video run that carries it out.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace quire::encode {

// 128 values: the intra table then the non-intra table, each row by row (raster order).
using MatrixValues = std::array<int, 128>;

enum class RateMode {
    TwoPass,   // average bitrate over two passes
    OnePass,   // average bitrate in one pass
    Quantiser, // one pass at a constant quantiser, capped by the maximum bitrate
};

enum class Speed { Fast, Normal, Best };

struct EncodeJob {
    std::filesystem::path input;  // an AviSynth script or any file FFmpeg reads
    std::filesystem::path output; // the MPEG-2 elementary stream written
    int firstFrame = 0;           // first frame of the clip encoded
    std::optional<int> lastFrame; // last frame encoded (inclusive); none: to the clip's end
    RateMode mode = RateMode::TwoPass;
    int averageKbps = 0;
    std::optional<int> maximumKbps; // none: the DVD limit
    int minimumKbps = 0;
    double quantiser = 0; // RateMode::Quantiser only
    int dcPrecision = 8;  // 8, 9 or 10 bits
    bool nonLinearQuantiser = false;
    int aspectCode = 0; // MPEG aspect_ratio_information: 1 square, 2 4:3, 3 16:9, 4 2.21:1; 0 as the input
    bool interlaced = false;
    int frameRateCode = 0;                // MPEG frame_rate_code 1-8 to label the frames with; 0 keeps the input's rate
    std::optional<MatrixValues> matrices; // none: the default matrices
    Speed speed = Speed::Normal;
    bool trellis = false;
    std::vector<std::string> notes; // what a front-end accepted but does not act on, for progress lines
};

// What the input holds, as the renderer or FFmpeg reports it.
struct ClipInfo {
    int width = 0;
    int height = 0;
    int rateNum = 25;
    int rateDen = 1;
    int frames = -1; // kNotCounted until someone counts them
};

// The frame count of a clip nobody counted: enough for an encode of every frame, which needs none.
inline constexpr int kNotCounted = -1;

inline constexpr int kDvdMaxKbps = 9800;
inline constexpr int kVbvBufferBits = 1835008;

// The frames to encode, checked against the clip.
struct FrameRange {
    int first = 0;
    int last = 0;         // inclusive; kNotCounted: to the clip's end
    bool clamped = false; // the job asked for frames past the clip's last one
    bool toEnd() const { return last == kNotCounted; }
    int count() const { return last - first + 1; }
};

struct CheckResult {
    std::optional<FrameRange> range; // none: refused
    std::string reason;              // one line, when refused
};

// Checks a job before anything is encoded: 128 matrix values each 1-255, bitrates a DVD takes
// (maximum at most 9800 kbit/s, average above 0 and not above the maximum), a quantiser of 1-31,
// DC precision 8-10, and a frame range that starts inside the clip. An end past the clip's last
// frame is clamped to it. A clip whose frames were not counted takes only a job of every frame.
CheckResult checkJob(const EncodeJob& job, const ClipInfo& clip);

// Frame rate of an MPEG frame_rate_code (1-8) as num/den; empty optional for another code.
std::optional<std::pair<int, int>> frameRateOfCode(int code);

// GOP length: 15 frames at the 25 and 50 frame rates of PAL, 18 otherwise.
int gopLength(int rateNum, int rateDen);

// The FFmpeg arguments (program name first) of one run over `source`, a file FFmpeg reads.
// `pass` is 1 or 2 for the two passes of RateMode::TwoPass (pass 1 writes no video), 0 for a
// single pass. `passLog` is the prefix of FFmpeg's pass statistics.
std::vector<std::string> ffmpegArguments(const EncodeJob& job, const ClipInfo& clip, const FrameRange& range,
                                         const std::filesystem::path& source, int pass,
                                         const std::filesystem::path& passLog);

} // namespace quire::encode
