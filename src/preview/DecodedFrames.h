// Video frames decoded in this process by FFmpeg's libraries, through an FFmpeg filter chain, as 8-bit
// 4:2:0 planes or BGRA pictures. Every frame the chain gives is handed over: none is dropped or repeated
// for a rate.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace quire::preview {

class DecodedFrames {
public:
    enum class Layout {
        Yuv420, // Y, U and V planes, rows packed
        Bgra    // four bytes a pixel, rows packed, top to bottom
    };
    // Opens the first video stream of `input` and puts the chain `graph` after it, whose input is named
    // "[0:v:0]" as on FFmpeg's command line (empty: the frames as decoded). With no input the chain makes
    // its own frames (a source filter first). Empty, with `why` set to one sentence for the user, when the
    // file cannot be read or the chain cannot be set up.
    static std::unique_ptr<DecodedFrames> open(const std::string& input, const std::string& graph, std::string& why,
                                               Layout layout = Layout::Yuv420);
    ~DecodedFrames();
    DecodedFrames(const DecodedFrames&) = delete;
    DecodedFrames& operator=(const DecodedFrames&) = delete;

    int width() const;
    int height() const;
    // The next frame in the layout asked for; false at the end or on a fault (then why()).
    bool next(std::vector<std::uint8_t>& frame);
    // Decodes the next frame and leaves it out, before the chain: for chains that keep nothing from one
    // frame to the next (a scale, a format). False at the end or on a fault (then why()).
    bool skip();
    const std::string& why() const;

private:
    struct State;
    explicit DecodedFrames(std::unique_ptr<State> state);
    std::unique_ptr<State> m_state;
};

} // namespace quire::preview
