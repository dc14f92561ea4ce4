#include "preview/FramePair.h"

#include "preview/DecodedFrames.h"

extern "C" {
#include <libavformat/avformat.h>
}

#include <algorithm>
#include <cmath>
#include <thread>

namespace quire::preview {

namespace {

std::string nameOf(const fs::path& file) {
    return file.filename().string();
}

} // namespace

std::optional<ClipInfo> probeClip(const fs::path& file, const std::atomic<bool>& cancel) {
    av_log_set_level(AV_LOG_QUIET);
    AVFormatContext* format = nullptr;
    if (avformat_open_input(&format, file.string().c_str(), nullptr, nullptr) < 0)
        return std::nullopt;
    std::optional<ClipInfo> info;
    int stream = -1; // the first video stream, as the decoder takes it
    const unsigned streams = avformat_find_stream_info(format, nullptr) >= 0 ? format->nb_streams : 0;
    for (unsigned i = 0; i < streams && stream < 0; ++i)
        if (format->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_VIDEO)
            stream = static_cast<int>(i);
    if (stream >= 0) {
        AVStream* video = format->streams[stream];
        const AVRational sar = av_guess_sample_aspect_ratio(format, video, nullptr);
        const AVCodecParameters* codec = video->codecpar;
        info = ClipInfo{codec->width, codec->height, video->r_frame_rate.den > 0 ? av_q2d(video->r_frame_rate) : 0.0,
                        0.0, 0};
        info->aspect = codec->height > 0 ? static_cast<double>(codec->width) / codec->height *
                                               (sar.num > 0 && sar.den > 0 ? av_q2d(sar) : 1.0)
                                         : 0.0;
        // One packet a coded picture, counted as the renderer counts a file's frames.
        AVPacket* packet = av_packet_alloc();
        while (packet && !cancel && av_read_frame(format, packet) >= 0) {
            info->frames += packet->stream_index == stream;
            av_packet_unref(packet);
        }
        av_packet_free(&packet);
        if (cancel || info->width <= 0 || info->height <= 0)
            info.reset();
    }
    avformat_close_input(&format);
    return info;
}

Picture differencePicture(const Picture& a, const Picture& b, int gain) {
    if (a.width != b.width || a.height != b.height || a.bgra.size() != b.bgra.size())
        return {};
    Picture d{a.width, a.height, std::vector<std::uint8_t>(a.bgra.size())};
    for (std::size_t i = 0; i < a.bgra.size(); ++i) {
        const int difference = std::abs(int(a.bgra[i]) - int(b.bgra[i])) * gain;
        d.bgra[i] = i % 4 == 3 ? 255 : static_cast<std::uint8_t>(std::min(difference, 255));
    }
    return d;
}

std::optional<double> picturePsnr(const Picture& a, const Picture& b) {
    if (a.empty() || a.width != b.width || a.height != b.height || a.bgra.size() != b.bgra.size())
        return std::nullopt;
    double squares = 0;
    std::size_t samples = 0;
    for (std::size_t i = 0; i < a.bgra.size(); ++i) {
        if (i % 4 == 3)
            continue;
        const double difference = double(a.bgra[i]) - double(b.bgra[i]);
        squares += difference * difference;
        ++samples;
    }
    if (squares == 0)
        return kIdenticalPsnr;
    return std::min(kIdenticalPsnr, 10.0 * std::log10(255.0 * 255.0 * double(samples) / squares));
}

FrameCursor::FrameCursor(fs::path file, int width, int height)
    : m_file(std::move(file)), m_width(width), m_height(height) {}

FrameCursor::~FrameCursor() = default;

Picture FrameCursor::frame(int index, const std::atomic<bool>& cancel, std::string& why) {
    const std::string failed = "FFmpeg could not decode frame " + std::to_string(index) + " of " + nameOf(m_file) + ".";
    if (!m_frames || index < m_next) {
        std::string opened;
        m_frames =
            DecodedFrames::open(m_file.string(), "scale=" + std::to_string(m_width) + ":" + std::to_string(m_height),
                                opened, DecodedFrames::Layout::Bgra);
        m_next = 0;
        if (!m_frames) {
            why = failed;
            return {};
        }
    }
    // Only the frame shown is scaled and converted; those before it are decoded and left.
    for (; m_next < index && !cancel; ++m_next)
        if (!m_frames->skip()) {
            m_frames.reset();
            why = failed;
            return {};
        }
    Picture picture{m_width, m_height, {}};
    if (cancel || !m_frames->next(picture.bgra)) {
        m_frames.reset();
        why = cancel ? std::string() : failed;
        return {};
    }
    ++m_next;
    return picture;
}

int pairedFrames(const ClipInfo& a, const ClipInfo& b) {
    return std::min(a.frames, b.frames);
}

FramePair decodeFramePair(const fs::path& a, const fs::path& b, int index,
                          const std::optional<std::pair<ClipInfo, ClipInfo>>& known, const std::atomic<bool>& cancel,
                          FrameCursors* cursors) {
    FramePair pair;
    if (known) {
        pair.infoA = known->first;
        pair.infoB = known->second;
    } else {
        const fs::path* files[2] = {&a, &b};
        ClipInfo* infos[2] = {&pair.infoA, &pair.infoB};
        for (int i = 0; i < 2; ++i) {
            const auto info = probeClip(*files[i], cancel);
            if (cancel) {
                pair.cancelled = true;
                return pair;
            }
            if (!info) {
                pair.why = "FFmpeg could not read the video of " + nameOf(*files[i]) + ".";
                return pair;
            }
            *infos[i] = *info;
        }
    }
    const int frames = pairedFrames(pair.infoA, pair.infoB);
    if (frames <= 0) {
        pair.why = "There is no frame to show: " + nameOf(pair.infoA.frames <= 0 ? a : b) + " has none.";
        return pair;
    }
    pair.index = std::clamp(index, 0, frames - 1);
    const int width = pair.infoA.width, height = pair.infoA.height;
    FrameCursors own;
    FrameCursors& use = cursors ? *cursors : own;
    for (const auto& [cursor, file] : {std::pair{&use.a, &a}, std::pair{&use.b, &b}})
        if (!*cursor || (*cursor)->width() != width || (*cursor)->height() != height)
            *cursor = std::make_unique<FrameCursor>(*file, width, height);
    std::string whyA, whyB;
    std::thread other([&] { pair.b = use.b->frame(pair.index, cancel, whyB); });
    pair.a = use.a->frame(pair.index, cancel, whyA);
    other.join();
    if (cancel) {
        pair.cancelled = true;
        pair.a = {};
        pair.b = {};
    } else if (pair.a.empty() || pair.b.empty()) {
        pair.why = pair.a.empty() ? whyA : whyB;
        pair.a = {};
        pair.b = {};
    }
    return pair;
}

struct FramePairJob::Thread {
    std::thread thread;
};

FramePairJob::FramePairJob(fs::path a, fs::path b, int index, std::optional<std::pair<ClipInfo, ClipInfo>> known,
                           FrameCursors* cursors)
    : m_index(index), m_thread(std::make_unique<Thread>()) {
    m_thread->thread =
        std::thread([this, a = std::move(a), b = std::move(b), index, known = std::move(known), cursors] {
            m_result = decodeFramePair(a, b, index, known, m_cancel, cursors);
            m_finished = true;
        });
}

FramePairJob::~FramePairJob() {
    m_cancel = true;
    if (m_thread->thread.joinable())
        m_thread->thread.join();
}

} // namespace quire::preview
