// Reading and writing .mtx matrix files.
#include "MatrixFile.h"

#include "platform/FileIo.h"
#include "platform/Text1252.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace quire {

MatrixReadResult readMatrixText(std::string_view content, MatrixCells& cells) {
    constexpr std::size_t kLines = 16;
    const auto lines = text::splitLines(content);
    const std::size_t available = std::min(lines.size(), kLines);
    MatrixReadResult result;
    if (available == 0)
        return result;

    std::string joined;
    for (std::size_t i = 0; i < available; ++i) {
        std::string_view line = lines[i];
        if (!line.empty() && line.front() == '\t')
            line.remove_prefix(1);
        if (!line.empty() && line.back() == ' ')
            line.remove_suffix(1);
        if (i > 0)
            joined += ' ';
        joined += line;
    }

    std::string token;
    auto store = [&](std::string value) {
        if (result.cellsFilled == kMatrixCells)
            return false;
        cells[result.cellsFilled++] = std::move(value);
        return true;
    };
    bool overflow = false;
    for (const char c : joined) {
        if (c != ' ') {
            token += c;
        } else if (!store(std::exchange(token, std::string()))) {
            overflow = true;
            break;
        }
    }
    if (!overflow && !store(std::move(token)))
        overflow = true;
    result.complete = available == kLines && !overflow;
    return result;
}

MatrixReadResult readMatrixFile(const std::filesystem::path& file, MatrixCells& cells) {
    const auto content = fileio::readFile(file);
    if (!content)
        return {};
    return readMatrixText(*content, cells);
}

std::string matrixText(const MatrixCells& cells) {
    std::string out;
    for (std::size_t row = 0; row < kMatrixCells / 8; ++row) {
        for (std::size_t col = 0; col < 8; ++col) {
            if (col > 0)
                out += ' ';
            out += cells[row * 8 + col];
        }
        out += text::kCrLf;
    }
    return out;
}

bool writeMatrixFile(const std::filesystem::path& file, const MatrixCells& cells) {
    return fileio::writeFileAtomic(file, matrixText(cells));
}

std::optional<MatrixValues> ParseMatrixCodes(std::string_view content) {
    MatrixValues values{};
    std::size_t count = 0;
    std::size_t i = 0;
    while (i < content.size()) {
        if (content[i] < '0' || content[i] > '9') {
            ++i;
            continue;
        }
        long long value = 0;
        while (i < content.size() && content[i] >= '0' && content[i] <= '9') {
            value = std::min<long long>(value * 10 + (content[i] - '0'), std::numeric_limits<int>::max());
            ++i;
        }
        if (count == kMatrixCells)
            return std::nullopt;
        values[count++] = static_cast<int>(value);
    }
    if (count != kMatrixCells)
        return std::nullopt;
    return values;
}

std::optional<MatrixValues> ReadMatrixCodes(const std::filesystem::path& file) {
    const auto content = fileio::readFile(file);
    if (!content)
        return std::nullopt;
    return ParseMatrixCodes(*content);
}

MatrixCells emptyGrid() {
    MatrixCells cells;
    cells.fill("000");
    return cells;
}

} // namespace quire
