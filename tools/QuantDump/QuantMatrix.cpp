// Matrix tables and the bit-level parsing of the sequence header and the quant matrix extension.
#include "QuantMatrix.h"

namespace quire::quantdump {

namespace {

constexpr Matrix kDefaultIntra = {8,  16, 19, 22, 26, 27, 29, 34, //
                                  16, 16, 22, 24, 27, 29, 34, 37, //
                                  19, 22, 26, 27, 29, 34, 34, 38, //
                                  22, 22, 26, 27, 29, 34, 37, 40, //
                                  22, 26, 27, 29, 32, 35, 40, 48, //
                                  26, 27, 29, 32, 35, 40, 48, 58, //
                                  26, 27, 29, 34, 38, 46, 56, 69, //
                                  27, 29, 35, 38, 46, 56, 69, 83};

constexpr Matrix kDefaultNonIntra = [] {
    Matrix m{};
    m.fill(16);
    return m;
}();

// Reads big-endian bit fields; every read fails once the bytes run out.
class BitReader {
public:
    BitReader(const std::uint8_t* data, std::size_t size) : m_data(data), m_bits(size * 8) {}

    bool read(int count, std::uint32_t& value) {
        if (m_pos + static_cast<std::size_t>(count) > m_bits)
            return false;
        value = 0;
        for (int i = 0; i < count; ++i, ++m_pos)
            value = (value << 1) | ((m_data[m_pos >> 3] >> (7 - (m_pos & 7))) & 1u);
        return true;
    }

    std::size_t bitPosition() const { return m_pos; }

private:
    const std::uint8_t* m_data;
    std::size_t m_bits;
    std::size_t m_pos = 0;
};

enum class Step { Ok, Damaged, Short };

// Reads a load flag and, when set, 64 zig-zag values. A zero value is forbidden.
Step readOptionalMatrix(BitReader& bits, std::optional<Matrix>& out) {
    std::uint32_t flag = 0;
    if (!bits.read(1, flag))
        return Step::Short;
    if (flag == 0)
        return Step::Ok;
    std::array<std::uint8_t, 64> scan{};
    for (auto& v : scan) {
        std::uint32_t value = 0;
        if (!bits.read(8, value))
            return Step::Short;
        if (value == 0)
            return Step::Damaged;
        v = static_cast<std::uint8_t>(value);
    }
    out = zigzagToRaster(scan);
    return Step::Ok;
}

// Both headers end byte aligned and are followed by the next start code (00 00 01), possibly
// after zero stuffing, so the two bytes after the header must be zero.
HeaderParse finishHeader(const std::uint8_t* body, std::size_t size, bool atEnd, std::size_t bitEnd,
                         const MatrixLoad& load) {
    HeaderParse result;
    if (bitEnd % 8 != 0)
        return result;
    const std::size_t length = bitEnd / 8;
    for (std::size_t i = length; i < length + 2; ++i) {
        if (i >= size) {
            if (atEnd)
                break; // the stream ends right after the header
            result.status = HeaderStatus::NeedMore;
            return result;
        }
        if (body[i] != 0)
            return result;
    }
    result.status = HeaderStatus::Ok;
    result.load = load;
    result.length = length;
    return result;
}

HeaderParse fromStep(Step step, bool atEnd) {
    HeaderParse result;
    result.status = (step == Step::Short && !atEnd) ? HeaderStatus::NeedMore : HeaderStatus::Damaged;
    return result;
}

} // namespace

const Matrix& defaultIntraMatrix() {
    return kDefaultIntra;
}

const Matrix& defaultNonIntraMatrix() {
    return kDefaultNonIntra;
}

Matrix zigzagToRaster(const std::array<std::uint8_t, 64>& scanOrder) {
    Matrix raster{};
    for (std::size_t i = 0; i < 64; ++i)
        raster[kZigZag[i]] = scanOrder[i];
    return raster;
}

MatrixPair defaultPair() {
    return MatrixPair{kDefaultIntra, kDefaultNonIntra};
}

HeaderParse parseSequenceHeader(const std::uint8_t* body, std::size_t size, bool atEnd) {
    BitReader bits(body, size);
    std::uint32_t width = 0, height = 0, aspect = 0, frameRate = 0, bitRate = 0, marker = 0, vbv = 0, constrained = 0;
    if (!bits.read(12, width) || !bits.read(12, height) || !bits.read(4, aspect) || !bits.read(4, frameRate) ||
        !bits.read(18, bitRate) || !bits.read(1, marker) || !bits.read(10, vbv) || !bits.read(1, constrained))
        return fromStep(Step::Short, atEnd);
    if (width == 0 || height == 0 || aspect == 0 || frameRate == 0 || marker != 1)
        return {};
    MatrixLoad load;
    Step step = readOptionalMatrix(bits, load.intra);
    if (step == Step::Ok)
        step = readOptionalMatrix(bits, load.nonIntra);
    if (step != Step::Ok)
        return fromStep(step, atEnd);
    return finishHeader(body, size, atEnd, bits.bitPosition(), load);
}

HeaderParse parseQuantMatrixExtension(const std::uint8_t* body, std::size_t size, bool atEnd) {
    BitReader bits(body, size);
    std::uint32_t id = 0;
    if (!bits.read(4, id))
        return fromStep(Step::Short, atEnd);
    if (id != kQuantMatrixExtensionId)
        return {};
    MatrixLoad load;
    std::optional<Matrix> chromaIntra, chromaNonIntra;
    Step step = readOptionalMatrix(bits, load.intra);
    if (step == Step::Ok)
        step = readOptionalMatrix(bits, load.nonIntra);
    if (step == Step::Ok)
        step = readOptionalMatrix(bits, chromaIntra);
    if (step == Step::Ok)
        step = readOptionalMatrix(bits, chromaNonIntra);
    if (step != Step::Ok)
        return fromStep(step, atEnd);
    return finishHeader(body, size, atEnd, bits.bitPosition(), load);
}

} // namespace quire::quantdump
