#include "preview/PlayerView.h"

#include "preview/ChildProcess.h"

#include <QColor>
#include <QCoreApplication>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <functional>
#include <mutex>
#include <poll.h>
#include <string>
#include <sys/eventfd.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace quire {

namespace {

using preview::closeFd;
using preview::spawnInGroup;

constexpr int kProbeTimeoutMs = 20000;
constexpr std::size_t kErrorTail = 4096;

QString describeStatus(int status) {
    if (WIFSIGNALED(status))
        return QStringLiteral("it was ended by signal %1 (%2)")
            .arg(WTERMSIG(status))
            .arg(QString::fromLocal8Bit(strsignal(WTERMSIG(status))));
    return QStringLiteral("it ended with exit code %1").arg(WEXITSTATUS(status));
}

// The last non-empty line of a program's error output.
QString lastLine(const std::string& text) {
    const QStringList lines = QString::fromLocal8Bit(text.data(), qsizetype(text.size())).split('\n');
    for (auto it = lines.crbegin(); it != lines.crend(); ++it)
        if (!it->trimmed().isEmpty())
            return it->trimmed();
    return {};
}

struct Captured {
    bool started = false;
    bool timedOut = false;
    int status = 0;
    std::string out;
    std::string err;
    QString why; // when it could not start
};

// Runs a short program (a probe) and collects both its outputs.
Captured capture(const std::vector<std::string>& argv) {
    Captured result;
    int out[2] = {-1, -1};
    int err[2] = {-1, -1};
    if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0) {
        result.why = QString::fromLocal8Bit(std::strerror(errno));
        closeFd(out[0]), closeFd(out[1]), closeFd(err[0]), closeFd(err[1]);
        return result;
    }
    const pid_t pid = spawnInGroup(argv, -1, out[1], err[1], 0);
    const int spawnError = errno;
    closeFd(out[1]);
    closeFd(err[1]);
    if (pid < 0) {
        result.why = QString::fromLocal8Bit(std::strerror(spawnError));
        closeFd(out[0]), closeFd(err[0]);
        return result;
    }
    result.started = true;
    QElapsedTimer clock;
    clock.start();
    while (out[0] >= 0 || err[0] >= 0) {
        const auto left = kProbeTimeoutMs - clock.elapsed();
        if (left <= 0) {
            result.timedOut = true;
            ::kill(-pid, SIGKILL);
            break;
        }
        pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
        if (::poll(fds, 2, int(left)) < 0 && errno != EINTR)
            break;
        for (int i = 0; i < 2; ++i) {
            int& fd = i == 0 ? out[0] : err[0];
            if (fd < 0 || (fds[i].revents & (POLLIN | POLLHUP | POLLERR)) == 0)
                continue;
            char buffer[4096];
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n > 0)
                (i == 0 ? result.out : result.err).append(buffer, std::size_t(n));
            else if (n == 0 || errno != EINTR)
                closeFd(fd);
        }
    }
    closeFd(out[0]);
    closeFd(err[0]);
    while (::waitpid(pid, &result.status, 0) < 0 && errno == EINTR) {
    }
    ::kill(-pid, SIGKILL); // a helper it left behind
    return result;
}

struct Geometry {
    int width = 0;
    int height = 0;
    double rate = 0.0;
    double aspect = 0.0;
};

double ratio(const QString& text, QChar separator) {
    const auto parts = text.split(separator);
    if (parts.size() != 2)
        return 0.0;
    bool okNum = false;
    bool okDen = false;
    const double num = parts[0].toDouble(&okNum);
    const double den = parts[1].toDouble(&okDen);
    return okNum && okDen && num > 0 && den > 0 ? num / den : 0.0;
}

// "W H NUM/DEN FRAMES PIXFMT" of quire-avs --info.
bool parseInfo(const std::string& out, Geometry& g) {
    const auto fields = QString::fromLatin1(out.data(), qsizetype(out.size())).simplified().split(' ');
    if (fields.size() < 3)
        return false;
    g.width = fields[0].toInt();
    g.height = fields[1].toInt();
    g.rate = ratio(fields[2], '/');
    g.aspect = g.height > 0 ? double(g.width) / g.height : 0.0;
    return true;
}

