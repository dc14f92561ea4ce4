// The three ways Tessera's encoders are driven, each turned into one EncodeJob:
// the QuEnc command line, the HC settings file (-ini) and the encoder control list (-ecl ... -batch).
#pragma once

#include "EncodeJob.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quire::encode {

struct ParseResult {
    std::optional<EncodeJob> job; // none: refused
    std::string error;            // one line, when refused
};

// QuEnc options (everything after the program name): -i -o -b -maxbitrate -aspectratio -2/-1 -vbr
// -dc -hq/-nohq -scene/-noscene -trell/-notrell -interlaced/-nointerlaced -cmatrix FILE.cqm |
// -nocmatrix -mpeg2 -auto -close. Relative paths are taken from `workingFolder`.
ParseResult parseQuEncArguments(const std::vector<std::string>& args, const std::filesystem::path& workingFolder);

// An HC settings file's bytes (Windows-1252); `file` is where it lies, for its relative paths.
ParseResult parseHcSettings(std::string_view bytes, const std::filesystem::path& file);

// An encoder control list's bytes (Windows-1252) in the layouts of the Cinema Craft Encoder editions,
// ProCoder and Cinema Craft Encoder Basic; `file` is where it lies, for its relative paths.
ParseResult parseControlList(std::string_view bytes, const std::filesystem::path& file);

// Whole number with an optional sign and nothing else but outer blanks.
std::optional<int> parseWhole(std::string_view text);

// A line of exactly eight whole numbers separated by blanks, tabs or commas (a matrix row).
std::optional<std::array<int, 8>> parseMatrixRow(std::string_view line);

} // namespace quire::encode
