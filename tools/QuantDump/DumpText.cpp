// Writing the matrix blocks.
#include "DumpText.h"

namespace quire::quantdump {

namespace {

constexpr std::string_view kLineEnd = "\r\n";

void appendBlock(std::string& out, std::string_view header, const Matrix& matrix) {
    out += header;
    out += kLineEnd;
    for (std::size_t row = 0; row < 8; ++row) {
        for (std::size_t column = 0; column < 8; ++column) {
            if (column > 0)
                out += ' ';
            out += std::to_string(matrix[row * 8 + column]);
        }
        out += kLineEnd;
    }
    out += kLineEnd;
}

void appendEmptyBlock(std::string& out) {
    for (int line = 0; line < 10; ++line)
        out += kLineEnd;
}

} // namespace

std::string dumpText(const std::optional<MatrixPair>& first, const std::optional<MatrixPair>& second) {
    std::string out;
    appendBlock(out, kIntraHeader, defaultIntraMatrix());
    appendBlock(out, kNonIntraHeader, defaultNonIntraMatrix());
    if (!first || *first == defaultPair())
        return out;
    const bool customIntra = first->intra != defaultIntraMatrix();
    const bool customNonIntra = first->nonIntra != defaultNonIntraMatrix();
    if (customIntra)
        appendBlock(out, kIntraHeader, first->intra);
    if (customNonIntra)
        appendBlock(out, kNonIntraHeader, first->nonIntra);
    if (!customIntra || !customNonIntra)
        appendEmptyBlock(out);
    const MatrixPair& last = second.value_or(*first);
    appendBlock(out, kIntraHeader, last.intra);
    appendBlock(out, kNonIntraHeader, last.nonIntra);
    return out;
}

} // namespace quire::quantdump