// The key=value lines of ffprobe's "default" writer for the first video stream.
bool parseProbe(const std::string& out, Geometry& g) {
    double sar = 0.0;
    double dar = 0.0;
    double avgRate = 0.0;
    for (const auto& line : QString::fromLatin1(out.data(), qsizetype(out.size())).split('\n')) {
        const auto eq = line.indexOf('=');
        if (eq < 0)
            continue;
        const auto key = line.left(eq).trimmed();
        const auto value = line.mid(eq + 1).trimmed();
        if (key == "width")
            g.width = value.toInt();
        else if (key == "height")
            g.height = value.toInt();
        else if (key == "r_frame_rate")
            g.rate = ratio(value, '/');
        else if (key == "avg_frame_rate")
            avgRate = ratio(value, '/');
        else if (key == "sample_aspect_ratio")
            sar = ratio(value, ':');
        else if (key == "display_aspect_ratio")
            dar = ratio(value, ':');
    }
    if (g.rate <= 0.0)
        g.rate = avgRate;
    if (g.height <= 0)
        return false;
    g.aspect = dar > 0.0 ? dar : double(g.width) / g.height * (sar > 0.0 ? sar : 1.0);
    return true;
}

bool isScript(const std::filesystem::path& file) {
    return QString::fromStdString(file.extension().string()).compare(".avs", Qt::CaseInsensitive) == 0;
}

} // namespace

// One run of the child: its pipe, the reader thread and the bounded queue of frames.
class PlayerStream {
public:
    // Starts the child and the reader. On failure returns null and sets why.
    static std::unique_ptr<PlayerStream> start(const std::vector<std::string>& argv, QSize size,
                                               std::function<void()> notify, QString& why) {
        auto stream = std::unique_ptr<PlayerStream>(new PlayerStream(size, std::move(notify)));
        if (!stream->launch(argv, why))
            return nullptr;
        return stream;
    }

    ~PlayerStream() { stop(); }

    // The oldest queued frame, if any.
    bool take(QImage& frame) {
        std::lock_guard lock(m_mutex);
        if (m_queue.empty())
            return false;
        frame = std::move(m_queue.front());
        m_queue.pop_front();
        m_notFull.notify_one();
        return true;
    }

    // The child closed its output and every frame has been taken.
    bool ended() {
        std::lock_guard lock(m_mutex);
        return m_eof && m_queue.empty();
    }

    int framesRead() {
        std::lock_guard lock(m_mutex);
        return m_read;
    }

    long pid() const { return long(m_pid); }

