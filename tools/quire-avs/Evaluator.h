// Evaluates a parsed script into the clip it returns, doing the frame arithmetic of each function
// itself (Trim's clamping, a .d2v's pulldown) so that frame counts never come from FFmpeg.
#pragma once

#include "Clip.h"
#include "ScriptParser.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace quire::avs {

struct Evaluation {
    Clip clip;
    std::vector<std::string> plugins;  // base names of the DLLs LoadPlugin named
    std::vector<std::string> warnings; // "line N: ..." notes about approximations
};

// Evaluates script text (Windows-1252) read from scriptFile; paths in it are taken relative to
// scriptFile. Throws ScriptError for script faults and MediaError for missing media.
Evaluation evaluate(std::string_view script, const std::filesystem::path& scriptFile);

// The native path of a path named in referringFile: the Wine rule, then the same base name found
// without regard to case in referringFile's folder. MediaError names the text and the tried paths.
std::filesystem::path resolveMedia(std::string_view text, const std::filesystem::path& referringFile);

// Trim's frame range [first, last] of a clip of `frames` frames, clamped as AviSynth clamps it
// (last 0: to the end; last < 0: -last frames).
struct FrameRange {
    int first = 0, last = 0;
};
FrameRange trimRange(int frames, int first, int last);

} // namespace quire::avs
