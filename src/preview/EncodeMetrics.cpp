#include "preview/EncodeMetrics.h"

#include "platform/FileIo.h"
#include "preview/ChildProcess.h"
#include "preview/DecodedFrames.h"
#include "preview/KeyValueText.h"
#include "preview/PictureMeasure.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <condition_variable>
#include <csignal>
#include <deque>
#include <fcntl.h>
#include <mutex>
#include <thread>
#include <unistd.h>
#include <vector>

namespace quire::preview {

namespace {

std::string numberText(double value) {
    std::array<char, 32> buffer{};
    const auto [end, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return ec == std::errc() ? std::string(buffer.data(), end) : std::string("0");
}

std::optional<double> numberOf(std::string_view text) {
    double value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::optional<std::pair<std::uintmax_t, std::int64_t>> stampOf(const fs::path& file) {
    std::error_code sizeError, timeError;
    const auto size = fs::file_size(file, sizeError);
    const auto time = fs::last_write_time(file, timeError);
    if (sizeError || timeError)
        return std::nullopt;
    return std::pair{size, static_cast<std::int64_t>(time.time_since_epoch().count())};
}

// What the renderer's --graph run says of a script: its rate and count, and, when FFmpeg alone makes
// its frames, FFmpeg's input for them and the filter chain from it (otherwise `direct` is false).
struct ScriptFrames {
    double rate = 0;
    int frames = 0;
    bool direct = false;
    std::string input, graph;
};

// The text after "key: " on a line of its own; empty optional when there is no such line.
std::optional<std::string_view> lineValue(std::string_view text, std::string_view key) {
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = std::min(text.find('\n', at), text.size());
        const std::string_view line = text.substr(at, end - at);
        if (line.starts_with(key) && line.substr(key.size()).starts_with(": "))
            return line.substr(key.size() + 2);
        at = end + 1;
    }
    return std::nullopt;
}

bool describeScript(const MeasureTools& tools, const fs::path& script, ScriptFrames& frames, std::string& why) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        why = "No pipe could be made for the renderer.";
        return false;
    }
    const pid_t pid = spawnInGroup({tools.renderer.string(), script.string(), "--graph"}, -1, fds[1], -1, 0);
    closeFd(fds[1]);
    std::string out;
    char buffer[4096];
    for (ssize_t n; pid > 0 && ((n = ::read(fds[0], buffer, sizeof buffer)) > 0 || (n < 0 && errno == EINTR));)
        if (n > 0)
            out.append(buffer, static_cast<std::size_t>(n));
    closeFd(fds[0]);
    const int exitCode = pid < 0 ? -1 : reap(pid);
    // "info: width height num/den frames pixfmt"
    std::array<std::string_view, 4> fields{};
    std::string_view rest = lineValue(out, "info").value_or("");
    for (auto& f : fields) {
        const std::size_t end = rest.find(' ');
        f = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    }
    const std::size_t slash = fields[2].find('/');
    // A missing or unreadable part reads as 0, which no rate accepts.
    const double num = numberOf(fields[2].substr(0, slash)).value_or(0);
    const double den = slash == std::string_view::npos ? 0 : numberOf(fields[2].substr(slash + 1)).value_or(0);
    const auto count = numberOf(fields[3]);
    // Exit 5: the frames need the renderer's own stages, and it has to make them itself.
    if ((exitCode != 0 && exitCode != 5) || den <= 0 || num <= 0 || !count) {
        why = "The renderer could not read the encode script " + script.filename().string() + ".";
        return false;
    }
    frames.rate = num / den;
    frames.frames = static_cast<int>(*count);
    const auto input = lineValue(out, "input");
    const auto graph = lineValue(out, "graph");
    frames.direct = exitCode == 0 && input && graph && !graph->empty();
    frames.input = input.value_or("");
    frames.graph = graph.value_or("");
    return true;
}

} // namespace

fs::path scriptCopyOf(const fs::path& encodedFile) {
    fs::path file = encodedFile;
    file += kScriptCopyExtension;
    return file;
}

fs::path metricsFileOf(const fs::path& encodedFile) {
    fs::path file = encodedFile;
    file += kMetricsExtension;
    return file;
}

