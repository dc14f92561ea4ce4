// The filter text of a test encode: the Deen call built from its parameters, the filter choice, the
// segment's encode script encode.avs with the filter text in it, and the filter keys that hand the same
// text to Tessera.
#pragma once

#include "preview/HostProject.h"

#include <string>
#include <string_view>

namespace quire::preview {

inline constexpr std::string_view kDeenDefault = "Deen()";

// DeenData from the panel's parameters as typed: the 3d form with the temporal thresholds, any other
// mode without them.
void BuildDeenCall(FilterPanel& panel);

// txtScript, FilterName ("No_Filter", "Undot", "Deen", "Undot_Deen") and the panel's enables from the
// ticked filters; setting txtScript counts as an edit (Filters "0", Apply enabled).
void UpdateFilterChoice(PreviewState& state);

// The Deen parameters back to their first values, DeenData to "Deen()".
void resetDeenParameters(FilterPanel& panel);

// Writes Preview/encode.avs from the selected segment's script: the header lines renamed, ConvertToYV12
// made ConvertToYUY2 for QuEnc, ProCoder and HC Encoder (as the preview does), and the filter text put
// before every "Convert". False, leaving encode.avs as it was, when the script cannot be read or written.
bool WriteEncodeScript(PreviewContext& context, const PreviewState& state);

// Writes the lines of the filter text as the keys AVSfilter01 to AVSfilter99 of section Options of
// Tessera.ini (empty values past the last line), changing nothing else in the file. False when the file
// cannot be read or written.
bool WriteHostFilters(PreviewContext& context, const PreviewState& state);

} // namespace quire::preview
