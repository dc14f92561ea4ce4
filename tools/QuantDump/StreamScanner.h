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

// Decides from the first sequence header (elementary) or valid pack header (program) in
// data[0, size). Empty while neither is seen and more data may follow; with atEnd, a stream
// showing neither counts as elementary. `searched` is where the next call may resume looking.
std::optional<StreamKind> detectStreamKind(const std::uint8_t* data, std::size_t size, bool atEnd,
                                           std::size_t& searched);

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
    std::optional<StreamKind> kind() const { return m_kind; }

private:
    void process(bool atEnd);

    ElementaryScanner m_video;
    ProgramDemuxer m_demuxer{m_video};
    std::optional<StreamKind> m_kind;
    std::size_t m_searched = 0;
    std::vector<std::uint8_t> m_buffer;
    std::size_t m_filled = 0;
};

struct FileScan {
    bool readable = false;
    std::string error; // why the file could not be read
    bool sawSequenceHeader = false;
    std::optional<MatrixPair> first;
    std::optional<MatrixPair> second;
};

// Reads the file from the start until its result is known or it ends.
FileScan scanFile(const std::filesystem::path& input);

} // namespace quire::quantdump