std::optional<EncodedName> splitEncodedName(std::string_view segment, std::string_view fileName) {
    const std::string_view base = segment.substr(0, segment.size() >= 4 ? segment.size() - 4 : 0);
    if (base.empty() || !fileName.starts_with(base) || !fileName.ends_with(".m2v") ||
        fileName.size() < base.size() + 5 || fileName[base.size()] != '_')
        return std::nullopt;
    const std::string_view rest = fileName.substr(base.size() + 1, fileName.size() - base.size() - 5);
    // The filter names hold underscores of their own: the longest that ends the name wins.
    for (const std::string_view filter : {"Undot_Deen", "No_Filter", "Undot", "Deen"})
        if (rest.size() > filter.size() + 1 && rest.ends_with(filter) && rest[rest.size() - filter.size() - 1] == '_')
            return EncodedName{std::string(rest.substr(0, rest.size() - filter.size() - 1)), std::string(filter)};
    const std::size_t last = rest.rfind('_');
    if (last == std::string_view::npos)
        return std::nullopt;
    return EncodedName{std::string(rest.substr(0, last)), std::string(rest.substr(last + 1))};
}

bool keepEncodeScript(const fs::path& encodeScript, const fs::path& encodedFile) {
    const auto bytes = fileio::readFile(encodeScript);
    return bytes && fileio::writeFileAtomic(scriptCopyOf(encodedFile), *bytes);
}

std::string metricsText(const EncodeMetrics& m, std::int64_t fileTime) {
    std::string out;
    const auto line = [&out](std::string_view key, const std::string& value) {
        out.append(key).append("=").append(value).append("\r\n");
    };
    line("size", std::to_string(m.size));
    line("time", std::to_string(fileTime));
    line("frames", std::to_string(m.frames));
    line("sourceframes", std::to_string(m.sourceFrames));
    line("rate", numberText(m.rate));
    line("bitrate", numberText(m.bitrate));
    line("target", numberText(m.target));
    line("psnr_y", numberText(m.psnrY));
    line("psnr_all", numberText(m.psnrAll));
    line("psnr_min", numberText(m.psnrMin));
    line("ssim", numberText(m.ssim));
    return out;
}

std::optional<EncodeMetrics> parseMetricsText(std::string_view text, std::int64_t& fileTime) {
    EncodeMetrics m;
    struct Field {
        std::string_view key;
        double* number;
        bool seen = false;
    };
    double size = 0, time = 0, frames = 0, sourceFrames = 0;
    std::array<Field, 11> fields{{{"size", &size},
                                  {"time", &time},
                                  {"frames", &frames},
                                  {"sourceframes", &sourceFrames},
                                  {"rate", &m.rate},
                                  {"bitrate", &m.bitrate},
                                  {"target", &m.target},
                                  {"psnr_y", &m.psnrY},
                                  {"psnr_all", &m.psnrAll},
                                  {"psnr_min", &m.psnrMin},
                                  {"ssim", &m.ssim}}};
    forEachKeyValue(text, [&](std::string_view key, std::string_view field) {
        for (Field& f : fields)
            if (key == f.key)
                if (const auto value = numberOf(field)) {
                    *f.number = *value;
                    f.seen = true;
                }
    });
    for (const Field& f : fields)
        if (!f.seen)
            return std::nullopt;
    // The size and the time are whole numbers too large for a double's exact range.
    const auto whole = [text](std::string_view key) -> std::optional<std::int64_t> {
        const std::size_t at = text.find(std::string(key) + "=");
        if (at != 0 && (at == std::string_view::npos || text[at - 1] != '\n'))
            return std::nullopt;
        const std::string_view digits = text.substr(at + key.size() + 1);
        std::int64_t value = 0;
        const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
        return ec == std::errc() ? std::optional(value) : std::nullopt;
    };
    const auto wholeSize = whole("size");
    const auto wholeTime = whole("time");
    if (!wholeSize || !wholeTime)
        return std::nullopt;
    time = static_cast<double>(*wholeTime);
    m.size = static_cast<std::uintmax_t>(*wholeSize);
    m.frames = static_cast<int>(frames);
    m.sourceFrames = static_cast<int>(sourceFrames);
    fileTime = *wholeTime;
    return m;
}

bool saveMetrics(const fs::path& encodedFile, const EncodeMetrics& metrics) {
    const auto stamp = stampOf(encodedFile);
    if (!stamp)
        return false;
    EncodeMetrics kept = metrics;
    kept.size = stamp->first;
    return fileio::writeFileAtomic(metricsFileOf(encodedFile), metricsText(kept, stamp->second));
}

std::optional<EncodeMetrics> savedMetrics(const fs::path& encodedFile) {
    const auto stamp = stampOf(encodedFile);
    const auto content = fileio::readFile(metricsFileOf(encodedFile));
    if (!stamp || !content)
        return std::nullopt;
    std::int64_t time = 0;
    auto metrics = parseMetricsText(*content, time);
    if (!metrics || metrics->size != stamp->first || time != stamp->second)
        return std::nullopt;
    return metrics;
}

