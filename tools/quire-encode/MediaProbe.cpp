#include "MediaProbe.h"

#include "FrontEnds.h"

#include <string>

namespace quire::encode {

namespace {

// "YUV4MPEG2 W720 H576 F25:1 Ip A1:1 C420jpeg\n": tags separated by blanks, the first letter says
// which. Every frame is "FRAME" (no parameters), a line break and the planes.
std::optional<ClipInfo> probeY4m(std::string_view head, std::uint64_t fileSize) {
    const std::size_t end = head.find('\n');
    if (end == std::string_view::npos)
        return std::nullopt;
    ClipInfo clip;
    std::string chroma = "420";
    std::size_t at = 9;
    while (at < end) {
        const std::size_t next = std::min(head.find(' ', at + 1), end);
        const std::string_view tag = head.substr(at + 1, next - at - 1);
        at = next;
        if (tag.empty())
            continue;
        const std::string_view value = tag.substr(1);
        if (tag[0] == 'W' && parseWhole(value)) {
            clip.width = *parseWhole(value);
        } else if (tag[0] == 'H' && parseWhole(value)) {
            clip.height = *parseWhole(value);
        } else if (tag[0] == 'F') {
            const std::size_t colon = value.find(':');
            const auto num = parseWhole(value.substr(0, colon));
            const auto den = colon == std::string_view::npos ? std::nullopt : parseWhole(value.substr(colon + 1));
            if (!num || !den || *num <= 0 || *den <= 0)
                return std::nullopt;
            clip.rateNum = *num;
            clip.rateDen = *den;
        } else if (tag[0] == 'C') {
            chroma = std::string(value);
        }
    }
    if (clip.width <= 0 || clip.height <= 0)
        return std::nullopt;
    const std::uint64_t luma = static_cast<std::uint64_t>(clip.width) * static_cast<std::uint64_t>(clip.height);
    const std::uint64_t chromaW = (static_cast<std::uint64_t>(clip.width) + 1) / 2;
    const std::uint64_t chromaH = (static_cast<std::uint64_t>(clip.height) + 1) / 2;
    std::uint64_t frameBytes = 0;
    if (chroma.rfind("420", 0) == 0)
        frameBytes = luma + 2 * chromaW * chromaH;
    else if (chroma == "422")
        frameBytes = luma + 2 * chromaW * static_cast<std::uint64_t>(clip.height);
    else if (chroma == "444")
        frameBytes = 3 * luma;
    else if (chroma == "mono")
        frameBytes = luma;
    const std::uint64_t body = fileSize - (end + 1);
    const std::uint64_t record = frameBytes + 6; // "FRAME\n"
    // Another sample format, or frames with parameters: the count is left to ffprobe.
    if (frameBytes > 0 && fileSize > end && body % record == 0 && head.substr(end + 1, 6) == "FRAME\n")
        clip.frames = static_cast<int>(body / record);
    return clip;
}

// The first sequence header (00 00 01 B3): 12 bits of width, 12 of height, 4 of aspect, 4 of rate code.
std::optional<ClipInfo> probeMpeg(std::string_view head) {
    for (std::size_t at = head.find(std::string_view("\0\0\1\xB3", 4)); at != std::string_view::npos;
         at = head.find(std::string_view("\0\0\1\xB3", 4), at + 1)) {
        if (at + 8 > head.size())
            break;
        const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(head[at + 4 + i]); };
        ClipInfo clip;
        clip.width = static_cast<int>((byte(0) << 4) | (byte(1) >> 4));
        clip.height = static_cast<int>(((byte(1) & 15) << 8) | byte(2));
        const auto rate = frameRateOfCode(byte(3) & 15);
        if (clip.width == 0 || clip.height == 0 || !rate)
            continue;
        clip.rateNum = rate->first;
        clip.rateDen = rate->second;
        clip.frames = kNotCounted; // ffprobe counts them when a range needs it
        return clip;
    }
    return std::nullopt;
}

} // namespace

std::optional<ClipInfo> probeHeader(std::string_view head, std::uint64_t fileSize) {
    if (head.substr(0, 10) == "YUV4MPEG2 ")
        return probeY4m(head, fileSize);
    return probeMpeg(head);
}

} // namespace quire::encode
