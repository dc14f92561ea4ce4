// The embedded player of the preview window. It plays a file by running a child process that writes
// raw BGRA frames: an .avs script through the renderer of the program folder (`quire-avs SCRIPT --bgra -`,
// its size and rate from `--info`), any other file (an encoded .m2v) through FFmpeg (size, rate and
// display aspect from ffprobe). The frames come through a pipe of the view's own, given to the child
// as its standard output; a reader thread keeps at most kQueueFrames of them. A paused or hidden view
// takes no frames, so the queue fills, the reader waits, the pipe fills and the child is held where it
// is: memory stays flat however long the clip. Frames are painted at the clip's rate, scaled to the
// display aspect inside a black frame; a frame that is not ready in time is shown late, never skipped.
// A file that cannot be played, or a child that fails, is said in words inside the view itself (and by
// the failed signal), so that nothing modal stops the window that holds it.
// The child runs in a process group of its own, which Stop (and the destructor) kills and reaps, so no
// zombie and no orphaned helper outlives a stop, a close or a crash of the child.
#pragma once

#include <QElapsedTimer>
#include <QImage>
#include <QSize>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <filesystem>
#include <memory>

class QPainter;

namespace quire {

class PlayerStream;

class PlayerView : public QWidget {
    Q_OBJECT
public:
    enum class State { Stopped, Playing, Paused };
    // The most frames the reader keeps ahead of the picture.
    static constexpr int kQueueFrames = 4;

    explicit PlayerView(QWidget* parent = nullptr);
    ~PlayerView() override;

    // Where quire-avs is looked for; the folder of the running program unless set.
    void setProgramFolder(const std::filesystem::path& folder);
    // Stops what is playing and remembers the file for the next play().
    void setFile(const std::filesystem::path& file);
    const std::filesystem::path& file() const { return m_file; }

    // Test hook: frames are shown as soon as they arrive, one frameShown signal each, instead of at
    // the clip's rate.
    void setFrameIntervalZero(bool on) { m_fast = on; }

    State state() const { return m_state; }
    int framesShown() const { return m_shown; }
    // Frames the reader has taken from the child so far (shown + queued, plus the one it may hold).
    int framesRead() const;
    // Frames shown more than one frame period after they were due (each shown as soon as it came); the
    // first frame of a play is due when it comes.
    int lateFrames() const { return m_late; }
    // The size of the clip's frames, its rate in frames per second and its display aspect (width /
    // height); empty and 0 before a play.
    QSize frameSize() const { return m_size; }
    double frameRate() const { return m_rate; }
    double displayAspect() const { return m_aspect; }
    // The process id of the child of the current or the last play, 0 before any; kept after the child
    // has been reaped.
    long childPid() const { return m_childPid; }
    // The last picture shown (null when stopped).
    const QImage& currentFrame() const { return m_image; }
    // Why the last play failed, in words, as the view shows it over its picture; empty from the next
    // play on and while nothing went wrong.
    const QString& message() const { return m_message; }

    QSize sizeHint() const override;

public slots:
    // Starts the file from its first frame; continues a paused one; nothing while playing.
    void play();
    void pause();
    void resume();
    // Kills the child, waits for it and clears the picture; no signal follows.
    void stop();

signals:
    void frameShown(int number);
    // The child ended normally and every frame it wrote has been shown.
    void finished();
    // The file could not be played, or the child ended abnormally; the message says why in words.
    void failed(const QString& message);

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void start();
    void tick();
    void onReaderEvent();
    void scheduleNext();
    void endOfStream();
    void fail(const QString& message);
    void paintFrame(QPainter& painter);
    bool taking() const { return m_state == State::Playing && isVisible(); }

    std::filesystem::path m_programFolder;
    std::filesystem::path m_file;
    std::unique_ptr<PlayerStream> m_stream;
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_baseNs = -1; // clock time at which frame m_baseFrame was due; -1 until the first frame
    int m_baseFrame = 0;
    QImage m_image;
    QSize m_size;
    double m_rate = 0.0;
    double m_aspect = 0.0;
    State m_state = State::Stopped;
    int m_shown = 0;
    int m_late = 0;
    bool m_fast = false;
    long m_childPid = 0;
    QString m_message;
};

} // namespace quire
