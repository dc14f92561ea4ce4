// Plays a 720x576 preview script of 25 frames a second (a black clip with a caption, as the preview
// window writes them) through quire-avs in a PlayerView of the preview window's size, headless, for
// 10 s; then pauses it for 5 s. Prints the frames shown, the late frames per 100 (a frame is late when
// it is painted more than one frame period after it was due; like the view, the schedule starts again
// from a late frame rather than hurry), and the resident memory of this process and of the child's
// process group sampled every half second while paused. Fails when the clip does not play, when more
// than 1 frame in 100 is late, or when the memory grows while paused.
#include "preview/PlayerView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using quire::PlayerView;

namespace {

constexpr double kRate = 25.0;
constexpr int kPlayMs = 10000;
constexpr int kPauseMs = 5000;
constexpr int kSampleMs = 500;
// Growth of resident memory while paused that still counts as flat: allocator and page-cache noise.
constexpr long kFlatKb = 1024;

// The VmRSS line of /proc/PID/status, in KiB; 0 when the process is gone.
long residentKb(const std::string& pid) {
    std::ifstream status("/proc/" + pid + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    return 0;
}

// The resident memory of every process of a process group (the renderer and the FFmpeg it runs).
long groupResidentKb(long group) {
    long total = 0;
    for (const auto& entry : fs::directory_iterator("/proc")) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        std::ifstream file(entry.path() / "stat");
        std::string stat;
        std::getline(file, stat);
        const auto close = stat.rfind(')');
        if (close == std::string::npos)
            continue;
        char state = 0;
        long parent = 0;
        long processGroup = 0;
        if (std::sscanf(stat.c_str() + close + 1, " %c %ld %ld", &state, &parent, &processGroup) == 3 &&
            processGroup == group)
            total += residentKb(name);
    }
    return total;
}

// Notes the time of the first paint after each frame the view shows.
class PaintClock : public QObject {
public:
    PaintClock(PlayerView& view, const QElapsedTimer& clock) : m_clock(clock) {
        view.installEventFilter(this);
        connect(&view, &PlayerView::frameShown, this, [this](int number) { m_pending = number; });
    }
    std::map<int, qint64> paintedNs;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && m_pending > 0) {
            paintedNs.emplace(m_pending, m_clock.nsecsElapsed());
            m_pending = 0;
        }
        return false;
    }

private:
    const QElapsedTimer& m_clock;
    int m_pending = 0;
};

struct Lateness {
    int late = 0;
    int unpainted = 0;
    double worstMs = 0.0;
};

// Frames painted more than one period after they were due, on a schedule that starts again from each
// late frame; and the worst delay.
Lateness lateness(const std::map<int, qint64>& painted, int shown) {
    const qint64 period = qint64(1e9 / kRate);
    Lateness result;
    if (painted.empty())
        return result;
    std::pair<int, qint64> anchor = *painted.begin();
    for (int number = anchor.first; number <= shown; ++number) {
        const auto it = painted.find(number);
        if (it == painted.end()) {
            ++result.unpainted; // replaced before a paint came: never seen
            continue;
        }
        const qint64 due = anchor.second + qint64(number - anchor.first) * period;
        const qint64 delay = it->second - due;
        result.worstMs = std::max(result.worstMs, double(delay) / 1e6);
        if (delay > period) {
            ++result.late;
            anchor = *it;
        }
    }
    return result;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir folder;
    const fs::path script = fs::path(folder.path().toStdString()) / "preview.avs";
    std::ofstream(script, std::ios::binary)
        << "BlankClip(length=1000, width=720, height=576, fps=25)\r\n"
           "Subtitle(\"Tessera's Matrix Editor\",y=150,font=\"Arial\", size=44,text_color=$16102255,"
           "halo_color=$ffffff)\r\n";

    PlayerView view;
    view.setProgramFolder(QUIRE_BIN);
    view.resize(252, 190); // MediaPlayer1 of the preview window
    view.show();
    QElapsedTimer clock;
    clock.start();
    PaintClock paints(view, clock);
    QString failure;
    QObject::connect(&view, &PlayerView::failed, [&](const QString& why) { failure = why; });

    view.setFile(script);
    const qint64 startNs = clock.nsecsElapsed();
    view.play();
    if (!QTest::qWaitFor([&] { return view.framesShown() > 0 || !failure.isEmpty(); }, 20000) || !failure.isEmpty()) {
        std::printf("player_bench: the clip did not play: %s\n", qPrintable(failure));
        return 1;
    }
    const qint64 firstNs = clock.nsecsElapsed();
    QTest::qWait(kPlayMs);
    view.pause();
    const int shown = view.framesShown();
    const double seconds = double(clock.nsecsElapsed() - firstNs) / 1e9;
    const Lateness late = lateness(paints.paintedNs, shown);

    std::vector<long> own;
    std::vector<long> child;
    QElapsedTimer pause;
    pause.start();
    while (pause.elapsed() < kPauseMs) {
        QTest::qWait(kSampleMs);
        own.push_back(residentKb("self"));
        child.push_back(groupResidentKb(view.childPid()));
    }
    const int shownAfterPause = view.framesShown();
    view.stop();

    const double latePer100 = shown > 0 ? 100.0 * late.late / shown : 100.0;
    std::printf("player_bench: first frame after %.0f ms (probe and start)\n", double(firstNs - startNs) / 1e6);
    std::printf("player_bench: %d frames shown in %.2f s (%.2f fps, clip %.0f fps); %d painted late = %.2f per "
                "100 (view's own count %d), %d never painted, worst delay %.1f ms\n",
                shown, seconds, shown / seconds, kRate, late.late, latePer100, view.lateFrames(), late.unpainted,
                late.worstMs);
    const auto growth = [](const std::vector<long>& kb) { return kb.back() - kb.front(); };
    const auto line = [](const char* who, const std::vector<long>& kb) {
        std::printf("player_bench: paused, resident %s:", who);
        for (const long value : kb)
            std::printf(" %ld", value);
        std::printf(" KiB\n");
    };
    line("self", own);
    line("child group", child);
    const bool flat = growth(own) < kFlatKb && growth(child) < kFlatKb && shownAfterPause == shown;
    std::printf("player_bench: while paused: self %+ld KiB, child group %+ld KiB, frames shown %+d -> %s\n",
                growth(own), growth(child), shownAfterPause - shown, flat ? "flat" : "NOT flat");
    const bool onRate = latePer100 < 1.0;
    std::printf("player_bench: rate target (<1 late in 100) %s\n", onRate ? "met" : "MISSED");
    return onRate && flat ? 0 : 1;
}
