// Matrix texts and cells for tests: numbered matrices, filled grids, and all 128 cells as one
// comparable line.
#pragma once

#include "matrix/MatrixFile.h"

#include <string>
#include <string_view>

namespace quire::test {

// 16 lines of 8 values, value = first + cell index, joined by the separator, line end as given.
inline std::string numberedText(std::string_view separator = " ", std::string_view lineEnd = "\r\n", int first = 8) {
    std::string text;
    for (int cell = 0; cell < 128; ++cell)
        text += (cell % 8 ? std::string(separator) : "") + std::to_string(first + cell) +
                (cell % 8 == 7 ? std::string(lineEnd) : "");
    return text;
}

inline MatrixCells filled(std::string_view with) {
    MatrixCells cells;
    cells.fill(std::string(with));
    return cells;
}

// The cells joined by commas.
inline std::string joined(const MatrixCells& cells) {
    std::string out;
    for (const auto& cell : cells)
        out += (&cell == cells.data() ? "" : ",") + cell;
    return out;
}

// "first,first+1,..." for count values, wrapped to byte values when `bytes` is set.
inline std::string seq(int first, int count, bool bytes = false) {
    std::string out;
    for (int i = 0; i < count; ++i)
        out += (i ? "," : "") + std::to_string(bytes ? (first + i) % 256 : first + i);
    return out;
}

// The text `count` times, joined by commas.
inline std::string repeated(const std::string& text, int count) {
    std::string out = text;
    for (int i = 1; i < count; ++i)
        out += "," + text;
    return out;
}

} // namespace quire::test
