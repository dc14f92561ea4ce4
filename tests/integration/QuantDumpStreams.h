// Hand-made MPEG video elementary streams and program streams for the QuantDump tests: headers
// written bit by bit, pictures with slices, packs, PES packets of every kind, and the dump text.
#pragma once

#include "QuantMatrix.h"

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace quire::test {

using Bytes = std::vector<std::uint8_t>;
using quantdump::Matrix;
using quantdump::MatrixPair;

// The scan position of each raster cell, row by row: the zig-zag table as the MPEG standards draw it.
inline constexpr int kScanPosition[64] = {0,  1,  5,  6,  14, 15, 27, 28, 2,  4,  7,  13, 16, 26, 29, 42,
                                          3,  8,  12, 17, 25, 30, 41, 43, 9,  11, 18, 24, 31, 40, 44, 53,
                                          10, 19, 23, 32, 39, 45, 52, 54, 20, 22, 33, 38, 46, 51, 55, 60,
                                          21, 34, 37, 47, 50, 56, 59, 61, 35, 36, 48, 49, 57, 58, 62, 63};

// Writes bit fields, most significant bit first; the last byte is padded with zero bits.
class BitWriter {
public:
    BitWriter& put(std::uint32_t value, int bits) {
        for (int i = bits - 1; i >= 0; --i, m_used = (m_used + 1) % 8) {
            if (m_used == 0)
                bytes.push_back(0);
            bytes.back() |= static_cast<std::uint8_t>(((value >> i) & 1u) << (7 - m_used));
        }
        return *this;
    }
    // A load flag and, when loading, the 64 values in zig-zag scan order.
    BitWriter& putMatrix(const std::optional<Matrix>& raster) {
        put(raster ? 1 : 0, 1);
        for (int scan = 0; raster && scan < 64; ++scan)
            put((*raster)[std::find(kScanPosition, kScanPosition + 64, scan) - kScanPosition], 8);
        return *this;
    }
    Bytes bytes;

private:
    int m_used = 0;
};

// A matrix whose cell in row r, column c holds base + rowStep * r + columnStep * c (asymmetric, so a
// transposition shows).
inline Matrix gridMatrix(int base, int rowStep, int columnStep) {
    Matrix m{};
    for (int i = 0; i < 64; ++i)
        m[i] = static_cast<std::uint8_t>(base + rowStep * (i / 8) + columnStep * (i % 8));
    return m;
}

// The text QuantDump writes, spelled out independently of its code.
namespace dumplines {

inline const std::string kIntra = "Luma and Chroma Intra Quant Matrix:";
inline const std::string kNonIntra = "Luma and Chroma Non-Intra Quant Matrix:";
inline const Matrix kStandardIntra = {8,  16, 19, 22, 26, 27, 29, 34, 16, 16, 22, 24, 27, 29, 34, 37,
                                      19, 22, 26, 27, 29, 34, 34, 38, 22, 22, 26, 27, 29, 34, 37, 40,
                                      22, 26, 27, 29, 32, 35, 40, 48, 26, 27, 29, 32, 35, 40, 48, 58,
                                      26, 27, 29, 34, 38, 46, 56, 69, 27, 29, 35, 38, 46, 56, 69, 83};

// A header, the eight rows of the raster matrix, an empty line; CR LF after each.
inline std::string block(const std::string& header, const Matrix& raster) {
    std::string text = header + "\r\n";
    for (int cell = 0; cell < 64; ++cell)
        text += std::to_string(raster[cell]) + (cell % 8 == 7 ? "\r\n" : " ");
    return text + "\r\n";
}
// The intra block, then the non-intra block.
inline std::string pairBlocks(const Matrix& intra, const Matrix& nonIntra) {
    return block(kIntra, intra) + block(kNonIntra, nonIntra);
}
inline const std::string kEmptyBlock = "\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n";
inline const std::string kDefaultBlocks = pairBlocks(kStandardIntra, gridMatrix(16, 0, 0));

} // namespace dumplines

struct SequenceFields {
    std::uint32_t width = 720, height = 576, aspect = 2, frameRate = 3, marker = 1;
};

// The bytes of a sequence header after 00 00 01 B3 (bit rate, VBV size, constrained flag fixed).
inline Bytes sequenceHeaderBody(const std::optional<Matrix>& intra, const std::optional<Matrix>& nonIntra,
                                const SequenceFields& f = {}) {
    BitWriter w;
    w.put(f.width, 12).put(f.height, 12).put(f.aspect, 4).put(f.frameRate, 4).put(0x3FFFF, 18).put(f.marker, 1);
    return w.put(112, 10).put(0, 1).putMatrix(intra).putMatrix(nonIntra).bytes;
}

// The bytes of an extension after 00 00 01 B5 in the quant matrix extension layout.
inline Bytes quantExtensionBody(const std::optional<Matrix>& intra, const std::optional<Matrix>& nonIntra,
                                const std::optional<Matrix>& chromaIntra = {},
                                const std::optional<Matrix>& chromaNonIntra = {}, std::uint32_t id = 3) {
    BitWriter w;
    return w.put(id, 4).putMatrix(intra).putMatrix(nonIntra).putMatrix(chromaIntra).putMatrix(chromaNonIntra).bytes;
}

// Builds a video elementary stream piece by piece.
class EsBuilder {
public:
    explicit EsBuilder(unsigned seed = 1) : m_random(seed) {}

    EsBuilder& startCode(std::uint8_t code) { return append({0, 0, 1, code}); }
    EsBuilder& append(const Bytes& bytes) {
        m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end());
        return *this;
    }
    // A sequence header, its MPEG-2 sequence extension and a group of pictures header.
    EsBuilder& sequence(const std::optional<Matrix>& intra, const std::optional<Matrix>& nonIntra,
                        const SequenceFields& fields = {}) {
        startCode(0xB3).append(sequenceHeaderBody(intra, nonIntra, fields));
        startCode(0xB5).append({0x14, 0x8A, 0x00, 0x01, 0x00, 0x00});
        return startCode(0xB8).append({0x00, 0x08, 0x00, 0x40});
    }
    // A picture header with its coding extension, no slices yet.
    EsBuilder& pictureHeader() {
        return startCode(0x00).append({0x00, 0x0F, 0xFF, 0xF8}).startCode(0xB5).append({0x8F, 0xFF, 0xF3, 0x41, 0x80});
    }
    EsBuilder& quantExtension(const std::optional<Matrix>& intra, const std::optional<Matrix>& nonIntra) {
        return startCode(0xB5).append(quantExtensionBody(intra, nonIntra));
    }
    // Three slices of random bytes without zeros, so they hold many 0x01 bytes but no start code.
    EsBuilder& slices() {
        for (int s = 1; s <= 3; ++s) {
            startCode(static_cast<std::uint8_t>(s));
            for (int i = 0; i < 150; ++i)
                m_bytes.push_back(static_cast<std::uint8_t>(1 + m_random() % 255));
        }
        return *this;
    }
    EsBuilder& picture() { return pictureHeader().slices(); }
    // For each pair a sequence header loading its custom matrices, then two pictures.
    EsBuilder& sequencesUsing(std::initializer_list<MatrixPair> pairs) {
        const auto custom = [](const Matrix& m, const Matrix& standard) {
            return m == standard ? std::nullopt : std::optional(m);
        };
        for (const MatrixPair& p : pairs)
            sequence(custom(p.intra, quantdump::defaultIntraMatrix()),
                     custom(p.nonIntra, quantdump::defaultNonIntraMatrix()))
                .picture()
                .picture();
        return *this;
    }
    EsBuilder& sequenceUsing(const MatrixPair& pair) { return sequencesUsing({pair}); }
    const Bytes& bytes() const { return m_bytes; }

private:
    Bytes m_bytes;
    std::mt19937 m_random;
};

