#include "EncodeJob.h"

#include <charconv>

namespace quire::encode {

namespace {

std::string kbps(int value) {
    return std::to_string(value) + "k";
}

std::string decimal(double value) {
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::string matrixList(const MatrixValues& values, int offset) {
    std::string list;
    for (int i = 0; i < 64; ++i) {
        if (i > 0)
            list += ',';
        list += std::to_string(values[static_cast<std::size_t>(offset + i)]);
    }
    return list;
}

const char* aspectText(int code) {
    switch (code) {
    case 1:
        return "1:1";
    case 2:
        return "4:3";
    case 3:
        return "16:9";
    case 4:
        return "221:100";
    default:
        return nullptr;
    }
}

CheckResult refuse(std::string reason) {
    return CheckResult{std::nullopt, std::move(reason)};
}

} // namespace

std::optional<std::pair<int, int>> frameRateOfCode(int code) {
    switch (code) {
    case 1:
        return std::pair{24000, 1001};
    case 2:
        return std::pair{24, 1};
    case 3:
        return std::pair{25, 1};
    case 4:
        return std::pair{30000, 1001};
    case 5:
        return std::pair{30, 1};
    case 6:
        return std::pair{50, 1};
    case 7:
        return std::pair{60000, 1001};
    case 8:
        return std::pair{60, 1};
    default:
        return std::nullopt;
    }
}

int gopLength(int rateNum, int rateDen) {
    const bool pal = rateDen > 0 && (rateNum == 25 * rateDen || rateNum == 50 * rateDen);
    return pal ? 15 : 18;
}

CheckResult checkJob(const EncodeJob& job, const ClipInfo& clip) {
    if (job.matrices)
        for (std::size_t i = 0; i < job.matrices->size(); ++i) {
            const int value = (*job.matrices)[i];
            if (value < 1 || value > 255)
                return refuse("matrix value " + std::to_string(i + 1) + " of 128 is " + std::to_string(value) +
                              ", outside 1-255");
        }
    const int maximum = job.maximumKbps.value_or(kDvdMaxKbps);
    if (maximum <= 0 || maximum > kDvdMaxKbps)
        return refuse("maximum bitrate " + std::to_string(maximum) + " kbit/s is outside 1-" +
                      std::to_string(kDvdMaxKbps));
    if (job.minimumKbps < 0 || job.minimumKbps > maximum)
        return refuse("minimum bitrate " + std::to_string(job.minimumKbps) + " kbit/s is outside 0-" +
                      std::to_string(maximum));
    if (job.mode == RateMode::Quantiser) {
        if (!(job.quantiser >= 1 && job.quantiser <= 31))
            return refuse("quality " + decimal(job.quantiser) + " is outside the quantiser range 1-31");
    } else if (job.averageKbps <= 0 || job.averageKbps > maximum) {
        return refuse("average bitrate " + std::to_string(job.averageKbps) + " kbit/s is outside 1-" +
                      std::to_string(maximum) + " (the maximum)");
    }
    if (job.dcPrecision < 8 || job.dcPrecision > 10)
        return refuse("DC precision " + std::to_string(job.dcPrecision) + " is not 8, 9 or 10 bits");
    if (job.frameRateCode != 0 && !frameRateOfCode(job.frameRateCode))
        return refuse("frame rate code " + std::to_string(job.frameRateCode) + " is not an MPEG code 1-8");
    if (job.aspectCode != 0 && !aspectText(job.aspectCode))
        return refuse("aspect ratio code " + std::to_string(job.aspectCode) + " is not an MPEG code 1-4");
    if (clip.frames == kNotCounted) {
        if (job.firstFrame != 0 || job.lastFrame)
            return refuse("the input's frames were not counted, so no frame range can be taken from it");
        return CheckResult{FrameRange{0, kNotCounted, false}, {}};
    }
    if (clip.frames <= 0)
        return refuse("the input has no frames");
    if (job.firstFrame < 0 || job.firstFrame >= clip.frames)
        return refuse("first frame " + std::to_string(job.firstFrame) + " is outside the clip's frames 0-" +
                      std::to_string(clip.frames - 1));
    FrameRange range{job.firstFrame, clip.frames - 1, false};
    if (job.lastFrame) {
        if (*job.lastFrame < job.firstFrame)
            return refuse("last frame " + std::to_string(*job.lastFrame) + " comes before the first frame " +
                          std::to_string(job.firstFrame));
        // The encoders Tessera drives take a range end past the clip as its last frame; Quire
        // writes the segment's frame count there, one past its last frame.
        range.clamped = *job.lastFrame > range.last;
        if (!range.clamped)
            range.last = *job.lastFrame;
    }
    return CheckResult{range, {}};
}

std::vector<std::string> ffmpegArguments(const EncodeJob& job, const ClipInfo& clip, const FrameRange& range,
                                         const std::filesystem::path& source, int pass,
                                         const std::filesystem::path& passLog) {
    int rateNum = clip.rateNum;
    int rateDen = clip.rateDen;
    if (const auto rate = frameRateOfCode(job.frameRateCode)) {
        rateNum = rate->first;
        rateDen = rate->second;
    }
    const std::string rate = std::to_string(rateNum) + "/" + std::to_string(rateDen);

    // Frames are picked by index and numbered again at the output rate: FFmpeg neither drops nor
    // repeats one. DVD video is 4:2:0 whatever the input; interlaced chroma is resampled per field.
    std::string graph = "trim=start_frame=" + std::to_string(range.first);
    if (!range.toEnd())
        graph += ":end_frame=" + std::to_string(range.last + 1);
    graph += ",settb=" + std::to_string(rateDen) + "/" + std::to_string(rateNum) + ",setpts=N,";
    graph += job.interlaced ? "scale=iw:ih:interl=1,format=yuv420p" : "format=yuv420p";

    std::vector<std::string> args = {"ffmpeg",      "-hide_banner",  "-nostdin",  "-y",    "-loglevel", "error",
                                     "-i",          source.string(), "-map",      "0:v:0", "-an",       "-sn",
                                     "-dn",         "-vf",           graph,       "-r",    rate,        "-fps_mode",
                                     "passthrough", "-c:v",          "mpeg2video"};
    const auto add = [&args](std::initializer_list<std::string> more) { args.insert(args.end(), more); };

    std::string flags = "+cgop";
    if (job.interlaced)
        flags += "+ilme+ildct";
    // Closed GOPs everywhere (so a segment splices back): FFmpeg then wants scene-change I-frames off.
    add({"-g", std::to_string(gopLength(rateNum, rateDen)), "-bf", "2", "-flags", flags, "-sc_threshold",
         "1000000000"});
    if (job.interlaced)
        add({"-top", "1"});
    const int maximum = job.maximumKbps.value_or(kDvdMaxKbps);
    add({"-maxrate", kbps(maximum), "-bufsize", std::to_string(kVbvBufferBits)});
    if (job.minimumKbps > 0)
        add({"-minrate", kbps(job.minimumKbps)});
    if (job.mode == RateMode::Quantiser)
        add({"-q:v", decimal(job.quantiser)});
    else
        add({"-b:v", kbps(job.averageKbps)});
    add({"-dc", std::to_string(job.dcPrecision)});
    // FFmpeg refuses the non-linear scale with a largest quantiser above 28.
    if (job.nonLinearQuantiser)
        add({"-non_linear_quant", "1", "-qmax", "28"});
    if (const char* aspect = aspectText(job.aspectCode))
        add({"-aspect", aspect});
    if (job.matrices)
        add({"-intra_matrix", matrixList(*job.matrices, 0), "-inter_matrix", matrixList(*job.matrices, 64)});
    switch (job.speed) {
    case Speed::Fast:
        add({"-mbd", "simple"});
        break;
    case Speed::Normal:
        add({"-mbd", "bits"});
        break;
    case Speed::Best:
        add({"-mbd", "rd", "-cmp", "2", "-subcmp", "2"});
        break;
    }
    if (job.trellis || job.speed == Speed::Best)
        add({"-trellis", "1"});
    if (pass == 1 || pass == 2)
        add({"-pass", std::to_string(pass), "-passlogfile", passLog.string()});
    if (pass == 1)
        add({"-f", "null", "/dev/null"});
    else
        add({"-f", "mpeg2video", job.output.string()});
    return args;
}

} // namespace quire::encode
