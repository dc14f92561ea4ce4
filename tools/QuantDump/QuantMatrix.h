// Quantisation matrices of MPEG-1 and MPEG-2 video: raster-order tables, the zig-zag scan the
// bitstream sends them in, the decoder defaults, and the two headers that load them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace quire::quantdump {

// 64 values row by row (raster order), the way Quire shows a matrix.
using Matrix = std::array<std::uint8_t, 64>;

// kZigZag[i] is the raster position of the i-th value the bitstream sends (the standard zig-zag
// scan; the alternate scan never applies to matrices).
inline constexpr std::array<std::uint8_t, 64> kZigZag = {
    0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,  12, 19, 26, 33, 40, 48,
    41, 34, 27, 20, 13, 6,  7,  14, 21, 28, 35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23,
    30, 37, 44, 51, 58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};

// The matrices a decoder uses until a header loads others.
const Matrix& defaultIntraMatrix();
const Matrix& defaultNonIntraMatrix();

// Puts 64 values given in zig-zag scan order at their raster positions.
Matrix zigzagToRaster(const std::array<std::uint8_t, 64>& scanOrder);

struct MatrixPair {
    Matrix intra{};
    Matrix nonIntra{};
    bool operator==(const MatrixPair&) const = default;
};

MatrixPair defaultPair();

// What one header loads; an empty optional means the header does not load that matrix.
struct MatrixLoad {
    std::optional<Matrix> intra;
    std::optional<Matrix> nonIntra;
};

enum class HeaderStatus {
    Ok,       // parsed; `length` bytes belong to the header
    Damaged,  // not a usable header: a forbidden value, or not followed by the next start code
    NeedMore, // the bytes end inside the header and more may follow
};

struct HeaderParse {
    HeaderStatus status = HeaderStatus::Damaged;
    MatrixLoad load;
    std::size_t length = 0;
};

// Extension identifier of the quant matrix extension (top four bits after 00 00 01 B5).
inline constexpr std::uint8_t kQuantMatrixExtensionId = 3;

// The most bytes after a start code's code byte that the parsers below look at: a quant matrix
// extension loading all four matrices, plus the two zero bytes that open the next start code.
inline constexpr std::size_t kMaxHeaderBytes = 257 + 2;

// Parses a sequence header. `body` points just past 00 00 01 B3 and holds `size` bytes; `atEnd`
// says no bytes follow them, so a header cut short is Damaged instead of NeedMore.
// Damaged for a zero picture size, a forbidden aspect-ratio or frame-rate code, a cleared marker
// bit, a zero matrix value, or header bytes not followed by the zero bytes of the next start code.
HeaderParse parseSequenceHeader(const std::uint8_t* body, std::size_t size, bool atEnd);

// Parses a quant matrix extension. `body` points just past 00 00 01 B5 (its first four bits are
// the extension identifier, which must be 3). The chroma matrices are read past and not
// reported. Same statuses as parseSequenceHeader.
HeaderParse parseQuantMatrixExtension(const std::uint8_t* body, std::size_t size, bool atEnd);

} // namespace quire::quantdump
