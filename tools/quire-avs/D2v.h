// The DGIndex project file (.d2v) that Mpeg2Source reads: its file list, the settings the decoder
// applies (Clipping, Field_Operation, Frame_Rate, Picture_Size) and the frame count its picture
// flags give, without decoding anything.
#pragma once

#include "Clip.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace quire::avs {

struct D2vProject {
    int version = 0;
    std::vector<std::string> files; // as written (Windows or relative paths)
    std::array<int, 4> clipping{};  // left, right, top, bottom
    int fieldOperation = 0;         // 0 honour pulldown, 1 force film, 2 ignore pulldown
    Rational frameRate{30000, 1001};
    int width = 0, height = 0; // Picture_Size
    int codedPictures = 0;     // flags values shown (leading undecodable ones left out)
    int frames = 0;            // frames the decoder gives for fieldOperation
};

// Reads the text of a .d2v; a malformed one is a std::runtime_error naming the line.
D2vProject parseD2v(std::string_view text);

} // namespace quire::avs
