#include "preview/PictureMeasure.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

namespace quire::preview {

namespace {

int chromaWidth(const Y4mFormat& f) {
    return f.chroma == Y4mFormat::Chroma::Yuv444 ? f.width : (f.width + 1) / 2;
}

int chromaHeight(const Y4mFormat& f) {
    return f.chroma == Y4mFormat::Chroma::Yuv420 ? (f.height + 1) / 2 : f.height;
}

double psnrOf(double meanSquaredError) {
    return meanSquaredError <= 0 ? kIdenticalPsnr : 10.0 * std::log10(255.0 * 255.0 / meanSquaredError);
}

// The sums of a, b, a*a + b*b and a*b over each 4x4 block of one band of four rows.
using BlockSums = std::array<int, 4>;

void bandSums(const std::uint8_t* a, const std::uint8_t* b, int width, int blocks, BlockSums* out) {
    for (int x = 0; x < blocks; ++x) {
        int s1 = 0, s2 = 0, ss = 0, s12 = 0;
        for (int row = 0; row < 4; ++row) {
            const std::ptrdiff_t at = static_cast<std::ptrdiff_t>(row) * width + static_cast<std::ptrdiff_t>(x) * 4;
            const std::uint8_t* pa = a + at;
            const std::uint8_t* pb = b + at;
            for (int i = 0; i < 4; ++i) {
                const int p = pa[i], q = pb[i];
                s1 += p;
                s2 += q;
                ss += p * p + q * q;
                s12 += p * q;
            }
        }
        out[x] = {s1, s2, ss, s12};
    }
}

// The SSIM of one 8x8 window from its sums, with FFmpeg's constants for 8-bit samples.
double windowSsim(int s1, int s2, int ss, int s12) {
    // (0.01 * 255)^2 * 64 and (0.03 * 255)^2 * 64 * 63, rounded.
    constexpr int c1 = 416;
    constexpr int c2 = 235963;
    const double vars = 64.0 * ss - double(s1) * s1 - double(s2) * s2;
    const double covar = 64.0 * s12 - double(s1) * s2;
    return (2.0 * s1 * s2 + c1) * (2.0 * covar + c2) / ((double(s1) * s1 + double(s2) * s2 + c1) * (vars + c2));
}

} // namespace

std::size_t Y4mFormat::frameBytes() const {
    return static_cast<std::size_t>(width) * height +
           2 * static_cast<std::size_t>(chromaWidth(*this)) * static_cast<std::size_t>(chromaHeight(*this));
}

std::optional<Y4mFormat> parseY4mHeader(std::string_view line) {
    constexpr std::string_view magic = "YUV4MPEG2";
    if (!line.starts_with(magic) || (line.size() > magic.size() && line[magic.size()] != ' '))
        return std::nullopt;
    Y4mFormat format;
    for (std::size_t at = magic.size(); at < line.size();) {
        if (line[at] == ' ') {
            ++at;
            continue;
        }
        const std::size_t end = std::min(line.find(' ', at), line.size());
        const std::string_view token = line.substr(at, end - at);
        at = end;
        const std::string_view value = token.substr(1);
        if (token[0] == 'W' || token[0] == 'H') {
            int number = 0;
            const auto [stop, ec] = std::from_chars(value.data(), value.data() + value.size(), number);
            if (ec != std::errc() || stop != value.data() + value.size())
                return std::nullopt;
            (token[0] == 'W' ? format.width : format.height) = number;
        } else if (token[0] == 'C') {
            if (value == "420" || value == "420jpeg" || value == "420mpeg2" || value == "420paldv")
                format.chroma = Y4mFormat::Chroma::Yuv420;
            else if (value == "422")
                format.chroma = Y4mFormat::Chroma::Yuv422;
            else if (value == "444")
                format.chroma = Y4mFormat::Chroma::Yuv444;
            else
                return std::nullopt;
        }
    }
    if (format.width <= 0 || format.height <= 0)
        return std::nullopt;
    return format;
}

void toYuv420(const Y4mFormat& format, const std::uint8_t* frame, std::vector<std::uint8_t>& out) {
    const Y4mFormat target{format.width, format.height, Y4mFormat::Chroma::Yuv420};
    out.resize(target.frameBytes());
    const std::size_t luma = static_cast<std::size_t>(format.width) * format.height;
    std::copy(frame, frame + luma, out.begin());
    const int inW = chromaWidth(format), inH = chromaHeight(format);
    const int outW = chromaWidth(target), outH = chromaHeight(target);
    // Columns and rows folded into each sample of the 4:2:0 chroma.
    const int stepX = inW == outW ? 1 : 2, stepY = inH == outH ? 1 : 2;
    for (int plane = 0; plane < 2; ++plane) {
        const std::uint8_t* in = frame + luma + static_cast<std::size_t>(plane) * inW * inH;
        std::uint8_t* to = out.data() + luma + static_cast<std::size_t>(plane) * outW * outH;
        for (int y = 0; y < outH; ++y)
            for (int x = 0; x < outW; ++x) {
                int sum = 0;
                for (int dy = 0; dy < stepY; ++dy)
                    for (int dx = 0; dx < stepX; ++dx)
                        sum += in[static_cast<std::size_t>(std::min(y * stepY + dy, inH - 1)) * inW +
                                  std::min(x * stepX + dx, inW - 1)];
                const int count = stepX * stepY;
                to[static_cast<std::size_t>(y) * outW + x] = static_cast<std::uint8_t>((sum + count / 2) / count);
            }
    }
}

double planeSsim(const std::uint8_t* a, const std::uint8_t* b, int width, int height) {
    const int blocksX = width / 4, blocksY = height / 4;
    if (blocksX < 2 || blocksY < 2)
        return 1.0; // too small for one window: nothing is measured
    std::vector<BlockSums> above(static_cast<std::size_t>(blocksX)), below(above.size());
    bandSums(a, b, width, blocksX, above.data());
    double total = 0;
    for (int band = 1; band < blocksY; ++band) {
        const std::size_t offset = static_cast<std::size_t>(band) * 4 * width;
        bandSums(a + offset, b + offset, width, blocksX, below.data());
        for (int x = 0; x + 1 < blocksX; ++x) {
            BlockSums s{};
            for (int k = 0; k < 4; ++k)
                s[k] = above[x][k] + above[x + 1][k] + below[x][k] + below[x + 1][k];
            total += windowSsim(s[0], s[1], s[2], s[3]);
        }
        above.swap(below);
    }
    return total / (static_cast<double>(blocksY - 1) * (blocksX - 1));
}

PictureMeasure::PictureMeasure(int width, int height) {
    const Y4mFormat format{width, height, Y4mFormat::Chroma::Yuv420};
    const int cw = chromaWidth(format), ch = chromaHeight(format);
    const double total = static_cast<double>(format.frameBytes());
    const std::size_t luma = static_cast<std::size_t>(width) * height;
    const std::size_t chroma = static_cast<std::size_t>(cw) * ch;
    m_planes[0] = {0, width, height, static_cast<double>(luma) / total};
    m_planes[1] = {luma, cw, ch, static_cast<double>(chroma) / total};
    m_planes[2] = {luma + chroma, cw, ch, static_cast<double>(chroma) / total};
}

void PictureMeasure::add(const std::uint8_t* decoded, const std::uint8_t* reference) {
    double frameError = 0, frameSsim = 0;
    for (int p = 0; p < 3; ++p) {
        const Plane& plane = m_planes[p];
        const std::uint8_t* a = decoded + plane.offset;
        const std::uint8_t* b = reference + plane.offset;
        std::uint64_t squares = 0;
        for (int y = 0; y < plane.height; ++y) {
            // A row of squared 8-bit differences fits an int for any width below 33,000.
            int row = 0;
            for (int x = 0; x < plane.width; ++x) {
                const int d = a[x] - b[x];
                row += d * d;
            }
            squares += static_cast<std::uint64_t>(row);
            a += plane.width;
            b += plane.width;
        }
        const double error = static_cast<double>(squares) / (static_cast<double>(plane.width) * plane.height);
        if (p == 0)
            m_lumaError += error;
        frameError += error * plane.weight;
        frameSsim +=
            planeSsim(decoded + plane.offset, reference + plane.offset, plane.width, plane.height) * plane.weight;
    }
    m_error += frameError;
    m_worstError = std::max(m_worstError, frameError);
    m_ssim += frameSsim;
    ++m_frames;
}

double PictureMeasure::psnrY() const {
    return psnrOf(m_frames ? m_lumaError / m_frames : 0);
}

double PictureMeasure::psnrAll() const {
    return psnrOf(m_frames ? m_error / m_frames : 0);
}

double PictureMeasure::psnrMin() const {
    return psnrOf(m_worstError);
}

double PictureMeasure::ssim() const {
    return m_frames ? m_ssim / m_frames : 0;
}

} // namespace quire::preview