// The PES header forms a packet can carry, MPEG-2's first.
enum class PesForm { Mpeg2, Mpeg1Plain, Mpeg1Pts, Mpeg1PtsDts, Mpeg1StuffedStdPts };

// Builds an MPEG-2 program stream or MPEG-1 system stream.
class PsBuilder {
public:
    explicit PsBuilder(bool mpeg1 = false) : m_mpeg1(mpeg1) {}

    PsBuilder& raw(const Bytes& bytes) {
        m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end());
        return *this;
    }
    // A pack header with valid marker bits (MPEG-2 with `stuffing` bytes after it, or MPEG-1).
    PsBuilder& pack(int stuffing = 0) {
        if (m_mpeg1)
            return raw({0, 0, 1, 0xBA, 0x21, 0x00, 0x01, 0x00, 0x01, 0x80, 0x00, 0x01});
        raw({0, 0, 1, 0xBA, 0x44, 0x00, 0x04, 0x00, 0x04, 0x01, 0x01, 0x89, 0xC3,
             static_cast<std::uint8_t>(0xF8 | stuffing)});
        return raw(Bytes(static_cast<std::size_t>(stuffing), 0xFF));
    }
    PsBuilder& systemHeader() {
        return raw({0, 0, 1, 0xBB, 0x00, 0x0C, 0x80, 0x04, 0xE1, 0x04, 0xE1, 0xFF, 0xE0, 0xE0, 0xE8, 0xBD, 0xE0, 0x20});
    }
    // A packet with the given stream id, header form and payload.
    PsBuilder& pes(std::uint8_t id, const Bytes& payload, PesForm form = PesForm::Mpeg2) {
        static const Bytes headers[] = {{0x81, 0x80, 0x05, 0x21, 0x00, 0x01, 0x00, 0x01},
                                        {0x0F},
                                        {0x21, 0x00, 0x01, 0x00, 0x01},
                                        {0x31, 0x00, 0x01, 0x00, 0x01, 0x11, 0x00, 0x01, 0x00, 0x01},
                                        {0xFF, 0xFF, 0xFF, 0x60, 0xE8, 0x21, 0x00, 0x01, 0x00, 0x01}};
        return packet(id, headers[static_cast<int>(form)], payload);
    }
    // A packet whose payload directly follows the length (padding, private stream 2, system items).
    PsBuilder& plainPacket(std::uint8_t id, const Bytes& payload) { return packet(id, {}, payload); }
    const Bytes& bytes() const { return m_bytes; }

private:
    PsBuilder& packet(std::uint8_t id, const Bytes& header, const Bytes& payload) {
        const std::size_t length = header.size() + payload.size();
        raw({0, 0, 1, id, static_cast<std::uint8_t>(length >> 8), static_cast<std::uint8_t>(length & 0xFF)});
        return raw(header).raw(payload);
    }

    Bytes m_bytes;
    bool m_mpeg1;
};

// A sequence header loading `decoy` in full, for payloads that must not be read as video.
inline Bytes decoySequenceHeader(const Matrix& decoy) {
    return EsBuilder().startCode(0xB3).append(sequenceHeaderBody(decoy, decoy)).startCode(0xB8).bytes();
}

} // namespace quire::test
