#include "preview/EncodeMetrics.h"

#include "platform/FileIo.h"
#include "preview/ChildProcess.h"
#include "preview/KeyValueText.h"

#include <array>
#include <cerrno>
#include <charconv>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace quire::preview {

namespace {

// A capped PSNR for identical frames, which FFmpeg logs as "inf".
constexpr double kIdenticalPsnr = 100.0;

std::string numberText(double value) {
    std::array<char, 32> buffer{};
    const auto [end, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return ec == std::errc() ? std::string(buffer.data(), end) : std::string("0");
}

std::optional<double> numberOf(std::string_view text) {
    if (text == "inf")
        return kIdenticalPsnr;
    double value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

// The value after "key:" up to the next blank in a summary line.
std::optional<double> fieldOf(std::string_view line, std::string_view key) {
    const std::size_t at = line.find(key);
    if (at == std::string_view::npos)
        return std::nullopt;
    std::string_view rest = line.substr(at + key.size());
    rest = rest.substr(0, rest.find_first_of(" \r\n"));
    return numberOf(rest);
}

// The last line of the log that holds the marker.
std::string_view lastLineWith(std::string_view log, std::string_view marker) {
    const std::size_t at = log.rfind(marker);
    if (at == std::string_view::npos)
        return {};
    const std::size_t end = log.find('\n', at);
    return log.substr(at, end == std::string_view::npos ? std::string_view::npos : end - at);
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

// Reads "frame=N" lines of FFmpeg's -progress output as they come.
void takeProgress(std::string& pending, MeasureProgress& progress) {
    for (std::size_t end; (end = pending.find('\n')) != std::string::npos; pending.erase(0, end + 1)) {
        const std::string_view line(pending.data(), end);
        if (line.starts_with("frame="))
            if (const auto n = numberOf(line.substr(6)))
                progress.framesDone = static_cast<int>(*n);
    }
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

bool parseMeasureSummary(std::string_view ffmpegLog, EncodeMetrics& metrics) {
    const std::string_view psnr = lastLineWith(ffmpegLog, "PSNR y:");
    const std::string_view ssim = lastLineWith(ffmpegLog, "SSIM Y:");
    const auto y = fieldOf(psnr, "y:");
    const auto average = fieldOf(psnr, "average:");
    const auto worst = fieldOf(psnr, "min:");
    const auto all = fieldOf(ssim, "All:");
    if (!y || !average || !worst || !all)
        return false;
    metrics.psnrY = *y;
    metrics.psnrAll = *average;
    metrics.psnrMin = *worst;
    metrics.ssim = *all;
    return true;
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
    ScriptFrames source;
    if (!describeScript(tools, script, source, result.why))
        return result;
    metrics.rate = source.rate;
    metrics.sourceFrames = source.frames;
    progress.framesTotal = metrics.sourceFrames;
    progress.framesDone = 0;

    // When FFmpeg alone makes the script's frames, one FFmpeg run decodes both the source and the encode;
    // otherwise the renderer makes them and feeds them through a pipe. Both inputs get index timestamps
    // in one time base, so frame N is compared with frame N whatever the stream's own times; the frames
    // pass the psnr filter into the ssim filter.
    const std::string threads = std::to_string(tools.threads);
    std::vector<std::string> ffmpeg{tools.ffmpeg, "-hide_banner", "-nostdin", "-nostats"};
    if (tools.threads > 0)
        ffmpeg.insert(ffmpeg.end(), {"-filter_threads", threads, "-filter_complex_threads", threads});
    std::string reference = "[0:v]";
    if (!source.direct)
        ffmpeg.insert(ffmpeg.end(), {"-f", "yuv4mpegpipe", "-i", "pipe:0"});
    else if (!source.input.empty())
        ffmpeg.insert(ffmpeg.end(), {"-i", source.input});
    if (source.direct)
        reference = source.graph + "[source];[source]";
    const std::string encoded = !source.direct || !source.input.empty() ? "[1:v]" : "[0:v]";
    const std::string graph = reference + "settb=AVTB,setpts=N,format=yuv420p,split[r1][r2];" + encoded +
                              "settb=AVTB,setpts=N,format=yuv420p[d];[d][r1]psnr=shortest=1[p];[p][r2]ssim=shortest=1";
    ffmpeg.insert(ffmpeg.end(),
                  {"-i", encodedFile.string(), "-filter_complex", graph, "-f", "null", "-progress", "pipe:1", "-"});

    int video[2] = {-1, -1}, out[2] = {-1, -1}, err[2] = {-1, -1};
    if ((!source.direct && ::pipe2(video, O_CLOEXEC) != 0) || ::pipe2(out, O_CLOEXEC) != 0 ||
        ::pipe2(err, O_CLOEXEC) != 0) {
        for (int* p : {video, out, err}) {
            closeFd(p[0]);
            closeFd(p[1]);
        }
        result.why = "No pipes could be made for the measure.";
        return result;
    }
    // The first child leads a process group of its own, which a cancel kills as a whole.
    const pid_t renderer =
        source.direct ? 0 : spawnInGroup({tools.renderer.string(), script.string(), "--y4m", "-"}, -1, video[1], -1, 0);
    const pid_t measurer = renderer >= 0 ? spawnInGroup(ffmpeg, video[0], out[1], err[1], renderer) : -1;
    const pid_t group = source.direct ? measurer : renderer;
    for (int* fd : {&video[0], &video[1], &out[1], &err[1]})
        closeFd(*fd);
    if (renderer < 0 || measurer < 0) {
        if (renderer > 0) {
            ::kill(-renderer, SIGKILL);
            reap(renderer);
        }
        closeFd(out[0]);
        closeFd(err[0]);
        result.why = renderer < 0 ? "The renderer " + tools.renderer.string() + " could not be started."
                                  : "FFmpeg could not be started.";
        return result;
    }

    std::string pending, log;
    std::array<pollfd, 2> fds{{{out[0], POLLIN, 0}, {err[0], POLLIN, 0}}};
    while (fds[0].fd >= 0 || fds[1].fd >= 0) {
        if (progress.cancel) {
            ::kill(-group, SIGKILL);
            break;
        }
        const int ready = ::poll(fds.data(), fds.size(), 100);
        if (ready < 0 && errno != EINTR)
            break;
        for (int i = 0; i < 2 && ready > 0; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0)
                continue;
            char buffer[4096];
            const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                (i == 0 ? pending : log).append(buffer, static_cast<std::size_t>(n));
                if (i == 0)
                    takeProgress(pending, progress);
            } else if (n == 0 || errno != EINTR) {
                closeFd(fds[i].fd);
            }
        }
    }
    closeFd(fds[0].fd);
    closeFd(fds[1].fd);
    const int measured = reap(measurer);
    const int rendered = renderer > 0 ? reap(renderer) : 0;
    if (progress.cancel) {
        result.cancelled = true;
        result.why = "The measure was cancelled.";
        return result;
    }
    if (measured != 0 || !parseMeasureSummary(log, metrics)) {
        result.why = rendered != 0 ? "The renderer could not give the frames of " + script.filename().string() + "."
                                   : "FFmpeg could not measure " + encodedFile.filename().string() + ".";
        return result;
    }
    metrics.frames = progress.framesDone;
    if (metrics.frames > 0 && metrics.rate > 0)
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
