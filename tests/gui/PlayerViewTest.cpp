// The embedded player headless: a preview script played to its end through the real renderer, a long
// clip held back while paused or hidden, a prompt stop and a destroyed view that leave no child, a
// child that dies mid-stream, a script the renderer refuses, and an encoded file letterboxed to its
// display aspect.
#include "GuiSupport.h"

#include "preview/PlayerView.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QSignalSpy>

#include <memory>
#include <sys/stat.h>

using namespace quire;
using namespace quire::test;
namespace fs = std::filesystem;

namespace {

// A preview script as the preview window writes it: a caption on a black clip, resized.
std::string previewScript(int frames) {
    return "BlankClip(length=" + std::to_string(frames) + ",width=480,height=273)\r\n" +
           "Subtitle(\"Sample\",x=10,y=150,font=\"Arial\",size=40,text_color=$16102255,halo_color=$ffffff)\r\n" +
           "BilinearResize(480,384)\r\n";
}

// True while a process (or a zombie) with this id exists.
bool exists(long pid) {
    return ::kill(pid_t(pid), 0) == 0 || errno != ESRCH;
}

struct Player {
    explicit Player(const fs::path& file, const fs::path& programFolder = QUIRE_BIN) {
        view->setProgramFolder(programFolder);
        view->setFrameIntervalZero(true);
        view->setFile(file);
        view->resize(480, 384);
        view->show();
    }
    std::unique_ptr<PlayerView> view = std::make_unique<PlayerView>();
    QSignalSpy shown{view.get(), &PlayerView::frameShown};
    QSignalSpy finished{view.get(), &PlayerView::finished};
    QSignalSpy failed{view.get(), &PlayerView::failed};
};

} // namespace

class PlayerViewTest : public QObject {
    Q_OBJECT
private slots:
    void previewScriptPlaysEveryFrameInOrder() {
        TempFolder folder;
        Player p(folder.write("preview.avs", previewScript(12)));
        p.view->play();
        QCOMPARE(p.view->state(), PlayerView::State::Playing);
        QVERIFY(p.view->childPid() > 0);
        QVERIFY(p.finished.wait(20000));
        QCOMPARE(p.failed.count(), 0);
        QCOMPARE(p.shown.count(), 12);
        for (int i = 0; i < 12; ++i)
            QCOMPARE(p.shown[i][0].toInt(), i + 1);
        QCOMPARE(p.view->frameSize(), QSize(480, 384));
        QCOMPARE(p.view->frameRate(), 24.0);
        QCOMPARE(p.view->state(), PlayerView::State::Stopped);
        QVERIFY(!exists(p.view->childPid()));
        QVERIFY(!p.view->currentFrame().isNull());
        // Played again from the start once it has ended, and again after a stop half way.
        p.view->play();
        QVERIFY(p.finished.wait(20000));
        QCOMPARE(p.shown.count(), 24);
        QCOMPARE(p.shown.last()[0].toInt(), 12);
        p.view->play();
        QTRY_VERIFY_WITH_TIMEOUT(p.view->framesShown() >= 3, 20000);
        p.view->stop();
        p.view->play();
        QVERIFY(p.finished.wait(20000));
        QCOMPARE(p.shown.last()[0].toInt(), 12);
    }

