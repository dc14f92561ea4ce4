// Follows the quantisation matrices through an MPEG-1 or MPEG-2 video elementary stream as a
// decoder does, and keeps the first two distinct custom pairs the pictures are decoded with.
#pragma once

#include "QuantMatrix.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace quire::quantdump {

// The decoder's current matrices and the custom pairs seen so far.
class MatrixTracker {
public:
    // A sequence header sets both matrices: the loaded ones, the defaults for the others.
    void sequenceHeader(const MatrixLoad& load);
    // A quant matrix extension replaces only the matrices it loads (ignored before any sequence header).
    void quantMatrixExtension(const MatrixLoad& load);
    // Picture data follows and is decoded with the current pair. Matrices that no picture is coded
    // with (a sequence header followed only by the end of the stream) never count.
    void pictureData() {
        m_sawPicture = m_sawPicture || m_sawSequenceHeader;
        if (m_changed)
            takeCurrentPair();
    }

    bool sawSequenceHeader() const { return m_sawSequenceHeader; }
    // Whether a picture was coded after a sequence header.
    bool sawPicture() const { return m_sawPicture; }
    // The first pair that differs from the defaults.
    const std::optional<MatrixPair>& first() const { return m_first; }
    // The next pair that differs from both the defaults and the first.
    const std::optional<MatrixPair>& second() const { return m_second; }
    // Nothing later in the stream can change first() or second().
    bool complete() const { return m_second.has_value(); }

private:
    void takeCurrentPair();

    MatrixPair m_current = defaultPair();
    bool m_changed = false;
    bool m_sawSequenceHeader = false;
    bool m_sawPicture = false;
    std::optional<MatrixPair> m_first;
    std::optional<MatrixPair> m_second;
};

// Scans an elementary stream handed over in pieces of any size (a start code or a header may be
// split between pieces). Memory stays constant whatever the stream's length.
class ElementaryScanner {
public:
    // The next bytes of the stream. Does nothing once complete().
    void feed(const std::uint8_t* data, std::size_t size);
    // The stream has ended: parses what was held back.
    void finish();

    bool complete() const { return m_tracker.complete(); }
    const MatrixTracker& tracker() const { return m_tracker; }
    // Whether a sequence header start code was followed by a damaged or cut header.
    bool sawDamagedSequenceHeader() const { return m_sawDamagedSequenceHeader; }

    // Bytes needed from a prefix's first byte to decide on any start code: the prefix, the code
    // byte and the longest header.
    static constexpr std::size_t kMaxHeld = 3 + 1 + kMaxHeaderBytes;

private:
    struct Stop {
        std::size_t resume; // first byte not yet looked at (or the held prefix when stalled)
        bool stalled;       // a start code at `resume` needs more bytes
    };

    Stop scan(const std::uint8_t* data, std::size_t size, std::size_t from, std::size_t limit, bool atEnd);
    void scanRegion(const std::uint8_t* data, std::size_t size, std::size_t from);
    // Whether a start code may begin in the held bytes, given the next piece.
    bool mayStartInHeld(const std::uint8_t* data, std::size_t size) const;
    std::size_t handleStartCode(const std::uint8_t* code, std::size_t available, bool atEnd);
    void hold(const std::uint8_t* data, std::size_t size);

    MatrixTracker m_tracker;
    bool m_sawDamagedSequenceHeader = false;
    // The tail of the previous piece that may begin a start code; joined with the head of the next.
    std::array<std::uint8_t, kMaxHeld> m_held{};
    std::size_t m_heldSize = 0;
    std::array<std::uint8_t, 2 * kMaxHeld> m_join{};
};

} // namespace quire::quantdump
