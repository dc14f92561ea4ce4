#include "preview/DecodedFrames.h"

#include <algorithm>
#include <cstring>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavfilter/avfilter.h>
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
#include <libavformat/avformat.h>
}

namespace quire::preview {

struct DecodedFrames::State {
    AVFormatContext* format = nullptr;
    AVCodecContext* codec = nullptr;
    AVFilterGraph* graph = nullptr;
    AVFilterContext* source = nullptr; // the decoded frames enter the chain here; null for a source chain
    AVFilterContext* sink = nullptr;
    AVPacket* packet = av_packet_alloc();
    AVFrame* decoded = av_frame_alloc();
    AVFrame* filtered = av_frame_alloc();
    int stream = -1;
    Layout layout = Layout::Yuv420;
    std::vector<std::uint8_t> skipped; // a frame of a source chain that is left out
    bool inputDone = false, decoderDone = false;
    std::string why;

    ~State() {
        av_frame_free(&filtered);
        av_frame_free(&decoded);
        av_packet_free(&packet);
        avfilter_graph_free(&graph);
        avcodec_free_context(&codec);
        avformat_close_input(&format);
    }

    bool openInput(const std::string& input) {
        if (avformat_open_input(&format, input.c_str(), nullptr, nullptr) < 0 ||
            avformat_find_stream_info(format, nullptr) < 0)
            return false;
        for (unsigned i = 0; i < format->nb_streams && stream < 0; ++i)
            if (format->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_VIDEO)
                stream = static_cast<int>(i);
        if (stream < 0)
            return false;
        const AVStream* video = format->streams[stream];
        const AVCodec* decoder = avcodec_find_decoder(video->codecpar->codec_id);
        codec = decoder ? avcodec_alloc_context3(decoder) : nullptr;
        if (!codec || avcodec_parameters_to_context(codec, video->codecpar) < 0)
            return false;
        codec->pkt_timebase = video->time_base;
        // The measure decodes two streams at once on a machine of a few cores: one thread each.
        codec->thread_count = 1;
        return avcodec_open2(codec, decoder, nullptr) >= 0;
    }

    bool openGraph(const std::string& chain) {
        graph = avfilter_graph_alloc();
        if (!graph)
            return false;
        graph->nb_threads = 1;
        std::string text = chain.empty() ? "null" : chain;
        constexpr std::string_view firstVideo = "[0:v:0]";
        if (text.starts_with(firstVideo))
            text.erase(0, firstVideo.size());
        text = (codec ? "[in]" : "") + text + (layout == Layout::Bgra ? ",format=bgra[out]" : ",format=yuv420p[out]");
        if (avfilter_graph_create_filter(&sink, avfilter_get_by_name("buffersink"), "out", nullptr, nullptr, graph) < 0)
            return false;
        AVFilterInOut* outputs = nullptr;
        if (codec) {
            const AVStream* video = format->streams[stream];
            const AVRational rate = av_guess_frame_rate(format, format->streams[stream], nullptr);
            const AVRational aspect = codec->sample_aspect_ratio.den ? codec->sample_aspect_ratio : AVRational{0, 1};
            const std::string args = "video_size=" + std::to_string(codec->width) + "x" +
                                     std::to_string(codec->height) + ":pix_fmt=" + std::to_string(codec->pix_fmt) +
                                     ":time_base=" + std::to_string(video->time_base.num) + "/" +
                                     std::to_string(video->time_base.den) +
                                     ":pixel_aspect=" + std::to_string(aspect.num) + "/" + std::to_string(aspect.den) +
                                     (rate.num > 0 && rate.den > 0
                                          ? ":frame_rate=" + std::to_string(rate.num) + "/" + std::to_string(rate.den)
                                          : "");
            if (avfilter_graph_create_filter(&source, avfilter_get_by_name("buffer"), "in", args.c_str(), nullptr,
                                             graph) < 0)
                return false;
            outputs = avfilter_inout_alloc();
            if (!outputs)
                return false;
            outputs->name = av_strdup("in");
            outputs->filter_ctx = source;
        }
        AVFilterInOut* inputs = avfilter_inout_alloc();
        if (!inputs) {
            avfilter_inout_free(&outputs);
            return false;
        }
        inputs->name = av_strdup("out");
        inputs->filter_ctx = sink;
        const int parsed = avfilter_graph_parse_ptr(graph, text.c_str(), &inputs, &outputs, nullptr);
        avfilter_inout_free(&inputs);
        avfilter_inout_free(&outputs);
        return parsed >= 0 && avfilter_graph_config(graph, nullptr) >= 0 &&
               av_buffersink_get_format(sink) == (layout == Layout::Bgra ? AV_PIX_FMT_BGRA : AV_PIX_FMT_YUV420P);
    }

