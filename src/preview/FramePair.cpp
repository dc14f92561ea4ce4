#include "preview/FramePair.h"

#include "preview/ChildProcess.h"
#include "preview/DecodedFrames.h"
#include "preview/KeyValueText.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <thread>
#include <unistd.h>

namespace quire::preview {

namespace {

std::optional<double> numberOf(std::string_view text) {
    double value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

// "a/b" or "a:b" as a / b; 0 when either part is missing or not above 0.
double ratioOf(std::string_view text, char separator) {
    const std::size_t at = text.find(separator);
    if (at == std::string_view::npos)
        return 0;
    const auto num = numberOf(text.substr(0, at));
    const auto den = numberOf(text.substr(at + 1));
    return num && den && *num > 0 && *den > 0 ? *num / *den : 0;
}

struct ChildRun {
    std::string out;
    int exitCode = -1;
};

// Runs the commands at once, each in a process group of its own, and gathers their standard output.
// Empty when cancelled: the children are killed and reaped first.
std::optional<std::vector<ChildRun>> runAll(const std::vector<std::vector<std::string>>& commands,
                                            const std::atomic<bool>& cancel) {
    std::vector<ChildRun> runs(commands.size());
    std::vector<pid_t> pids(commands.size(), -1);
    std::vector<pollfd> fds(commands.size(), pollfd{-1, POLLIN, 0});
    for (std::size_t i = 0; i < commands.size(); ++i) {
        int ends[2] = {-1, -1};
        if (::pipe2(ends, O_CLOEXEC) != 0)
            continue;
        pids[i] = spawnInGroup(commands[i], -1, ends[1], -1, 0);
        closeFd(ends[1]);
        if (pids[i] < 0)
            closeFd(ends[0]);
        fds[i].fd = ends[0];
    }
    std::vector<char> buffer(1 << 16);
    const auto open = [&fds] { return std::any_of(fds.begin(), fds.end(), [](const pollfd& p) { return p.fd >= 0; }); };
    while (open() && !cancel) {
        const int ready = ::poll(fds.data(), fds.size(), 50);
        if (ready < 0 && errno != EINTR)
            break;
        for (std::size_t i = 0; i < fds.size() && ready > 0; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0)
                continue;
            const ssize_t n = ::read(fds[i].fd, buffer.data(), buffer.size());
            if (n > 0)
                runs[i].out.append(buffer.data(), static_cast<std::size_t>(n));
            else if (n == 0 || errno != EINTR)
                closeFd(fds[i].fd);
        }
    }
    for (std::size_t i = 0; i < commands.size(); ++i) {
        closeFd(fds[i].fd);
        if (pids[i] <= 0)
            continue;
        if (cancel)
            ::kill(-pids[i], SIGKILL);
        runs[i].exitCode = reap(pids[i]);
    }
    if (cancel)
        return std::nullopt;
    return runs;
}

std::vector<std::string> probeArguments(const std::string& ffprobe, const fs::path& file) {
    return {
        ffprobe,         "-v",
        "error",         "-select_streams",
        "v:0",           "-count_packets",
        "-show_entries", "stream=width,height,r_frame_rate,sample_aspect_ratio,display_aspect_ratio,nb_read_packets",
        "-of",           "default=noprint_wrappers=1",
        file.string()};
}

std::string nameOf(const fs::path& file) {
    return file.filename().string();
}

} // namespace

std::optional<ClipInfo> parseClipInfo(std::string_view text) {
    ClipInfo info;
    double sar = 0, dar = 0;
    bool counted = false;
    forEachKeyValue(text, [&](std::string_view key, std::string_view value) {
        const double number = numberOf(value).value_or(0);
        if (key == "width")
            info.width = static_cast<int>(number);
        else if (key == "height")
            info.height = static_cast<int>(number);
        else if (key == "r_frame_rate")
            info.rate = ratioOf(value, '/');
        else if (key == "sample_aspect_ratio")
            sar = ratioOf(value, ':');
        else if (key == "display_aspect_ratio")
            dar = ratioOf(value, ':');
        else if (key == "nb_read_packets") {
            info.frames = static_cast<int>(number);
            counted = numberOf(value).has_value();
        }
    });
    if (info.width <= 0 || info.height <= 0 || !counted)
        return std::nullopt;
    info.aspect = dar > 0 ? dar : static_cast<double>(info.width) / info.height * (sar > 0 ? sar : 1.0);
    return info;
}

Picture differencePicture(const Picture& a, const Picture& b, int gain) {
    if (a.width != b.width || a.height != b.height || a.bgra.size() != b.bgra.size())
        return {};
    Picture d{a.width, a.height, std::vector<std::uint8_t>(a.bgra.size())};
    for (std::size_t i = 0; i < a.bgra.size(); ++i) {
        const int difference = std::abs(int(a.bgra[i]) - int(b.bgra[i])) * gain;
        d.bgra[i] = i % 4 == 3 ? 255 : static_cast<std::uint8_t>(std::min(difference, 255));
    }
    return d;
}

std::optional<double> picturePsnr(const Picture& a, const Picture& b) {
    if (a.empty() || a.width != b.width || a.height != b.height || a.bgra.size() != b.bgra.size())
        return std::nullopt;
    double squares = 0;
    std::size_t samples = 0;
    for (std::size_t i = 0; i < a.bgra.size(); ++i) {
        if (i % 4 == 3)
            continue;
        const double difference = double(a.bgra[i]) - double(b.bgra[i]);
        squares += difference * difference;
        ++samples;
    }
    if (squares == 0)
        return kIdenticalPsnr;
    return std::min(kIdenticalPsnr, 10.0 * std::log10(255.0 * 255.0 * double(samples) / squares));
}

FrameCursor::FrameCursor(fs::path file, int width, int height)
    : m_file(std::move(file)), m_width(width), m_height(height) {}

FrameCursor::~FrameCursor() = default;

Picture FrameCursor::frame(int index, const std::atomic<bool>& cancel, std::string& why) {
    const std::string failed = "FFmpeg could not decode frame " + std::to_string(index) + " of " + nameOf(m_file) + ".";
    if (!m_frames || index < m_next) {
        std::string opened;
        m_frames =
            DecodedFrames::open(m_file.string(), "scale=" + std::to_string(m_width) + ":" + std::to_string(m_height),
                                opened, DecodedFrames::Layout::Bgra);
        m_next = 0;
        if (!m_frames) {
            why = failed;
            return {};
        }
    }
    // Only the frame shown is scaled and converted; those before it are decoded and left.
    for (; m_next < index && !cancel; ++m_next)
        if (!m_frames->skip()) {
            m_frames.reset();
            why = failed;
            return {};
        }
    Picture picture{m_width, m_height, {}};
    if (cancel || !m_frames->next(picture.bgra)) {
        m_frames.reset();
        why = cancel ? std::string() : failed;
        return {};
    }
    ++m_next;
    return picture;
}

int pairedFrames(const ClipInfo& a, const ClipInfo& b) {
    return std::min(a.frames, b.frames);
}

FramePair decodeFramePair(const FrameTools& tools, const fs::path& a, const fs::path& b, int index,
                          const std::optional<std::pair<ClipInfo, ClipInfo>>& known, const std::atomic<bool>& cancel,
                          FrameCursors* cursors) {
    FramePair pair;
    if (known) {
        pair.infoA = known->first;
        pair.infoB = known->second;
    } else {
        const auto probes = runAll({probeArguments(tools.ffprobe, a), probeArguments(tools.ffprobe, b)}, cancel);
        if (!probes) {
            pair.cancelled = true;
            return pair;
        }
        const fs::path* files[2] = {&a, &b};
        ClipInfo* infos[2] = {&pair.infoA, &pair.infoB};
        for (int i = 0; i < 2; ++i) {
            const auto info = (*probes)[i].exitCode == 0 ? parseClipInfo((*probes)[i].out) : std::nullopt;
            if (!info) {
                pair.why = "ffprobe could not read the video of " + nameOf(*files[i]) + ".";
                return pair;
            }
            *infos[i] = *info;
        }
    }
    const int frames = pairedFrames(pair.infoA, pair.infoB);
    if (frames <= 0) {
        pair.why = "There is no frame to show: " + nameOf(pair.infoA.frames <= 0 ? a : b) + " has none.";
        return pair;
    }
    pair.index = std::clamp(index, 0, frames - 1);
    const int width = pair.infoA.width, height = pair.infoA.height;
    FrameCursors own;
    FrameCursors& use = cursors ? *cursors : own;
    for (const auto& [cursor, file] : {std::pair{&use.a, &a}, std::pair{&use.b, &b}})
        if (!*cursor || (*cursor)->width() != width || (*cursor)->height() != height)
            *cursor = std::make_unique<FrameCursor>(*file, width, height);
    std::string whyA, whyB;
    std::thread other([&] { pair.b = use.b->frame(pair.index, cancel, whyB); });
    pair.a = use.a->frame(pair.index, cancel, whyA);
    other.join();
    if (cancel) {
        pair.cancelled = true;
        pair.a = {};
        pair.b = {};
    } else if (pair.a.empty() || pair.b.empty()) {
        pair.why = pair.a.empty() ? whyA : whyB;
        pair.a = {};
        pair.b = {};
    }
    return pair;
}

struct FramePairJob::Thread {
    std::thread thread;
};

FramePairJob::FramePairJob(FrameTools tools, fs::path a, fs::path b, int index,
                           std::optional<std::pair<ClipInfo, ClipInfo>> known, FrameCursors* cursors)
    : m_index(index), m_thread(std::make_unique<Thread>()) {
    m_thread->thread = std::thread(
        [this, tools = std::move(tools), a = std::move(a), b = std::move(b), index, known = std::move(known), cursors] {
            m_result = decodeFramePair(tools, a, b, index, known, m_cancel, cursors);
            m_finished = true;
        });
}

FramePairJob::~FramePairJob() {
    m_cancel = true;
    if (m_thread->thread.joinable())
        m_thread->thread.join();
}

} // namespace quire::preview
