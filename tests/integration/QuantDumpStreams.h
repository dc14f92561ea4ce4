// Hand-made MPEG video elementary streams and program streams for the QuantDump parser tests:
// headers written bit by bit, pictures with slices, packs, PES packets of every kind.
#pragma once

#include "QuantMatrix.h"

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace quire::test {

using Bytes = std::vector<std::uint8_t>;
using quantdump::Matrix;
using quantdump::MatrixPair;

// The scan position of each raster cell, row by row: the zig-zag table as the MPEG standards draw it.
inline constexpr int kScanPosition[64] = {0,  1,  5,  6,  14, 15, 27, 28, //
                                          2,  4,  7,  13, 16, 26, 29, 42, //
                                          3,  8,  12, 17, 25, 30, 41, 43, //
                                          9,  11, 18, 24, 31, 40, 44, 53, //
                                          10, 19, 23, 32, 39, 45, 52, 54, //
                                          20, 22, 33, 38, 46, 51, 55, 60, //
                                          21, 34, 37, 47, 50, 56, 59, 61, //
                                          35, 36, 48, 49, 57, 58, 62, 63};

// Writes bit fields, most significant bit first.
class BitWriter {
public:
    void put(std::uint32_t value, int bits) {
        for (int i = bits - 1; i >= 0; --i) {
            if (m_used == 0)
                m_bytes.push_back(0);
            if ((value >> i) & 1u)
                m_bytes.back() |= static_cast<std::uint8_t>(0x80u >> m_used);
            m_used = (m_used + 1) % 8;
        }
    }
    // A load flag and, when loading, the 64 values in zig-zag scan order.
    void putMatrix(const std::optional<Matrix>& raster) {
        put(raster ? 1 : 0, 1);
        if (!raster)
            return;
        std::uint8_t scan[64] = {};
        for (int cell = 0; cell < 64; ++cell)
            scan[kScanPosition[cell]] = (*raster)[cell];
        for (const std::uint8_t value : scan)
            put(value, 8);
    }
    // The bytes written, the last one padded with zero bits.
    const Bytes& bytes() const { return m_bytes; }

private:
    Bytes m_bytes;
    int m_used = 0;
};

// A matrix whose raster cell i holds base + step * i (asymmetric, so a transposition shows).
inline Matrix rampMatrix(int base, int step) {
    Matrix m{};
    for (int i = 0; i < 64; ++i)
        m[i] = static_cast<std::uint8_t>(base + step * i);
    return m;
}

// A matrix whose cell in row r, column c holds base + rowStep * r + columnStep * c.
inline Matrix gridMatrix(int base, int rowStep, int columnStep) {
    Matrix m{};
    for (int i = 0; i < 64; ++i)
        m[i] = static_cast<std::uint8_t>(base + rowStep * (i / 8) + columnStep * (i % 8));
    return m;
}

// The lines QuantDump writes (without their CR LF), spelled out independently of its code.
namespace dumplines {

using Lines = std::vector<std::string>;

inline const std::string kIntra = "Luma and Chroma Intra Quant Matrix:";
inline const std::string kNonIntra = "Luma and Chroma Non-Intra Quant Matrix:";

inline Lines defaultIntraBlock() {
    return {kIntra,
            "8 16 19 22 26 27 29 34",
            "16 16 22 24 27 29 34 37",
            "19 22 26 27 29 34 34 38",
            "22 22 26 27 29 34 37 40",
            "22 26 27 29 32 35 40 48",
            "26 27 29 32 35 40 48 58",
            "26 27 29 34 38 46 56 69",
            "27 29 35 38 46 56 69 83",
            ""};
}

inline Lines defaultNonIntraBlock() {
    Lines lines = {kNonIntra};
    lines.insert(lines.end(), 8, "16 16 16 16 16 16 16 16");
    lines.push_back("");
    return lines;
}

// A header, the eight rows of the raster matrix, an empty line.
inline Lines block(const std::string& header, const Matrix& raster) {
    Lines lines = {header};
    for (int row = 0; row < 8; ++row) {
        std::string line;
        for (int column = 0; column < 8; ++column)
            line += (column ? " " : "") + std::to_string(raster[row * 8 + column]);
        lines.push_back(line);
    }
    lines.push_back("");
    return lines;
}

inline Lines emptyBlock() {
    return Lines(10, "");
}

inline Lines joined(std::initializer_list<Lines> blocks) {
    Lines all;
    for (const Lines& b : blocks)
        all.insert(all.end(), b.begin(), b.end());
    return all;
}

} // namespace dumplines

struct SequenceFields {
    std::uint32_t width = 720;
    std::uint32_t height = 576;
    std::uint32_t aspect = 2;
    std::uint32_t frameRate = 3;
    std::uint32_t marker = 1;
};

// The bytes of a sequence header after 00 00 01 B3.
inline Bytes sequenceHeaderBody(const std::optional<Matrix>& intra, const std::optional<Matrix>& nonIntra,
                                const SequenceFields& fields = {}) {
    BitWriter w;
    w.put(fields.width, 12);
    w.put(fields.height, 12);
    w.put(fields.aspect, 4);
    w.put(fields.frameRate, 4);
    w.put(0x3FFFF, 18); // bit rate
    w.put(fields.marker, 1);
    w.put(112, 10); // VBV buffer size
    w.put(0, 1);    // constrained parameters
    w.putMatrix(intra);
    w.putMatrix(nonIntra);
    return w.bytes();
}

// The bytes of an extension after 00 00 01 B5 in the quant matrix extension layout.
inline Bytes quantExtensionBody(const std::optional<Matrix>& intra, const std::optional<Matrix>& nonIntra,
                                const std::optional<Matrix>& chromaIntra = {},
                                const std::optional<Matrix>& chromaNonIntra = {}, std::uint32_t id = 3) {
    BitWriter w;
    w.put(id, 4);
    w.putMatrix(intra);
    w.putMatrix(nonIntra);
    w.putMatrix(chromaIntra);
    w.putMatrix(chromaNonIntra);
    return w.bytes();
}

// Builds a video elementary stream piece by piece.
class EsBuilder {
public:
    explicit EsBuilder(unsigned seed = 1) : m_random(seed) {}

    EsBuilder& startCode(std::uint8_t code) {
        append({0, 0, 1, code});
        return *this;
    }
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
    // Slices of random bytes without zeros, so they hold many 0x01 bytes but no start code.
    EsBuilder& slices(int count = 3, std::size_t size = 150) {
        std::uniform_int_distribution<int> byte(1, 255);
        for (int s = 1; s <= count; ++s) {
            startCode(static_cast<std::uint8_t>(s));
            for (std::size_t i = 0; i < size; ++i)
                m_bytes.push_back(static_cast<std::uint8_t>(byte(m_random)));
        }
        return *this;
    }
    EsBuilder& picture() { return pictureHeader().slices(); }
    // For each pair a sequence header loading its custom matrices, then two pictures.
    EsBuilder& sequencesUsing(std::initializer_list<MatrixPair> pairs) {
        for (const MatrixPair& p : pairs)
            sequence(p.intra == quantdump::defaultIntraMatrix() ? std::nullopt : std::optional(p.intra),
                     p.nonIntra == quantdump::defaultNonIntraMatrix() ? std::nullopt : std::optional(p.nonIntra))
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

// The PES header forms a packet can carry.
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
    Bytes bytes = {0, 0, 1, 0xB3};
    const Bytes body = sequenceHeaderBody(decoy, decoy);
    bytes.insert(bytes.end(), body.begin(), body.end());
    bytes.insert(bytes.end(), {0, 0, 1, 0xB8});
    return bytes;
}

} // namespace quire::test
