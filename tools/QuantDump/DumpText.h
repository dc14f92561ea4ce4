// The text QuantDump writes: blocks of ten lines (a header, eight rows, an empty line), CR LF.
#pragma once

#include "QuantMatrix.h"

#include <optional>
#include <string>
#include <string_view>

namespace quire::quantdump {

inline constexpr std::string_view kIntraHeader = "Luma and Chroma Intra Quant Matrix:";
inline constexpr std::string_view kNonIntraHeader = "Luma and Chroma Non-Intra Quant Matrix:";

// Without `first` (the stream kept the defaults; a `first` equal to the defaults counts as none): the default intra and
// non-intra blocks, 20 lines. Otherwise 60 lines: the defaults; then `first` as blocks 3 and 4 (both custom: intra,
// non-intra; only one custom: that one, then ten empty lines); then `second` (or `first` again
// when there is none) as intra and non-intra blocks.
std::string dumpText(const std::optional<MatrixPair>& first, const std::optional<MatrixPair>& second);

} // namespace quire::quantdump