    // Kills the child's process group, ends the reader and reaps the child.
    void stop() {
        if (m_pid > 0 && !reaped())
            ::kill(-m_pid, SIGKILL);
        {
            std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_notFull.notify_all();
        if (m_wake >= 0) {
            const uint64_t one = 1;
            [[maybe_unused]] const auto n = ::write(m_wake, &one, sizeof one);
        }
        if (m_thread.joinable())
            m_thread.join();
        reap(0);
        closeFd(m_read_fd);
        closeFd(m_wake);
        closeFd(m_errFd);
    }

    // After the end: empty when the child ended normally with whole frames, else why not.
    QString failure() {
        if (m_thread.joinable())
            m_thread.join();
        reap(0);
        QString why;
        if (m_readError != 0)
            why =
                QStringLiteral("its output could not be read (%1)").arg(QString::fromLocal8Bit(strerror(m_readError)));
        else if (!WIFEXITED(m_status) || WEXITSTATUS(m_status) != 0)
            why = describeStatus(m_status);
        else if (m_partial)
            why = QStringLiteral("its last frame was cut short");
        if (why.isEmpty())
            return why;
        const QString detail = lastLine(errorOutput());
        return detail.isEmpty() ? why : why + ": " + detail;
    }

private:
    PlayerStream(QSize size, std::function<void()> notify) : m_frameSize(size), m_notify(std::move(notify)) {}

    bool launch(const std::vector<std::string>& argv, QString& why) {
        int fds[2] = {-1, -1};
        if (::pipe2(fds, O_CLOEXEC) != 0) {
            why = QString::fromLocal8Bit(strerror(errno));
            return false;
        }
        m_read_fd = fds[0];
        m_errFd = ::memfd_create("quire-player-errors", MFD_CLOEXEC);
        m_wake = ::eventfd(0, EFD_CLOEXEC);
        const int errTarget = m_errFd >= 0 ? m_errFd : ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        m_pid = spawnInGroup(argv, -1, fds[1], errTarget, 0);
        const int spawnError = errno;
        ::close(fds[1]); // the child holds the only write end: its end is our end of file
        if (errTarget != m_errFd)
            ::close(errTarget);
        if (m_pid < 0) {
            why = QString::fromLocal8Bit(strerror(spawnError));
            return false;
        }
        m_thread = std::thread([this] { run(); });
        return true;
    }

    bool reaped() {
        std::lock_guard lock(m_mutex);
        return m_reaped;
    }

    // waitpid with the given options, once; then whatever the child left in its group is killed.
    // Only the reader calls it while the reader runs; afterwards only the owner.
    void reap(int options) {
        if (m_pid <= 0 || reaped())
            return;
        int status = 0;
        pid_t r;
        while ((r = ::waitpid(m_pid, &status, options)) < 0 && errno == EINTR) {
        }
        if (r != m_pid)
            return;
        ::kill(-m_pid, SIGKILL);
        std::lock_guard lock(m_mutex);
        m_status = status;
        m_reaped = true;
    }

    std::string errorOutput() const {
        if (m_errFd < 0)
            return {};
        const off_t size = ::lseek(m_errFd, 0, SEEK_END);
        if (size <= 0)
            return {};
        const off_t from = size > off_t(kErrorTail) ? size - off_t(kErrorTail) : 0;
        std::string text(std::size_t(size - from), '\0');
        const ssize_t n = ::pread(m_errFd, text.data(), text.size(), from);
        text.resize(n > 0 ? std::size_t(n) : 0);
        return text;
    }

    // Reads whole frames; waits while the queue is full (the child then waits on the full pipe).
    void run() {
        const auto frameBytes = qsizetype(m_frameSize.width()) * m_frameSize.height() * 4;
        for (;;) {
            QImage frame(m_frameSize, QImage::Format_RGB32);
            auto* data = reinterpret_cast<char*>(frame.bits());
            qsizetype got = 0;
            bool stopped = false;
            while (got < frameBytes) {
                pollfd fds[2] = {{m_read_fd, POLLIN, 0}, {m_wake, POLLIN, 0}};
                if (::poll(fds, 2, -1) < 0) {
                    if (errno == EINTR)
                        continue;
                    m_readError = errno;
                    break;
                }
                if (fds[1].revents != 0) {
                    stopped = true;
                    break;
                }
                const ssize_t n = ::read(m_read_fd, data + got, std::size_t(frameBytes - got));
                if (n < 0 && (errno == EINTR || errno == EAGAIN))
                    continue;
                if (n < 0)
                    m_readError = errno;
                if (n <= 0)
                    break;
                got += n;
            }
            if (stopped)
                return;
            if (got < frameBytes) {
                m_partial = got > 0;
                break;
            }
            std::unique_lock lock(m_mutex);
            while (int(m_queue.size()) >= PlayerView::kQueueFrames && !m_stop) {
                if (m_notFull.wait_for(lock, std::chrono::milliseconds(200)) == std::cv_status::timeout && !m_reaped) {
                    // A child that dies while the view is paused is reaped at once, not at the next play.
                    lock.unlock();
                    reap(WNOHANG);
                    lock.lock();
                }
            }
            if (m_stop)
                return;
            m_queue.push_back(std::move(frame));
            ++m_read;
            lock.unlock();
            m_notify();
        }
        {
            std::lock_guard lock(m_mutex);
            if (m_stop)
                return;
        }
        reap(0);
        {
            std::lock_guard lock(m_mutex);
            m_eof = true;
        }
        m_notify();
    }

    QSize m_frameSize;
    std::function<void()> m_notify;
    pid_t m_pid = -1;
    int m_read_fd = -1;
    int m_errFd = -1;
    int m_wake = -1;
    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_notFull;
    std::deque<QImage> m_queue;
    int m_read = 0;
    bool m_stop = false;
    bool m_eof = false;
    bool m_reaped = false;
    int m_status = 0;
    bool m_partial = false;
    int m_readError = 0;
};

PlayerView::PlayerView(QWidget* parent)
    : QWidget(parent), m_programFolder(QCoreApplication::applicationDirPath().toStdString()) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &PlayerView::tick);
}

