// Reads a whole stream, elementary or program (told apart by its content, not its name), in
// large blocks through one fixed buffer, and follows its quantisation matrices.
#pragma once

#include "ElementaryScanner.h"
#include "ProgramDemuxer.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace quire::quantdump {

enum class StreamKind { Elementary, Program };

// The first pack start code (00 00 01 BA, valid or damaged) or video packet start code (00 00 01
// E0 to EF) in data[from, size), or kNoStartCode. A video elementary stream never holds either, so
// either one shows a program stream's system layer. Without one, `resume` is where the search
// must go on once more bytes follow (the last bytes may begin a start code).
std::size_t findSystemLayer(const std::uint8_t* data, std::size_t from, std::size_t size, std::size_t& resume);

class StreamScanner {
public:
    // Large enough that a read costs little per byte, small enough that a block is still in the
    // processor's second-level cache when the scan reads it just after the kernel copied it in
    // (a quarter of a MiB was the fastest size on a 1 GiB DVD stream).
    static constexpr std::size_t kDefaultBlock = std::size_t{256} * 1024;

    explicit StreamScanner(std::size_t blockSize = kDefaultBlock);
    StreamScanner(const StreamScanner&) = delete;
    StreamScanner& operator=(const StreamScanner&) = delete;

    // Where the next bytes of the stream go; never empty before finish().
    std::span<std::uint8_t> space();
    // `count` bytes were written at the start of space().
    void commit(std::size_t count);
    // The stream has ended.
    void finish();

    // The result cannot change any more: stop reading.
    bool complete() const { return m_video.complete(); }
    const MatrixTracker& tracker() const { return m_video.tracker(); }
    const ElementaryScanner& video() const { return m_video; }
    // The stream is read as an elementary stream until its system layer shows (findSystemLayer),
    // and as a program stream from there on; the bytes before it are taken for the rest of a
    // video packet that the file starts inside.
    StreamKind kind() const { return m_kind; }

private:
    void process(bool atEnd);

    ElementaryScanner m_video;
    ProgramDemuxer m_demuxer{m_video};
    StreamKind m_kind = StreamKind::Elementary;
    std::vector<std::uint8_t> m_buffer;
    std::size_t m_filled = 0;
};

struct FileScan {
    bool readable = false;
    std::string error; // why the file could not be read
    bool sawSequenceHeader = false;
    bool sawDamagedSequenceHeader = false;
    bool sawPicture = false; // coded after a sequence header
    std::optional<MatrixPair> first;
    std::optional<MatrixPair> second;
};

// Reads the file from the start until its result is known or it ends.
FileScan scanFile(const std::filesystem::path& input);

} // namespace quire::quantdump
