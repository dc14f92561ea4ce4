// PSNR and SSIM of decoded pictures against the pictures they were encoded from, computed as FFmpeg's
// psnr and ssim filters compute them (8-bit 4:2:0, planes weighted by their sample counts), and the
// YUV4MPEG2 streams the decoders hand them over in.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace quire::preview {

// The PSNR given to identical pictures, as FFmpeg logs them "inf".
inline constexpr double kIdenticalPsnr = 100.0;

// A YUV4MPEG2 stream's picture: its size and chroma subsampling.
struct Y4mFormat {
    enum class Chroma { Yuv420, Yuv422, Yuv444 };
    int width = 0;
    int height = 0;
    Chroma chroma = Chroma::Yuv420;
    std::size_t frameBytes() const;
    bool operator==(const Y4mFormat&) const = default;
};

// The stream header line ("YUV4MPEG2 W720 H576 F25:1 Ip A0:0 C420jpeg ...", without its line end). Empty
// for another magic, a missing or non-positive size, or a colour space other than 8-bit 4:2:0, 4:2:2 or
// 4:4:4 (no C parameter means 4:2:0).
std::optional<Y4mFormat> parseY4mHeader(std::string_view line);

// A frame of the given format as 8-bit 4:2:0 planes: a 4:2:0 frame as it is, the chroma of 4:2:2 and
// 4:4:4 averaged over each 2x1 or 2x2 block (rounded).
void toYuv420(const Y4mFormat& format, const std::uint8_t* frame, std::vector<std::uint8_t>& out);

// The SSIM of one plane: FFmpeg's 8x8 windows over 4x4 blocks, at a step of 4 samples, averaged.
double planeSsim(const std::uint8_t* a, const std::uint8_t* b, int width, int height);

// The measures of a run of picture pairs of one 4:2:0 size.
class PictureMeasure {
public:
    PictureMeasure(int width, int height);
    // One pair of 4:2:0 frames (Y, then U, then V, rows packed) of the measure's size.
    void add(const std::uint8_t* decoded, const std::uint8_t* reference);

    int frames() const { return m_frames; }
    double psnrY() const;   // of the average luma error over the frames
    double psnrAll() const; // of the average error over the three planes
    double psnrMin() const; // the worst frame's, over the three planes
    double ssim() const;    // the three planes' SSIM, weighted, averaged over the frames

private:
    struct Plane {
        std::size_t offset;
        int width, height;
        double weight;
    };
    Plane m_planes[3];
    int m_frames = 0;
    double m_lumaError = 0, m_error = 0, m_worstError = 0, m_ssim = 0;
};

} // namespace quire::preview