PlayerView::~PlayerView() {
    m_timer.stop();
    m_stream.reset();
}

void PlayerView::setProgramFolder(const std::filesystem::path& folder) {
    m_programFolder = folder;
}

void PlayerView::setFile(const std::filesystem::path& file) {
    stop();
    m_file = file;
}

int PlayerView::framesRead() const {
    return m_stream ? m_stream->framesRead() : 0;
}

QSize PlayerView::sizeHint() const {
    return m_size.isValid() && !m_size.isEmpty() ? m_size : QSize(480, 384);
}

void PlayerView::play() {
    if (m_state == State::Paused)
        resume();
    else if (m_state == State::Stopped)
        start();
}

void PlayerView::pause() {
    if (m_state != State::Playing)
        return;
    m_state = State::Paused;
    m_timer.stop();
}

void PlayerView::resume() {
    if (m_state != State::Paused)
        return;
    m_state = State::Playing;
    m_baseNs = m_clock.nsecsElapsed();
    m_baseFrame = m_shown;
    if (isVisible())
        m_timer.start(0);
}

void PlayerView::stop() {
    m_timer.stop();
    m_stream.reset();
    m_state = State::Stopped;
    m_image = QImage();
    update();
}

void PlayerView::start() {
    stop();
    m_shown = 0;
    m_late = 0;
    m_childPid = 0;
    m_message.clear();
    if (m_file.empty()) {
        fail(QStringLiteral("No file was given to play."));
        return;
    }
    const QString name = QString::fromStdString(m_file.string());
    std::vector<std::string> probe;
    std::vector<std::string> player;
    if (isScript(m_file)) {
        const std::string renderer = (m_programFolder / "quire-avs").string();
        probe = {renderer, m_file.string(), "--info"};
        player = {renderer, m_file.string(), "--bgra", "-"};
    } else {
        probe = {"ffprobe",
                 "-v",
                 "error",
                 "-select_streams",
                 "v:0",
                 "-show_entries",
                 "stream=width,height,r_frame_rate,avg_frame_rate,sample_aspect_ratio,display_aspect_ratio",
                 "-of",
                 "default=noprint_wrappers=1",
                 m_file.string()};
        player = {"ffmpeg", "-hide_banner", "-loglevel", "error",    "-nostdin", "-i",   m_file.string(),
                  "-map",   "0:v:0",        "-f",        "rawvideo", "-pix_fmt", "bgra", "-"};
    }

    const Captured info = capture(probe);
    const QString program = QString::fromStdString(probe[0]);
    if (!info.started) {
        fail(QStringLiteral("The player could not start %1: %2.").arg(program, info.why));
        return;
    }
    if (info.timedOut) {
        fail(QStringLiteral("%1 did not answer in time about %2.").arg(program, name));
        return;
    }
    Geometry g;
    const bool parsed = WIFEXITED(info.status) && WEXITSTATUS(info.status) == 0 &&
                        (isScript(m_file) ? parseInfo(info.out, g) : parseProbe(info.out, g));
    if (!parsed || g.width <= 0 || g.height <= 0 || g.width > 16384 || g.height > 16384 || g.rate <= 0.0) {
        const QString detail = lastLine(info.err);
        fail(QStringLiteral("The player cannot show %1: %2.")
                 .arg(name, detail.isEmpty() ? QStringLiteral("its picture size and rate are unknown") : detail));
        return;
    }
    m_size = QSize(g.width, g.height);
    m_rate = g.rate;
    m_aspect = g.aspect;

    QString why;
    m_stream = PlayerStream::start(
        player, m_size,
        [this] {
            QMetaObject::invokeMethod(
                this, [this] { onReaderEvent(); }, Qt::QueuedConnection);
        },
        why);
    if (!m_stream) {
        fail(QStringLiteral("The player could not start %1: %2.").arg(QString::fromStdString(player[0]), why));
        return;
    }
    m_childPid = m_stream->pid();
    m_state = State::Playing;
    m_clock.start();
    m_baseNs = -1; // the first frame is due when it comes: the child's start-up is no lateness
    m_baseFrame = 0;
    updateGeometry();
}

