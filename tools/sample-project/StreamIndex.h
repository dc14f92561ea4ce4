// Reads an MPEG-2 program stream (2048-byte packs, as a DVD VOB) the way an indexer does: counts
// its video and its audio/subpicture sectors, lists its GOPs with the flags of every picture, and
// writes the .d2v project file that Mpeg2Source reads. Can also turn a 23.976 progressive stream
// into soft pulldown (3:2 flags, 29.97 display rate) by rewriting header bits in place.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quire::sample {

struct Gop {
    std::uint64_t position = 0; // file offset of the pack where the GOP's headers begin
    bool closed = false;
    bool progressiveSequence = false;
    int matrix = 5;                     // matrix_coefficients of the sequence display extension
    std::vector<std::uint8_t> pictures; // d2v flags, display order
};

struct StreamIndex {
    long videoSectors = 0;
    long audioSectors = 0; // audio and subpicture packs
    long packs = 0;
    std::vector<Gop> gops;
    int frames() const; // pictures in the stream, the d2v frame count without pulldown
};

// Indexes the stream; `error` is set (and the index is incomplete) when the bytes are not a
// program stream of MPEG-2 packs holding MPEG video.
StreamIndex indexStream(const std::string& bytes, std::string& error);

// Rewrites a progressive 24000/1001 stream to soft pulldown; false when the stream is not one.
bool applySoftPulldown(std::string& bytes, std::string& error);

struct D2vSource {
    std::string streamPath; // as the d2v lists it
    std::string aspect;     // "4:3" or "16:9"
    int width = 0;
    int height = 0;
    int fieldOperation = 0; // 1 forces film
    std::string frameRate;  // "25000 (25/1)"
    int vobId = 1;
    int cellId = 1;
};
std::string d2vText(const StreamIndex& index, const D2vSource& source);

} // namespace quire::sample