namespace {

// Where a stream of frames comes from: a YUV4MPEG2 pipe of another program, or FFmpeg's libraries here.
class FrameSource {
public:
    virtual ~FrameSource() = default;
    // The stream's picture; empty when there is none.
    virtual std::optional<Y4mFormat> start() = 0;
    // The next frame of start()'s format; false at the end or on a fault.
    virtual bool read(std::vector<std::uint8_t>& frame) = 0;
    // Set when the frames ended in a fault of this side (a program's exit is judged apart).
    virtual bool faulted() const { return false; }
};

class Y4mPipe final : public FrameSource {
public:
    explicit Y4mPipe(int fd) : m_fd(fd) {}
    ~Y4mPipe() override { closeFd(m_fd); }
    Y4mPipe(const Y4mPipe&) = delete;
    Y4mPipe& operator=(const Y4mPipe&) = delete;

    std::optional<Y4mFormat> start() override {
        std::string line;
        m_format = readLine(line) ? parseY4mHeader(line) : std::nullopt;
        return m_format;
    }
    bool read(std::vector<std::uint8_t>& frame) override {
        std::string line;
        frame.resize(m_format->frameBytes());
        return readLine(line) && line.starts_with("FRAME") && readExact(frame.data(), frame.size());
    }

private:
    // Fills `to` with n bytes, from what is buffered first; false at the end of the stream.
    bool readExact(std::uint8_t* to, std::size_t n) {
        const std::size_t buffered = std::min(n, m_buffer.size() - m_at);
        std::copy_n(m_buffer.data() + m_at, buffered, to);
        m_at += buffered;
        for (std::size_t done = buffered; done < n;) {
            const ssize_t got = ::read(m_fd, to + done, n - done);
            if (got > 0)
                done += static_cast<std::size_t>(got);
            else if (got == 0 || errno != EINTR)
                return false;
        }
        return true;
    }
    // One line without its end; false at the end of the stream or past a sane header's length.
    bool readLine(std::string& line) {
        line.clear();
        while (line.size() < 4096) {
            if (m_at == m_buffer.size()) {
                m_buffer.resize(65536);
                ssize_t got;
                while ((got = ::read(m_fd, m_buffer.data(), m_buffer.size())) < 0 && errno == EINTR) {
                }
                m_buffer.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
                m_at = 0;
                if (got <= 0)
                    return false;
            }
            const char c = static_cast<char>(m_buffer[m_at++]);
            if (c == '\n')
                return true;
            line += c;
        }
        return false;
    }

    int m_fd;
    std::optional<Y4mFormat> m_format;
    std::vector<std::uint8_t> m_buffer;
    std::size_t m_at = 0;
};

class LibraryFrames final : public FrameSource {
public:
    LibraryFrames(std::string input, std::string graph) : m_input(std::move(input)), m_graph(std::move(graph)) {}
    std::optional<Y4mFormat> start() override {
        std::string why;
        m_frames = DecodedFrames::open(m_input, m_graph, why);
        m_faulted = !m_frames;
        if (!m_frames)
            return std::nullopt;
        return Y4mFormat{m_frames->width(), m_frames->height(), Y4mFormat::Chroma::Yuv420};
    }
    bool read(std::vector<std::uint8_t>& frame) override {
        const bool more = m_frames->next(frame);
        m_faulted = !more && !m_frames->why().empty();
        return more;
    }
    bool faulted() const override { return m_faulted; }

private:
    std::string m_input, m_graph;
    std::unique_ptr<DecodedFrames> m_frames;
    bool m_faulted = false;
};

// The frames of one source, read on a thread of its own into a few reused buffers, so that both sources
// decode at once while the measure computes.
class FrameStream {
public:
    explicit FrameStream(std::unique_ptr<FrameSource> source)
        : m_source(std::move(source)), m_thread([this] { run(); }) {}
    // A program writing a pipe must be gone (or killed) first: the thread may be waiting in a read.
    ~FrameStream() {
        {
            std::lock_guard lock(m_mutex);
            m_stopping = true;
        }
        m_changed.notify_all();
        m_thread.join();
    }
    FrameStream(const FrameStream&) = delete;
    FrameStream& operator=(const FrameStream&) = delete;

