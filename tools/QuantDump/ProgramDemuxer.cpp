// Pack and PES parsing of MPEG-1 system and MPEG-2 program streams.
#include "ProgramDemuxer.h"

#include "StartCode.h"

#include <algorithm>

namespace quire::quantdump {

namespace {

constexpr std::uint8_t kPackCode = 0xBA;
constexpr std::uint8_t kEndCode = 0xB9;
constexpr std::uint8_t kSystemHeaderCode = 0xBB; // first code carrying a 16-bit length
constexpr std::uint8_t kFirstVideoStream = 0xE0;
constexpr std::uint8_t kLastVideoStream = 0xEF;
constexpr std::size_t kMpeg2PackBytes = 14;
constexpr std::size_t kMpeg1PackBytes = 12;
constexpr std::size_t kMaxMpeg1Stuffing = 16;

} // namespace

PackCheck checkPackHeader(const std::uint8_t* s, std::size_t available, std::size_t& length) {
    if (available < 5)
        return PackCheck::NeedMore;
    if ((s[4] & 0xC0) == 0x40) { // MPEG-2: '01', SCR and its extension, mux rate, stuffing length
        if (available < kMpeg2PackBytes)
            return PackCheck::NeedMore;
        if ((s[4] & 0x04) == 0 || (s[6] & 0x04) == 0 || (s[8] & 0x04) == 0 || (s[9] & 0x01) == 0 ||
            (s[12] & 0x03) != 0x03)
            return PackCheck::Invalid;
        length = kMpeg2PackBytes + (s[13] & 0x07);
        return PackCheck::Valid;
    }
    if ((s[4] & 0xF0) == 0x20) { // MPEG-1: '0010', SCR, mux rate
        if (available < kMpeg1PackBytes)
            return PackCheck::NeedMore;
        if ((s[4] & 0x01) == 0 || (s[6] & 0x01) == 0 || (s[8] & 0x01) == 0 || (s[9] & 0x80) == 0 || (s[11] & 0x01) == 0)
            return PackCheck::Invalid;
        length = kMpeg1PackBytes;
        return PackCheck::Valid;
    }
    return PackCheck::Invalid;
}

ProgramDemuxer::Item ProgramDemuxer::readItem(const std::uint8_t* s, std::size_t available) const {
    Item item;
    if (available < 4) {
        item.kind = ItemKind::NeedMore;
        return item;
    }
    const std::uint8_t code = s[3];
    if (code == kPackCode) {
        const PackCheck check = checkPackHeader(s, available, item.total);
        if (check == PackCheck::Valid)
            item.kind = ItemKind::Skip;
        else if (check == PackCheck::NeedMore)
            item.kind = ItemKind::NeedMore;
        return item;
    }
    if (code == kEndCode) {
        item.kind = ItemKind::Skip;
        item.total = 4;
        return item;
    }
    if (code < kSystemHeaderCode)
        return item; // a video start code or junk where a system item should begin
    if (available < 6) {
        item.kind = ItemKind::NeedMore;
        return item;
    }
    item.total = 6 + ((static_cast<std::size_t>(s[4]) << 8) | s[5]);
    item.kind = ItemKind::Skip;
    const bool video = code >= kFirstVideoStream && code <= kLastVideoStream;
    if (!video || (m_videoStreamId >= 0 && m_videoStreamId != code) || item.total == 6)
        return item;

    // The PES header, in its MPEG-2 or MPEG-1 form; it must end inside the packet.
    const std::size_t seen = std::min(available, item.total);
    std::size_t at = 6;
    auto beyond = [&](std::size_t index) { return index >= seen; };
    auto cutShort = [&]() {
        Item result;
        result.kind = seen < item.total ? ItemKind::NeedMore : ItemKind::Junk;
        return result;
    };
    if (beyond(at))
        return cutShort();
    if ((s[at] & 0xC0) == 0x80) {
        if (beyond(at + 2))
            return cutShort();
        at += 3 + s[at + 2];
    } else {
        std::size_t stuffing = 0;
        while (s[at] == 0xFF && stuffing < kMaxMpeg1Stuffing) {
            ++at;
            ++stuffing;
            if (beyond(at))
                return cutShort();
        }
        if ((s[at] & 0xC0) == 0x40) { // STD buffer scale and size
            at += 2;
            if (beyond(at))
                return cutShort();
        }
        if ((s[at] & 0xF0) == 0x20)
            at += 5;
        else if ((s[at] & 0xF0) == 0x30)
            at += 10;
        else if (s[at] == 0x0F)
            at += 1;
        else
            return Item{};
    }
    if (at > item.total)
        return Item{};
    item.kind = ItemKind::Video;
    item.header = at;
    return item;
}

std::size_t ProgramDemuxer::process(const std::uint8_t* data, std::size_t size, bool atEnd) {
    std::size_t i = 0;
    while (i < size) {
        if (m_video.complete())
            return size;
        if (m_skip > 0) {
            const std::size_t step = std::min(m_skip, size - i);
            i += step;
            m_skip -= step;
            continue;
        }
        if (m_payload > 0) {
            const std::size_t step = std::min(m_payload, size - i);
            m_video.feed(data + i, step);
            i += step;
            m_payload -= step;
            continue;
        }
        // Items follow one another directly, so the next one usually starts right here.
        const bool here = i + 2 < size && data[i] == 0 && data[i + 1] == 0 && data[i + 2] == 1;
        const std::size_t prefix = here ? i : findStartCode(data, i, size);
        if (prefix == kNoStartCode) // keep the last two bytes: they may begin a start code
            return atEnd ? size : std::max(i, size >= 2 ? size - 2 : 0);
        const Item item = readItem(data + prefix, size - prefix);
        switch (item.kind) {
        case ItemKind::NeedMore:
            if (!atEnd)
                return prefix;
            i = prefix + 3;
            break;
        case ItemKind::Junk:
            i = prefix + 3;
            break;
        case ItemKind::Skip:
            i = prefix;
            m_skip = item.total;
            break;
        case ItemKind::Video:
            m_videoStreamId = data[prefix + 3];
            i = prefix;
            m_skip = item.header;
            m_payload = item.total - item.header;
            break;
        }
    }
    return size;
}

} // namespace quire::quantdump