    // The decoder's next frame into `decoded`; false at its end (then decoderDone) or on a fault.
    bool decodeOne() {
        while (!decoderDone) {
            const int received = avcodec_receive_frame(codec, decoded);
            if (received >= 0) {
                decoded->pts = decoded->best_effort_timestamp;
                return true;
            }
            if (received == AVERROR_EOF) {
                decoderDone = true;
                return false;
            }
            if (received != AVERROR(EAGAIN))
                return false;
            // A read fault ends the input as the command line's FFmpeg ends it; a damaged packet is skipped.
            if (inputDone || av_read_frame(format, packet) < 0) {
                inputDone = true;
                avcodec_send_packet(codec, nullptr);
                continue;
            }
            if (packet->stream_index == stream)
                avcodec_send_packet(codec, packet);
            av_packet_unref(packet);
        }
        return false;
    }

    // Hands the chain its next decoded frame, or its end once; false when there is nothing more to give.
    bool feed() {
        if (decoderDone)
            return false;
        if (decodeOne())
            return av_buffersrc_add_frame_flags(source, decoded, 0) >= 0;
        return decoderDone && av_buffersrc_add_frame_flags(source, nullptr, 0) >= 0;
    }
};

DecodedFrames::DecodedFrames(std::unique_ptr<State> state) : m_state(std::move(state)) {}

DecodedFrames::~DecodedFrames() = default;

std::unique_ptr<DecodedFrames> DecodedFrames::open(const std::string& input, const std::string& graph, std::string& why,
                                                   Layout layout) {
    av_log_set_level(AV_LOG_QUIET);
    auto state = std::make_unique<State>();
    state->layout = layout;
    if (!state->packet || !state->decoded || !state->filtered) {
        why = "FFmpeg's decoder could not be set up.";
        return nullptr;
    }
    if (!input.empty() && !state->openInput(input)) {
        why = "FFmpeg could not decode " + input + ".";
        return nullptr;
    }
    if (!state->openGraph(graph)) {
        why = "FFmpeg could not set up the filters " + graph + ".";
        return nullptr;
    }
    return std::unique_ptr<DecodedFrames>(new DecodedFrames(std::move(state)));
}

int DecodedFrames::width() const {
    return av_buffersink_get_w(m_state->sink);
}

int DecodedFrames::height() const {
    return av_buffersink_get_h(m_state->sink);
}

bool DecodedFrames::skip() {
    State& s = *m_state;
    if (!s.source)
        return next(s.skipped);
    if (s.decodeOne()) {
        av_frame_unref(s.decoded);
        return true;
    }
    if (!s.decoderDone)
        s.why = "FFmpeg stopped decoding part way.";
    return false;
}

const std::string& DecodedFrames::why() const {
    return m_state->why;
}

bool DecodedFrames::next(std::vector<std::uint8_t>& frame) {
    State& s = *m_state;
    for (;;) {
        const int got = av_buffersink_get_frame(s.sink, s.filtered);
        if (got == AVERROR_EOF)
            return false;
        if (got == AVERROR(EAGAIN)) {
            if (s.source && s.feed())
                continue;
            if (!s.source || !s.decoderDone)
                s.why = "FFmpeg stopped decoding part way.";
            return false;
        }
        if (got < 0) {
            s.why = "FFmpeg's filters stopped part way.";
            return false;
        }
        const int width = s.filtered->width, height = s.filtered->height;
        if (width != av_buffersink_get_w(s.sink) || height != av_buffersink_get_h(s.sink)) {
            av_frame_unref(s.filtered);
            s.why = "The picture size changes part way.";
            return false;
        }
        if (s.layout == Layout::Bgra) {
            frame.resize(static_cast<std::size_t>(width) * height * 4);
            for (int y = 0; y < height; ++y)
                std::memcpy(frame.data() + static_cast<std::size_t>(y) * width * 4,
                            s.filtered->data[0] + static_cast<std::ptrdiff_t>(y) * s.filtered->linesize[0],
                            static_cast<std::size_t>(width) * 4);
        } else {
            const int chromaWidth = (width + 1) / 2, chromaHeight = (height + 1) / 2;
            frame.resize(static_cast<std::size_t>(width) * height +
                         2 * static_cast<std::size_t>(chromaWidth) * static_cast<std::size_t>(chromaHeight));
            std::uint8_t* to = frame.data();
            for (int p = 0; p < 3; ++p) {
                const int w = p ? chromaWidth : width, h = p ? chromaHeight : height;
                for (int y = 0; y < h; ++y, to += w)
                    std::memcpy(to, s.filtered->data[p] + static_cast<std::ptrdiff_t>(y) * s.filtered->linesize[p],
                                static_cast<std::size_t>(w));
            }
        }
        av_frame_unref(s.filtered);
        return true;
    }
}

} // namespace quire::preview
