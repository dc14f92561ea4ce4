#include "StreamIndex.h"

#include <algorithm>
#include <cstdio>

namespace quire::sample {

namespace {

constexpr std::uint8_t kPack = 0xBA;
constexpr std::uint8_t kEnd = 0xB9;
constexpr std::uint8_t kSequence = 0xB3;
constexpr std::uint8_t kExtension = 0xB5;
constexpr std::uint8_t kGroup = 0xB8;
constexpr std::uint8_t kPicture = 0x00;

std::uint8_t at(const std::string& bytes, std::size_t i) {
    return static_cast<std::uint8_t>(bytes[i]);
}

bool startCode(const std::string& bytes, std::size_t i) {
    return i + 3 < bytes.size() && bytes[i] == 0 && bytes[i + 1] == 0 && at(bytes, i + 2) == 1;
}

// A run of video elementary-stream bytes and where it lies in the file.
struct Piece {
    std::size_t esStart;
    std::size_t fileStart;
    std::size_t length;
    std::size_t pack;
};

struct Demuxed {
    std::string es;
    std::vector<Piece> pieces;
    long videoSectors = 0;
    long audioSectors = 0;
    long packs = 0;

    const Piece& pieceOf(std::size_t esOffset) const {
        auto it = std::upper_bound(pieces.begin(), pieces.end(), esOffset,
                                   [](std::size_t offset, const Piece& piece) { return offset < piece.esStart; });
        return *(it - 1);
    }
    std::size_t fileOffset(std::size_t esOffset) const {
        const Piece& piece = pieceOf(esOffset);
        return piece.fileStart + (esOffset - piece.esStart);
    }
};

bool demux(const std::string& bytes, Demuxed& out, std::string& error) {
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        if (!startCode(bytes, pos) || at(bytes, pos + 3) != kPack) {
            if (startCode(bytes, pos) && at(bytes, pos + 3) == kEnd)
                break;
            error = "no pack header at byte " + std::to_string(pos);
            return false;
        }
        if (pos + 14 > bytes.size() || (at(bytes, pos + 4) & 0xC0) != 0x40) {
            error = "not an MPEG-2 pack at byte " + std::to_string(pos);
            return false;
        }
        const std::size_t packStart = pos;
        std::size_t p = pos + 14 + (at(bytes, pos + 13) & 7);
        bool video = false;
        bool audio = false;
        while (p + 6 <= bytes.size() && startCode(bytes, p) && at(bytes, p + 3) != kPack && at(bytes, p + 3) != kEnd) {
            const std::uint8_t id = at(bytes, p + 3);
            const std::size_t end = p + 6 + (std::size_t(at(bytes, p + 4)) << 8 | at(bytes, p + 5));
            if (end > bytes.size()) {
                error = "a packet runs past the end at byte " + std::to_string(p);
                return false;
            }
            if (id >= 0xE0 && id <= 0xEF) {
                video = true;
                const std::size_t payload = p + 9 + at(bytes, p + 8);
                if (payload < end) {
                    out.pieces.push_back({out.es.size(), payload, end - payload, packStart});
                    out.es.append(bytes, payload, end - payload);
                }
            } else if ((id >= 0xC0 && id <= 0xDF) || id == 0xBD) {
                audio = true;
            }
            p = end;
        }
        if (p == pos + 14 + (at(bytes, pos + 13) & 7) && p < bytes.size() && !startCode(bytes, p)) {
            error = "no packet after the pack header at byte " + std::to_string(pos);
            return false;
        }
        const long sectors = static_cast<long>((p - packStart + 2047) / 2048);
        out.videoSectors += video ? sectors : 0;
        out.audioSectors += !video && audio ? sectors : 0;
        ++out.packs;
        if (p < bytes.size() && !startCode(bytes, p)) {
            error = "junk after the packets at byte " + std::to_string(p);
            return false;
        }
        pos = p;
    }
    if (out.es.empty()) {
        error = "no MPEG video in the stream";
        return false;
    }
    return true;
}

struct PictureRecord {
    int temporalReference = 0;
    int type = 0;
    std::size_t extension = 0; // es offset of its picture coding extension (0: none)
};

} // namespace

