// Start-code scanning of the video elementary stream and the decoder's matrix bookkeeping.
#include "ElementaryScanner.h"

#include "StartCode.h"

#include <algorithm>
#include <cstring>

namespace quire::quantdump {

namespace {

constexpr std::uint8_t kFirstSliceCode = 0x01;
constexpr std::uint8_t kLastSliceCode = 0xAF;
constexpr std::uint8_t kSequenceHeaderCode = 0xB3;
constexpr std::uint8_t kExtensionStartCode = 0xB5;

} // namespace

void MatrixTracker::sequenceHeader(const MatrixLoad& load) {
    m_current.intra = load.intra.value_or(defaultIntraMatrix());
    m_current.nonIntra = load.nonIntra.value_or(defaultNonIntraMatrix());
    m_sawSequenceHeader = true;
    m_changed = true;
}

void MatrixTracker::quantMatrixExtension(const MatrixLoad& load) {
    if (!m_sawSequenceHeader)
        return;
    if (load.intra)
        m_current.intra = *load.intra;
    if (load.nonIntra)
        m_current.nonIntra = *load.nonIntra;
    m_changed = true;
}

void MatrixTracker::takeCurrentPair() {
    m_changed = false;
    if (!m_sawSequenceHeader || m_second || m_current == defaultPair())
        return;
    if (!m_first)
        m_first = m_current;
    else if (m_current != *m_first)
        m_second = m_current;
}

void ElementaryScanner::feed(const std::uint8_t* data, std::size_t size) {
    if (size == 0 || complete())
        return;
    const std::size_t held = m_heldSize;
    if (held == 0 || !mayStartInHeld(data, size)) {
        m_heldSize = 0;
        scanRegion(data, size, 0);
        return;
    }
    std::memcpy(m_join.data(), m_held.data(), held);
    m_heldSize = 0;
    if (size <= m_join.size() - held) {
        std::memcpy(m_join.data() + held, data, size);
        scanRegion(m_join.data(), held + size, 0);
        return;
    }
    // Start codes beginning in the held bytes are decided in the joined copy (it holds enough
    // bytes for any header); the rest of the piece is scanned where it lies.
    const std::size_t head = m_join.size() - held;
    std::memcpy(m_join.data() + held, data, head);
    const Stop stop = scan(m_join.data(), held + head, 0, held, false);
    if (complete())
        return;
    scanRegion(data, size, stop.resume > held ? stop.resume - held : 0);
}

bool ElementaryScanner::mayStartInHeld(const std::uint8_t* data, std::size_t size) const {
    auto byteAt = [&](std::size_t index) -> int {
        if (index < m_heldSize)
            return m_held[index];
        return index - m_heldSize < size ? data[index - m_heldSize] : -1;
    };
    for (std::size_t start = 0; start < m_heldSize; ++start) {
        const int first = byteAt(start), second = byteAt(start + 1), third = byteAt(start + 2);
        if (first == 0 && (second == 0 || second < 0) && (third == 1 || third < 0))
            return true;
    }
    return false;
}

void ElementaryScanner::finish() {
    if (!complete() && m_heldSize > 0) {
        const std::size_t held = m_heldSize;
        m_heldSize = 0;
        std::memcpy(m_join.data(), m_held.data(), held);
        scan(m_join.data(), held, 0, held, true);
    }
    m_heldSize = 0;
}

void ElementaryScanner::scanRegion(const std::uint8_t* data, std::size_t size, std::size_t from) {
    const Stop stop = scan(data, size, from, size, false);
    if (complete())
        return;
    std::size_t keep = size - std::min(stop.resume, size);
    if (!stop.stalled) {
        // Only trailing zero bytes can begin a prefix that the next piece completes.
        std::size_t zeros = 0;
        while (zeros < keep && data[size - 1 - zeros] == 0)
            ++zeros;
        keep = zeros;
    }
    hold(data + size - keep, keep);
}

void ElementaryScanner::hold(const std::uint8_t* data, std::size_t size) {
    // Never more than kMaxHeld by construction; the guard keeps junk from overrunning the buffer.
    if (size > m_held.size()) {
        data += size - m_held.size();
        size = m_held.size();
    }
    std::memcpy(m_held.data(), data, size);
    m_heldSize = size;
}

ElementaryScanner::Stop ElementaryScanner::scan(const std::uint8_t* data, std::size_t size, std::size_t from,
                                                std::size_t limit, bool atEnd) {
    std::size_t i = from;
    while (i < limit) {
        const std::size_t prefix = findStartCode(data, i, size);
        if (prefix == kNoStartCode || prefix >= limit)
            break;
        const std::size_t code = prefix + 3;
        if (code >= size) {
            if (atEnd)
                return {size, false};
            return {prefix, true};
        }
        const std::size_t used = handleStartCode(data + code, size - code, atEnd);
        if (used == 0)
            return {prefix, true};
        i = code + used;
        if (complete())
            return {size, false};
    }
    // Up to the last two bytes may begin a prefix whose rest is still to come.
    const std::size_t tail = size >= 2 ? size - 2 : 0;
    return {std::max(i, std::min(limit, tail)), false};
}

std::size_t ElementaryScanner::handleStartCode(const std::uint8_t* code, std::size_t available, bool atEnd) {
    const std::uint8_t value = code[0];
    if (value >= kFirstSliceCode && value <= kLastSliceCode) {
        m_tracker.pictureData();
        return 1;
    }
    HeaderParse parse;
    if (value == kSequenceHeaderCode) {
        parse = parseSequenceHeader(code + 1, available - 1, atEnd);
        if (parse.status == HeaderStatus::Ok)
            m_tracker.sequenceHeader(parse.load);
        m_sawDamagedSequenceHeader = m_sawDamagedSequenceHeader || parse.status == HeaderStatus::Damaged;
    } else if (value == kExtensionStartCode) {
        if (available < 2)
            return atEnd ? 1 : 0;
        if ((code[1] >> 4) != kQuantMatrixExtensionId)
            return 1;
        parse = parseQuantMatrixExtension(code + 1, available - 1, atEnd);
        if (parse.status == HeaderStatus::Ok)
            m_tracker.quantMatrixExtension(parse.load);
    } else {
        // Picture headers and the rest change nothing: a picture counts from its first slice,
        // after the extensions that may follow its header.
        return 1;
    }
    switch (parse.status) {
    case HeaderStatus::Ok:
        return 1 + parse.length;
    case HeaderStatus::NeedMore:
        return 0;
    case HeaderStatus::Damaged:
        break;
    }
    return 1; // a damaged header is skipped; scanning goes on right after its code byte
}

} // namespace quire::quantdump
