// Segment details of the selected segment.
#include "SegmentDetails.h"

#include "app/IniManager.h"

#include <cmath>

namespace quire::preview {
namespace {

// "hh:mm:ss" of a number of seconds, rounded to the second; the hours wrap at 24.
std::string clockText(double seconds) {
    const long long inDay = ((std::llround(seconds) % 86400) + 86400) % 86400;
    std::string out;
    for (const long long part : {inDay / 3600, inDay / 60 % 60, inDay % 60}) {
        if (!out.empty())
            out += ':';
        out += static_cast<char>('0' + part / 10);
        out += static_cast<char>('0' + part % 10);
    }
    return out;
}

} // namespace

std::string sectorsAsMegabytes(double sectors, const NumberSeparators& separators) {
    return formatGrouped(sectors / 1024 * 2, separators.decimal, separators.thousands);
}

void ShowSegmentDetails(PreviewContext& context, PreviewState& state, std::string_view item) {
    HostProject& p = state.project;
    const auto& sep = context.separators;
    const std::string section(item.substr(0, item.size() >= 4 ? item.size() - 4 : 0));
    const auto inf = context.infFile();
    auto key = [&](std::string_view name) { return ini::GetValue(section, name, inf); };

    p.audioSectors = key("Audio_Sub_Sectors");
    p.videoSectors = key("Video_Sectors");
    const auto audio = toNumber(p.audioSectors);
    const auto video = toNumber(p.videoSectors);
    if (audio && video)
        p.fileSize = sectorsAsMegabytes(*audio + *video, sep);
    p.ILVU = key("ILVU");
    p.txtPulldown = key("Pulldown");
    p.txtAspectRatio = key("Aspect_Ratio");
    p.Frames = key("Frames");
    p.frameRate = key("Frame_Rate_Code");
    p.ActionInf = key("Action");
    if (p.ActionInf.empty())
        p.ActionInf = "0";

    std::optional<double> fps;
    if (p.frameRate == "3")
        fps = 25;
    else if (p.frameRate == "2")
        fps = 23.976;
    else if (p.frameRate == "1")
        fps = 29.97;
    if (fps)
        p.frValue = formatPlain(*fps, sep.decimal);
    const auto frames = toNumber(p.Frames);
    const auto shownRate = toNumber(p.frValue, sep.decimal);
    if (frames && shownRate && *shownRate != 0)
        p.Duration = clockText(*frames / *shownRate);

    const double encodeRate = p.frameRate == "3" ? 25.0 : 23.976;
    if (frames && video && *frames != 0)
        p.Bitrate = formatWhole(*video * 2048 * 8 / (*frames / encodeRate) / 1000);
    if (p.txtDif == "0") {
        p.BitrateFinal = p.Bitrate;
    } else {
        const auto bitrate = toNumber(p.Bitrate);
        const auto percent = toNumber(p.Percent);
        if (bitrate && percent)
            p.BitrateFinal = formatWhole(*bitrate + *bitrate * *percent / 100);
        if (p.ActionInf == "1" || p.ActionInf == "2")
            p.BitrateFinal = "0";
    }

    if (p.txtAspectRatio == "3")
        context.view.showAspect(AspectChoice::Wide);
    else if (p.txtAspectRatio == "2")
        context.view.showAspect(AspectChoice::Standard);

    const long length = static_cast<long>(item.size());
    if (const auto vts = midText(item, 2, length - 17))
        p.txtVTS = "VTS_" + *vts;
    if (const auto vob = midText(item, 10, length - 16))
        p.txtVob = "VOB ID " + *vob;
    if (const auto cell = midText(item, 13, length - 16))
        p.txtSegment = "Cell ID " + *cell;

    p.txtTotalSize = p.fileSize + "MB";
    if (video)
        p.txtVideoSize = sectorsAsMegabytes(*video, sep) + "MB";
    if (audio)
        p.txtAudioSize = sectorsAsMegabytes(*audio, sep) + "MB";
    p.txtDuration = "Aprox. " + p.Duration;
    p.txtVBR = "VBR " + p.BitrateFinal;
    p.txtFrameRate = p.frValue + " fps";

    if (const auto digits = midText(item, 4, length - 15)) {
        if (state.encoder == EncoderKind::CceBasic) {
            p.txtSegIndex = *digits;
        } else if (const auto index = toNumber(*digits)) {
            p.txtSegIndex = formatPlain(*index * 2);
        }
    }
}

} // namespace quire::preview