int StreamIndex::frames() const {
    int count = 0;
    for (const Gop& gop : gops)
        count += static_cast<int>(gop.pictures.size());
    return count;
}

StreamIndex indexStream(const std::string& bytes, std::string& error) {
    StreamIndex index;
    Demuxed stream;
    if (!demux(bytes, stream, error))
        return index;
    index.videoSectors = stream.videoSectors;
    index.audioSectors = stream.audioSectors;
    index.packs = stream.packs;

    const std::string& es = stream.es;
    bool progressiveSequence = false;
    int matrix = 5;
    std::size_t headersStart = std::string::npos; // where the headers before the next GOP begin
    std::vector<PictureRecord> pictures;
    auto finishGop = [&]() {
        if (index.gops.empty())
            return;
        Gop& gop = index.gops.back();
        std::sort(pictures.begin(), pictures.end(), [](const PictureRecord& a, const PictureRecord& b) {
            return a.temporalReference < b.temporalReference;
        });
        int firstIntra = -1;
        for (const PictureRecord& picture : pictures)
            if (picture.type == 1 && firstIntra < 0)
                firstIntra = picture.temporalReference;
        for (const PictureRecord& picture : pictures) {
            std::uint8_t flags = static_cast<std::uint8_t>((picture.type & 3) << 4);
            if (gop.closed || picture.type != 3 || picture.temporalReference > firstIntra)
                flags |= 0x80;
            if (picture.extension) {
                const std::size_t x = picture.extension;
                flags |= (at(es, x + 8) & 0x80) ? 0x40 : 0; // progressive_frame
                flags |= (at(es, x + 7) & 0x80) ? 0x02 : 0; // top_field_first
                flags |= (at(es, x + 7) & 0x02) ? 0x01 : 0; // repeat_first_field
            }
            gop.pictures.push_back(flags);
        }
        pictures.clear();
    };
    for (std::size_t i = 0; i + 4 <= es.size(); ++i) {
        if (!startCode(es, i))
            continue;
        const std::uint8_t code = at(es, i + 3);
        const bool room = i + 9 <= es.size();
        if (code == kSequence) {
            if (headersStart == std::string::npos)
                headersStart = i;
        } else if (code == kExtension && room) {
            const int id = at(es, i + 4) >> 4;
            if (id == 1)
                progressiveSequence = (at(es, i + 5) >> 3) & 1;
            else if (id == 2 && (at(es, i + 4) & 1))
                matrix = at(es, i + 7);
            else if (id == 8 && !pictures.empty())
                pictures.back().extension = i;
        } else if (code == kGroup && room) {
            finishGop();
            Gop gop;
            gop.position = stream.pieceOf(headersStart == std::string::npos ? i : headersStart).pack;
            gop.closed = (at(es, i + 7) >> 6) & 1;
            gop.progressiveSequence = progressiveSequence;
            gop.matrix = matrix;
            index.gops.push_back(gop);
            headersStart = std::string::npos;
        } else if (code == kPicture && room && !index.gops.empty()) {
            PictureRecord picture;
            picture.temporalReference = at(es, i + 4) << 2 | at(es, i + 5) >> 6;
            picture.type = (at(es, i + 5) >> 3) & 7;
            pictures.push_back(picture);
        }
        i += 3;
    }
    finishGop();
    if (index.gops.empty() || index.frames() == 0)
        error = "no group of pictures in the video";
    return index;
}

