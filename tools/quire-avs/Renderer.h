// Turns an evaluated clip into frames: FFmpeg runs for the stages FFmpeg has (one filter-script file
// per run, `-fps_mode passthrough` so that it never drops or repeats a frame) and the native stages
// (Undot, Deen) between them on raw-frame pipes.
#pragma once

#include "Clip.h"

#include <filesystem>
#include <string>
#include <vector>

namespace quire::avs {

// "WIDTH HEIGHT NUM/DEN FRAMES PIXFMT": PIXFMT is FFmpeg's name of the clip's frames (bgra, bgr24,
// yuv420p, yuv422p).
std::string infoLine(const Clip& clip);

enum class Output { Y4m, Bgra };

// One FFmpeg filter for a Subtitle, drawing the text from textFile with the font file fontFile whose
// units per em and Windows cell ascent and descent are given.
struct FontFace {
    std::filesystem::path file;
    int unitsPerEm = 2048, ascent = 1854, descent = 434;
};
std::string drawTextFilter(const SubtitleText& s, const std::filesystem::path& textFile, const FontFace& face);
// The face fontconfig gives for a font name in bold; MediaError when none.
FontFace resolveFont(const std::string& name, std::vector<std::string>& warnings);

// The clip as one FFmpeg filter graph, for a program that wants the frames inside a graph of its own:
// `input` is the media FFmpeg opens as its input 0 (a file or a concat: URL; empty for a generated
// clip), `graph` a chain from [0:v:0] (or from a source filter) to the clip's frames in their --y4m
// format. False when the clip needs the native stages or a Subtitle's text file, which only render()
// gives.
bool singleGraph(const Clip& clip, std::string& input, std::string& graph);

// Renders the clip to `target` ("-" for standard output). Returns 0, or 4 when FFmpeg failed; a
// missing font is a MediaError. Warnings go to standard error.
int render(const Clip& clip, Output output, const std::string& target);

} // namespace quire::avs