    // The stream's picture once known; empty when there is none. Waits while `cancel` is not set.
    std::optional<Y4mFormat> format(const std::atomic<bool>& cancel) {
        std::unique_lock lock(m_mutex);
        while (!m_started && !cancel)
            m_changed.wait_for(lock, std::chrono::milliseconds(50));
        return m_format;
    }
    // The next frame, or null at the stream's end or once `cancel` is set; valid until the next call.
    const std::vector<std::uint8_t>* next(const std::atomic<bool>& cancel) {
        std::unique_lock lock(m_mutex);
        if (!m_current.empty())
            m_free.push_back(std::move(m_current));
        m_changed.notify_all();
        while (m_full.empty() && !m_ended && !cancel)
            m_changed.wait_for(lock, std::chrono::milliseconds(50));
        if (m_full.empty() || cancel)
            return nullptr;
        m_current = std::move(m_full.front());
        m_full.pop_front();
        m_changed.notify_all();
        return &m_current;
    }
    bool reachedEnd() const {
        std::lock_guard lock(m_mutex);
        return m_ended;
    }
    bool faulted() const {
        std::lock_guard lock(m_mutex);
        return m_ended && m_source->faulted();
    }

private:
    static constexpr std::size_t kFramesAhead = 8;

    void run() {
        const auto format = m_source->start();
        {
            std::lock_guard lock(m_mutex);
            m_format = format;
            m_started = true;
            m_ended = !format;
        }
        m_changed.notify_all();
        for (bool more = format.has_value(); more;) {
            std::vector<std::uint8_t> frame;
            {
                std::unique_lock lock(m_mutex);
                m_changed.wait(lock, [this] { return m_stopping || m_full.size() < kFramesAhead; });
                if (m_stopping)
                    return;
                if (!m_free.empty()) {
                    frame = std::move(m_free.back());
                    m_free.pop_back();
                }
            }
            more = m_source->read(frame);
            std::lock_guard lock(m_mutex);
            if (more)
                m_full.push_back(std::move(frame));
            m_ended = !more;
            m_changed.notify_all();
        }
    }

    std::unique_ptr<FrameSource> m_source;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::optional<Y4mFormat> m_format;
    bool m_started = false, m_ended = false, m_stopping = false;
    std::deque<std::vector<std::uint8_t>> m_full;
    std::vector<std::vector<std::uint8_t>> m_free;
    std::vector<std::uint8_t> m_current;
    std::thread m_thread;
};

// One stream of frames, from a program writing a pipe (pid > 0, in a process group of its own) or from
// FFmpeg's libraries (pid 0).
struct Producer {
    pid_t pid = 0;
    std::unique_ptr<FrameStream> frames;
};

Producer startProgram(const std::vector<std::string>& argv) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return {-1, nullptr};
    // A pipe that holds more than a frame lets the writer run ahead of the reader's thread.
    ::fcntl(fds[0], F_SETPIPE_SZ, 1 << 20);
    Producer producer;
    producer.pid = spawnInGroup(argv, -1, fds[1], -1, 0);
    closeFd(fds[1]);
    if (producer.pid < 0) {
        closeFd(fds[0]);
        return producer;
    }
    producer.frames = std::make_unique<FrameStream>(std::make_unique<Y4mPipe>(fds[0]));
    return producer;
}

Producer startLibrary(const std::string& input, const std::string& graph) {
    return {0, std::make_unique<FrameStream>(std::make_unique<LibraryFrames>(input, graph))};
}

// Stops the streams: a program whose stream did not end is killed with its children, and reaped; each
// stream is closed. The first whose stream ended in a fault (a program's: an exit other than 0), or null.
const Producer* stopProducers(std::initializer_list<Producer*> producers) {
    std::vector<std::pair<Producer*, bool>> ended;
    for (Producer* p : producers)
        if (p->frames)
            ended.emplace_back(p, p->frames->reachedEnd());
    for (const auto& [p, done] : ended)
        if (!done && p->pid > 0)
            ::kill(-p->pid, SIGKILL);
    const Producer* faulted = nullptr;
    for (const auto& [p, done] : ended) {
        const bool fault = p->pid > 0 ? reap(p->pid) != 0 && done : p->frames->faulted();
        if (fault && !faulted)
            faulted = p;
        p->frames.reset();
    }
    return faulted;
}

} // namespace