bool applySoftPulldown(std::string& bytes, std::string& error) {
    Demuxed stream;
    if (!demux(bytes, stream, error))
        return false;
    const std::string& es = stream.es;
    auto set = [&](std::size_t esOffset, std::uint8_t value) { bytes[stream.fileOffset(esOffset)] = char(value); };
    int gopBase = 0;
    int gopPictures = 0;
    int temporalReference = 0;
    bool sawSequence = false;
    for (std::size_t i = 0; i + 9 <= es.size(); ++i) {
        if (!startCode(es, i))
            continue;
        const std::uint8_t code = at(es, i + 3);
        if (code == kSequence) {
            if ((at(es, i + 7) & 0x0F) != 1) {
                error = "the video is not 24000/1001 frames per second";
                return false;
            }
            set(i + 7, static_cast<std::uint8_t>((at(es, i + 7) & 0xF0) | 4)); // 30000/1001
            sawSequence = true;
        } else if (code == kExtension && (at(es, i + 4) >> 4) == 1) {
            set(i + 5, at(es, i + 5) & ~0x08); // progressive_sequence 0: repeat fields, not frames
        } else if (code == kGroup) {
            gopBase += gopPictures;
            gopPictures = 0;
        } else if (code == kPicture) {
            temporalReference = at(es, i + 4) << 2 | at(es, i + 5) >> 6;
            ++gopPictures;
        } else if (code == kExtension && (at(es, i + 4) >> 4) == 8) {
            if (!(at(es, i + 8) & 0x80)) {
                error = "the video has interlaced pictures";
                return false;
            }
            static constexpr std::uint8_t kPattern[4][2] = {{1, 1}, {0, 0}, {0, 1}, {1, 0}}; // TFF, RFF
            const auto& step = kPattern[(gopBase + temporalReference) % 4];
            std::uint8_t flags = at(es, i + 7) & ~0x82;
            flags |= step[0] ? 0x80 : 0;
            flags |= step[1] ? 0x02 : 0;
            set(i + 7, flags);
        }
        i += 3;
    }
    if (!sawSequence) {
        error = "no sequence header in the video";
        return false;
    }
    return true;
}

std::string d2vText(const StreamIndex& index, const D2vSource& source) {
    const char* crlf = "\r\n";
    char buffer[64];
    std::string text = std::string("DGIndexProjectFile16") + crlf + "1" + crlf + source.streamPath + crlf + crlf;
    std::snprintf(buffer, sizeof buffer, "%lX", index.packs > 0 ? index.packs - 1 : 0);
    text += std::string("Stream_Type=1") + crlf + "MPEG_Type=2" + crlf + "iDCT_Algorithm=5" + crlf + "YUVRGB_Scale=1" +
            crlf + "Luminance_Filter=0,0" + crlf + "Clipping=0,0,0,0" + crlf + "Aspect_Ratio=" + source.aspect + crlf +
            "Picture_Size=" + std::to_string(source.width) + "x" + std::to_string(source.height) + crlf +
            "Field_Operation=" + std::to_string(source.fieldOperation) + crlf + "Frame_Rate=" + source.frameRate +
            crlf + "Location=0,0,0," + buffer + crlf + crlf;
    int pulldown = 0;
    int pictures = 0;
    for (const Gop& gop : index.gops) {
        const int info = 0x800 | (gop.closed ? 0x400 : 0) | (gop.progressiveSequence ? 0x200 : 0) | 0x100;
        std::snprintf(buffer, sizeof buffer, "%X %d 0 %llu 0 %d %d", info, gop.matrix,
                      static_cast<unsigned long long>(gop.position), source.vobId, source.cellId);
        text += buffer;
        for (std::uint8_t flags : gop.pictures) {
            std::snprintf(buffer, sizeof buffer, " %02x", flags);
            text += buffer;
            pulldown += flags & 1;
            ++pictures;
        }
        text += crlf;
    }
    const bool film = pictures > 0 && pulldown * 10 >= pictures * 4; // two of every four repeat a field
    text += std::string("ff") + crlf + crlf + "FINISHED  100.00% " + (film ? "FILM" : "VIDEO") + crlf;
    return text;
}

} // namespace quire::sample
