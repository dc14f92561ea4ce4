// The encoder that Tessera is set to, and the command lines that run it on a test segment.
#pragma once

#include "preview/HostProject.h"

#include <string>
#include <string_view>

namespace quire::preview {

inline constexpr std::string_view kReJigRefusal = "You can't use Matrices on ReJig Mode";
inline constexpr std::string_view kProCoderRefusal = "Canopus ProCoder doesn't support custom matrices!!!";
inline constexpr std::string_view kCce250Refusal = "CCE 2.50 doesn't support custom matrices!!!";

// Selects the indicator of Tessera's encoder mode and CCE edition, shows the refusal of the kinds that
// take no custom matrix, and sets the HC profile word. False when a value it compares is not a number
// (an empty HC_Quality, or an empty ccetype in a CCE project).
bool DetectEncoder(PreviewContext& context, PreviewState& state);

// The quoted executable of the selected kind (unchanged when none is selected), the quoted control
// file and the command line.
void BuildEncoderCommand(PreviewContext& context, PreviewState& state);

// The four QuEnc switches from Tessera.ini; a project analysed for one-pass quality encodes with "-3".
void ReadQuEncOptions(PreviewContext& context, PreviewState& state);

// The encoded file's name for a segment list entry: "<segment>_<matrix>_<filter>.m2v".
std::string outputFileName(std::string_view segment, std::string_view matrixName, std::string_view filterName);

// The QuEnc command line that encodes the segment list entry, into txtCmdLine.
void BuildQuEncCommand(PreviewContext& context, PreviewState& state, std::string_view segment);

} // namespace quire::preview
