// What a script evaluates to: a clip's metadata (size, rate, frame count, pixel type) and the
// stages that make its frames. The frame count is kept here, never left to FFmpeg.
#pragma once

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace quire::avs {

// A file the script names is missing or unreadable (exit 3).
class MediaError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct Rational {
    std::int64_t num = 24;
    std::int64_t den = 1;
    std::string text() const { return std::to_string(num) + "/" + std::to_string(den); }
    bool operator==(const Rational&) const = default;
};
Rational reduced(std::int64_t num, std::int64_t den);
// A float rate as AviSynth-like rationals: whole numbers exactly, NTSC-style rates as n*1000/1001.
Rational rateFromFloat(double fps);

enum class PixelType { RGB32, RGB24, YV12, YUY2 };
// FFmpeg's name for the frames of that type inside the graph (YUY2 is kept planar: yuv422p).
const char* ffmpegFormat(PixelType type);
bool isYuv(PixelType type);

struct SubtitleText {
    std::string text; // Windows-1252
    double x = 8, y = 0, size = 18;
    int firstFrame = 0, lastFrame = -1, align = 7;
    std::string font = "Arial";
    std::uint32_t textColor = 0x00FFFF00, haloColor = 0;
};

struct DeenSettings {
    std::string mode = "a3d";
    int radius = 1, thrY = 7, thrUV = 9, tthY = 0, tthUV = 0;
    double min = 1.0;
};

struct Stage {
    enum class Kind { Filter, Subtitle, Undot, Deen } kind = Kind::Filter;
    std::string filter; // FFmpeg filter text for Kind::Filter
    SubtitleText subtitle;
    DeenSettings deen;
    int width = 0, height = 0; // frame size at this stage
    int frames = 0;            // frames reaching this stage
    PixelType type = PixelType::RGB32;
};

struct Source {
    std::string generator;                    // a source filter of FFmpeg's graph (BlankClip), or
    std::vector<std::filesystem::path> files; // media files read one after another
    std::string afterInput;                   // filters right after the decoded input
};

struct Clip {
    int width = 640, height = 480;
    Rational fps;
    int frames = 240;
    PixelType type = PixelType::RGB32;
    Source source;
    std::vector<Stage> stages;

    void addFilter(std::string filter) {
        Stage s;
        s.filter = std::move(filter);
        add(std::move(s));
    }
    void add(Stage stage) {
        stage.width = width;
        stage.height = height;
        stage.frames = frames;
        stage.type = type;
        stages.push_back(std::move(stage));
    }
};

} // namespace quire::avs
