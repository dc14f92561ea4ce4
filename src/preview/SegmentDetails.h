// The details of the segment the user selects: its keys in Tessera.inf, its sizes, duration, frame rate
// and the bitrate the test encode uses, and the position parts of its script's name.
#pragma once

#include "preview/HostProject.h"

#include <string_view>

namespace quire::preview {

// Reads the segment of the list entry (a script name ending in ".avs") and fills its fields. A value
// that cannot be read or computed leaves its field as it was; nothing stops the selection.
void ShowSegmentDetails(PreviewContext& context, PreviewState& state, std::string_view item);

// Sectors of 2048 bytes as megabytes shown to the user: "##,##0.00" with the given separators.
std::string sectorsAsMegabytes(double sectors, const NumberSeparators& separators);

} // namespace quire::preview