    void pausedOrHiddenViewHoldsTheChildAndStopReapsIt() {
        TempFolder folder;
        Player p(folder.write("long.avs", previewScript(2000)));
        connect(p.view.get(), &PlayerView::frameShown, p.view.get(), [&p](int n) {
            if (n == 5)
                p.view->pause();
        });
        p.view->play();
        QTRY_COMPARE_WITH_TIMEOUT(p.view->state(), PlayerView::State::Paused, 20000);
        QTest::qWait(1500);
        QCOMPARE(p.view->framesShown(), 5);
        QVERIFY2(p.view->framesRead() <= 5 + PlayerView::kQueueFrames + 1,
                 qPrintable(QString::number(p.view->framesRead())));

        p.view->resume();
        QTRY_VERIFY_WITH_TIMEOUT(p.view->framesShown() > 20, 20000);
        p.view->hide();
        const int hiddenAt = p.view->framesShown();
        QTest::qWait(1000);
        QCOMPARE(p.view->framesShown(), hiddenAt);
        QVERIFY(p.view->framesRead() <= hiddenAt + PlayerView::kQueueFrames + 1);

        const long pid = p.view->childPid();
        QVERIFY(pid > 0);
        QElapsedTimer clock;
        clock.start();
        p.view->stop();
        QVERIFY2(clock.elapsed() < 2000, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(p.view->state(), PlayerView::State::Stopped);
        QVERIFY(p.view->currentFrame().isNull());
        QVERIFY(!exists(pid));                          // reaped, not a zombie
        QTRY_VERIFY_WITH_TIMEOUT(groupGone(pid), 2000); // and the renderer's FFmpeg is gone too
        QCOMPARE(p.finished.count() + p.failed.count(), 0);
    }

    void destroyedViewLeavesNoChild() {
        TempFolder folder;
        Player p(folder.write("long.avs", previewScript(2000)));
        p.view->play();
        QVERIFY(p.shown.wait(20000));
        const long pid = p.view->childPid();
        QVERIFY(pid > 0);
        p.view.reset();
        QVERIFY(!exists(pid));
        QTRY_VERIFY_WITH_TIMEOUT(groupGone(pid), 2000);
    }

    void childThatDiesMidStreamIsReportedAndReaped() {
        // A renderer that answers --info for 4x2 frames, writes two of them and is then killed.
        TempFolder folder;
        const auto renderer =
            folder.write("quire-avs", "#!/bin/sh\n"
                                      "if [ \"$2\" = --info ]; then echo '4 2 24/1 10 bgra'; exit 0; fi\n"
                                      "head -c 64 /dev/zero\n"
                                      "echo 'about to crash' >&2\n"
                                      "kill -9 $$\n");
        ::chmod(renderer.c_str(), 0755);
        Player p(folder.write("preview.avs", "BlankClip()\r\n"), folder.path());
        p.view->play();
        const long pid = p.view->childPid();
        QVERIFY(pid > 0);
        QVERIFY(p.failed.wait(10000));
        QCOMPARE(p.finished.count(), 0);
        QCOMPARE(p.view->framesShown(), 2);
        const QString message = p.failed[0][0].toString();
        QVERIFY2(message.contains("signal 9") && message.contains("about to crash"), qPrintable(message));
        QCOMPARE(p.view->state(), PlayerView::State::Stopped);
        QVERIFY(!exists(pid));
    }

    // The first frame is due when it comes: the child's start-up is no lateness. At a thousand frames a
    // second any start-up is longer than a period, so a clock started with the child counts it late.
    void firstFrameIsNotCountedLate() {
        TempFolder folder;
        Player p(folder.write("one.avs", "BlankClip(length=1, width=64, height=48, fps=1000)\r\n"));
        p.view->setFrameIntervalZero(false);
        p.view->play();
        QVERIFY(p.finished.wait(20000));
        QCOMPARE(p.view->framesShown(), 1);
        QCOMPARE(p.view->lateFrames(), 0);
    }

    void scriptTheRendererRefusesFailsInWords() {
        TempFolder folder;
        Player p(folder.write("bad.avs", "BlankClip(length=12\r\n"));
        p.view->play();
        QCOMPARE(p.failed.count(), 1);
        const QString message = p.failed[0][0].toString();
        QVERIFY2(message.contains("bad.avs:2: BlankClip"), qPrintable(message));
        QCOMPARE(p.view->state(), PlayerView::State::Stopped);
        QCOMPARE(p.view->childPid(), 0L); // the renderer refused it at --info: nothing was started
    }

    void encodedFileIsLetterboxedToItsDisplayAspect() {
        // A red 16:9 MPEG-2 stream of 720x480 (non-square pixels), shown in a square view.
        TempFolder folder;
        const auto m2v = folder / "seg.m2v";
        QProcess ffmpeg;
        ffmpeg.start("ffmpeg", {"-v", "error", "-f", "lavfi", "-i", "color=c=red:s=720x480:r=30000/1001:d=0.2", "-c:v",
                                "mpeg2video", "-aspect", "16:9", "-y", QString::fromStdString(m2v.string())});
        QVERIFY(ffmpeg.waitForFinished(30000) && ffmpeg.exitCode() == 0);
        Player p(m2v);
        p.view->resize(320, 320);
        p.view->play();
        QVERIFY(p.finished.wait(20000));
        QCOMPARE(p.shown.count(), 6);
        QCOMPARE(p.view->frameSize(), QSize(720, 480));
        QVERIFY(qAbs(p.view->displayAspect() - 16.0 / 9.0) < 0.01);
        QVERIFY(qAbs(p.view->frameRate() - 30000.0 / 1001.0) < 0.001);
        const QImage picture = p.view->grab().toImage();
        // 320 wide at 16:9 is 180 high: black bars of 70 rows above and below.
        QCOMPARE(QColor(picture.pixel(160, 60)), QColor(Qt::black));
        QCOMPARE(QColor(picture.pixel(160, 260)), QColor(Qt::black));
        QVERIFY(qRed(picture.pixel(160, 80)) > 200 && qGreen(picture.pixel(160, 80)) < 60);
        QVERIFY(qRed(picture.pixel(160, 240)) > 200);
    }
};

QTEST_MAIN(PlayerViewTest)
#include "PlayerViewTest.moc"