MeasureResult MeasureEncodedFile(const MeasureTools& tools, const fs::path& encodedFile, double target,
                                 MeasureProgress& progress) {
    MeasureResult result;
    const fs::path script = scriptCopyOf(encodedFile);
    const auto stamp = stampOf(encodedFile);
    if (!stamp || !fs::exists(script)) {
        result.why = !stamp ? "The encoded file " + encodedFile.filename().string() + " is missing."
                            : "The encode script of " + encodedFile.filename().string() + " was not kept.";
        return result;
    }
    EncodeMetrics metrics;
    metrics.size = stamp->first;
    metrics.target = target;
    // The file starts decoding while the renderer reads the script.
    Producer decoded = startLibrary(encodedFile.string(), "");
    ScriptFrames source;
    if (!describeScript(tools, script, source, result.why)) {
        stopProducers({&decoded});
        return result;
    }
    metrics.rate = source.rate;
    metrics.sourceFrames = source.frames;
    progress.framesTotal = metrics.sourceFrames;
    progress.framesDone = 0;

    // The script's frames and the file's, decoded at once: the file and, when the renderer gives the script
    // as one FFmpeg graph, its source by FFmpeg's libraries here; otherwise the renderer writes the
    // script's frames to a pipe. Neither drops nor repeats a frame, and frame N of one is measured
    // against frame N of the other, as far as the shorter goes.
    Producer reference = source.direct ? startLibrary(source.input, source.graph)
                                       : startProgram({tools.renderer.string(), script.string(), "--y4m", "-"});
    if (reference.pid < 0) {
        stopProducers({&decoded});
        result.why = "The renderer " + tools.renderer.string() + " could not be started.";
        return result;
    }
    const auto failed = [&](std::string why) {
        stopProducers({&reference, &decoded});
        result.cancelled = progress.cancel;
        result.why = progress.cancel ? "The measure was cancelled." : std::move(why);
        return result;
    };
    const std::string sourceFault = "The frames of " + script.filename().string() + " could not be made.";
    const std::string decodeFault = "FFmpeg could not decode " + encodedFile.filename().string() + ".";
    const auto referenceFormat = reference.frames->format(progress.cancel);
    const auto decodedFormat = decoded.frames->format(progress.cancel);
    if (!referenceFormat || !decodedFormat)
        return failed(!referenceFormat ? sourceFault : decodeFault);
    if (referenceFormat->width != decodedFormat->width || referenceFormat->height != decodedFormat->height)
        return failed(encodedFile.filename().string() + " is " + std::to_string(decodedFormat->width) + "x" +
                      std::to_string(decodedFormat->height) + ", the frames of its encode script are " +
                      std::to_string(referenceFormat->width) + "x" + std::to_string(referenceFormat->height) + ".");

    PictureMeasure measure(decodedFormat->width, decodedFormat->height);
    std::vector<std::uint8_t> converted;
    while (!progress.cancel) {
        const auto* a = decoded.frames->next(progress.cancel);
        const auto* b = a ? reference.frames->next(progress.cancel) : nullptr;
        if (!a || !b)
            break;
        if (referenceFormat->chroma != Y4mFormat::Chroma::Yuv420)
            toYuv420(*referenceFormat, b->data(), converted);
        measure.add(a->data(), referenceFormat->chroma == Y4mFormat::Chroma::Yuv420 ? b->data() : converted.data());
        progress.framesDone = measure.frames();
    }
    // Without a fault, a side that gave no frame at all is the one at fault.
    const bool decodedAny = measure.frames() > 0 || !decoded.frames->reachedEnd();
    const Producer* faulted = stopProducers({&reference, &decoded});
    if (faulted || progress.cancel || measure.frames() == 0)
        return failed(faulted == &reference || (!faulted && decodedAny) ? sourceFault : decodeFault);
    metrics.frames = measure.frames();
    metrics.psnrY = measure.psnrY();
    metrics.psnrAll = measure.psnrAll();
    metrics.psnrMin = measure.psnrMin();
    metrics.ssim = measure.ssim();
    if (metrics.rate > 0)
        metrics.bitrate = static_cast<double>(metrics.size) * 8.0 / (metrics.frames / metrics.rate) / 1000.0;
    saveMetrics(encodedFile, metrics);
    result.metrics = metrics;
    return result;
}

struct MeasureJob::Thread {
    std::thread thread;
};

MeasureJob::MeasureJob(MeasureTools tools, fs::path encodedFile, double target)
    : m_file(std::move(encodedFile)), m_thread(std::make_unique<Thread>()) {
    m_thread->thread = std::thread([this, tools = std::move(tools), target] {
        m_result = MeasureEncodedFile(tools, m_file, target, m_progress);
        m_finished = true;
    });
}

MeasureJob::~MeasureJob() {
    m_progress.cancel = true;
    if (m_thread->thread.joinable())
        m_thread->thread.join();
}

} // namespace quire::preview
