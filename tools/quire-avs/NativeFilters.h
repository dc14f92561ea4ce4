// The two plug-in filters computed here exactly, one plane of 8-bit samples at a time.
#pragma once

#include <cstdint>
#include <vector>

namespace quire::avs {

// Undot: each sample clamped to [min, max] of its eight neighbours. The outermost rows and columns
// stay as they are (they have no full ring of neighbours), as FFmpeg's removegrain mode 1 leaves them.
void undotPlane(const std::uint8_t* in, std::uint8_t* out, int width, int height);

// Deen's spatial thresholded mean: each sample becomes the rounded mean of itself and those samples
// of the (2*radius+1)^2 window whose absolute difference to it is below threshold. Samples beyond
// the edge repeat the edge sample.
void deenPlane(const std::uint8_t* in, std::uint8_t* out, int width, int height, int radius, int threshold);

// The planes of one planar 8-bit YUV frame: luma, then two chroma planes subsampled by (cx, cy).
struct PlanarLayout {
    int width = 0, height = 0, chromaShiftX = 1, chromaShiftY = 1;
    int chromaWidth() const { return width >> chromaShiftX; }
    int chromaHeight() const { return height >> chromaShiftY; }
    std::size_t frameBytes() const {
        return static_cast<std::size_t>(width) * height + 2 * static_cast<std::size_t>(chromaWidth()) * chromaHeight();
    }
};

} // namespace quire::avs