void PlayerView::onReaderEvent() {
    if (taking() && !m_timer.isActive())
        tick();
}

void PlayerView::tick() {
    if (!taking() || !m_stream)
        return;
    QImage frame;
    if (!m_stream->take(frame)) {
        if (m_stream->ended())
            endOfStream();
        return; // not ready: shown when it comes (the reader says so)
    }
    const qint64 periodNs = qint64(1e9 / m_rate);
    const qint64 now = m_clock.nsecsElapsed();
    if (m_baseNs < 0) {
        m_baseNs = now;
        m_baseFrame = m_shown;
    }
    const qint64 dueNs = m_baseNs + qint64(m_shown - m_baseFrame) * periodNs;
    if (!m_fast && now > dueNs + periodNs) {
        ++m_late;
        m_baseNs = now; // keep the rate from here rather than hurry to catch up
        m_baseFrame = m_shown;
    }
    m_image = std::move(frame);
    ++m_shown;
    update();
    emit frameShown(m_shown);
    scheduleNext();
}

void PlayerView::scheduleNext() {
    if (!taking())
        return;
    if (m_fast) {
        m_timer.start(0);
        return;
    }
    const qint64 periodNs = qint64(1e9 / m_rate);
    const qint64 dueNs = m_baseNs + qint64(m_shown - m_baseFrame) * periodNs;
    const qint64 waitMs = std::max<qint64>(0, (dueNs - m_clock.nsecsElapsed()) / 1000000);
    m_timer.start(int(waitMs));
}

void PlayerView::endOfStream() {
    m_timer.stop();
    const QString why = m_stream->failure();
    m_stream.reset();
    m_state = State::Stopped;
    if (why.isEmpty())
        emit finished();
    else
        fail(QStringLiteral("The player stopped playing %1: %2.").arg(QString::fromStdString(m_file.string()), why));
}

void PlayerView::fail(const QString& message) {
    m_state = State::Stopped;
    m_message = message;
    update();
    emit failed(message);
}

void PlayerView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    if (!m_image.isNull() && m_aspect > 0.0)
        paintFrame(painter);
    if (m_message.isEmpty())
        return;
    // The failure over the picture: white words on a dark band, wrapped to the view's width.
    const QRect area = rect().adjusted(6, 6, -6, -6);
    const int flags = Qt::AlignCenter | Qt::TextWordWrap;
    const QRect used = painter.boundingRect(area, flags, m_message).intersected(area);
    painter.fillRect(used.adjusted(-4, -4, 4, 4), QColor(0, 0, 0, 200));
    painter.setPen(Qt::white);
    painter.drawText(area, flags, m_message);
}

void PlayerView::paintFrame(QPainter& painter) {
    // The largest rectangle of the display aspect that fits, centred: bars above and below or at the sides.
    QSize target(width(), int(width() / m_aspect + 0.5));
    if (target.height() > height())
        target = QSize(int(height() * m_aspect + 0.5), height());
    const QRect box(QPoint((width() - target.width()) / 2, (height() - target.height()) / 2), target);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(box, m_image);
}

void PlayerView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (m_state == State::Playing) {
        m_baseNs = m_clock.nsecsElapsed();
        m_baseFrame = m_shown;
        m_timer.start(0);
    }
}

void PlayerView::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    m_timer.stop();
}

} // namespace quire
