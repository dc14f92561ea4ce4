// Handing a library matrix to Tessera for one class of material: the four matrix keys of Tessera.ini.
#pragma once

#include "preview/HostProject.h"

#include <array>
#include <string_view>

namespace quire::preview {

// The key of section "options" that each "Apply the selected matrix to:" option writes, by index:
// "Main Feature", "Low Bitrate (<3Mbs)", "Very Low Bitrate (<2Mbs)", "Extras".
inline constexpr std::array<std::string_view, 4> kHostMatrixKeys = {"MainMatrix", "LowMatrix", "VLowMatrix",
                                                                    "ExtraMatrix"};

// Writes the chosen matrix file's name without its last four characters (".mtx") into the key of the
// selected option in section "options" of Tessera.ini; nothing when no option or no matrix is chosen.
void ApplyHostMatrix(PreviewContext& context, const PreviewState& state);

} // namespace quire::preview
