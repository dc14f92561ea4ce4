// Stream kind detection, the block-reading loop and the file reader.
#include "StreamScanner.h"

#include "StartCode.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quire::quantdump {

namespace {

constexpr std::uint8_t kPackCode = 0xBA;
constexpr std::uint8_t kFirstVideoStream = 0xE0;
constexpr std::uint8_t kLastVideoStream = 0xEF;

// Closes the descriptor when the scan leaves.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

} // namespace

std::size_t findSystemLayer(const std::uint8_t* data, std::size_t from, std::size_t size, std::size_t& resume) {
    for (std::size_t i = from;;) {
        const std::size_t prefix = findStartCode(data, i, size);
        if (prefix == kNoStartCode) {
            resume = std::max(i, size >= 2 ? size - 2 : 0);
            return kNoStartCode;
        }
        if (prefix + 3 >= size) {
            resume = prefix;
            return kNoStartCode;
        }
        const std::uint8_t code = data[prefix + 3];
        if (code == kPackCode || (code >= kFirstVideoStream && code <= kLastVideoStream))
            return prefix;
        i = prefix + 3;
    }
}

StreamScanner::StreamScanner(std::size_t blockSize)
    : m_buffer(ProgramDemuxer::kMaxHeld + std::max<std::size_t>(blockSize, 1)) {}

std::span<std::uint8_t> StreamScanner::space() {
    return std::span<std::uint8_t>(m_buffer).subspan(m_filled);
}

void StreamScanner::commit(std::size_t count) {
    m_filled += std::min(count, m_buffer.size() - m_filled);
    process(false);
}

void StreamScanner::finish() {
    process(true);
    m_video.finish();
}

void StreamScanner::process(bool atEnd) {
    if (m_kind == StreamKind::Elementary) {
        std::size_t resume = 0;
        const std::size_t system = findSystemLayer(m_buffer.data(), 0, m_filled, resume);
        // Up to the system layer, or up to the bytes that may begin its start code.
        const std::size_t video = system != kNoStartCode ? system : atEnd ? m_filled : resume;
        m_video.feed(m_buffer.data(), video);
        std::memmove(m_buffer.data(), m_buffer.data() + video, m_filled - video);
        m_filled -= video;
        if (system == kNoStartCode)
            return;
        m_kind = StreamKind::Program;
    }
    const std::size_t used = m_demuxer.process(m_buffer.data(), m_filled, atEnd);
    const std::size_t rest = std::min(m_filled - used, ProgramDemuxer::kMaxHeld);
    std::memmove(m_buffer.data(), m_buffer.data() + (m_filled - rest), rest);
    m_filled = rest;
}

FileScan scanFile(const std::filesystem::path& input) {
    FileScan scan;
    const FileDescriptor file(::open(input.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.get() < 0) {
        scan.error = std::strerror(errno);
        return scan;
    }
    struct stat info {};
    if (::fstat(file.get(), &info) == 0 && S_ISDIR(info.st_mode)) {
        scan.error = "it is a folder";
        return scan;
    }
    ::posix_fadvise(file.get(), 0, 0, POSIX_FADV_SEQUENTIAL);

    StreamScanner scanner;
    while (!scanner.complete()) {
        const std::span<std::uint8_t> space = scanner.space();
        const ssize_t got = ::read(file.get(), space.data(), space.size());
        if (got < 0) {
            if (errno == EINTR)
                continue;
            scan.error = std::strerror(errno);
            return scan;
        }
        if (got == 0)
            break;
        scanner.commit(static_cast<std::size_t>(got));
    }
    scanner.finish();
    scan.readable = true;
    scan.sawSequenceHeader = scanner.tracker().sawSequenceHeader();
    scan.sawDamagedSequenceHeader = scanner.video().sawDamagedSequenceHeader();
    scan.sawPicture = scanner.tracker().sawPicture();
    scan.first = scanner.tracker().first();
    scan.second = scanner.tracker().second();
    return scan;
}

} // namespace quire::quantdump
