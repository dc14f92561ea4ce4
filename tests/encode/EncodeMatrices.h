// The matrix pair both quire-encode suites give: asymmetric, so a transposed or zig-zag ordered
// read shows, and its rows as the control files write them.
#pragma once

#include "EncodeJob.h"

#include <string>

namespace quire::test {

// Intra 8 + 2r + 3c (the DC entry 8), non-intra 16 + r + 2c.
inline encode::MatrixValues asymmetric() {
    encode::MatrixValues values{};
    for (int i = 0; i < 64; ++i) {
        values[static_cast<std::size_t>(i)] = 8 + 2 * (i / 8) + 3 * (i % 8);
        values[static_cast<std::size_t>(64 + i)] = 16 + i / 8 + 2 * (i % 8);
    }
    return values;
}

// Rows first to first + count - 1 of the 16, values apart by `separator`, each row followed by `end`.
inline std::string matrixRows(int first, int count, const char* separator, const char* end) {
    const encode::MatrixValues values = asymmetric();
    std::string out;
    for (int r = first; r < first + count; ++r) {
        for (int c = 0; c < 8; ++c)
            out += (c ? separator : "") + std::to_string(values[static_cast<std::size_t>(r * 8 + c)]);
        out += end;
    }
    return out;
}

} // namespace quire::test
