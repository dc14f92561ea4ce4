// What the first bytes of a YUV4MPEG2 file or an MPEG-1/2 stream say of its video, read here so that
// an encode of a whole file needs no ffprobe run before FFmpeg's own.
#pragma once

#include "EncodeJob.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace quire::encode {

// Size, rate and, for a YUV4MPEG2 file whose frames all have the same size, the frame count, from the
// file's first bytes (`head`, 64 KiB is plenty) and its size. Empty optional when the bytes are neither
// a YUV4MPEG2 header nor hold an MPEG video sequence header.
std::optional<ClipInfo> probeHeader(std::string_view head, std::uint64_t fileSize);

} // namespace quire::encode
