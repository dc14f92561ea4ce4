// Walks an MPEG-1 system stream or MPEG-2 program stream (pack headers, system headers, PES
// packets of any kind) and hands the payload of its first video stream to an ElementaryScanner.
#pragma once

#include "ElementaryScanner.h"

#include <cstddef>
#include <cstdint>

namespace quire::quantdump {

enum class PackCheck { Valid, Invalid, NeedMore };

// Checks the pack header at `pack` (which begins with 00 00 01 BA) in its MPEG-2 or MPEG-1 form,
// marker bits included; when Valid, `length` is its size with the stuffing bytes.
PackCheck checkPackHeader(const std::uint8_t* pack, std::size_t available, std::size_t& length);

class ProgramDemuxer {
public:
    explicit ProgramDemuxer(ElementaryScanner& video) : m_video(video) {}

    // Reads data[0, size) and returns how many bytes it used. The bytes it did not use (a pack or
    // packet header cut by the end of the data; never more than kMaxHeld) must be offered again at
    // the start of the next call. With atEnd, everything is used. Video payloads are passed on in
    // place, without copying.
    std::size_t process(const std::uint8_t* data, std::size_t size, bool atEnd);

    // The longest header the demuxer needs to see whole: an MPEG-1 PES header with 16 stuffing
    // bytes, buffer size and time stamps.
    static constexpr std::size_t kMaxHeld = 64;

private:
    enum class ItemKind { NeedMore, Junk, Skip, Video };
    struct Item {
        ItemKind kind = ItemKind::Junk;
        std::size_t header = 0; // bytes before the payload (Video)
        std::size_t total = 0;  // bytes of the whole pack header or packet (Skip, Video)
    };

    Item readItem(const std::uint8_t* item, std::size_t available) const;

    ElementaryScanner& m_video;
    int m_videoStreamId = -1;  // the first video stream seen; others are skipped
    std::size_t m_skip = 0;    // bytes of the current item still to pass over
    std::size_t m_payload = 0; // video payload bytes still to hand over (after m_skip)
};

} // namespace quire::quantdump
